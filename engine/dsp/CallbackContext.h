#pragma once

#include "NoiseSource.h"
#include "StereoFrame.h"

#include <atomic>
#include <cstdint>

// What the audio callback may touch. The capture buffer belongs to the callback while
// framesReceived is 0 and to the polling worker otherwise: the callback writes the frames and then
// publishes the count (release); the worker reads the count (acquire), copies, and hands the buffer
// back by storing 0 (release).
struct CallbackContext
{
    NoiseSource* noise = nullptr;
    StereoFrame* captureBuffer = nullptr;
    int32_t captureCapacity = 0; // frames
    std::atomic<int32_t> framesReceived { 0 };
    bool levelOnly = false;

    // Full input buffers the callback has been given so far (its own count), and the number of the
    // one in the capture buffer, published together with framesReceived.
    int32_t fullBuffersSeen = 0;
    int32_t bufferPass = 0;

    // The audio system reported an overflow or underflow since the last buffer was handed over
    // (the callback's own), and whether the buffer in the capture buffer came after one
    // (published together with framesReceived): such a block has a gap or a jump in it.
    bool glitchPending = false;
    bool bufferGlitched = false;

    // Set by the worker to end the stream from inside: the next callback plays silence and aborts.
    std::atomic<bool> stopRequested { false };

    // Counts callbacks so that the worker can tell a stalled stream from a slow one.
    std::atomic<int32_t> callbacksRun { 0 };
};
