#include "SpectrumArray.h"

#include <gtest/gtest.h>

namespace
{
    void expectUnwritten (const SpectrumPoint& p)
    {
        EXPECT_EQ (p.magnitude, 0.0f);
        EXPECT_EQ (p.phase, 0.0f);
        EXPECT_EQ (p.frequency, -1.0f);
    }
}

TEST (SpectrumArray, AllocatesUnwrittenPoints)
{
    SpectrumArray array;
    ASSERT_TRUE (array.allocate (5));
    EXPECT_EQ (array.size(), 5);

    for (int32_t i = 0; i < 5; ++i)
        expectUnwritten (array.point (i));
}

TEST (SpectrumArray, ReallocatingDiscardsEarlierPointsAndResetsTheCursor)
{
    SpectrumArray array;

    for (int32_t count : { 4, 8, 3 })
    {
        ASSERT_TRUE (array.allocate (8));
        array.point (6).magnitude = 9.0f;   // the cursor now rests on 6

        ASSERT_TRUE (array.allocate (count));
        EXPECT_EQ (array.size(), count);
        const SpectrumPoint* outOfRange = &array.point (100);
        EXPECT_EQ (outOfRange, &array.point (0)) << "the cursor must be back at point 0 after allocating " << count;

        for (int32_t i = 0; i < count; ++i)
            expectUnwritten (array.point (i));
    }
}

TEST (SpectrumArray, AnIndexOutOfRangeYieldsTheLastPointAddressedInRange)
{
    SpectrumArray array;
    ASSERT_TRUE (array.allocate (4));
    array.point (2).magnitude = 2.0f;

    EXPECT_EQ (&array.point (4), &array.point (2));
    array.point (1);
    EXPECT_EQ (&array.point (1000), &array.point (1));
    EXPECT_EQ (&array.point (-1), &array.point (1)) << "negative indices must not reach before the array";
}

TEST (SpectrumArray, WithoutPointsItHandsOutAScratchPointInsteadOfCrashing)
{
    SpectrumArray array;
    EXPECT_EQ (array.size(), 0);
    array.point (0).magnitude = 5.0f;
    expectUnwritten (array.point (3));

    EXPECT_FALSE (array.allocate (0));
    EXPECT_FALSE (array.allocate (-3));
    EXPECT_EQ (array.size(), 0);
}
