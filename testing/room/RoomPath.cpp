#include "RoomPath.h"

#include <algorithm>

RoomPath::RoomPath (const std::vector<std::vector<float>>& impulses, int blockSize, size_t delaySamples)
    : convolver (impulses, blockSize),
      delay (delaySamples),
      block (static_cast<size_t> (blockSize) * impulses.size(), 0.0f),
      convolved (static_cast<size_t> (blockSize), 0.0f),
      queue (delaySamples + 2 * static_cast<size_t> (blockSize) + largestRun, 0.0f),
      level (latency())
{
}

void RoomPath::process (const float* const* inputs, float* out, size_t count)
{
    const auto frames = static_cast<size_t> (convolver.blockSize());
    const auto count_ = static_cast<size_t> (channels());

    for (size_t done = 0; done < count;)
    {
        const size_t run = std::min (largestRun, count - done);

        for (size_t i = done; i < done + run; ++i)
        {
            for (size_t c = 0; c < count_; ++c)
                block[gathered * count_ + c] = inputs[c][i];

            if (++gathered == frames)
            {
                convolver.process (block.data(), convolved.data());

                for (size_t k = 0; k < frames; ++k)
                    queue[(head + level + k) % queue.size()] = convolved[k];

                level += frames;
                gathered = 0;
            }
        }

        // level never falls under the delay: run frames were owed, and a block comes per block in.
        for (size_t i = 0; i < run; ++i)
        {
            out[done + i] = queue[head];
            head = (head + 1) % queue.size();
        }

        level -= run;
        done += run;
    }
}
