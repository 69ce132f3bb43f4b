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
    ASSERT_TRUE (array.allocate (4));
    array.point (3).magnitude = 9.0f;

    ASSERT_TRUE (array.allocate (8));
    expectUnwritten (array.point (3));
    array.point (0).magnitude = 1.0f;
    ASSERT_TRUE (array.allocate (8));
    EXPECT_EQ (array.point (100).magnitude, 0.0f) << "cursor must be back at an unwritten point 0";
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
