#include "CallbackContext.h"
#include "MeasurementCallback.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace
{
    constexpr unsigned long bufferFrames = 16384;

    struct CallbackRig
    {
        explicit CallbackRig (int32_t channelSelector, int32_t framesToPlay, bool levelOnly = false)
            : capture (2 * bufferFrames),
              input (bufferFrames),
              output (2 * bufferFrames, 123.0f)
        {
            noise.prepare (channelSelector);
            noise.setFramesRemaining (framesToPlay);
            context.noise = &noise;
            context.captureBuffer = capture.data();
            context.captureCapacity = static_cast<int32_t> (capture.size());
            context.levelOnly = levelOnly;

            for (size_t i = 0; i < input.size(); ++i)
                input[i] = static_cast<float> (i + 1) / 100000.0f;
        }

        int call (unsigned long frames = bufferFrames, PaStreamCallbackFlags flags = 0)
        {
            return measurementCallback (input.data(), output.data(), frames, nullptr, flags, &context);
        }

        NoiseSource noise;
        CallbackContext context;
        std::vector<StereoFrame> capture;
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

TEST (MeasurementCallback, PlaysNoiseOnlyOnTheSelectedChannels)
{
    CallbackRig left (1, 100000);
    left.call();
    EXPECT_TRUE (allNoise (left.output, 0, 2));
    EXPECT_TRUE (allZero (left.output, 1, 2));

    CallbackRig right (2, 100000);
    right.call();
    EXPECT_TRUE (allZero (right.output, 0, 2));
    EXPECT_TRUE (allNoise (right.output, 1, 2));

    CallbackRig both (3, 100000);
    both.call();
    EXPECT_TRUE (allNoise (both.output, 0, 2));
    EXPECT_TRUE (allNoise (both.output, 1, 2));

    CallbackRig none (0, 100000);
    none.call();
    EXPECT_TRUE (allZero (none.output, 0, 1));
}

TEST (MeasurementCallback, HandsAFullInputBufferToTheWorkerInBothHalvesOfEachFrame)
{
    CallbackRig rig (1, 100000);
    EXPECT_EQ (rig.call(), paContinue);

    EXPECT_EQ (rig.context.framesReceived.load(), static_cast<int32_t> (bufferFrames));
    EXPECT_EQ (rig.noise.getFramesRemaining(), 100000 - static_cast<int32_t> (bufferFrames));

    for (size_t i = 0; i < bufferFrames; ++i)
    {
        ASSERT_EQ (rig.capture[i].left, rig.input[i]);
        ASSERT_EQ (rig.capture[i].right, rig.input[i]);
    }
}

TEST (MeasurementCallback, CapturesNothingInALevelTest)
{
    CallbackRig rig (3, 100000, true);
    EXPECT_EQ (rig.call(), paContinue);

    EXPECT_EQ (rig.context.framesReceived.load(), 0);
    EXPECT_TRUE (std::all_of (rig.capture.begin(), rig.capture.end(),
                              [] (const StereoFrame& f) { return f.left == 0.0f && f.right == 0.0f; }));
    EXPECT_TRUE (allNoise (rig.output, 0, 1));
}

TEST (MeasurementCallback, AbortsWithSilenceAndCapturesNothingOnceTheWorkerAsksItToStop)
{
    CallbackRig rig (3, 100000);
    rig.context.stopRequested = true;

    EXPECT_EQ (rig.call(), paAbort);
    EXPECT_TRUE (allZero (rig.output, 0, 1));
    EXPECT_EQ (rig.context.framesReceived.load(), 0);
    EXPECT_EQ (rig.noise.getFramesRemaining(), 100000) << "no noise was played, so none is used up";
}

TEST (MeasurementCallback, NumbersEveryFullBufferAlsoTheOnesItDrops)
{
    CallbackRig rig (1, 100000);

    rig.call();
    EXPECT_EQ (rig.context.bufferPass, 0);
    rig.call(); // dropped: the worker has not taken buffer 0
    rig.call(); // dropped too

    rig.context.framesReceived = 0;
    rig.call();
    EXPECT_EQ (rig.context.bufferPass, 3);
    EXPECT_EQ (rig.context.fullBuffersSeen, 4);
}

TEST (MeasurementCallback, EndsWithAShortLastBufferThatIsStillFilledWithNoise)
{
    CallbackRig rig (3, 7508);
    EXPECT_EQ (rig.call(), paComplete);

    EXPECT_EQ (rig.noise.getFramesRemaining(), 0);
    EXPECT_EQ (rig.context.framesReceived.load(), 7508);
    EXPECT_TRUE (allNoise (rig.output, 0, 1)) << "the whole buffer plays, not just the frames left";
}

TEST (MeasurementCallback, ContinuesWhenExactlyOneBufferIsLeftAndCompletesOnTheEmptyOne)
{
    CallbackRig rig (1, static_cast<int32_t> (bufferFrames));
    EXPECT_EQ (rig.call(), paContinue);
    rig.context.framesReceived = 0;
    EXPECT_EQ (rig.call(), paComplete);
    EXPECT_EQ (rig.noise.getFramesRemaining(), 0);
}

TEST (MeasurementCallback, LeavesAnUnreadBufferAloneUntilTheWorkerHasTakenIt)
{
    CallbackRig rig (1, 100000);
    rig.call();

    for (auto& sample : rig.input)
        sample = -0.5f;

    rig.call();
    EXPECT_NE (rig.capture[0].left, -0.5f) << "the worker may be copying it";

    rig.context.framesReceived = 0;
    rig.call();
    EXPECT_EQ (rig.capture[0].left, -0.5f);
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

TEST (MeasurementCallback, MarksTheBufferHandedOverAfterAGlitchAlsoWhenTheGlitchedOneWasDropped)
{
    CallbackRig rig (1, 1000000);

    rig.call();
    EXPECT_FALSE (rig.context.bufferGlitched);

    // The worker still holds the first buffer: the glitched one is dropped, the mark waits.
    rig.call (bufferFrames, paInputOverflow);
    rig.context.framesReceived = 0;
    rig.call();
    EXPECT_TRUE (rig.context.bufferGlitched) << "the gap lies before this buffer";

    rig.context.framesReceived = 0;
    rig.call();
    EXPECT_FALSE (rig.context.bufferGlitched);

    rig.context.framesReceived = 0;
    rig.call (bufferFrames, paOutputUnderflow);
    EXPECT_TRUE (rig.context.bufferGlitched);
}
