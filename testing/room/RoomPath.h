#pragma once

#include "PartitionedConvolver.h"

#include <cstddef>
#include <vector>

// A room's sound path: the speakers' channels through their impulse responses, summed, after a
// pure delay, for any number of frames at a time. What comes out lags what goes in by exactly
// latency() samples: the delay and one convolver block (zeros first).
class RoomPath final
{
public:
    static constexpr size_t largestRun = 4096; // frames per step of process(); longer runs are split

    // One impulse response per channel.
    RoomPath (const std::vector<std::vector<float>>& impulses, int blockSize, size_t delaySamples);

    size_t latency() const { return delay + static_cast<size_t> (convolver.blockSize()); }
    int channels() const { return convolver.channels(); }

    // inputs[c][i] for frames i < count, into out[i].
    void process (const float* const* inputs, float* out, size_t count);

private:
    PartitionedConvolver convolver;
    size_t delay = 0;
    std::vector<float> block;   // interleaved frames gathered for the convolver
    size_t gathered = 0;
    std::vector<float> convolved;
    std::vector<float> queue;   // ring of what waits to come out
    size_t head = 0, level = 0;
};
