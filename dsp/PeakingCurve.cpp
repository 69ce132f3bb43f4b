#include "PeakingCurve.h"

#include <cmath>

float peakingQ (int32_t qStep)
{
    static constexpr float qs[] = { 60.0f, 40.0f, 25.0f, 17.5f, 12.5f, 7.5f };
    return qStep >= 1 && qStep <= 6 ? qs[qStep - 1] : 0.0f;
}

float peakingDepthDb (int32_t depthStep)
{
    static constexpr float depths[] = { -1.5f, -4.5f, -7.5f, -10.5f, -13.5f, -16.5f };
    return depthStep >= 1 && depthStep <= 6 ? depths[depthStep - 1] : 0.0f;
}

PeakingShape makePeakingShape (int32_t qStep, int32_t depthStep)
{
    const float q = peakingQ (qStep);
    const float depth = peakingDepthDb (depthStep);

    PeakingShape shape;

    if (q <= 0.0f)
        return shape;

    const float g = std::pow (10.0f, depth / 20.0f);
    const float halfBandwidth = 1.0f / (2.0f * q * std::sqrt (g));

    shape.l = g * g;
    shape.m = 4.0f * (halfBandwidth * halfBandwidth);
    shape.valid = true;
    return shape;
}

float peakingValue (const PeakingShape& shape, float frequencyHz, float centreHz)
{
    if (! shape.valid || ! (centreHz > 0.0f))
        return 0.0f;

    const float w = frequencyHz / centreHz;
    const float o = w * w;
    const float t = o * o - 2.0f * o;
    const float r = o * shape.m;
    return std::log10 (std::sqrt ((r * shape.l + t + 1.0f) / (r + t + 1.0f)));
}

bool computePeakingCurve (int32_t qStep, float* out16384, float& frequencyStep, int32_t centreHz, int32_t depthStep)
{
    frequencyStep = peakingCurveStepHz;

    if (out16384 == nullptr)
        return false;

    const PeakingShape shape = makePeakingShape (qStep, depthStep);
    const auto centre = static_cast<float> (centreHz);

    out16384[0] = 0.0f;

    for (int32_t i = 1; i < peakingCurveSize; ++i)
        out16384[i] = peakingValue (shape, static_cast<float> (i) * peakingCurveStepHz, centre);

    return shape.valid && centreHz > 0;
}
