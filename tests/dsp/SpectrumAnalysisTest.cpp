#include "MeasurementContract.h"
#include "SpectrumAnalysis.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

namespace
{
    constexpr int32_t fullSize = MeasurementContract::blockLength;
    constexpr float hzPerBin = static_cast<float> (MeasurementContract::binWidthHz);
    constexpr float minusInfinity = -std::numeric_limits<float>::infinity();

    // A raw array as the transform leaves it: bins below n/2 written, the rest unwritten.
    void fillRaw (SpectrumArray& raw, float magnitude)
    {
        ASSERT_TRUE (raw.allocate (fullSize));

        for (int32_t i = 0; i < fullSize / 2; ++i)
            raw.point (i) = { magnitude, 0.0f, static_cast<float> (i) * hzPerBin };
    }

    // Decibel levels on the bin frequencies, as the normalisation sees them.
    void fillLevels (SpectrumArray& spectrum, float level)
    {
        ASSERT_TRUE (spectrum.allocate (fullSize));

        for (int32_t i = 1; i < fullSize / 2; ++i)
            spectrum.point (i) = { level, 0.0f, static_cast<float> (i) * hzPerBin };
    }
}

TEST (Smoothing, BinOneIsItsOwnMagnitudeBecauseItsWindowHoldsNoOtherBin)
{
    SpectrumArray raw;
    fillRaw (raw, 1.0f);
    raw.point (1).magnitude = 7.0f;
    raw.point (2).magnitude = 100.0f;
    raw.point (0).magnitude = 100.0f;

    SpectrumArray smoothed;
    smoothSpectrum (raw, smoothed);

    EXPECT_EQ (smoothed.point (1).magnitude, 7.0f);
    EXPECT_EQ (smoothed.point (1).frequency, hzPerBin);
}

TEST (Smoothing, AveragesOverATenthOfADecadeAroundEachBin)
{
    SpectrumArray raw;
    fillRaw (raw, 0.0f);
    // Bin 100 (269.2 Hz) sees 240.0 .. 302.0 Hz: bins 90..112. Bin 89 and 113 lie outside.
    raw.point (89).magnitude = 1000.0f;
    raw.point (113).magnitude = 1000.0f;
    raw.point (90).magnitude = 24.0f;

    SpectrumArray smoothed;
    smoothSpectrum (raw, smoothed);

    // Bins 90..100 downward (11), 100..112 upward (13): 24 terms, bin 100 counted twice.
    EXPECT_FLOAT_EQ (smoothed.point (100).magnitude, 1.0f);
    EXPECT_EQ (smoothed.point (0).frequency, -1.0f) << "point 0 is never written";
}

TEST (Smoothing, TopBinsRunOnOverTheUnwrittenUpperHalfCountingZeros)
{
    SpectrumArray raw;
    fillRaw (raw, 1.0f);

    SpectrumArray smoothed;
    smoothSpectrum (raw, smoothed);

    // Bin 8191: downward bins 7301..8191 (891 terms); upward bin 8191 and the 8192 unwritten points.
    EXPECT_FLOAT_EQ (smoothed.point (8191).magnitude, 892.0f / (891.0f + 8193.0f));
    EXPECT_FLOAT_EQ (smoothed.point (4000).magnitude, 1.0f) << "a bin whose window ends below n/2";
}

TEST (Smoothing, PointsAboveHalfTheSizeGetZeroAndStayUnwrittenInFrequency)
{
    SpectrumArray raw;
    fillRaw (raw, 1.0f);

    SpectrumArray smoothed;
    smoothSpectrum (raw, smoothed);

    EXPECT_EQ (smoothed.size(), fullSize);

    for (int32_t i = fullSize / 2; i < fullSize; ++i)
    {
        ASSERT_EQ (smoothed.point (i).magnitude, 0.0f) << i;
        ASSERT_EQ (smoothed.point (i).frequency, -1.0f) << i;
    }
}

TEST (Decibels, ConvertEveryPointButZeroWhichBecomesZero)
{
    SpectrumArray spectrum;
    ASSERT_TRUE (spectrum.allocate (4));
    spectrum.point (0).magnitude = 123.0f;
    spectrum.point (1).magnitude = 10.0f;
    spectrum.point (2).magnitude = 0.0f;
    spectrum.point (3).magnitude = 0.1f;

    toDecibels (spectrum);

    EXPECT_EQ (spectrum.point (0).magnitude, 0.0f);
    EXPECT_FLOAT_EQ (spectrum.point (1).magnitude, 20.0f);
    EXPECT_EQ (spectrum.point (2).magnitude, minusInfinity);
    EXPECT_FLOAT_EQ (spectrum.point (3).magnitude, -20.0f);
}

TEST (BandNormalisation, TakesBins15To105AndNotTheirNeighbours)
{
    // 91 bins in the band: a level of 91 on a single bin moves the mean by exactly 1 dB.
    for (const auto& [bin, expectedMean] : { std::pair { 15, 1.0f }, { 105, 1.0f }, { 14, 0.0f }, { 106, 0.0f } })
    {
        SpectrumArray spectrum;
        fillLevels (spectrum, 0.0f);
        spectrum.point (bin).magnitude = 91.0f;
        spectrum.point (2000).magnitude = 5.0f;

        ASSERT_TRUE (normaliseToBand (spectrum, 40.0f, 280.0f));

        EXPECT_FLOAT_EQ (spectrum.point (60).magnitude, -expectedMean) << "bin " << bin;
        EXPECT_FLOAT_EQ (spectrum.point (2000).magnitude, 5.0f - expectedMean) << "every point is shifted";
        EXPECT_FLOAT_EQ (spectrum.point (0).magnitude, -expectedMean) << "point 0 too";
    }
}

TEST (BandNormalisation, RefusesANonFiniteMeanAndLeavesTheLevelsAsTheyWere)
{
    for (float bad : { minusInfinity, std::numeric_limits<float>::quiet_NaN() })
    {
        SpectrumArray spectrum;
        fillLevels (spectrum, 3.0f);
        spectrum.point (50).magnitude = bad;

        EXPECT_FALSE (normaliseToBand (spectrum, 40.0f, 280.0f));
        EXPECT_EQ (spectrum.point (20).magnitude, 3.0f);
    }

    SpectrumArray empty;
    EXPECT_FALSE (normaliseToBand (empty, 40.0f, 280.0f));
}

TEST (BandNormalisation, LevelsAboveHalfTheSizeStayMinusInfinity)
{
    SpectrumArray spectrum;
    fillLevels (spectrum, 2.0f);
    spectrum.point (9000).magnitude = minusInfinity;

    ASSERT_TRUE (normaliseToBand (spectrum, 40.0f, 280.0f));
    EXPECT_EQ (spectrum.point (9000).magnitude, minusInfinity);
}

TEST (RangeScaling, MapsPlusMinusTwentyDecibelsOntoPlusMinusOne)
{
    SpectrumArray spectrum;
    ASSERT_TRUE (spectrum.allocate (3));
    spectrum.point (0).magnitude = 20.0f;
    spectrum.point (1).magnitude = -6.0f;
    spectrum.point (2).magnitude = minusInfinity;

    scaleRange (spectrum, -20.0f, -1.0f, 20.0f, 1.0f);

    EXPECT_FLOAT_EQ (spectrum.point (0).magnitude, 1.0f);
    EXPECT_FLOAT_EQ (spectrum.point (1).magnitude, -0.3f);
    EXPECT_EQ (spectrum.point (2).magnitude, minusInfinity);

    scaleRange (spectrum, 5.0f, -1.0f, 5.0f, 1.0f);
    EXPECT_FLOAT_EQ (spectrum.point (0).magnitude, 1.0f) << "an empty input range changes nothing";
}

TEST (ResponseAnalysis, GivesTheRoomsOwnGainWhateverLevelTheNoiseGaveEachBin)
{
    // A room with a 12 dB bump at 65 Hz, heard through two different blocks of noise: each bin's
    // level is random, but what was heard is always the room's gain times what was played.
    const auto gainAt = [] (int32_t i)
    {
        const double octaves = std::log2 (std::max (i, 1) * hzPerBin / 65.0);
        return static_cast<float> (std::pow (10.0, 0.6 * std::exp (-octaves * octaves / 0.02)));
    };

    const auto analyse = [&] (uint32_t seed)
    {
        std::mt19937 generator (seed);
        std::uniform_real_distribution<float> level (0.01f, 2.0f);
        SpectrumArray captured, played, smoothed;
        fillRaw (captured, 0.0f);
        fillRaw (played, 0.0f);

        for (int32_t i = 0; i < fullSize / 2; ++i)
        {
            played.point (i).magnitude = seed == 0 ? 1.0f : level (generator);
            captured.point (i).magnitude = played.point (i).magnitude * gainAt (i);
        }

        EXPECT_TRUE (analyseResponse (captured, played, smoothed));
        std::vector<float> values;

        for (int32_t i = 0; i < fullSize; ++i)
            values.push_back (smoothed.point (i).magnitude);

        return values;
    };

    const auto room = analyse (0);
    const auto first = analyse (1);
    const auto second = analyse (2);

    for (int32_t i = 1; i < fullSize / 2; ++i)
    {
        ASSERT_NEAR (first[static_cast<size_t> (i)], room[static_cast<size_t> (i)], 1e-5f) << "bin " << i;
        ASSERT_NEAR (second[static_cast<size_t> (i)], room[static_cast<size_t> (i)], 1e-5f) << "bin " << i;
    }

    // 64.6 Hz, the bin nearest the bump, stands about 9 dB over the 40..280 Hz mean after smoothing.
    const auto peak = std::max_element (room.begin() + 15, room.begin() + 106) - room.begin();
    EXPECT_EQ (peak, 24);
    EXPECT_NEAR (20.0f * room[24], 9.0f, 1.5f);

    for (int32_t i = fullSize / 2; i < fullSize; ++i)
        ASSERT_EQ (room[static_cast<size_t> (i)], minusInfinity) << i;
}

TEST (ResponseAnalysis, SilenceAndMismatchedSpectraGiveNoResponseAndANeverPlayedBinNoNumberTrouble)
{
    SpectrumArray played, smoothed;
    fillRaw (played, 1.0f);

    SpectrumArray silence;
    fillRaw (silence, 0.0f);
    EXPECT_FALSE (analyseResponse (silence, played, smoothed));

    SpectrumArray shorter;
    ASSERT_TRUE (shorter.allocate (fullSize / 2));
    EXPECT_FALSE (analyseResponse (shorter, played, smoothed));

    SpectrumArray heard;
    fillRaw (heard, 3.0f);
    played.point (500).magnitude = 0.0f;
    ASSERT_TRUE (analyseResponse (heard, played, smoothed));

    for (int32_t i = 1; i < fullSize / 2; ++i)
        ASSERT_TRUE (std::isfinite (smoothed.point (i).magnitude)) << i;

    EXPECT_NEAR (smoothed.point (100).magnitude, 0.0f, 1e-6f) << "a flat room is flat";
}
