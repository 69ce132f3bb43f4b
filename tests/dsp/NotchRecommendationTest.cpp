#include "MeasurementContract.h"
#include "NotchRecommendation.h"
#include "PeakingCurve.h"
#include "SpectrumAnalysis.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <ostream>
#include <random>
#include <vector>

static std::ostream& operator<< (std::ostream& out, const EqSettings& s)
{
    return out << "{q " << s.qSetting << ", " << s.frequencyHz << " Hz, depth " << s.depthSetting << "}";
}

namespace
{
    constexpr int32_t numValues = MeasurementContract::blockLength;
    constexpr float hzPerIndex = static_cast<float> (MeasurementContract::binWidthHz);
    const EqSettings none { 0, 0, 0 };

    // A measured response with ripple of the given size (dB / 20) and nothing else.
    std::vector<float> rippled (float ripple, uint32_t seed)
    {
        std::mt19937 generator (seed);
        std::uniform_real_distribution<float> distribution (-ripple, ripple);
        std::vector<float> values (numValues);

        for (auto& v : values)
            v = distribution (generator);

        return values;
    }

    // What the program measures of a room with one mode (a resonant peaking biquad at 44.1 kHz):
    // a looped block of noise heard in steady state, with the room's hiss 30 dB under it, the
    // mean spectrum of a few blocks over the played one's, through the whole analysis.
    EqSettings recommendationForMeasured (double modeHz, double gainDb, double q)
    {
        const double pi = 3.141592653589793;
        const double a = std::pow (10.0, gainDb / 40.0);
        const double w0 = 2.0 * pi * modeHz / static_cast<double> (MeasurementContract::sampleRate);
        const double alpha = std::sin (w0) / (2.0 * q);
        const double b0 = 1.0 + alpha * a, b1 = -2.0 * std::cos (w0), b2 = 1.0 - alpha * a;
        const double a0 = 1.0 + alpha / a, a1 = b1, a2 = 1.0 - alpha / a;

        std::mt19937 generator (3);
        std::uniform_real_distribution<float> noise (-1.0f, 1.0f);
        std::uniform_real_distribution<float> hiss (-0.03f, 0.03f);
        std::vector<float> played (numValues);

        for (auto& x : played)
            x = noise (generator);

        DftAnalyzer dft;
        SpectrumArray playedSpectrum, block, captured, smoothed;
        EXPECT_TRUE (dft.setup (numValues, MeasurementContract::sampleRate));
        EXPECT_TRUE (block.allocate (numValues) && captured.allocate (numValues) && playedSpectrum.allocate (numValues));
        dft.transform (played.data(), playedSpectrum);

        double x1 = 0.0, x2 = 0.0, y1 = 0.0, y2 = 0.0;
        std::vector<float> heard (numValues);
        constexpr int blocksKept = 3;

        for (int period = 0; period < 2 + blocksKept; ++period)
        {
            for (int32_t i = 0; i < numValues; ++i)
            {
                const double x = played[static_cast<size_t> (i)];
                const double y = (b0 * x + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2) / a0;
                x2 = x1;
                x1 = x;
                y2 = y1;
                y1 = y;
                heard[static_cast<size_t> (i)] = static_cast<float> (y) + hiss (generator);
            }

            if (period < 2)
                continue; // the room settles

            dft.transform (heard.data(), block);

            for (int32_t i = 0; i < numValues / 2; ++i)
                captured.point (i) = { captured.point (i).magnitude + block.point (i).magnitude / blocksKept, 0.0f,
                                       block.point (i).frequency };
        }

        EXPECT_TRUE (analyseResponse (captured, playedSpectrum, smoothed));
        std::vector<float> values (numValues);

        for (int32_t i = 0; i < numValues; ++i)
            values[static_cast<size_t> (i)] = smoothed.point (i).magnitude;

        return recommendNotch (values.data(), numValues, hzPerIndex);
    }

    // A bump of heightDb at hz, a Gaussian in octaves whose deviation is `octaves` wide.
    std::vector<float> bump (double hz, double heightDb, double octaves)
    {
        std::vector<float> values (numValues, 0.0f);

        for (int32_t i = 0; i < numValues; ++i)
        {
            const double distance = std::log2 (std::max (i, 1) * hzPerIndex / hz) / octaves;
            values[static_cast<size_t> (i)] = static_cast<float> (heightDb / 20.0 * std::exp (-distance * distance / 2.0));
        }

        return values;
    }

    // Adds the mirror image of a knob setting's cut: the peak that setting exactly removes.
    void addPeakFor (std::vector<float>& values, const EqSettings& s)
    {
        const auto shape = makePeakingShape (s.qSetting, s.depthSetting);

        for (int32_t i = 0; i < numValues; ++i)
            values[static_cast<size_t> (i)] -= peakingValue (shape, static_cast<float> (i) * hzPerIndex, static_cast<float> (s.frequencyHz));
    }
}

TEST (NotchRecommendation, FindsTheSettingThatExactlyRemovesANotchShapedPeak)
{
    for (const auto& peak : { EqSettings { 6, 125, 6 }, EqSettings { 3, 57, 4 }, EqSettings { 1, 270, 2 }, EqSettings { 4, 40, 5 },
                              EqSettings { 2, 280, 3 }, EqSettings { 5, 199, 3 } })
    {
        auto values = rippled (0.0f, 1);
        addPeakFor (values, peak);
        EXPECT_EQ (recommendNotch (values.data(), numValues, hzPerIndex), peak) << peak;
    }
}

TEST (NotchRecommendation, FindsAPeakUnderMeasurementRipple)
{
    // About +-0.5 dB of ripple, more than measuring again changes, on a 10.5 dB room mode at 71 Hz.
    auto values = rippled (0.025f, 7);
    addPeakFor (values, { 5, 71, 4 });

    const auto setting = recommendNotch (values.data(), numValues, hzPerIndex);
    EXPECT_NEAR (setting.frequencyHz, 71, 1) << setting;
    EXPECT_NEAR (setting.qSetting, 5, 1) << setting;
    EXPECT_EQ (setting.depthSetting, 4) << setting;
}

TEST (NotchRecommendation, CutsARoomModeMeasuredThroughTheWholeAnalysisAndLeavesAFlatRoomAlone)
{
    const auto setting = recommendationForMeasured (80.0, 12.0, 5.0);
    EXPECT_NEAR (setting.frequencyHz, 80, 2) << setting;
    EXPECT_GE (setting.depthSetting, 4) << setting;

    EXPECT_EQ (recommendationForMeasured (80.0, 0.0, 5.0), none) << "a room without the mode";
}

TEST (NotchRecommendation, CutsEveryBumpSixDecibelsOverTheBandAndNoneThatMeasuringAgainCouldMake)
{
    // Wherever it lies, also at the low end where few bins are smoothed together.
    for (const double hz : { 45.0, 65.0, 140.0, 250.0 })
        for (const double octaves : { 0.1, 0.3 })
        {
            const auto values = bump (hz, 6.0, octaves);
            EXPECT_NE (recommendNotch (values.data(), numValues, hzPerIndex), none) << hz << " Hz, " << octaves << " octave";
        }

    for (const double hz : { 45.0, 65.0, 199.0 })
    {
        const auto values = bump (hz, 2.5, 0.2);
        EXPECT_EQ (recommendNotch (values.data(), numValues, hzPerIndex), none) << hz << " Hz";
    }
}

TEST (NotchRecommendation, CentresABroadHumpThatIsNoKnobSettingAtItsTop)
{
    // A 9 dB bump a fifth of an octave wide around 150 Hz.
    const auto values = bump (150.0, 9.0, 0.1);

    const auto setting = recommendNotch (values.data(), numValues, hzPerIndex);
    EXPECT_NEAR (setting.frequencyHz, 150, 3) << setting;
    EXPECT_GE (setting.depthSetting, 3) << setting;
    EXPECT_GE (setting.qSetting, 4) << "a broad hump wants a broad cut: " << setting;
}

TEST (NotchRecommendation, RecommendsNothingForAFlatOrMerelyRippledResponse)
{
    const auto flat = rippled (0.0f, 1);
    EXPECT_EQ (recommendNotch (flat.data(), numValues, hzPerIndex), none);

    for (uint32_t seed = 1; seed <= 3; ++seed)
    {
        const auto values = rippled (0.03f, seed);
        EXPECT_EQ (recommendNotch (values.data(), numValues, hzPerIndex), none) << "seed " << seed;
    }

    // Eight equal +-2 dB waves across the band: no single cut is worth it.
    std::vector<float> wavy (numValues, 0.0f);
    for (int32_t i = 1; i < numValues; ++i)
        wavy[static_cast<size_t> (i)] = static_cast<float> (0.1 * std::sin (2.0 * 3.141592653589793 * 3.0 * std::log2 (i * hzPerIndex / 40.0)));
    EXPECT_EQ (recommendNotch (wavy.data(), numValues, hzPerIndex), none);

    // A peak smaller than the gentlest cut: cutting would dig a hole instead.
    auto small = rippled (0.0f, 1);
    for (int32_t i = 50; i < 56; ++i)
        small[static_cast<size_t> (i)] = 0.02f;
    EXPECT_EQ (recommendNotch (small.data(), numValues, hzPerIndex), none);
}

TEST (NotchRecommendation, RecommendsNothingForInputItCannotJudge)
{
    auto values = rippled (0.0f, 1);
    addPeakFor (values, { 3, 100, 4 });

    EXPECT_EQ (recommendNotch (nullptr, numValues, hzPerIndex), none);
    EXPECT_EQ (recommendNotch (values.data(), 0, hzPerIndex), none);
    EXPECT_EQ (recommendNotch (values.data(), numValues, 0.0f), none);
    EXPECT_EQ (recommendNotch (values.data(), numValues, std::numeric_limits<float>::quiet_NaN()), none);
    EXPECT_EQ (recommendNotch (values.data(), 15, hzPerIndex), none) << "the band barely begins";

    values[60] = -std::numeric_limits<float>::infinity();
    EXPECT_EQ (recommendNotch (values.data(), numValues, hzPerIndex), none);
}

TEST (NotchRecommendation, IgnoresWhatLiesOutsideTheBand)
{
    auto values = rippled (0.0f, 1);
    addPeakFor (values, { 3, 100, 4 });
    values[5] = std::numeric_limits<float>::quiet_NaN();
    values[8192] = -std::numeric_limits<float>::infinity();
    values[3000] = 5.0f;

    EXPECT_EQ (recommendNotch (values.data(), numValues, hzPerIndex), (EqSettings { 3, 100, 4 }));
}

TEST (NotchRecommendation, CutsABassModeAtItsOwnFrequencyHoweverRoughTheBandAboveItAndNeverADip)
{
    // As a room that rings: a mode at 40..50 Hz standing 6 to 9 dB over the band's median, while
    // the band above 100 Hz, most of its bins, swings by +-5 dB. Counted per hertz, the swings
    // outweigh the mode; counted per octave, as ears do, the mode is what a notch is for.
    for (const double modeHz : { 41.5, 45.0, 49.0 })
        for (const double heightDb : { 6.5, 9.0 })
        {
            auto values = bump (modeHz, heightDb, 0.08);

            for (int32_t i = 1; i < numValues; ++i)
            {
                const double hz = i * hzPerIndex;

                if (hz > 100.0)
                    values[static_cast<size_t> (i)] += static_cast<float> (0.25 * std::sin (2.0 * 3.141592653589793 * hz / 23.0));
            }

            const auto setting = recommendNotch (values.data(), numValues, hzPerIndex);
            EXPECT_NEAR (setting.frequencyHz, modeHz, 0.05 * modeHz) << modeHz << " Hz, " << heightDb << " dB: " << setting;
        }

    // Deep dips and nothing standing out: no cut, least of all at a dip.
    auto dips = bump (60.0, -18.0, 0.05);
    const auto more = bump (150.0, -14.0, 0.05);

    for (size_t i = 0; i < dips.size(); ++i)
        dips[i] += more[i];

    EXPECT_EQ (recommendNotch (dips.data(), numValues, hzPerIndex), none);
}
