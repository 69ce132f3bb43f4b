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

    // A cut has to remove at least this share of the band's squared deviation to be worth
    // dialling; less is within what ripple gives anyway.
    constexpr double minimumImprovement = 0.25;

    // A cut may be at most twice as deep as the response stands above the band mean at its
    // centre. Sampled on the measured axis, a narrow cut between two bins looks shallower than
    // it is; without this it would be offered for bumps well below the gentlest cut.
    constexpr float maximumCutPerExcess = 2.0f;

    // Two measurements of an unchanged room (looped noise, its steady blocks averaged) differ by
    // at most about 1 dB at any one frequency: 0.4 to 0.9 dB over 40..300 Hz, measured in virtual
    // rooms with their hiss 30 and 40 dB under the noise. A bump counts where it stands three such
    // differences above the band's median: a flat room's highest point stays under 1 dB, and a
    // mode 6 dB over the band is cut every time.
    constexpr float measurementScatterDb = 1.0f;
    constexpr float scattersAboveMedian = 3.0f;

    struct BandPoint
    {
        float frequencyHz;
        float value;
    };

    // The frequencies where the response stands out of what measuring again would change.
    std::vector<float> bumpsAboveScatter (const std::vector<BandPoint>& band)
    {
        std::vector<float> sorted;

        for (const auto& p : band)
            sorted.push_back (p.value);

        std::nth_element (sorted.begin(), sorted.begin() + static_cast<long> (sorted.size() / 2), sorted.end());
        const float medianDb = 20.0f * sorted[sorted.size() / 2];
        std::vector<float> bumps;

        for (const auto& p : band)
            if (20.0f * p.value - medianDb >= scattersAboveMedian * measurementScatterDb)
                bumps.push_back (p.frequencyHz);

        return bumps;
    }

    // The whole-Hz centres within a sixth of an octave of a bump that stands out: the only ones
    // a cut is tried at.
    std::vector<int32_t> centresNearBumps (const std::vector<float>& bumps)
    {
        const float halfThird = std::pow (2.0f, 1.0f / 6.0f);
        std::vector<int32_t> centres;

        for (int32_t centre = lowestHz; centre <= highestHz; ++centre)
        {
            const auto centreHz = static_cast<float> (centre);

            if (std::any_of (bumps.begin(), bumps.end(), [=] (float bump)
                             { return centreHz >= bump / halfThird && centreHz <= bump * halfThird; }))
                centres.push_back (centre);
        }

        return centres;
    }

    double squaredDeviation (const std::vector<BandPoint>& band, const PeakingShape* shape, float centreHz)
    {
        double sum = 0.0;
        double sumOfSquares = 0.0;

        for (const auto& p : band)
        {
            const double y = static_cast<double> (p.value)
                           + (shape != nullptr ? peakingValue (*shape, p.frequencyHz, centreHz) : 0.0f);
            sum += y;
            sumOfSquares += y * y;
        }

        return sumOfSquares - sum * sum / static_cast<double> (band.size());
    }

    // The level at centreHz above the band mean, interpolated between the band's points.
    float excessAt (const std::vector<BandPoint>& band, float mean, float centreHz, float hzPerIndex)
    {
        const float position = std::clamp ((centreHz - band.front().frequencyHz) / hzPerIndex,
                                           0.0f, static_cast<float> (band.size() - 1));
        const auto below = std::min (static_cast<size_t> (position), band.size() - 2);
        const float fraction = position - static_cast<float> (below);
        return band[below].value + fraction * (band[below + 1].value - band[below].value) - mean;
    }
}

EqSettings recommendNotch (const float* values, int32_t count, float hzPerIndex)
{
    const EqSettings none { 0, 0, 0 };

    if (values == nullptr || count <= 0 || ! (hzPerIndex > 0.0f) || ! std::isfinite (hzPerIndex))
        return none;

    std::vector<BandPoint> band;

    for (int32_t i = 0; i < count; ++i)
    {
        const float f = static_cast<float> (i) * hzPerIndex;

        if (f > static_cast<float> (highestHz))
            break;

        if (f < static_cast<float> (lowestHz))
            continue;

        if (! std::isfinite (values[i]))
            return none;

        band.push_back ({ f, values[i] });
    }

    if (band.size() < 3)
        return none;

    const auto centres = centresNearBumps (bumpsAboveScatter (band));

    if (centres.empty())
        return none;

    float mean = 0.0f;

    for (const auto& p : band)
        mean += p.value / static_cast<float> (band.size());

    const double uncorrected = squaredDeviation (band, nullptr, 0.0f);
    double best = uncorrected * (1.0 - minimumImprovement);
    EqSettings choice = none;

    for (int32_t q = 1; q <= numSteps; ++q)
    {
        for (int32_t depth = 1; depth <= numSteps; ++depth)
        {
            const PeakingShape shape = makePeakingShape (q, depth);

            const float cut = -peakingDepthDb (depth) / 20.0f;

            for (const int32_t centre : centres)
            {
                if (cut > maximumCutPerExcess * excessAt (band, mean, static_cast<float> (centre), hzPerIndex))
                    continue;

                const double deviation = squaredDeviation (band, &shape, static_cast<float> (centre));

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
