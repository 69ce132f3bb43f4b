#pragma once

#include <vector>

// Plays into a sound server's default output and records its default input at the same time,
// through libpulse, with the times both streams ran at: what a test or the room check hears of
// a virtual room (PULSE_SERVER chooses the server).
class RoomListener final
{
public:
    static constexpr int sampleRate = 44100;

    struct Take
    {
        std::vector<float> recorded; // mono, from shortly before the playback starts
        // Wall-clock seconds (CLOCK_MONOTONIC) at which frame 0 of each stream passed the
        // server: played frame i sounds at playOffset + i / rate, recorded frame j was captured
        // at recordOffset + j / rate.
        double playOffset = 0.0, recordOffset = 0.0;
        bool ok = false;
    };

    // Plays a second of silence, then frames (interleaved stereo), then tailSeconds of silence,
    // and records throughout. Not ok if the server could not be reached.
    static Take playAndRecord (const std::vector<float>& frames, double tailSeconds);
};
