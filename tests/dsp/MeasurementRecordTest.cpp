#include "MeasurementRecord.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <vector>

TEST (MeasurementRecord, ReadsZeroEverywhereUntilAResultIsStored)
{
    // Freed memory of the record's size, left dirty and kept apart from the heap's end (which the
    // allocator may hand back to the system, to come back zeroed): a record that does not clear
    // its own values would likely be given this block and read its leftovers as a response.
    void* dirty = std::malloc (sizeof (float) * MeasurementRecord::numValues);
    void* keepApart = std::malloc (64);
    ASSERT_NE (dirty, nullptr);
    auto* bytes = static_cast<volatile unsigned char*> (dirty);   // writes the compiler may not drop

    for (size_t i = 0; i < sizeof (float) * MeasurementRecord::numValues; ++i)
        bytes[i] = 0x7F;

    std::free (dirty);

    MeasurementRecord record;
    ASSERT_EQ (record.getNumValues(), 16384);
    EXPECT_EQ (record.frequencyHz, 0);
    EXPECT_EQ (record.qSetting, 0);
    EXPECT_EQ (record.depthSetting, 0);

    for (int32_t i = 0; i < record.getNumValues(); ++i)
        ASSERT_EQ (record.valueAt (i), 0.0f) << "index " << i;

    std::free (keepApart);
}

TEST (MeasurementRecord, KeepsItsOwnCopyOfAStoredResultAndReadsZeroOutsideIt)
{
    std::vector<float> source (16384);

    for (size_t i = 0; i < source.size(); ++i)
        source[i] = static_cast<float> (i) * 0.5f - 100.0f;

    MeasurementRecord record;
    record.setContents (125, 6, 3, source.data());
    const auto stored = source;
    std::fill (source.begin(), source.end(), 1.0f);

    EXPECT_EQ (record.frequencyHz, 125);
    EXPECT_EQ (record.qSetting, 6);
    EXPECT_EQ (record.depthSetting, 3);

    for (int32_t i = 0; i < 16384; ++i)
        ASSERT_EQ (record.valueAt (i), stored[static_cast<size_t> (i)]) << "index " << i;

    for (int32_t index : { 16384, 16385, 1 << 20, INT_MAX, -1, -16384, INT_MIN })
        EXPECT_EQ (record.valueAt (index), 0.0f) << "index " << index;
}
