#pragma once

#include <vector>

// An impulse response taken to another sample rate as the band-limited signal its samples stand
// for: its bins below both rates' Nyquist frequencies stay as they are, so a stream at the new
// rate through it sounds, below those frequencies, as a stream at the old rate through the
// original (same gain, same phase, same delay in seconds).
class ImpulseResampler final
{
public:
    // h sampled at fromRate, as sampled at toRate (both positive); h itself when they are equal.
    static std::vector<float> resample (const std::vector<float>& h, int fromRate, int toRate);
};
