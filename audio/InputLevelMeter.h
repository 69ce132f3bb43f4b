#pragma once

#include <atomic>

// The microphone's level while the test tone plays. The capture callback adds its buffers;
// the screen takes the loudest sample since its last look. Lock-free on both sides.
class InputLevelMeter final
{
public:
    // Audio thread.
    void addSamples (const float* samples, unsigned long count) noexcept;

    // Any thread: the largest magnitude since the last call, or a negative value if no sample
    // has arrived since (no input stream, or it stalled).
    float takePeak() noexcept;

    // Whether a sample reached full scale since the last reset.
    bool hasClipped() const noexcept { return clipped.load (std::memory_order_relaxed); }
    void reset() noexcept;

private:
    std::atomic<float> peak { -1.0f };
    std::atomic<bool> clipped { false };
};
