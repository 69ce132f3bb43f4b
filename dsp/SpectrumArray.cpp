#include "SpectrumArray.h"

#include <cstdlib>

SpectrumArray::~SpectrumArray()
{
    release();
}

void SpectrumArray::release()
{
    std::free (points);
    points = nullptr;
    count = 0;
    cursor = 0;
}

bool SpectrumArray::allocate (int32_t newCount)
{
    release();

    if (newCount <= 0)
        return false;

    points = static_cast<SpectrumPoint*> (std::malloc (sizeof (SpectrumPoint) * static_cast<size_t> (newCount)));

    if (points == nullptr)
        return false;

    for (int32_t i = 0; i < newCount; ++i)
        points[i] = SpectrumPoint();

    count = newCount;
    return true;
}

SpectrumPoint& SpectrumArray::point (int32_t index)
{
    // Without storage there is nothing to address; callers get a scratch point instead of a crash.
    if (points == nullptr)
    {
        detached = SpectrumPoint();
        return detached;
    }

    // Negative indices are out of range too, not a read before the array.
    if (index >= 0 && index < count)
        cursor = index;

    return points[cursor];
}
