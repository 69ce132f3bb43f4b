#pragma once

#include <cstdint>

// What runMeasurement returns. 2 is not used.
enum MeasurementStatus : int32_t
{
    statusOk = 0,
    statusAudioError = 1,  // PortAudio could not start, or there is no default device
    statusFailed = 3,      // the stream failed, stalled, ended without a usable block, or was stopped
    statusCloseError = 4,
    statusOutOfMemory = 5
};
