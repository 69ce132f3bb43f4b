#pragma once

#include "MeasurementState.h"
#include "MeasurementStatus.h"

#include <cstdint>

// Plays the test noise for durationMs on the channels of channelSelector (1 left, 2 right, 3 both)
// and records the microphone until the whole noise has arrived, through one output and one input
// stream on the devices of the state's routes. A measurement listens first and fails as silence,
// before any noise plays, when the microphone hears nothing at all. It plays one block of
// flat-spectrum noise over and over; every whole block of the recording that answers this run's
// noise is saved, and once the recording has ended the saved blocks that agree with the others
// (the room in steady state) are averaged. The response is written to result (16384 values,
// dB / 20) and the recommended rear-panel setting to frequencyHz, qSetting and depthSetting (spare
// is set to 0). levelOnly plays fresh noise and records nothing; the microphone then only feeds
// the state's input meter, if it has one. Blocks until the run has ended; returns a
// MeasurementStatus. result and the settings are written only when the status is statusOk and
// levelOnly is false.
int32_t runMeasurement (int32_t durationMs, MeasurementState& state, int32_t channelSelector, float* result,
                        int32_t& frequencyHz, int32_t& qSetting, int32_t& depthSetting, float& spare,
                        bool levelOnly);

// Looks at every whole block captured since the last look: prints the progress lines, and saves
// for the analysis a block that answers this run's noise and lines up with the one before it. Needs the state's capture
// buffers, transform and spectra set up as runMeasurement sets them up.
void pollCapture (MeasurementState& state);

// Sets up what pollCapture needs for blocks of state.blockLength at state.sampleRate, with room
// for captureBlocks blocks; false without memory.
bool prepareCapture (MeasurementState& state, int32_t captureBlocks);
