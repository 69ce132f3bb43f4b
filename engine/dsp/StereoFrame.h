#pragma once

// One captured frame. The callback writes the microphone sample into both halves.
struct StereoFrame
{
    float left = 0.0f;
    float right = 0.0f;
};
