#pragma once

#include "SpectrumPoint.h"

#include <cstdint>

// An owned run of points addressed through a cursor: an index outside the array
// yields the last point addressed inside it.
class SpectrumArray final
{
public:
    SpectrumArray() = default;
    ~SpectrumArray();

    SpectrumArray (const SpectrumArray&) = delete;
    SpectrumArray& operator= (const SpectrumArray&) = delete;

    // Replaces the points by count unwritten ones and resets the cursor; false (and empty) on failure.
    bool allocate (int32_t count);

    SpectrumPoint& point (int32_t index);
    int32_t size() const { return count; }

private:
    void release();

    SpectrumPoint* points = nullptr;
    int32_t count = 0;
    int32_t cursor = 0;
    SpectrumPoint detached;
};
