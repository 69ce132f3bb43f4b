#include "DftAnalyzer.h"
#include "LogCollector.h"
#include "MeasurementContract.h"
#include "MessageRecorder.h"
#include "SonavelAudioEngine.h"
#include "VirtualRoom.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{
    class EngineTest : public testing::Test
    {
    protected:
        void SetUp() override { LogCollector::get().clear(); }
        void TearDown() override { SonavelAudioEngine::deleteInstance(); }
    };

    void fillRecord (MeasurementRecord& record, float value)
    {
        std::vector<float> values (MeasurementRecord::numValues, value);
        record.setContents (1, 2, 3, values.data());
    }
}

TEST_F (EngineTest, IsCreatedOnFirstUseAndAnewAfterDeletion)
{
    SonavelAudioEngine::deleteInstance();
    EXPECT_EQ (SonavelAudioEngine::getInstanceWithoutCreating(), nullptr);

    auto* engine = SonavelAudioEngine::getInstance();
    EXPECT_EQ (SonavelAudioEngine::getInstance(), engine);
    EXPECT_EQ (SonavelAudioEngine::getInstanceWithoutCreating(), engine);

    SonavelAudioEngine::deleteInstance();
    EXPECT_EQ (SonavelAudioEngine::getInstanceWithoutCreating(), nullptr);
    EXPECT_NE (SonavelAudioEngine::getInstance(), nullptr);
}

TEST_F (EngineTest, BeforeAnyTestItHasNoValidResultsButAZeroRecordToShow)
{
    auto* engine = SonavelAudioEngine::getInstance();
    EXPECT_FALSE (engine->isTestRunning());
    EXPECT_FALSE (engine->hasValidResults());
    EXPECT_EQ (engine->getLastOutcome(), MeasurementOutcome::none);

    const auto* record = engine->getResults();
    ASSERT_NE (record, nullptr);
    EXPECT_EQ (record->frequencyHz, 0) << "no notch to suggest";

    for (int i = 0; i < record->getNumValues(); ++i)
        ASSERT_EQ (record->valueAt (i), 0.0f) << i;
}

TEST_F (EngineTest, ItsFrequencyAxisIsWhereTheAnalysisPutsEachBin)
{
    auto* engine = SonavelAudioEngine::getInstance();
    const auto& axis = engine->getFrequencyAxis();
    ASSERT_EQ (axis.size(), MeasurementRecord::numValues);

    DftAnalyzer dft;
    SpectrumArray raw;
    ASSERT_TRUE (dft.setup (MeasurementRecord::numValues, MeasurementContract::sampleRate));
    ASSERT_TRUE (raw.allocate (MeasurementRecord::numValues));
    const std::vector<float> block (MeasurementRecord::numValues, 0.0f);
    dft.transform (block.data(), raw);

    for (int i = 0; i < MeasurementRecord::numValues / 2; ++i)
        ASSERT_FLOAT_EQ (axis[i], raw.point (i).frequency) << "bin " << i;

    EXPECT_EQ (engine->getFrequencyAxis().size(), MeasurementRecord::numValues) << "built once, not appended to again";
}

TEST_F (EngineTest, ComputesTheEqPreviewWithItsOwnAxis)
{
    juce::Array<float> curve { 1.0f, 2.0f };
    juce::Array<float> axis { 5.0f };

    SonavelAudioEngine::getInstance()->computeEqCurve (curve, 125, 6, 6, axis);

    ASSERT_EQ (curve.size(), 16384);
    ASSERT_EQ (axis.size(), 16384);
    EXPECT_EQ (curve[0], 0.0f);
    EXPECT_NEAR (curve[256], -0.825f, 1e-4f);
    EXPECT_NEAR (curve[128], curve[512], 1e-5f);
    EXPECT_FLOAT_EQ (axis[256], 125.0f);
}

TEST_F (EngineTest, AMeasurementWithoutSoundServerStillFinishesAndKeepsTheOldRecord)
{
    const VirtualRoom::NoServer noServer;
    auto* engine = SonavelAudioEngine::getInstance();
    fillRecord (*engine->getResults(), 0.5f);
    MessageRecorder recorder;

    engine->startTest (0);
    ASSERT_TRUE (recorder.waitFor (MeasurementContract::finishMeasure, 1, 30000));

    EXPECT_FALSE (engine->hasValidResults());
    ASSERT_NE (engine->getResults(), nullptr);
    EXPECT_EQ (engine->getResults()->valueAt (4000), 0.5f);
    EXPECT_EQ (engine->getResults()->frequencyHz, 1);

    const auto lines = LogCollector::get().lines();
    EXPECT_GE (lines.indexOf ("Freeing buffers."), 0);
    EXPECT_GE (lines.indexOf ("Finishing test."), 0);
    EXPECT_LT (lines.indexOf ("Setting settings with test results."), 0);
    EXPECT_TRUE (lines.joinIntoString ("\n").contains ("Measurement error: "));
}

TEST_F (EngineTest, ForwardsTheAnnouncementBeforeFinishAndOnlyAfterHandlingEachMessage)
{
    const VirtualRoom::NoServer noServer;
    auto* engine = SonavelAudioEngine::getInstance();
    MessageRecorder recorder;

    engine->startTest (1);
    ASSERT_TRUE (recorder.waitFor (MeasurementContract::finishMeasure, 1, 30000));
    MessageRecorder::pump (200);

    const auto& messages = recorder.messages();
    ASSERT_EQ (messages.size(), 2u);
    EXPECT_EQ (messages[0].text, "MEASURING RIGHT SPEAKER...");
    EXPECT_EQ (messages[1].text, MeasurementContract::finishMeasure);

    // By the time a listener hears "finishMeasure" the engine has stopped its worker.
    EXPECT_FALSE (messages[1].engineTestRunning);
    const auto stopping = LogCollector::get().lines().indexOf ("Engine: stopping test thread.");
    ASSERT_GE (stopping, 0);
    EXPECT_LT (stopping, messages[1].logLinesBefore);
}

TEST_F (EngineTest, AModeOutsideTheSpeakersIsNotAnnounced)
{
    const VirtualRoom::NoServer noServer;
    MessageRecorder recorder;

    SonavelAudioEngine::getInstance()->startTest (7);
    ASSERT_TRUE (recorder.waitFor (MeasurementContract::finishMeasure, 1, 30000));
    MessageRecorder::pump (100);

    EXPECT_EQ (recorder.messages().size(), 1u);
    EXPECT_FALSE (SonavelAudioEngine::getInstance()->hasValidResults());
}
