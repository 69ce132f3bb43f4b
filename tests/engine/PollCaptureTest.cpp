#include "RunMeasurement.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace
{
    // A state as runMeasurement sets it up, without PortAudio: the test plays the callback's part.
    struct PollRig
    {
        explicit PollRig (int32_t channelSelector)
        {
            state.channelSelector = channelSelector;
            EXPECT_TRUE (state.allocateCaptureBuffers());
            state.callbackContext.captureBuffer = state.captureBuffer;
            state.callbackContext.captureCapacity = 2 * state.blockLength;
        }

        // Delivers a full buffer whose every frame holds (left, right) = (pass, 2 * pass + 1).
        void deliverBuffer (int32_t frames = 16384, bool glitched = false)
        {
            state.callbackContext.bufferGlitched = glitched;

            for (int32_t i = 0; i < frames; ++i)
                state.captureBuffer[i] = { static_cast<float> (delivered), static_cast<float> (2 * delivered + 1) };

            ++delivered;
            state.callbackContext.framesReceived = frames;
        }

        MeasurementState state;
        int32_t delivered = 0;
    };
}

TEST (PollCapture, SkipsThreeBuffersKeepsTheFourthAndThenMarksTheDataReady)
{
    PollRig rig (1);
    testing::internal::CaptureStdout();

    for (int pass = 0; pass < 7; ++pass)
    {
        rig.deliverBuffer();
        pollCapture (rig.state);
        pollCapture (rig.state); // a second look at the same buffer counts nothing
        EXPECT_EQ (rig.state.callbackContext.framesReceived.load(), 0);
        EXPECT_EQ (rig.state.dataForFFT, pass >= 4) << "pass " << pass;
        EXPECT_EQ (rig.state.hasKeptBlocks(), pass >= 3) << "kept as soon as saved, pass " << pass;
    }

    const auto printed = testing::internal::GetCapturedStdout();

    EXPECT_EQ (rig.state.capturesSaved, 1);
    EXPECT_EQ (rig.state.capturePass, 5);
    EXPECT_EQ (rig.state.analysisInput[0], 3.0f) << "the fourth buffer (pass 3) is the one kept";
    EXPECT_EQ (rig.state.analysisInput[16383], 3.0f);

    EXPECT_EQ (printed,
               "\nFull buffer ready on input, CapturePass 0, DataForFFT: false"
               "\nFull buffer ready on input, CapturePass 1, DataForFFT: false"
               "\nFull buffer ready on input, CapturePass 2, DataForFFT: false"
               "\nFull buffer ready on input, CapturePass 3, DataForFFT: false"
               "\nSaving data for FFT: 0 of 1"
               "\nFull buffer ready on input, CapturePass 4, DataForFFT: false"
               "\nFull buffer ready on input, CapturePass 5, DataForFFT: true"
               "\nFull buffer ready on input, CapturePass 5, DataForFFT: true");
}

TEST (PollCapture, IgnoresAShortLastBuffer)
{
    PollRig rig (1);
    testing::internal::CaptureStdout();

    rig.deliverBuffer (7508);
    pollCapture (rig.state);

    EXPECT_EQ (testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ (rig.state.capturePass, 0);
}

TEST (PollCapture, KeepsTheSampleOfTheSelectedSpeakers)
{
    const struct { int32_t selector; float expected; } cases[] = {
        { 1, 3.0f }, // left: the pass number
        { 2, 7.0f }, // right: 2 * 3 + 1
        { 3, 10.0f }, // both: left + right
        { 0, 0.0f }, // no speaker: silence
    };

    for (const auto& c : cases)
    {
        PollRig rig (c.selector);
        testing::internal::CaptureStdout();

        for (int pass = 0; pass < 4; ++pass)
        {
            rig.deliverBuffer();
            pollCapture (rig.state);
        }

        testing::internal::GetCapturedStdout();
        EXPECT_EQ (rig.state.analysisInput[100], c.expected) << "selector " << c.selector;
    }
}

TEST (PollCapture, KeepsALaterBufferWhenTheOutputLatencyCallsForMoreWarmUp)
{
    PollRig rig (2);
    rig.state.lastWarmUpPass = 3;
    testing::internal::CaptureStdout();

    for (int pass = 0; pass < 6; ++pass)
    {
        rig.deliverBuffer();
        pollCapture (rig.state);
    }

    testing::internal::GetCapturedStdout();
    EXPECT_TRUE (rig.state.dataForFFT);
    EXPECT_EQ (rig.state.analysisInput[0], 9.0f) << "pass 4's right sample, 2 * 4 + 1";
}

TEST (WarmUp, CoversTheOutputLatencyInWholeBlocks)
{
    const auto passesFor = [] (double outputLatency)
    {
        PaStreamInfo info {};
        info.outputLatency = outputLatency;
        return warmUpPassesFor (&info, 44100, 16384);
    };

    // A hardware device with two blocks of buffering: the usual second of warm-up is enough.
    EXPECT_EQ (passesFor (2 * 16384 / 44100.0), 2);
    // Through a sound server: three blocks of silence come first, so pass 3 is skipped too.
    EXPECT_EQ (passesFor (1.115), 3);
    EXPECT_EQ (passesFor (0.01), 0);
    EXPECT_EQ (passesFor (0.0), 0);
    EXPECT_EQ (warmUpPassesFor (nullptr, 44100, 16384), 0);
}

TEST (PollCapture, CountsBuffersTheCallbackDroppedAsPasses)
{
    PollRig rig (1);
    testing::internal::CaptureStdout();

    // Passes 0 and 1 arrive; 2 and 3 come in a burst while 1 is still unread and are dropped.
    for (int32_t pass : { 0, 1, 4, 5 })
    {
        rig.delivered = pass;
        rig.deliverBuffer();
        rig.state.callbackContext.bufferPass = pass;
        pollCapture (rig.state);
    }

    const auto printed = testing::internal::GetCapturedStdout();
    EXPECT_EQ (rig.state.analysisInput[0], 4.0f) << "the first buffer past the warm-up is kept";
    EXPECT_TRUE (rig.state.dataForFFT);
    EXPECT_NE (printed.find ("CapturePass 4, DataForFFT: false\nSaving data for FFT: 0 of 1"), std::string::npos) << printed;
}

TEST (PollCapture, LeavesAsideABufferTheAudioSystemReportedAGlitchInAndKeepsTheNext)
{
    PollRig rig (1);
    testing::internal::CaptureStdout();

    for (int pass = 0; pass < 8; ++pass)
    {
        // A glitch during the warm-up does not matter; one in the buffer to be kept does, and one
        // after the keeping does not hold anything up.
        rig.deliverBuffer (16384, pass == 1 || pass == 3 || pass == 5);
        pollCapture (rig.state);
    }

    testing::internal::GetCapturedStdout();
    EXPECT_EQ (rig.state.glitchedBuffersSkipped, 1);
    EXPECT_EQ (rig.state.capturesSaved, 1);
    EXPECT_EQ (rig.state.analysisInput[0], 4.0f) << "the buffer after the glitched fourth is kept";
    EXPECT_TRUE (rig.state.dataForFFT);
}

TEST (PollCapture, LeavesAsideABufferWithARunOfDigitalSilenceInTheNoise)
{
    // Every buffer holds its pass number but pass 4, the first past the warm-up, which has
    // `zeros` exact zeros from `at`. keptLast is the last sample of the block kept.
    const struct { int32_t at; int32_t zeros; float keptLast; const char* what; } cases[] = {
        { 0, 2200, 5.0f, "noise that arrived late" },
        { 11769, 4615, 5.0f, "a stretch the sound server filled with silence" },
        { 16320, 64, 5.0f, "a gap at the very end" },
        { 5000, 63, 4.0f, "a few zeros in a row, as noise has now and then" },
        { 0, 16384, 0.0f, "silence throughout, which the analysis reports" },
    };

    for (const auto& c : cases)
    {
        PollRig rig (1);
        rig.state.lastWarmUpPass = 3;
        testing::internal::CaptureStdout();

        for (int pass = 0; pass < 7; ++pass)
        {
            rig.deliverBuffer();

            if (pass == 4)
                for (int32_t i = c.at; i < c.at + c.zeros; ++i)
                    rig.state.captureBuffer[i].left = 0.0f;

            pollCapture (rig.state);
        }

        testing::internal::GetCapturedStdout();
        EXPECT_TRUE (rig.state.dataForFFT) << c.what;
        EXPECT_EQ (rig.state.analysisInput[16383], c.keptLast) << c.what;
        EXPECT_EQ (rig.state.glitchedBuffersSkipped, c.keptLast == 5.0f ? 1 : 0) << c.what;
    }
}
