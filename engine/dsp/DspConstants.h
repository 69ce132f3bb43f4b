#pragma once

namespace dsp
{
    // Single precision on purpose: the transform's angle arithmetic is defined in float.
    constexpr float pi = 3.1415927f;
    constexpr float twoPi = 2.0f * pi;
}
