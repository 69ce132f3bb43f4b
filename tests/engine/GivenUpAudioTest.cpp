#include "MeasurementCallback.h"
#include "RunMeasurement.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

// Giving up the audio system lasts for the rest of the process: this binary plays no audio, so
// nothing else here depends on it.
TEST (GivenUpAudio, KeepsWhatTheCallbackTouchesAliveAndLaterRunsFailWithoutPortAudio)
{
    auto state = std::make_unique<MeasurementState>();
    ASSERT_TRUE (state->allocateCaptureBuffers());

    auto& context = state->callbackContext;
    context.noise = &state->noiseSource;
    context.captureBuffer = state->captureBuffer;
    context.captureCapacity = 2 * state->blockLength;
    state->noiseSource.prepare (3);
    state->noiseSource.setFramesRemaining (100000);

    state->giveUpStream();
    EXPECT_TRUE (MeasurementState::isAudioGivenUp());
    state.reset();

    // A stuck audio thread that wakes up after all still finds its data (AddressSanitizer checks)
    // and, the run being over, captures no more frames.
    std::vector<float> input (16384, 0.5f);
    std::vector<float> output (2 * 16384);
    EXPECT_EQ (measurementCallback (input.data(), output.data(), 16384, nullptr, 0, &context), paContinue);
    EXPECT_EQ (context.captureCapacity, 0);
    EXPECT_EQ (context.captureBuffer[0].left, 0.0f);

    MeasurementState next;
    std::vector<float> result (16384, 0.25f);
    int32_t first = 7, second = 7, third = 7;
    float unused = 0.0f;
    EXPECT_EQ (runMeasurement (5000, next, 1, result.data(), first, second, third, unused, false), statusAudioError);
    EXPECT_FALSE (next.portAudioInitialised);
    EXPECT_NE (std::string (next.errorText).find ("restart"), std::string::npos);
    EXPECT_EQ (result[100], 0.25f);
    EXPECT_EQ (first, 7);
}
