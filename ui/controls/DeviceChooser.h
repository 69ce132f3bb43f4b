#pragma once

#include "SoundDeviceSettings.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <vector>

// Shows the microphone or the output the tests use, in a gold-outlined box in the artwork's
// style, and lets the person pick another: a click lists the system's devices afresh and offers
// them, with the system's default first, in a menu.
class DeviceChooser final : public juce::Component,
                            public juce::SettableTooltipClient,
                            private juce::ChangeListener,
                            private juce::Timer
{
public:
    // caption is drawn left of the box; empty when the artwork prints its own.
    DeviceChooser (SoundDeviceSettings& settings, SoundDevice::Direction direction, const juce::String& caption);
    ~DeviceChooser() override;

    // What the box says: the device in use, and whether it is the system's default.
    juce::String getDeviceText() const;
    bool showsSystemDefault() const;

    // The menu for the devices listed last: item 1 is the system's default, then one per device.
    juce::PopupMenu makeMenu();

    // What picking a menu item does (0 = dismissed).
    void pick (int itemId);

    void paint (juce::Graphics& g) override;
    void mouseEnter (const juce::MouseEvent&) override;
    void mouseExit (const juce::MouseEvent&) override;
    void mouseDown (const juce::MouseEvent&) override;

private:
    void changeListenerCallback (juce::ChangeBroadcaster*) override;
    void timerCallback() override;
    void showMenu();
    juce::Rectangle<int> boxArea() const;

    // The settings live in the engine, which goes before the screens at shutdown.
    juce::WeakReference<SoundDeviceSettings> settings;
    SoundDevice::Direction direction;
    juce::String caption;
    bool menuWanted = false;
    bool hovering = false;
    std::vector<SoundDevice> offeredInMenu;
};
