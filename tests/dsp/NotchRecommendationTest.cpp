#include "NotchRecommendation.h"
#include "PeakingCurve.h"
#include "SpectrumAnalysis.h"

#include <gtest/gtest.h>

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
    constexpr int32_t numValues = 16384;
    constexpr float hzPerIndex = 44100.0f / 16384.0f;
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

    // White noise through a room mode: a resonant peaking biquad at 44.1 kHz, settled first.
    std::vector<float> noiseThroughRoomMode (double modeHz, double gainDb, double q)
    {
        const double pi = 3.141592653589793;
        const double a = std::pow (10.0, gainDb / 40.0);
        const double w0 = 2.0 * pi * modeHz / 44100.0;
        const double alpha = std::sin (w0) / (2.0 * q);
        const double b0 = 1.0 + alpha * a, b1 = -2.0 * std::cos (w0), b2 = 1.0 - alpha * a;
        const double a0 = 1.0 + alpha / a, a1 = b1, a2 = 1.0 - alpha / a;

        std::mt19937 generator (3);
        std::uniform_real_distribution<double> distribution (-0.5, 0.5);
        std::vector<float> block (numValues);
        double x1 = 0.0, x2 = 0.0, y1 = 0.0, y2 = 0.0;

        for (int32_t i = -20000; i < numValues; ++i)
        {
            const double x = distribution (generator);
            const double y = (b0 * x + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2) / a0;
            x2 = x1;
            x1 = x;
            y2 = y1;
            y1 = y;

            if (i >= 0)
                block[static_cast<size_t> (i)] = static_cast<float> (y);
        }

        return block;
    }

    EqSettings recommendationForMeasured (const std::vector<float>& block)
    {
        DftAnalyzer dft;
        SpectrumArray raw;
        SpectrumArray smoothed;
        EXPECT_TRUE (dft.setup (numValues, 44100));
        EXPECT_TRUE (analyseBlock (dft, block.data(), raw, smoothed));

        std::vector<float> values (numValues);

        for (int32_t i = 0; i < numValues; ++i)
            values[static_cast<size_t> (i)] = smoothed.point (i).magnitude;

        return recommendNotch (values.data(), numValues, hzPerIndex);
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
    // About +-0.5 dB of ripple on a 10.5 dB room mode at 71 Hz.
    auto values = rippled (0.025f, 7);
    addPeakFor (values, { 5, 71, 4 });

    const auto setting = recommendNotch (values.data(), numValues, hzPerIndex);
    EXPECT_NEAR (setting.frequencyHz, 71, 1) << setting;
    EXPECT_NEAR (setting.qSetting, 5, 1) << setting;
    EXPECT_EQ (setting.depthSetting, 4) << setting;
}

TEST (NotchRecommendation, CutsARoomModeMeasuredThroughTheWholeAnalysis)
{
    const auto setting = recommendationForMeasured (noiseThroughRoomMode (80.0, 12.0, 5.0));
    EXPECT_NEAR (setting.frequencyHz, 80, 4) << setting;
    EXPECT_GE (setting.depthSetting, 3) << setting;

    EXPECT_EQ (recommendationForMeasured (noiseThroughRoomMode (80.0, 0.0, 5.0)), none) << "a room without the mode";
}

TEST (NotchRecommendation, LeavesAloneWhatOneBlockOfNoiseMakesOfAFlatRoom)
{
    // Measured white noise shows bumps of up to about 5 dB above the band's mean; none of them
    // is a room mode worth a notch.
    for (uint32_t seed = 1; seed <= 12; ++seed)
    {
        std::mt19937 generator (seed);
        std::uniform_real_distribution<float> distribution (-0.5f, 0.5f);
        std::vector<float> block (numValues);

        for (auto& sample : block)
            sample = distribution (generator);

        EXPECT_EQ (recommendationForMeasured (block), none) << "seed " << seed;
    }

    // Peaks a single noise block would show anyway: 1.5 dB at 199 Hz, 7.5 dB at 45 Hz where few
    // bins are smoothed together.
    for (const auto& peak : { EqSettings { 5, 199, 1 }, EqSettings { 6, 45, 3 } })
    {
        auto values = rippled (0.0f, 1);
        addPeakFor (values, peak);
        EXPECT_EQ (recommendNotch (values.data(), numValues, hzPerIndex), none) << peak;
    }
}

TEST (NotchRecommendation, CentresABroadHumpThatIsNoKnobSettingAtItsTop)
{
    std::vector<float> values (numValues, 0.0f);

    // A 9 dB bump a fifth of an octave wide around 150 Hz.
    for (int32_t i = 0; i < numValues; ++i)
    {
        const double octaves = std::log2 (std::max (i, 1) * hzPerIndex / 150.0);
        values[static_cast<size_t> (i)] = static_cast<float> (0.45 * std::exp (-octaves * octaves / (2.0 * 0.1 * 0.1)));
    }

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
