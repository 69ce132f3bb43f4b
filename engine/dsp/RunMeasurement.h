#pragma once

#include "MeasurementState.h"
#include "MeasurementStatus.h"

#include <cstdint>

// Plays white noise for durationMs on the channels of channelSelector (1 left, 2 right, 3 both)
// through one full-duplex stream on the default devices, keeps the fourth full input buffer (or a
// later one when the output's buffering delays the noise, see warmUpPassesFor), and after the stream has closed writes its analysed response (16384 values, dB / 20) to result
// and the recommended rear-panel setting to the three integer outputs (frequency, Q, depth).
// levelOnly plays and captures nothing. Blocks until the noise has played; returns a MeasurementStatus.
// result and the outputs are written only when the status is statusOk and levelOnly is false.
int32_t runMeasurement (int32_t durationMs, MeasurementState& state, int32_t channelSelector, float* result,
                        int32_t& firstOutput, int32_t& secondOutput, int32_t& thirdOutput, float& floatOutput,
                        bool levelOnly);

// The last pass to skip so that the kept block starts a whole block after the output's latency
// has passed: the output latency in whole blocks (rounded to the nearest), 0 when unknown.
int32_t warmUpPassesFor (const PaStreamInfo* info, int32_t sampleRate, int32_t blockLength);

// One look at the capture hand-off: counts a full buffer that arrived since the last look,
// prints the progress lines, copies the buffer to be kept, and gives the buffer back to the callback.
void pollCapture (MeasurementState& state);
