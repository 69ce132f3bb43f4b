#pragma once

#include "SpectrumArray.h"

#include <vector>

// A measurement microphone's own response, taken out of what it measured: its level in dB at
// rising frequencies above 0 Hz (as its calibration file gives them), interpolated on a log
// frequency axis between them and held flat beyond the first and the last.
class MicrophoneCorrection final
{
public:
    // A perfect microphone: nothing to take out.
    MicrophoneCorrection() = default;

    // hz rising and above 0, one level per frequency (the calibration reader makes sure).
    MicrophoneCorrection (std::vector<double> hz, std::vector<double> db);

    bool isNone() const { return hz.empty(); }

    // The microphone's level at a frequency; 0 dB for a perfect one.
    double levelDbAt (double frequency) const;

    // Divides every point's magnitude by the microphone's gain at the point's frequency, so that
    // what is left is the room's own; returns the gains.
    SpectrumArray& removeFrom (SpectrumArray& gains) const;

private:
    std::vector<double> hz;
    std::vector<double> db;
};
