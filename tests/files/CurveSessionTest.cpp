#include "CurveSession.h"
#include "CurveText.h"
#include "ListeningArea.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace
{
    // A position's gains: flat but for a mode of gainDb at 60 Hz.
    std::vector<float> gainsWithMode (double gainDb)
    {
        std::vector<float> gains (ListeningArea::binsPerPosition);

        for (size_t i = 0; i < gains.size(); ++i)
        {
            const auto octaves = std::log2 (std::max (1.0, KeptCurve::binFrequency (static_cast<int> (i))) / 60.0) / 0.1;
            gains[i] = static_cast<float> (std::pow (10.0, gainDb / 20.0 * std::exp (-octaves * octaves / 2.0)));
        }

        return gains;
    }

    // What the engine holds after measuring a position: its own response and recommendation.
    struct Measured
    {
        explicit Measured (double gainDb) : gains (gainsWithMode (gainDb))
        {
            ListeningArea one;
            one.add (gains);
            std::vector<float> values;
            one.response (values);
            record.setContents (60, 6, 4, values.data());
        }

        std::vector<float> gains;
        MeasurementRecord record;
    };

    double dbAt (const KeptCurve& curve, double hz)
    {
        return 20.0 * curve.values[static_cast<size_t> (std::lround (hz / KeptCurve::binFrequency (1)))];
    }
}

TEST (CurveSession, AveragesThePositionsOfOneSpeakerChoiceAndStartsOverOnMeasureOrOtherSpeakers)
{
    CurveSession session;
    const Measured loud (12.0), quiet (3.0), middle (6.0);

    EXPECT_FALSE (session.canAddPosition (0)) << "nothing to add to";
    session.measured (loud.record, loud.gains, 0, 1000, true);
    ASSERT_TRUE (session.current);
    EXPECT_EQ (session.current->positions, 1) << "a position with nothing before it starts a curve";
    EXPECT_TRUE (session.canAddPosition (0));
    EXPECT_FALSE (session.canAddPosition (2)) << "other speakers";

    session.measured (quiet.record, quiet.gains, 0, 2000, true);
    ASSERT_EQ (session.current->positions, 2);
    EXPECT_EQ (session.current->positionGains.size(), 2u);
    EXPECT_EQ (session.current->measuredAt, 2000);

    ListeningArea area;
    area.add (loud.gains);
    area.add (quiet.gains);
    std::vector<float> average;
    ASSERT_TRUE (area.response (average));
    EXPECT_EQ (session.current->values, average);
    EXPECT_GT (dbAt (*session.current, 60.0), 3.0);
    EXPECT_LT (dbAt (*session.current, 60.0), 12.0);

    std::vector<float> lowest, highest;
    ASSERT_TRUE (session.spread (lowest, highest));
    EXPECT_GT (20.0 * (highest[22] - lowest[22]), 4.0) << "the positions differ by the mode's height at 60 Hz";

    // Other speakers start over, added or not; so does MEASURE.
    session.measured (middle.record, middle.gains, 2, 3000, true);
    EXPECT_EQ (session.current->positions, 1);
    EXPECT_EQ (session.current->speakers, Speakers::both);
    session.measured (loud.record, loud.gains, 2, 4000, true);
    session.measured (quiet.record, quiet.gains, 2, 5000, false);
    EXPECT_EQ (session.current->positions, 1);
    EXPECT_FALSE (session.spread (lowest, highest));

    // Without its positions' gains (a curve kept before they were), nothing is added to it.
    session.current->positionGains.clear();
    EXPECT_FALSE (session.canAddPosition (2));
}

TEST (CurveSession, SavesTheAverageEachPositionAndTheHeldCurveAndKeepsThemAcrossARestart)
{
    CurveSession session;
    const Measured loud (12.0), quiet (3.0), middle (6.0);
    session.measured (loud.record, loud.gains, 1, 1000, false);
    session.hold();
    session.measured (quiet.record, quiet.gains, 1, 2000, false);
    session.measured (middle.record, middle.gains, 1, 3000, true);

    const auto files = session.filesFor ("/tmp/room/Sonavel right.txt");
    ASSERT_EQ (files.size(), 4u);
    EXPECT_EQ (files[1].path, "/tmp/room/Sonavel right position 1.txt");
    EXPECT_EQ (files[2].path, "/tmp/room/Sonavel right position 2.txt");
    EXPECT_EQ (files[3].path, "/tmp/room/Sonavel right held.txt");

    // The average says what it is, where its positions are and how it compares with the held
    // curve; read back, it is an average of two, as --compare needs to know.
    EXPECT_NE (files[0].bytes.find ("* Positions: 2\n"), std::string::npos);
    EXPECT_NE (files[0].bytes.find ("* Average of 2 microphone positions: their mean power per bin, then the smoothing. Each position "
                                    "is in a file of its own: \xe2\x80\x9cSonavel right position 1.txt\xe2\x80\x9d, \xe2\x80\x9cSonavel right position 2.txt\xe2\x80\x9d.\n"),
              std::string::npos)
        << files[0].bytes.substr (0, 600);
    EXPECT_NE (files[0].bytes.find ("* The held curve is one position, this one an average of 2 positions: compare an average with an average"),
               std::string::npos);
    const auto average = CurveText::parse (files[0].bytes).curve;
    ASSERT_TRUE (average);
    EXPECT_EQ (average->positions, 2);

    // Each position file holds that position's own response.
    const auto second = CurveText::parse (files[2].bytes).curve;
    ASSERT_TRUE (second);
    EXPECT_EQ (second->positions, 1);
    EXPECT_NEAR (dbAt (*second, 59.2), 20.0 * middle.record.valueAt (22), 1e-3);
    EXPECT_NE (files[2].bytes.find ("* Position 2 of 2 of the average in \xe2\x80\x9cSonavel right.txt\xe2\x80\x9d.\n"), std::string::npos);

    // Kept and restored, the positions can be added to as before.
    std::string problem;
    const auto kept = KeptState::parse (session.state().serialise(), problem);
    ASSERT_TRUE (kept) << problem;
    EXPECT_EQ (kept->serialise(), session.state().serialise());

    CurveSession restored;
    restored.restore (*kept);
    EXPECT_TRUE (restored.canAddPosition (1));
    restored.measured (loud.record, loud.gains, 1, 4000, true);
    EXPECT_EQ (restored.current->positions, 3);

    // A state whose positions are cut short, or claim more gains than the positions, is damaged.
    const auto text = session.state().serialise();
    EXPECT_FALSE (KeptState::parse (std::string (text).replace (text.find ("positions 2 2"), 13, "positions 2 1"), problem));
    EXPECT_FALSE (KeptState::parse (std::string (text).replace (text.find ("gains 8192"), 10, "gains 8191"), problem));
}
