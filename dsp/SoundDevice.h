#pragma once

#include <string>

// A sound input or output as the user's system names it.
struct SoundDevice
{
    enum class Direction { input, output };

    std::string name;         // what a stream is routed by: the sound server's name, or PortAudio's
    std::string description;  // what the system shows a person, e.g. "USB measurement microphone"
    Direction direction = Direction::input;
    bool isDefault = false;
    bool isMonitor = false;   // an input that records what one of the outputs plays
};
