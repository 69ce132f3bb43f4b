#include "MeasurementCallback.h"
#include "MeasurementContract.h"
#include "RunMeasurement.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>
#include <vector>

namespace
{
    constexpr int32_t blockLength = MeasurementContract::blockLength;
    constexpr int32_t arrival = blockLength + 1200;

    // A state as runMeasurement sets it up, without PortAudio: the test feeds the capture callback
    // with what a microphone hears of the state's looped block (arriving at frame `arrival`, heard
    // straight, with hiss), and looks as the worker does.
    struct PollRig
    {
        explicit PollRig (int32_t capturesWanted = 13)
        {
            state.blockLength = blockLength;
            state.capturesWanted = capturesWanted;
            EXPECT_TRUE (prepareCapture (state, 24));
            state.callbackContext.capturedAtFirstPlayback = 0;
        }

        // The next block of the recording; `heard` says, per frame, whether the noise is heard there.
        void deliver (const std::function<bool (int32_t)>& heard, PaStreamCallbackFlags flags = 0)
        {
            std::vector<float> samples (blockLength);

            for (int32_t i = 0; i < blockLength; ++i)
            {
                const int32_t frame = delivered + i;
                const float noise = frame >= arrival && heard (i) ? state.playedBlock[(frame - arrival) % blockLength] : 0.0f;
                samples[static_cast<size_t> (i)] = noise + hiss (generator);
            }

            for (int32_t offset = 0; offset < blockLength; offset += 2048)
                captureCallback (samples.data() + offset, nullptr, 2048, nullptr, offset == 0 ? flags : 0, &state.callbackContext);

            delivered += blockLength;
        }

        void deliverNoise (PaStreamCallbackFlags flags = 0)
        {
            deliver ([] (int32_t) { return true; }, flags);
        }

        MeasurementState state;
        int32_t delivered = 0;
        std::mt19937 generator { 9 };
        std::uniform_real_distribution<float> hiss { -0.001f, 0.001f };
    };

    std::string passLine (int pass, bool ready = false)
    {
        return "\nFull buffer ready on input, CapturePass " + std::to_string (pass) + ", DataForFFT: " + (ready ? "true" : "false");
    }

    std::string savingLine (int saved, int of = 13)
    {
        return "\nSaving data for FFT: " + std::to_string (saved) + " of " + std::to_string (of);
    }
}

TEST (PollCapture, SavesTheBlocksOfThisRunsNoiseAndTellsWhenItArrived)
{
    PollRig rig;
    testing::internal::CaptureStdout();

    rig.deliver ([] (int32_t) { return false; });                     // 0: the room's hiss
    rig.deliverNoise();                                               // 1: the noise arrives at 1200
    pollCapture (rig.state);
    pollCapture (rig.state); // a second look finds nothing new

    for (int block = 2; block <= 6; ++block)                          // 2..6: steady state
        rig.deliverNoise();

    rig.deliver ([] (int32_t i) { return i < 2000; });                // 7: the noise ends
    rig.deliver ([] (int32_t) { return false; });                     // 8
    captureCallback (rig.state.playedBlock, nullptr, 1000, nullptr, 0, &rig.state.callbackContext); // part of a block
    pollCapture (rig.state);

    // Block 1 holds the noise from its 1200th frame on but follows hiss; from block 2 on, each
    // block holds it and lines up with the one before.
    EXPECT_EQ (testing::internal::GetCapturedStdout(),
               passLine (0) + passLine (1) + passLine (2) + savingLine (0) + passLine (3) + savingLine (1) + passLine (4)
                   + savingLine (2) + passLine (5) + savingLine (3) + passLine (6) + savingLine (4) + passLine (7)
                   + passLine (8));
    EXPECT_EQ (rig.state.capturesSaved, 5);
    EXPECT_EQ (rig.state.glitchedBuffersSkipped, 0) << "what follows the noise is no glitch";
    EXPECT_EQ (rig.state.capturePass, 9);
    EXPECT_TRUE (rig.state.heardAnything);
    EXPECT_NEAR (rig.state.savedPeak, 1.0f, 0.1f);

    EXPECT_EQ (rig.state.estimator.settle(), 5);
    EXPECT_TRUE (rig.state.hasSteadyBlocks());
    EXPECT_NEAR (static_cast<double> (rig.state.estimator.arrivalFrame (rig.state.captureBuffer, 9 * blockLength, 0)),
                 arrival, 0.012 * 44100);
}

TEST (PollCapture, NeverSavesAGlitchAGapOrSilenceAndStopsSavingAtTheCapacity)
{
    PollRig rig;
    testing::internal::CaptureStdout();

    rig.deliver ([] (int32_t) { return false; });                     // 0
    rig.deliverNoise();                                               // 1: arrives
    rig.deliverNoise();                                               // 2: saved
    rig.deliverNoise (paInputOverflow);                               // 3: input was lost
    rig.deliverNoise();                                               // 4: saved
    rig.deliver ([] (int32_t) { return true; });
    std::fill_n (rig.state.captureBuffer + 5 * blockLength + 500, 64, 0.0f); // 5: a gap the server filled with zeros
    rig.deliverNoise();                                               // 6: saved
    pollCapture (rig.state);
    testing::internal::GetCapturedStdout();

    EXPECT_EQ (rig.state.capturesSaved, 3);
    EXPECT_EQ (rig.state.glitchedBuffersSkipped, 2) << "blocks 3 and 5";

    PollRig silent;
    testing::internal::CaptureStdout();

    for (int block = 0; block < 4; ++block)
        captureCallback (std::vector<float> (blockLength, 0.0f).data(), nullptr, blockLength, nullptr, 0, &silent.state.callbackContext);

    pollCapture (silent.state);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ (silent.state.capturesSaved, 0) << "silence repeats itself, but it is no measurement";
    EXPECT_FALSE (silent.state.heardAnything);

    PollRig full (2);
    testing::internal::CaptureStdout();

    for (int block = 0; block < 6; ++block)
        full.deliverNoise();

    pollCapture (full.state);
    EXPECT_EQ (testing::internal::GetCapturedStdout(),
               passLine (0) + passLine (1) + passLine (2) + savingLine (0, 2) + passLine (3) + savingLine (1, 2)
                   + passLine (4, true) + passLine (5, true));
    EXPECT_TRUE (full.state.dataForFFT);
}
