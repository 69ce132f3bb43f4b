#include "CapturedBlock.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

// A block is left out of the average when it is all zeros, when the audio system flagged it, or
// when a run of exact zeros amid the noise shows the server filled in a gap.
TEST (CapturedBlock, TellsSilenceFlaggedBlocksAndFilledInGapsFromNoise)
{
    std::vector<float> block (1024, 0.0f);
    const auto length = static_cast<int32_t> (block.size());
    EXPECT_TRUE (CapturedBlock::isSilent (block.data(), length));
    EXPECT_FALSE (CapturedBlock::hasSilentGap (block.data(), length)) << "silence is not a gap: nothing was heard";

    for (size_t i = 0; i < block.size(); ++i)
        block[i] = (i % 2 == 0 ? 1e-4f : -1e-4f);

    EXPECT_FALSE (CapturedBlock::isSilent (block.data(), length));
    EXPECT_FALSE (CapturedBlock::hasSilentGap (block.data(), length));

    std::fill (block.begin() + 100, block.begin() + 163, 0.0f);
    EXPECT_FALSE (CapturedBlock::hasSilentGap (block.data(), length)) << "63 zeros in a row can be noise";
    block[163] = 0.0f;
    EXPECT_TRUE (CapturedBlock::hasSilentGap (block.data(), length)) << "64 cannot";

    const uint64_t flagged = (uint64_t { 1 } << 3) | (uint64_t { 1 } << 63);
    EXPECT_TRUE (CapturedBlock::wasGlitched (3, flagged));
    EXPECT_TRUE (CapturedBlock::wasGlitched (63, flagged));
    EXPECT_FALSE (CapturedBlock::wasGlitched (4, flagged));
    EXPECT_FALSE (CapturedBlock::wasGlitched (64, ~uint64_t { 0 })) << "blocks from 64 on carry no bit";
}
