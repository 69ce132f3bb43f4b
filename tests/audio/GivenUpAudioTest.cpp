#include "MeasurementCallback.h"
#include "MeasurementContract.h"
#include "PortAudioSession.h"
#include "RunMeasurement.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

// Giving up the audio system lasts for the rest of the process: this binary plays no audio, so
// nothing else here depends on it.
TEST (GivenUpAudio, KeepsWhatTheCallbacksTouchAliveAndLaterRunsFailWithoutPortAudio)
{
    auto state = std::make_unique<MeasurementState>();
    ASSERT_TRUE (prepareCapture (*state, 4));

    auto& context = state->callbackContext;
    context.noise = &state->noiseSource;
    state->noiseSource.prepare (3);
    state->noiseSource.loop (state->playedBlock, state->blockLength);
    state->noiseSource.setFramesRemaining (100000);

    state->giveUpStreams();
    EXPECT_TRUE (PortAudioSession::isGivenUp());
    state.reset();

    // Stuck audio threads that wake up after all still find their data (AddressSanitizer checks)
    // and, the run being over, capture no more frames.
    std::vector<float> input (2048, 0.5f);
    std::vector<float> output (2 * 2048);
    EXPECT_EQ (captureCallback (input.data(), nullptr, 2048, nullptr, 0, &context), paContinue);
    EXPECT_EQ (context.framesCaptured.load(), 0);
    EXPECT_EQ (playbackCallback (nullptr, output.data(), 2048, nullptr, 0, &context), paContinue);
    EXPECT_TRUE (std::any_of (output.begin(), output.end(), [] (float s) { return s != 0.0f; })) << "the loop is still there to play";

    MeasurementState next;
    std::vector<float> result (MeasurementContract::blockLength, 0.25f);
    int32_t first = 7, second = 7, third = 7;
    float unused = 0.0f;
    EXPECT_EQ (runMeasurement (5000, next, 1, result.data(), first, second, third, unused, false), statusAudioError);
    EXPECT_FALSE (next.portAudioInitialised);
    EXPECT_NE (std::string (next.errorText).find ("restart"), std::string::npos);
    EXPECT_EQ (result[100], 0.25f);
    EXPECT_EQ (first, 7);
}
