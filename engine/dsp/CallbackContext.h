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

    // Counts callbacks so that the worker can tell a stalled stream from a slow one.
    std::atomic<int32_t> callbacksRun { 0 };
};
