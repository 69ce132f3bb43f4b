#pragma once

#include <cstdint>

// The code runMeasurement returns: whether the run worked, in the few classes its callers branch
// on. MeasurementOutcome tells the causes apart that share a code. 2 is not used.
enum MeasurementStatus : int32_t
{
    statusOk = 0,
    statusAudioError = 1,  // PortAudio could not start, or there is no default device
    statusFailed = 3,      // the stream failed, stalled, ended without a usable block, or was stopped
    statusCloseError = 4,
    statusOutOfMemory = 5
};
