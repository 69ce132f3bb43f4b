#pragma once

#include "MeasurementRecord.h"

// The 40..280 Hz part of a measured response, in dB.
struct EngineResponse
{
    explicit EngineResponse (const MeasurementRecord& record);

    float peakHz = 0.0f;
    float peakDb = 0.0f;
    float lowestDb = 0.0f;
    float meanDb = 0.0f;
    bool allFinite = true;
};
