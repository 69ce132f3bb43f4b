#include "ListeningArea.h"
#include "MeasurementContract.h"
#include "ResponseVerdict.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace
{
    constexpr double hzPerBin = MeasurementContract::binWidthHz;

    // Gains of a room flat but for a mode of gainDb at modeHz, a fifth of an octave wide.
    std::vector<float> gainsWithMode (double modeHz, double gainDb)
    {
        std::vector<float> gains (ListeningArea::binsPerPosition);

        for (size_t i = 0; i < gains.size(); ++i)
        {
            const double octaves = std::log2 (std::max<double> (static_cast<double> (i), 1.0) * hzPerBin / modeHz) / 0.1;
            gains[i] = static_cast<float> (std::pow (10.0, gainDb / 20.0 * std::exp (-octaves * octaves / 2.0)));
        }

        return gains;
    }

    std::vector<float> responseOf (const std::vector<float>& gains)
    {
        ListeningArea one;
        EXPECT_TRUE (one.add (gains));
        std::vector<float> values;
        EXPECT_TRUE (one.response (values));
        return values;
    }

    double dbAtHz (const std::vector<float>& values, double hz)
    {
        return 20.0 * values[static_cast<size_t> (std::lround (hz / hzPerBin))];
    }
}

TEST (ListeningArea, AveragesThePositionsPowerAndSpansTheirSpread)
{
    ListeningArea area;
    std::vector<float> values, lowest, highest;
    EXPECT_FALSE (area.response (values)) << "no positions yet";
    EXPECT_FALSE (area.add (std::vector<float> (100, 1.0f)));
    auto broken = gainsWithMode (60.0, 12.0);
    broken[40] = std::numeric_limits<float>::quiet_NaN();
    EXPECT_FALSE (area.add (broken));
    EXPECT_EQ (area.count(), 0);

    // Where one position hears the mode 12 dB up and the other nothing of it, their power mean
    // is 10 log10 ((1 + 16) / 2) = 9.3 dB up, before smoothing.
    ASSERT_TRUE (area.add (gainsWithMode (60.0, 0.0)));
    ASSERT_TRUE (area.add (gainsWithMode (60.0, 12.0)));
    ASSERT_TRUE (area.response (values));

    std::vector<float> mean (ListeningArea::binsPerPosition);
    for (size_t i = 0; i < mean.size(); ++i)
        mean[i] = std::sqrt ((1.0f + area.gainsOf (1)[i] * area.gainsOf (1)[i]) / 2.0f);
    const auto expected = responseOf (mean);

    for (const double hz : { 45.0, 60.0, 80.0, 200.0 })
        EXPECT_NEAR (dbAtHz (values, hz), dbAtHz (expected, hz), 1e-3) << hz << " Hz";

    ASSERT_TRUE (area.spread (lowest, highest));
    std::vector<float> first, second;
    ASSERT_TRUE (area.responseOf (0, first));
    ASSERT_TRUE (area.responseOf (1, second));
    EXPECT_FALSE (area.responseOf (2, second));

    for (const double hz : { 40.0, 60.0, 100.0, 300.0 })
    {
        EXPECT_LE (dbAtHz (lowest, hz), dbAtHz (values, hz)) << hz;
        EXPECT_GE (dbAtHz (highest, hz), dbAtHz (values, hz)) << hz;
        EXPECT_EQ (dbAtHz (lowest, hz), std::min (dbAtHz (first, hz), dbAtHz (second, hz))) << hz;
    }

    EXPECT_GT (dbAtHz (highest, 60.0) - dbAtHz (lowest, 60.0), 6.0) << "the band is wide where the positions differ";
}

TEST (ResponseVerdict, SaysInNumbersWhetherAChangeHelpedAndOnlyComparesLikeWithLike)
{
    const auto before = responseOf (gainsWithMode (65.0, 12.0));
    const auto after = responseOf (gainsWithMode (65.0, 4.0));
    const auto worse = responseOf (gainsWithMode (65.0, 15.0));
    auto again = before;
    for (size_t i = 0; i < again.size(); i += 2)
        again[i] += 0.1f / 20.0f; // measuring again: a tenth of a decibel here and there

    const auto better = ResponseVerdict::of ({ before, Speakers::left, 1 }, { after, Speakers::left, 1 });
    EXPECT_EQ (better.kind, ResponseVerdict::Kind::better) << better.sentence;
    EXPECT_NEAR (better.bumpHz, 65.0, hzPerBin);
    EXPECT_NEAR (better.bumpLowerDb, dbAtHz (before, better.bumpHz) - dbAtHz (after, better.bumpHz), 1e-4);
    EXPECT_GT (better.bumpLowerDb, 4.0);
    EXPECT_LT (better.currentFromFlatDb, better.heldFromFlatDb);
    EXPECT_EQ (better.sentence.rfind ("Against the held curve: the bump at 65 Hz is ", 0), 0u) << better.sentence;
    EXPECT_NE (better.sentence.find ("dB lower; 40\xe2\x80\x93" "280 Hz lies "), std::string::npos) << better.sentence;
    EXPECT_EQ (better.sentence.substr (better.sentence.size() - 7), "Better.");

    const auto rougher = ResponseVerdict::of ({ before, Speakers::both, 3 }, { worse, Speakers::both, 4 });
    EXPECT_EQ (rougher.kind, ResponseVerdict::Kind::worse) << rougher.sentence;
    EXPECT_NE (rougher.sentence.find ("dB higher"), std::string::npos) << rougher.sentence;

    const auto same = ResponseVerdict::of ({ before, Speakers::right, 1 }, { again, Speakers::right, 1 });
    EXPECT_EQ (same.kind, ResponseVerdict::Kind::unchanged);
    EXPECT_EQ (same.sentence, "No change beyond measuring again (0.1 dB).");

    const auto otherSpeakers = ResponseVerdict::of ({ before, Speakers::left, 1 }, { after, Speakers::both, 1 });
    EXPECT_EQ (otherSpeakers.kind, ResponseVerdict::Kind::notComparable);
    EXPECT_EQ (otherSpeakers.sentence, "The held curve is of the left speaker, this one of both speakers: measure the same speakers to compare.");

    const auto averageBesideOne = ResponseVerdict::of ({ before, Speakers::left, 3 }, { after, Speakers::left, 1 });
    EXPECT_EQ (averageBesideOne.kind, ResponseVerdict::Kind::notComparable);
    EXPECT_EQ (averageBesideOne.sentence,
               "The held curve is an average of 3 positions, this one one position: compare an average with an average, one position with one position.");
}
