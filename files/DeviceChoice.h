#pragma once

#include "AudioRoute.h"
#include "SoundDevice.h"

#include <cstdint>
#include <string>
#include <string_view>

// The microphone and the output chosen in the program, remembered between runs in a small text
// file of their own. A pick without a name is the system's default.
class DeviceChoice final
{
public:
    struct Pick
    {
        AudioRoute::Via via = AudioRoute::Via::systemDefault;
        std::string name;
        std::string description;

        bool isSystemDefault() const { return name.empty(); }
        AudioRoute route() const { return isSystemDefault() ? AudioRoute() : AudioRoute { via, name }; }
        bool operator== (const Pick& other) const { return via == other.via && name == other.name; }
    };

    Pick input;
    Pick output;

    Pick& pickFor (SoundDevice::Direction direction) { return direction == SoundDevice::Direction::input ? input : output; }
    const Pick& pickFor (SoundDevice::Direction direction) const { return direction == SoundDevice::Direction::input ? input : output; }

    // Names and descriptions are escaped (EscapedText), so that they read back exactly.
    std::string serialise() const;

    // Lines it does not understand are skipped: at worst a device is the default again.
    static DeviceChoice parse (std::string_view text);

    // Two picks take a few hundred bytes: a larger file is not ours.
    static constexpr std::uintmax_t largestFile = 64 * 1024;

    // The defaults when there is no file, it cannot be read or it is no file of a sensible size.
    static DeviceChoice load (const std::string& path);

    // Atomically; false if the file could not be written.
    bool save (const std::string& path) const;
};
