#include "MeasurementRecord.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

TEST (MeasurementRecord, StartsWithAZeroTripleAnd16384Values)
{
    MeasurementRecord record;
    EXPECT_EQ (record.getNumValues(), 16384);
    EXPECT_EQ (record.frequencyHz, 0);
    EXPECT_EQ (record.qSetting, 0);
    EXPECT_EQ (record.depthSetting, 0);
}

TEST (MeasurementRecord, StoresTheTripleInFrequencyQDepthOrderAndEveryValue)
{
    std::vector<float> source (16384);

    for (size_t i = 0; i < source.size(); ++i)
        source[i] = static_cast<float> (i) * 0.5f - 100.0f;

    MeasurementRecord record;
    record.setContents (125, 6, 3, source.data());

    EXPECT_EQ (record.frequencyHz, 125);
    EXPECT_EQ (record.qSetting, 6);
    EXPECT_EQ (record.depthSetting, 3);

    for (int32_t i = 0; i < 16384; ++i)
        ASSERT_EQ (record.valueAt (i), source[static_cast<size_t> (i)]) << "index " << i;
}

TEST (MeasurementRecord, ReadsZeroAtAndBeyondTheCountAndAtNegativeIndices)
{
    std::vector<float> source (16384, 7.0f);
    MeasurementRecord record;
    record.setContents (40, 1, 1, source.data());

    for (int32_t index : { 16384, 16385, 1 << 20, INT_MAX, -1, -16384, INT_MIN })
        EXPECT_EQ (record.valueAt (index), 0.0f) << "index " << index;

    EXPECT_EQ (record.valueAt (16383), 7.0f);
}
