#pragma once

#include <string>

// Where a stream of a run goes. Through a sound server the device is named to ALSA's pulse plugin
// as the stream opens, so nothing process-wide (no environment variable) changes; without one,
// the device is PortAudio's of that name.
struct AudioRoute
{
    enum class Via { systemDefault, soundServer, portAudio };

    Via via = Via::systemDefault;
    std::string device;  // empty for the system's default

    bool operator== (const AudioRoute& other) const { return via == other.via && device == other.device; }
};
