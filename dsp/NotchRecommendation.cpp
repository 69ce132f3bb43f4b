#include "NotchRecommendation.h"

#include "PeakingCurve.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace
{
    constexpr int32_t lowestHz = 40;
    constexpr int32_t highestHz = 280;
    constexpr int32_t numSteps = 6;

    // A mode this far over the band's median is always cut, at its own frequency.
    constexpr float strongModeDb = 6.0f;
    constexpr float strongModeReach = 0.05f;

    // A smaller cut has to remove at least this share of the band's squared deviation to be
    // worth dialling; less is within what ripple gives anyway.
    constexpr double minimumImprovement = 0.25;

    // A cut may be at most twice as deep as the response stands above the median at its centre.
    constexpr float maximumCutPerExcess = 2.0f;

    // Two measurements of an unchanged room differ by well under 1 dB at any one frequency. A
    // bump counts where it stands three such differences above the band's median.
    constexpr float measurementScatterDb = 1.0f;
    constexpr float scattersAboveMedian = 3.0f;

    // A bin of the band and its weight: its share of the band on a logarithmic frequency axis,
    // its width over its frequency.
    struct BandPoint
    {
        float frequencyHz;
        float value;
        double weight;
    };

    float levelAt (const float* values, int32_t count, float hzPerIndex, float hz)
    {
        const float position = hz / hzPerIndex;
        const auto below = std::clamp (static_cast<int32_t> (position), 0, count - 2);
        const float fraction = position - static_cast<float> (below);
        return values[below] + fraction * (values[below + 1] - values[below]);
    }

    // A peak of the response between two bins: the vertex of the parabola through the three
    // bins around a local maximum, its frequency and its level.
    struct Peak
    {
        float hz;
        float value;
    };

    Peak peakBetweenBins (const float* values, int32_t i, float hzPerIndex)
    {
        const float left = values[i - 1], centre = values[i], right = values[i + 1];
        const float curvature = left - 2.0f * centre + right;

        if (! (curvature < 0.0f))
            return { static_cast<float> (i) * hzPerIndex, centre };

        const float offset = std::clamp (0.5f * (left - right) / curvature, -0.5f, 0.5f);
        const float slope = 0.5f * (right - left);
        return { (static_cast<float> (i) + offset) * hzPerIndex, centre + slope * offset + 0.5f * curvature * offset * offset };
    }

    double squaredDeviation (const std::vector<BandPoint>& band, const PeakingShape* shape, float centreHz)
    {
        double sum = 0.0, sumOfSquares = 0.0, weights = 0.0;

        for (const auto& p : band)
        {
            const double y = static_cast<double> (p.value)
                           + (shape != nullptr ? peakingValue (*shape, p.frequencyHz, centreHz) : 0.0f);
            sum += p.weight * y;
            sumOfSquares += p.weight * y * y;
            weights += p.weight;
        }

        return sumOfSquares - sum * sum / weights;
    }

    // The level that half the band, by weight, lies under.
    float medianOf (std::vector<BandPoint> band)
    {
        std::sort (band.begin(), band.end(), [] (const BandPoint& a, const BandPoint& b) { return a.value < b.value; });
        double total = 0.0, below = 0.0;

        for (const auto& p : band)
            total += p.weight;

        for (const auto& p : band)
            if ((below += p.weight) >= 0.5 * total)
                return p.value;

        return band.back().value;
    }

    std::vector<int32_t> centresWithin (const std::vector<float>& peaks, float lowFactor, float highFactor)
    {
        std::vector<int32_t> centres;

        for (int32_t centre = lowestHz; centre <= highestHz; ++centre)
        {
            const auto hz = static_cast<float> (centre);

            if (std::any_of (peaks.begin(), peaks.end(), [=] (float peak) { return hz >= peak * lowFactor && hz <= peak * highFactor; }))
                centres.push_back (centre);
        }

        return centres;
    }
}

EqSettings recommendNotch (const float* values, int32_t count, float hzPerIndex)
{
    const EqSettings none { 0, 0, 0 };

    if (values == nullptr || ! (hzPerIndex > 0.0f) || ! std::isfinite (hzPerIndex)
        || static_cast<float> (count - 2) * hzPerIndex < static_cast<float> (highestHz) * 1.1f)
        return none;

    const auto firstBin = static_cast<int32_t> (std::floor (static_cast<float> (lowestHz) / hzPerIndex));
    const auto lastBin = static_cast<int32_t> (std::ceil (static_cast<float> (highestHz) / hzPerIndex));

    for (int32_t i = std::max (firstBin - 1, 0); i <= lastBin + 1; ++i)
        if (! std::isfinite (values[i]))
            return none;

    if (lastBin - firstBin < 4)
        return none;

    std::vector<BandPoint> band;

    for (int32_t i = firstBin; i <= lastBin; ++i)
    {
        const float hz = static_cast<float> (i) * hzPerIndex;

        if (hz >= static_cast<float> (lowestHz) && hz <= static_cast<float> (highestHz))
            band.push_back ({ hz, values[i], 1.0 / i });
    }

    const float median = medianOf (band);

    // The response's peaks inside the band, and those that stand out.
    std::vector<float> strongPeaks, bumps;

    for (int32_t i = std::max (firstBin, 1); i <= lastBin; ++i)
    {
        if (values[i] < values[i - 1] || values[i] < values[i + 1])
            continue;

        const auto peak = peakBetweenBins (values, i, hzPerIndex);
        const float excessDb = 20.0f * (peak.value - median);

        if (peak.hz < static_cast<float> (lowestHz) || peak.hz > static_cast<float> (highestHz))
            continue;

        if (excessDb >= strongModeDb)
            strongPeaks.push_back (peak.hz);

        if (excessDb >= scattersAboveMedian * measurementScatterDb)
            bumps.push_back (peak.hz);
    }

    // A strong mode is cut at its own frequency; a lesser bump anywhere within a sixth of an octave.
    const bool strong = ! strongPeaks.empty();
    const float sixth = std::pow (2.0f, 1.0f / 6.0f);
    const auto centres = strong ? centresWithin (strongPeaks, 1.0f - strongModeReach, 1.0f + strongModeReach)
                                : centresWithin (bumps, 1.0f / sixth, sixth);

    if (centres.empty())
        return none;

    const double uncorrected = squaredDeviation (band, nullptr, 0.0f);
    double best = strong ? uncorrected : uncorrected * (1.0 - minimumImprovement);
    EqSettings choice = none;

    for (int32_t q = 1; q <= numSteps; ++q)
    {
        for (int32_t depth = 1; depth <= numSteps; ++depth)
        {
            const PeakingShape shape = makePeakingShape (q, depth);
            const float cut = -peakingDepthDb (depth) / 20.0f;

            for (const int32_t centre : centres)
            {
                const auto centreHz = static_cast<float> (centre);

                if (cut > maximumCutPerExcess * (levelAt (values, count, hzPerIndex, centreHz) - median))
                    continue;

                const double deviation = squaredDeviation (band, &shape, centreHz);

                if (deviation < best)
                {
                    best = deviation;
                    choice = { q, centre, depth };
                }
            }
        }
    }

    return choice;
}
