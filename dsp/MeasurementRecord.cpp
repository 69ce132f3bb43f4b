#include "MeasurementRecord.h"

#include <cstdlib>
#include <cstring>

MeasurementRecord::MeasurementRecord()
    : values (static_cast<float*> (std::calloc (numValues, sizeof (float))))
{
    // Zeroed: step six and the calculator may read the record before anything was measured.
    // Without storage the record holds nothing rather than pretending to hold 16384 values.
    if (values == nullptr)
        count = 0;
}

MeasurementRecord::~MeasurementRecord()
{
    std::free (values);
}

void MeasurementRecord::setContents (int32_t newFrequencyHz, int32_t newQSetting, int32_t newDepthSetting, const float* source)
{
    frequencyHz = newFrequencyHz;
    qSetting = newQSetting;
    depthSetting = newDepthSetting;

    if (values != nullptr && source != nullptr)
        std::memcpy (values, source, sizeof (float) * static_cast<size_t> (count));
}

float MeasurementRecord::valueAt (int32_t index) const
{
    return static_cast<uint32_t> (index) < static_cast<uint32_t> (count) ? values[index] : 0.0f;
}
