#include "CapturedBlock.h"

#include <algorithm>

namespace
{
    constexpr int32_t silentGapFrames = 64;
}

bool CapturedBlock::isSilent (const float* block, int32_t length)
{
    return std::all_of (block, block + length, [] (float sample) { return sample == 0.0f; });
}

bool CapturedBlock::wasGlitched (int32_t pass, uint64_t glitchedBlocks)
{
    return pass < 64 && ((glitchedBlocks >> pass) & 1) != 0;
}

bool CapturedBlock::hasSilentGap (const float* block, int32_t length)
{
    int32_t zeros = 0;
    bool heard = false;
    bool gap = false;

    for (int32_t i = 0; i < length; ++i)
    {
        if (block[i] == 0.0f)
        {
            gap = gap || ++zeros >= silentGapFrames;
        }
        else
        {
            zeros = 0;
            heard = true;
        }
    }

    return gap && heard;
}
