#pragma once

#include <vector>

// What a room's impulse responses show: the figures virtual rooms are chosen by and checked with.
struct RoomFigures
{
    // After the program's analysis (smoothed, as measured): the highest point within 40..280 Hz
    // and its height over the median of that band.
    double bumpHz = 0.0, bumpDb = 0.0;
    // Before smoothing: the lowest bin within 40..280 Hz, below the mean of the band's levels.
    double dipHz = 0.0, dipDb = 0.0;
    // T30 from the Schroeder integral of the response in the octaves around 63 and 125 Hz.
    double reverb63 = 0.0, reverb125 = 0.0;
    // The largest sample of the last 4096, under the largest of all.
    double tailDb = 0.0;

    static RoomFigures of (const std::vector<float>& impulse);

    // T30 of the octave band around centreHz, in seconds (0 when the decay is too short to fit).
    static double reverberation (const std::vector<float>& impulse, double centreHz);

    // The power mean of |H| over the bins within 40..280 Hz.
    static double bandGain (const std::vector<float>& impulse);
};
