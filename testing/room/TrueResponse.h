#pragma once

#include "MeasurementContract.h"

#include <vector>

// The response a measurement of a room should give, from the room's impulse responses. The test
// noise repeats every analysisLength samples, so in steady state each analysis bin hears the whole
// impulse response's DTFT there: the response folded modulo analysisLength, transformed.
namespace TrueResponse
{
    constexpr int analysisLength = MeasurementContract::blockLength;
    constexpr int sampleRate = MeasurementContract::sampleRate;

    // |H| at bins 0..analysisLength/2 - 1 of an impulse response (any length).
    std::vector<double> binMagnitudes (const std::vector<float>& impulse);

    // The sum of two impulse responses (both speakers play the same block); the longer one's length.
    std::vector<float> sum (const std::vector<float>& a, const std::vector<float>& b);

    // The magnitudes through the program's own analysis (smoothing, dB, 40..280 Hz normalisation,
    // dB / 20): analysisLength values in a measurement record's units. Empty if it gives none.
    std::vector<float> curve (const std::vector<double>& magnitudes);
}
