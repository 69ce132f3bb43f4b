#pragma once

#include "DeviceChoice.h"
#include "SoundDeviceList.h"

#include <juce_events/juce_events.h>

#include <atomic>
#include <optional>

// The microphone and the output the tests use: what the person chose (remembered in a file once
// one is given), the last list of the system's devices, and the sentence to show when a chosen
// device is not connected, in which case the system's default stands in for it. Lists on a
// thread of its own, so that a sound server that does not answer never holds up the screen;
// everything else happens on the message thread.
class SoundDeviceSettings final : public juce::ChangeBroadcaster,
                                  private juce::Thread,
                                  private juce::AsyncUpdater
{
public:
    SoundDeviceSettings();
    ~SoundDeviceSettings() override;

    // Takes the choice remembered in that file, keeps every new choice there, and lists the
    // devices to see whether the remembered ones are connected.
    void rememberIn (const juce::File& file);

    // Takes the choice remembered in that file for this run only: nothing chosen is kept.
    void takeChoiceFrom (const juce::File& file);

    // Lists the devices afresh in the background; listeners hear when the list has come.
    void refresh();

    // A list made elsewhere, e.g. by a command-line run that cannot wait for the message loop.
    void setList (SoundDeviceList fresh);
    const SoundDeviceList& getList() const { return list; }
    bool hasList() const { return list.getSource() != SoundDeviceList::Source::none; }

    // Null chooses the system's default.
    void choose (SoundDevice::Direction direction, const SoundDevice* device);

    // What the person chose, connected or not.
    const DeviceChoice& getChoice() const { return choice; }

    // What the tests use: the chosen device while it is connected (or before any list has
    // said otherwise), else the system's default.
    const DeviceChoice::Pick& pickInUse (SoundDevice::Direction direction) const;
    AudioRoute routeFor (SoundDevice::Direction direction) const { return pickInUse (direction).route(); }

    // The description of the device in use: the chosen one's, or the system default's as last
    // listed; empty while unknown.
    juce::String describe (SoundDevice::Direction direction) const;

    // One sentence when the device chosen for a direction is not connected; empty otherwise.
    juce::String getNotice (SoundDevice::Direction direction) const;

    // How long a listing waits for a sound server that does not answer.
    static constexpr int serverTimeoutMs = 2000;

private:
    void run() override;
    void handleAsyncUpdate() override;
    bool isConnected (const DeviceChoice::Pick& pick, SoundDevice::Direction direction) const;

    DeviceChoice choice;
    DeviceChoice::Pick systemDefault;
    juce::File file;
    SoundDeviceList list;

    std::atomic<bool> listingWanted { false };
    juce::CriticalSection scannedLock;
    std::optional<SoundDeviceList> scanned;

    JUCE_DECLARE_WEAK_REFERENCEABLE (SoundDeviceSettings)
    JUCE_DECLARE_NON_COPYABLE (SoundDeviceSettings)
};
