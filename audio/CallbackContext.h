#pragma once

#include "InputLevelMeter.h"
#include "MeasurementContract.h"
#include "NoiseSource.h"

#include <atomic>
#include <cstdint>

// What the two audio callbacks may touch. The capture callback appends every input frame of the
// run to captureBuffer and then publishes the new count (release); the polling worker reads the
// count (acquire) and may then read every frame below it, which the callback never writes again.
struct CallbackContext
{
    NoiseSource* noise = nullptr;

    float* captureBuffer = nullptr;
    int32_t captureCapacity = 0; // frames; the input beyond it is not kept
    int32_t blockLength = MeasurementContract::blockLength;
    std::atomic<int32_t> framesCaptured { 0 };

    // Bit p is set when the audio system reported an input overflow or underflow while block p
    // (frames p * blockLength ..) was being captured: that block has a gap or a jump in it.
    // Blocks past the 64th are not marked.
    std::atomic<uint64_t> glitchedBlocks { 0 };

    // Set by the playing callback once it has handed out the run's last frames of noise.
    std::atomic<bool> noisePlayed { false };

    // Set by the worker to end the streams from inside: the next callbacks play silence and abort.
    std::atomic<bool> stopRequested { false };

    // Hears every input buffer, also when nothing is captured (the level test); may be null.
    InputLevelMeter* meter = nullptr;

    // Each stream's callbacks, counted apart: an output that never plays is stalled even while
    // the input goes on.
    std::atomic<int32_t> playbackCallbacks { 0 };
    std::atomic<int32_t> captureCallbacks { 0 };

    // How many frames had been captured when the first noise was handed to the output: where,
    // in the recording, the sound path's delay is counted from. -1 until then.
    std::atomic<int32_t> capturedAtFirstPlayback { -1 };
};
