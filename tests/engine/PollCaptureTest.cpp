#include "MeasurementCallback.h"
#include "RunMeasurement.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>
#include <vector>

namespace
{
    constexpr int32_t blockLength = 4096;
    constexpr int32_t delay = 1234;
    constexpr int32_t hissOnly = -1;
    constexpr int32_t dead = -2;

    // A state as runMeasurement sets it up, without PortAudio: the test feeds the capture callback
    // with what a microphone would hear of a looped block of noise, and looks as the worker does.
    struct PollRig
    {
        PollRig()
        {
            state.blockLength = blockLength;
            state.capturesKept = 13;
            EXPECT_TRUE (prepareCapture (state, 16));

            std::mt19937 noise (5);
            std::uniform_real_distribution<float> uniform (-1.0f, 1.0f);
            loop.resize (blockLength);

            for (auto& sample : loop)
                sample = uniform (noise);
        }

        // One block of the recording: for each frame, how far the loop lags there (the room's delay),
        // or hissOnly where the noise is not heard, or dead where the sound server filled in zeros.
        void deliver (const std::function<int32_t (int32_t)>& lagAt, PaStreamCallbackFlags flags = 0)
        {
            std::vector<float> samples (blockLength);

            for (int32_t i = 0; i < blockLength; ++i)
            {
                const int32_t lag = lagAt (i);
                const float heard = lag >= 0 ? loop[static_cast<size_t> ((i + blockLength - lag) % blockLength)] : 0.0f;
                samples[static_cast<size_t> (i)] = lag == dead ? 0.0f : heard + hiss (generator);
            }

            for (int32_t offset = 0; offset < blockLength; offset += 2048)
                captureCallback (samples.data() + offset, nullptr, 2048, nullptr, offset == 0 ? flags : 0, &state.callbackContext);
        }

        void deliverSteady (PaStreamCallbackFlags flags = 0)
        {
            deliver ([] (int32_t) { return delay; }, flags);
        }

        MeasurementState state;
        std::vector<float> loop;
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

TEST (PollCapture, KeepsEveryBlockThatRepeatsTheOneBeforeItAndNothingAroundTheNoise)
{
    PollRig rig;
    testing::internal::CaptureStdout();

    rig.deliver ([] (int32_t) { return hissOnly; });                           // 0: the room's hiss
    rig.deliver ([] (int32_t i) { return i >= 1200 ? delay : hissOnly; });     // 1: the noise arrives
    pollCapture (rig.state);
    pollCapture (rig.state); // a second look finds nothing new

    for (int block = 2; block <= 6; ++block)                                    // 2..6: steady state
        rig.deliverSteady();

    rig.deliver ([] (int32_t i) { return i < 2000 ? delay : hissOnly; });      // 7: the noise ends
    rig.deliver ([] (int32_t) { return hissOnly; });                           // 8
    captureCallback (rig.loop.data(), nullptr, 1000, nullptr, 0, &rig.state.callbackContext); // part of a block
    pollCapture (rig.state);

    const auto printed = testing::internal::GetCapturedStdout();

    // Block 2 is the first whole block of noise, but the one before it was not: only from block 3
    // on has the room been heard in steady state for a whole period.
    EXPECT_EQ (printed, passLine (0) + passLine (1) + passLine (2) + passLine (3) + savingLine (0) + passLine (4)
                            + savingLine (1) + passLine (5) + savingLine (2) + passLine (6) + savingLine (3)
                            + passLine (7) + passLine (8));
    EXPECT_EQ (rig.state.capturesSaved, 4);
    EXPECT_TRUE (rig.state.hasKeptBlocks());
    EXPECT_EQ (rig.state.glitchedBuffersSkipped, 0) << "what follows the noise is no glitch";
    EXPECT_EQ (rig.state.capturePass, 9);
    EXPECT_FALSE (rig.state.dataForFFT);
    EXPECT_TRUE (rig.state.heardAnything);
    EXPECT_NEAR (rig.state.keptPeak, 1.0f, 0.01f);

    // The captured spectrum is the sum of the four steady blocks' spectra.
    DftAnalyzer dft;
    SpectrumArray single;
    ASSERT_TRUE (dft.setup (blockLength, 44100));
    ASSERT_TRUE (single.allocate (blockLength));
    dft.transform (rig.state.captureBuffer + 4 * blockLength, single);

    for (const int32_t bin : { 1, 10, 100, 2047 })
        EXPECT_NEAR (rig.state.captured.point (bin).magnitude, 4.0f * single.point (bin).magnitude,
                     0.02f * single.point (bin).magnitude) << "bin " << bin;
}

TEST (PollCapture, LeavesAsideAGlitchAGapAndAJumpInTheNoiseAndCountsThemAsGlitches)
{
    PollRig rig;
    testing::internal::CaptureStdout();

    rig.deliverSteady();                                                          // 0: nothing to repeat
    rig.deliverSteady();                                                          // 1: kept
    rig.deliverSteady (paInputOverflow);                                          // 2: input was lost
    rig.deliverSteady();                                                          // 3: kept
    rig.deliver ([] (int32_t i) { return i >= 500 && i < 564 ? dead : delay; });  // 4: a gap of silence
    rig.deliverSteady();                                                          // 5: kept
    rig.deliver ([] (int32_t i) { return i < 2000 ? delay : delay + 700; });      // 6: the loop skips
    rig.deliver ([] (int32_t) { return delay + 700; });                           // 7: steady, but not like 6
    rig.deliver ([] (int32_t) { return delay + 700; });                           // 8: kept
    rig.deliver ([] (int32_t) { return hissOnly; });                              // 9: the noise is over
    pollCapture (rig.state);
    testing::internal::GetCapturedStdout();

    EXPECT_EQ (rig.state.capturesSaved, 4);
    EXPECT_EQ (rig.state.glitchedBuffersSkipped, 4) << "blocks 2, 4, 6 and 7";
}

TEST (PollCapture, NeverKeepsSilenceAndStopsSavingAtTheCapacity)
{
    PollRig silent;
    testing::internal::CaptureStdout();

    for (int block = 0; block < 4; ++block)
        silent.deliver ([] (int32_t) { return dead; });

    pollCapture (silent.state);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ (silent.state.capturesSaved, 0) << "silence repeats itself, but it is no measurement";
    EXPECT_FALSE (silent.state.heardAnything);

    PollRig rig;
    rig.state.capturesKept = 2;
    testing::internal::CaptureStdout();

    for (int block = 0; block < 5; ++block)
        rig.deliverSteady();

    pollCapture (rig.state);

    EXPECT_EQ (testing::internal::GetCapturedStdout(),
               passLine (0) + passLine (1) + savingLine (0, 2) + passLine (2) + savingLine (1, 2) + passLine (3, true)
                   + passLine (4, true));
    EXPECT_EQ (rig.state.capturesSaved, 2);
    EXPECT_TRUE (rig.state.dataForFFT);
}
