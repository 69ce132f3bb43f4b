#pragma once

#include "SoundDeviceList.h"

#include <juce_core/juce_core.h>

// What --list-devices prints, and what a device name that no device has is answered with.
class DeviceListText final
{
public:
    // The inputs, then the outputs, one a line with its name and description, the system's
    // default marked with a star.
    static juce::String of (const SoundDeviceList& list);
};
