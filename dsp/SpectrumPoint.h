#pragma once

// One analysis bin. The phase is carried but never computed; frequency -1 marks a point no step wrote.
struct SpectrumPoint
{
    float magnitude = 0.0f;
    float phase = 0.0f;
    float frequency = -1.0f;
};
