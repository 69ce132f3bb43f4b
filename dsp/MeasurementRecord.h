#pragma once

#include "MeasurementContract.h"

#include <cstdint>

// One response curve with the EQ setting it belongs to. Values are dB / 20; all zero until the
// first result is stored.
class MeasurementRecord final
{
public:
    static constexpr int32_t numValues = MeasurementContract::blockLength;

    MeasurementRecord();
    ~MeasurementRecord();

    MeasurementRecord (const MeasurementRecord&) = delete;
    MeasurementRecord& operator= (const MeasurementRecord&) = delete;

    // Stores the triple and copies getNumValues() floats from source.
    void setContents (int32_t frequencyHz, int32_t qSetting, int32_t depthSetting, const float* source);

    int32_t getNumValues() const { return count; }

    // 0 for any index outside the values, negative ones included.
    float valueAt (int32_t index) const;

    int32_t frequencyHz = 0;
    int32_t qSetting = 0;
    int32_t depthSetting = 0;

private:
    float* values = nullptr;
    int32_t count = numValues;
};
