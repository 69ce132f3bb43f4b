#pragma once

#include <cstdint>

// What a captured block's samples say before the estimator looks at it: whether it is all
// silence, or has a gap the sound system filled in. Plain checks on the samples.
class CapturedBlock final
{
public:
    // Nothing but exact zeros.
    static bool isSilent (const float* block, int32_t length);

    // Bit pass of glitchedBlocks set: the audio system reported an overflow or underflow while
    // block pass was captured. Blocks from 64 on carry no bit.
    static bool wasGlitched (int32_t pass, uint64_t glitchedBlocks);

    // A microphone's own noise never rests on exactly zero for long. A run of exact zeros amid the
    // noise is silence the sound server filled in (a stream that ran dry): the block has a gap.
    static bool hasSilentGap (const float* block, int32_t length);
};
