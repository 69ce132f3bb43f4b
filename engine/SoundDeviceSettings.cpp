#include "SoundDeviceSettings.h"

#include "QuotedName.h"

SoundDeviceSettings::SoundDeviceSettings()
    : juce::Thread ("DeviceListThread")
{
}

SoundDeviceSettings::~SoundDeviceSettings()
{
    cancelPendingUpdate();
    signalThreadShouldExit();
    notify();

    // A listing gives up on its own within the server's time-out.
    stopThread (-1);
}

void SoundDeviceSettings::rememberIn (const juce::File& choiceFile)
{
    file = choiceFile;
    choice = DeviceChoice::load (file.getFullPathName().toStdString());
    sendChangeMessage();
    refresh();
}

void SoundDeviceSettings::takeChoiceFrom (const juce::File& choiceFile)
{
    file = juce::File();
    choice = DeviceChoice::load (choiceFile.getFullPathName().toStdString());
    sendChangeMessage();
}

void SoundDeviceSettings::setList (SoundDeviceList fresh)
{
    list = std::move (fresh);
    sendSynchronousChangeMessage();
}

void SoundDeviceSettings::refresh()
{
    listingWanted = true;

    if (! isThreadRunning())
        startThread();

    notify();
}

void SoundDeviceSettings::run()
{
    while (! threadShouldExit())
    {
        if (! listingWanted.exchange (false))
        {
            wait (-1);
            continue;
        }

        auto fresh = SoundDeviceList::scan (serverTimeoutMs);

        {
            const juce::ScopedLock lock (scannedLock);
            scanned = std::move (fresh);
        }

        triggerAsyncUpdate();
    }
}

void SoundDeviceSettings::handleAsyncUpdate()
{
    std::optional<SoundDeviceList> fresh;

    {
        const juce::ScopedLock lock (scannedLock);
        fresh.swap (scanned);
    }

    // PortAudio is busy while a test runs without a sound server: the last list still holds.
    if (! fresh.has_value() || (fresh->getSource() == SoundDeviceList::Source::none && hasList()))
        return;

    setList (std::move (*fresh));
}

void SoundDeviceSettings::choose (SoundDevice::Direction direction, const SoundDevice* device)
{
    auto& pick = choice.pickFor (direction);
    pick = device != nullptr ? DeviceChoice::Pick { list.routeVia(), device->name, device->description } : DeviceChoice::Pick();

    if (file != juce::File())
    {
        file.getParentDirectory().createDirectory();

        if (! choice.save (file.getFullPathName().toStdString()))
            juce::Logger::writeToLog ("Could not remember the chosen sound devices in " + file.getFullPathName());
    }

    sendSynchronousChangeMessage();
}

bool SoundDeviceSettings::isConnected (const DeviceChoice::Pick& pick, SoundDevice::Direction direction) const
{
    if (pick.isSystemDefault() || ! hasList())
        return true;

    if (pick.via != list.routeVia())
        return false;

    for (const auto& device : list.getDevices())
        if (device.direction == direction && device.name == pick.name)
            return true;

    return false;
}

const DeviceChoice::Pick& SoundDeviceSettings::pickInUse (SoundDevice::Direction direction) const
{
    const auto& pick = choice.pickFor (direction);
    return isConnected (pick, direction) ? pick : systemDefault;
}

juce::String SoundDeviceSettings::describe (SoundDevice::Direction direction) const
{
    const auto& pick = pickInUse (direction);

    if (! pick.isSystemDefault())
        return juce::String::fromUTF8 (pick.description.c_str());

    const auto* device = list.defaultDevice (direction);
    return device != nullptr ? juce::String::fromUTF8 (device->description.c_str()) : juce::String();
}

juce::String SoundDeviceSettings::getNotice (SoundDevice::Direction direction) const
{
    const auto& pick = choice.pickFor (direction);

    if (isConnected (pick, direction))
        return {};

    return (direction == SoundDevice::Direction::input ? "Your microphone " : "Your output ")
           + QuotedName::of (juce::String::fromUTF8 (pick.description.c_str()))
           + " is not connected: the system's default is used instead.";
}
