#include "CallbackContext.h"
#include "FlatNoise.h"
#include "MeasurementCallback.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace
{
    constexpr unsigned long bufferFrames = 2048;

    struct CallbackRig
    {
        explicit CallbackRig (int32_t channelSelector, int32_t framesToPlay, int32_t captureCapacity = 10000)
            : capture (static_cast<size_t> (captureCapacity), -9.0f),
              input (bufferFrames),
              output (2 * bufferFrames, 123.0f)
        {
            noise.prepare (channelSelector);
            noise.setFramesRemaining (framesToPlay);
            context.noise = &noise;
            context.captureBuffer = capture.data();
            context.captureCapacity = captureCapacity;
            context.blockLength = 4096;

            for (size_t i = 0; i < input.size(); ++i)
                input[i] = static_cast<float> (i + 1) / 100000.0f;
        }

        int play (unsigned long frames = bufferFrames)
        {
            return playbackCallback (nullptr, output.data(), frames, nullptr, 0, &context);
        }

        int record (unsigned long frames = bufferFrames, PaStreamCallbackFlags flags = 0)
        {
            return captureCallback (input.data(), nullptr, frames, nullptr, flags, &context);
        }

        NoiseSource noise;
        CallbackContext context;
        std::vector<float> capture;
        std::vector<float> input;
        std::vector<float> output;
    };

    bool allZero (const std::vector<float>& samples, size_t first, size_t step)
    {
        for (size_t i = first; i < samples.size(); i += step)
            if (samples[i] != 0.0f)
                return false;

        return true;
    }

    bool allNoise (const std::vector<float>& samples, size_t first, size_t step)
    {
        size_t nonZero = 0;

        for (size_t i = first; i < samples.size(); i += step)
        {
            if (samples[i] < -1.0f || samples[i] > 16384.0f / 16383.0f)
                return false;

            nonZero += samples[i] != 0.0f ? 1 : 0;
        }

        return nonZero > samples.size() / step - 16;
    }
}

TEST (MeasurementCallback, PlaysFreshNoiseOnlyOnTheSelectedChannels)
{
    CallbackRig left (1, 100000);
    left.play();
    EXPECT_TRUE (allNoise (left.output, 0, 2));
    EXPECT_TRUE (allZero (left.output, 1, 2));

    CallbackRig right (2, 100000);
    right.play();
    EXPECT_TRUE (allZero (right.output, 0, 2));
    EXPECT_TRUE (allNoise (right.output, 1, 2));

    CallbackRig both (3, 100000);
    both.play();
    EXPECT_TRUE (allNoise (both.output, 0, 2));
    EXPECT_TRUE (allNoise (both.output, 1, 2));
    EXPECT_NE (both.output[0], both.output[1]) << "fresh noise draws each channel's sample on its own";

    CallbackRig none (0, 100000);
    none.play();
    EXPECT_TRUE (allZero (none.output, 0, 1));
}

TEST (MeasurementCallback, PlaysTheLoopOverAndOverAcrossBuffersTheSameOnBothSpeakers)
{
    // A loop of 3000 frames played in buffers of 2048: the period runs on across buffers.
    CallbackRig rig (3, 100000);
    std::vector<float> block (3000);
    ASSERT_TRUE (FlatNoise::draw (block.data(), static_cast<int32_t> (block.size())));
    rig.noise.loop (block.data(), static_cast<int32_t> (block.size()));

    // Where the recording stood when the first noise went out: the sound path's delay counts from there.
    rig.context.framesCaptured = 1234;
    std::vector<float> played;

    for (int call = 0; call < 4; ++call)
    {
        rig.play();

        for (size_t i = 0; i < bufferFrames; ++i)
        {
            ASSERT_EQ (rig.output[2 * i], rig.output[2 * i + 1]);
            played.push_back (rig.output[2 * i]);
        }
    }

    for (size_t i = 0; i < played.size(); ++i)
        ASSERT_EQ (played[i], block[i % block.size()]) << "frame " << i;

    EXPECT_EQ (rig.context.capturedAtFirstPlayback.load(), 1234);

    CallbackRig left (1, 100000);
    left.noise.loop (block.data(), static_cast<int32_t> (block.size()));
    left.play();
    EXPECT_TRUE (allZero (left.output, 1, 2));
    EXPECT_EQ (left.output[0], block[0]);
}

TEST (MeasurementCallback, CompletesWithAShortLastBufferThatIsStillFilledWithNoise)
{
    CallbackRig rig (3, 1500);
    EXPECT_EQ (rig.play(), paComplete);
    EXPECT_EQ (rig.noise.getFramesRemaining(), 0);
    EXPECT_TRUE (allNoise (rig.output, 0, 1)) << "the whole buffer plays, not just the frames left";

    EXPECT_TRUE (rig.context.noisePlayed.load()) << "the worker can tell a stream that played out";

    CallbackRig exact (1, static_cast<int32_t> (bufferFrames));
    EXPECT_EQ (exact.play(), paContinue);
    EXPECT_FALSE (exact.context.noisePlayed.load());
    EXPECT_EQ (exact.play(), paComplete) << "the buffer after the last frames ends the stream";
}

TEST (MeasurementCallback, AppendsEveryInputFrameInOrderAndStopsAtTheCapacity)
{
    CallbackRig rig (1, 100000, 5000);

    EXPECT_EQ (rig.record(), paContinue);
    EXPECT_EQ (rig.context.framesCaptured.load(), 2048);
    EXPECT_EQ (rig.record (1000), paContinue);
    EXPECT_EQ (rig.context.framesCaptured.load(), 3048);
    EXPECT_EQ (rig.capture[2047], rig.input[2047]);
    EXPECT_EQ (rig.capture[2048], rig.input[0]);
    EXPECT_EQ (rig.capture[3047], rig.input[999]);

    rig.record();
    rig.record();
    EXPECT_EQ (rig.context.framesCaptured.load(), 5000) << "the input beyond the capacity is not kept";
    EXPECT_EQ (rig.capture[4999], rig.input[1951]);
    EXPECT_EQ (rig.noise.getFramesRemaining(), 100000) << "recording plays nothing";

    // A device that hands over no samples records silence, which the analysis then reports.
    CallbackRig silent (1, 100000);
    captureCallback (nullptr, nullptr, bufferFrames, nullptr, 0, &silent.context);
    EXPECT_TRUE (std::all_of (silent.capture.begin(), silent.capture.begin() + 2048, [] (float s) { return s == 0.0f; }));
}

TEST (MeasurementCallback, MarksTheBlockInWhichTheFramesAfterAnInputGlitchStart)
{
    CallbackRig rig (1, 100000);

    rig.record();
    rig.record (bufferFrames, paOutputUnderflow);
    EXPECT_EQ (rig.context.glitchedBlocks.load(), 0u) << "the output's glitches are not the recording's";

    rig.record (bufferFrames, paInputOverflow); // frames 4096.. : block 1 of 4096
    EXPECT_EQ (rig.context.glitchedBlocks.load(), 2u);

    rig.record (bufferFrames, paInputUnderflow); // frames 6144.. : block 1 again
    rig.record();
    EXPECT_EQ (rig.context.glitchedBlocks.load(), 2u);
}

TEST (MeasurementCallback, BothAbortWithSilenceAndUseNothingUpOnceTheWorkerAsksThemToStop)
{
    CallbackRig rig (3, 100000);
    rig.context.stopRequested = true;

    EXPECT_EQ (rig.play(), paAbort);
    EXPECT_TRUE (allZero (rig.output, 0, 1));
    EXPECT_EQ (rig.noise.getFramesRemaining(), 100000) << "no noise was played, so none is used up";

    EXPECT_EQ (rig.record(), paAbort);
    EXPECT_EQ (rig.context.framesCaptured.load(), 0);
    EXPECT_EQ (rig.context.playbackCallbacks.load(), 1) << "a stopping stream still shows it is alive";
    EXPECT_EQ (rig.context.captureCallbacks.load(), 1);
}

TEST (NoiseSource, KeepsTheFirstChannelMaskOfARun)
{
    NoiseSource noise;
    EXPECT_FALSE (noise.isInitialised());

    noise.prepare (2);
    noise.prepare (1);

    EXPECT_TRUE (noise.isInitialised());
    EXPECT_EQ (noise.getChannelMask(), 2);
}

TEST (NoiseSource, SpansTheWholeRangeOfRandUniformly)
{
    float lowest = 0.0f;
    float highest = 0.0f;
    double sum = 0.0;
    constexpr int samples = 200000;

    for (int i = 0; i < samples; ++i)
    {
        const float s = NoiseSource::nextSample();
        lowest = std::min (lowest, s);
        highest = std::max (highest, s);
        sum += s;
    }

    EXPECT_GE (lowest, -1.0f);
    EXPECT_LE (highest, 16384.0f / 16383.0f);
    EXPECT_LT (lowest, -0.999f);
    EXPECT_GT (highest, 0.999f);
    EXPECT_NEAR (sum / samples, 0.0, 0.01);
}

TEST (MeasurementCallback, FeedsTheMeterEveryInputBufferAlsoWhenNothingIsCapturedAndLatchesAClip)
{
    // The level test captures nothing (no capacity) but its meter hears every buffer.
    CallbackRig rig (3, 100000, 0);
    InputLevelMeter meter;
    rig.context.meter = &meter;

    EXPECT_LT (meter.takePeak(), 0.0f) << "nothing heard yet";
    rig.record();
    EXPECT_EQ (rig.context.framesCaptured.load(), 0);
    EXPECT_FLOAT_EQ (meter.takePeak(), rig.input.back()) << "the loudest sample of the buffer";
    EXPECT_LT (meter.takePeak(), 0.0f) << "each look takes what came since the last";

    // Between two looks the loudest of several buffers counts, a quiet one after it too.
    rig.input.assign (bufferFrames, 0.0f);
    rig.input[7] = -0.5f;
    rig.record();
    rig.input[7] = 0.25f;
    rig.record();
    EXPECT_FLOAT_EQ (meter.takePeak(), 0.5f);
    EXPECT_FALSE (meter.hasClipped());

    rig.input.assign (bufferFrames, 0.0f);
    rig.record();
    EXPECT_EQ (meter.takePeak(), 0.0f) << "silence is a level, not nothing";

    rig.input[3] = 32767.0f / 32768.0f;
    rig.record();
    rig.input[3] = 0.0f;
    rig.record();
    EXPECT_TRUE (meter.hasClipped()) << "a 16-bit converter's largest code is full scale";
    meter.reset();
    EXPECT_FALSE (meter.hasClipped());
    EXPECT_LT (meter.takePeak(), 0.0f);
}
