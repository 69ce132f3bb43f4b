#pragma once

#include <string>

// libpulse lets PULSE_LATENCY_MSEC replace the buffering that every stream of the process asks
// for. Through ALSA's pulse plugin a value below about a quarter of a second leaves the output's
// queue too short for PortAudio's host buffers: the output never starts playing, its server alive
// all the while. The program sizes its streams' buffers itself (0.2 s), so it takes the variable
// out of its own environment before anything reads it.
class LatencyOverride final
{
public:
    // Removes PULSE_LATENCY_MSEC from the process's environment and returns the value it had,
    // empty if it was not set. Changes the environment: call before any other thread runs.
    static std::string removeFromEnvironment();

    static constexpr const char* variable = "PULSE_LATENCY_MSEC";
};
