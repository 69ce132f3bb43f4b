#pragma once

#include "MeasurementState.h"
#include "MeasurementStatus.h"

#include <cstdint>

// Plays white noise for durationMs on the channels of channelSelector (1 left, 2 right, 3 both)
// and records the microphone, through one output and one input stream on the devices of the
// state's routes. A measurement listens first and fails as silence, before any noise plays, when
// the microphone hears nothing at all. It draws one block of noise and plays it over and over;
// every block of the recording that repeats the one before it (the room heard in steady state)
// is kept, and after the streams have closed the response is written to result (16384 values,
// dB / 20) and the recommended rear-panel setting to the three integer outputs (frequency, Q,
// depth). levelOnly plays fresh noise and records nothing; the microphone then only feeds the
// state's input meter, if it has one. Blocks until the noise has played; returns a
// MeasurementStatus. result and the outputs are written only when the status is statusOk and
// levelOnly is false.
int32_t runMeasurement (int32_t durationMs, MeasurementState& state, int32_t channelSelector, float* result,
                        int32_t& firstOutput, int32_t& secondOutput, int32_t& thirdOutput, float& floatOutput,
                        bool levelOnly);

// Looks at every whole block captured since the last look: prints the progress lines, and adds a
// block that repeats the one before it to the captured spectrum. Needs the state's capture
// buffers, transform and spectra set up as runMeasurement sets them up.
void pollCapture (MeasurementState& state);

// Sets up what pollCapture needs for blocks of state.blockLength at state.sampleRate, with room
// for captureBlocks blocks; false without memory.
bool prepareCapture (MeasurementState& state, int32_t captureBlocks);
