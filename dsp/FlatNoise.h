#pragma once

#include <cstdint>

// A block of test noise for looping whose spectrum is flat: every bin from the lowest to the
// highest but one has the same magnitude, with phases drawn from the standard library's rand().
// Played over and over it is white noise to the ear, and no bin is weak, so that the room's
// hiss cannot take over where the noise happens to be quiet. Its loudness is that of uniform
// white noise on -1 .. 1 (RMS 1 / sqrt 3); its peaks are clipped down in the drawing so that
// they stay below full scale, lower than uniform noise's.
class FlatNoise final
{
public:
    // Fills n samples (n even, at least 4); false, leaving block alone, without memory.
    static bool draw (float* block, int32_t n);

    static constexpr float rms = 0.57735027f;
};
