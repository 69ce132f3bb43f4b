#pragma once

#include <cstddef>
#include <vector>

// An impulse response taken to another sample rate as the band-limited signal its samples stand
// for: below both rates' Nyquist frequencies a stream at the new rate through it sounds as a
// stream at the old rate through the original (same gain and phase), lead seconds later. The
// lead holds what comes before the first sample of a response that starts abruptly (a filter's
// own impulse at its start rings on both sides of it once band-limited).
class ImpulseResampler final
{
public:
    struct Resampled
    {
        std::vector<float> samples;
        size_t lead = 0; // samples at the new rate before the one that stands for h[0]
    };

    // h sampled at fromRate, as sampled at toRate (both positive), with a lead of at least
    // leadSeconds; h itself, with no lead, when the rates are equal.
    static Resampled resample (const std::vector<float>& h, int fromRate, int toRate, double leadSeconds);
};
