#pragma once

#include <cstdint>

// The bell of an analog second-order peaking filter, as the rear-panel EQ cuts:
// values are log10 |H| (dB / 20), every intermediate rounded to single precision.

constexpr int32_t peakingCurveSize = 16384;
constexpr float peakingCurveStepHz = 0.48828125f;

// Q of a Q step 1..6, 0 for any other step.
float peakingQ (int32_t qStep);

// Cut in dB of a depth step 1..6, 0 for any other step.
float peakingDepthDb (int32_t depthStep);

// The per-setting constants of the curve: m = 1 / (Q^2 G) and l = G^2, G the gain at the centre.
struct PeakingShape
{
    float m = 0.0f;
    float l = 1.0f;
    bool valid = false; // Q step 1..6; a Q of 0 leaves the formula undefined
};

PeakingShape makePeakingShape (int32_t qStep, int32_t depthStep);

// log10 |H| at frequencyHz. An invalid shape or a centre <= 0 Hz gives 0, no cut.
float peakingValue (const PeakingShape& shape, float frequencyHz, float centreHz);

// Writes the frequency step, then value i at i * step Hz for i = 0..16383 into out16384.
// Out-of-range Q step or centre give a flat curve of zeros and false; depth steps outside
// 1..6 are a cut of 0 dB, also zeros, but valid.
bool computePeakingCurve (int32_t qStep, float* out16384, float& frequencyStep, int32_t centreHz, int32_t depthStep);
