#include "DftAnalyzer.h"
#include "ReferenceTransform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace
{
    constexpr int32_t fullSize = 16384;

    std::vector<float> randomBlock (int32_t n, uint32_t seed, float amplitude = 1.0f)
    {
        std::mt19937 generator (seed);
        std::uniform_real_distribution<float> distribution (-amplitude, amplitude);
        std::vector<float> block (static_cast<size_t> (n));

        for (auto& x : block)
            x = distribution (generator);

        return block;
    }

    std::vector<float> magnitudesOf (DftAnalyzer& dft, const std::vector<float>& block, DftAnalyzer::Kernel kernel)
    {
        SpectrumArray raw;
        EXPECT_TRUE (raw.allocate (dft.getNumPoints()));
        dft.transform (block.data(), raw, kernel);

        std::vector<float> magnitudes (static_cast<size_t> (dft.getNumPoints() / 2));

        for (size_t i = 0; i < magnitudes.size(); ++i)
            magnitudes[i] = raw.point (static_cast<int32_t> (i)).magnitude;

        return magnitudes;
    }

    // Bit patterns, so that -0 / +0 and NaNs would count as differences too.
    void expectBitIdentical (const std::vector<float>& expected, const std::vector<float>& actual)
    {
        ASSERT_EQ (expected.size(), actual.size());
        size_t differences = 0;

        for (size_t i = 0; i < expected.size(); ++i)
        {
            if (std::memcmp (&expected[i], &actual[i], sizeof (float)) != 0 && differences++ < 5)
                ADD_FAILURE() << "bin " << i << ": " << expected[i] << " expected, got " << actual[i];
        }

        EXPECT_EQ (differences, 0u);
    }

    // Every kernel this processor can run, each against the plain loop.
    void expectEveryKernelMatchesTheReference (int32_t n, const std::vector<float>& block)
    {
        std::vector<float> expected (static_cast<size_t> (n / 2));
        ASSERT_TRUE (referenceTransform (block.data(), n, expected.data()));

        DftAnalyzer dft;
        ASSERT_TRUE (dft.setup (n, 44100));

        for (auto kernel : { DftAnalyzer::Kernel::avx512, DftAnalyzer::Kernel::avx2, DftAnalyzer::Kernel::portable })
        {
            if (DftAnalyzer::kernelFor (kernel, n) != kernel)
                continue;

            SCOPED_TRACE ("kernel " + std::to_string (static_cast<int> (kernel)) + ", n = " + std::to_string (n));
            expectBitIdentical (expected, magnitudesOf (dft, block, kernel));
        }
    }
}

TEST (DftAnalyzer, SetupRefusesEmptyOrNegativeSizesAndRates)
{
    DftAnalyzer dft;
    EXPECT_FALSE (dft.setup (0, 44100));
    EXPECT_FALSE (dft.setup (-16384, 44100));
    EXPECT_FALSE (dft.setup (16384, 0));
    EXPECT_FALSE (dft.isReady());

    ASSERT_TRUE (dft.setup (fullSize, 44100));
    EXPECT_TRUE (dft.isReady());
    EXPECT_FALSE (dft.setup (0, 44100)) << "a failed setup must not leave the old one ready";
    EXPECT_FALSE (dft.isReady());
}

TEST (DftAnalyzer, FallsBackToANarrowerKernelButNeverPastWhatWasAskedFor)
{
    using Kernel = DftAnalyzer::Kernel;
    EXPECT_EQ (DftAnalyzer::kernelFor (Kernel::portable, fullSize), Kernel::portable);
    EXPECT_NE (DftAnalyzer::kernelFor (Kernel::best, fullSize), Kernel::best);
    EXPECT_NE (DftAnalyzer::kernelFor (Kernel::avx2, fullSize), Kernel::avx512);
    EXPECT_EQ (DftAnalyzer::kernelFor (Kernel::best, (1 << 20) + 2), Kernel::portable);
}

TEST (DftAnalyzer, TransformWithoutSetupLeavesTheRawArrayAlone)
{
    DftAnalyzer dft;
    SpectrumArray raw;
    ASSERT_TRUE (raw.allocate (8));
    const std::vector<float> block (8, 1.0f);

    dft.transform (block.data(), raw);
    EXPECT_EQ (raw.point (0).frequency, -1.0f);
}

TEST (DftAnalyzer, FillsTheLowerHalfWithMagnitudeAndBinFrequencyAndLeavesTheUpperHalfUnwritten)
{
    DftAnalyzer dft;
    ASSERT_TRUE (dft.setup (fullSize, 44100));
    SpectrumArray raw;
    ASSERT_TRUE (raw.allocate (fullSize));
    const auto block = randomBlock (fullSize, 1);

    dft.transform (block.data(), raw);

    EXPECT_EQ (raw.point (0).frequency, 0.0f);
    EXPECT_NEAR (raw.point (15).frequency, 40.37f, 0.01f);
    EXPECT_NEAR (raw.point (105).frequency, 282.62f, 0.01f);
    EXPECT_EQ (raw.point (8191).frequency, 8191.0f * 2.691650390625f);
    EXPECT_GT (raw.point (8191).magnitude, 0.0f);
    EXPECT_EQ (raw.point (8191).phase, 0.0f);

    for (int32_t i = fullSize / 2; i < fullSize; ++i)
    {
        ASSERT_EQ (raw.point (i).magnitude, 0.0f) << i;
        ASSERT_EQ (raw.point (i).frequency, -1.0f) << i;
    }
}

TEST (DftAnalyzer, APureToneAtBinKPeaksAtK)
{
    DftAnalyzer dft;
    ASSERT_TRUE (dft.setup (fullSize, 44100));

    for (int32_t k : { 1, 15, 37, 1000, 8000 })
    {
        std::vector<float> block (fullSize);

        for (int32_t j = 0; j < fullSize; ++j)
            block[static_cast<size_t> (j)] = static_cast<float> (std::cos (2.0 * 3.141592653589793 * k * j / fullSize));

        const auto magnitudes = magnitudesOf (dft, block, DftAnalyzer::Kernel::best);
        const auto peak = std::max_element (magnitudes.begin(), magnitudes.end()) - magnitudes.begin();
        EXPECT_EQ (peak, k);
        // Unnormalised sums: a unit cosine gives about N / 2 per sum, times 2.
        EXPECT_NEAR (magnitudes[static_cast<size_t> (k)], static_cast<float> (fullSize), 0.02f * fullSize) << k;
    }
}

TEST (DftAnalyzer, LeavesTheLastSampleOutOfEverySum)
{
    DftAnalyzer dft;
    ASSERT_TRUE (dft.setup (fullSize, 44100));
    std::vector<float> block (fullSize, 0.0f);
    block.back() = 1000.0f;

    for (float m : magnitudesOf (dft, block, DftAnalyzer::Kernel::best))
        ASSERT_EQ (m, 0.0f);
}

TEST (DftAnalyzer, MatchesThePlainLoopBitForBitOnSmallBlocks)
{
    // Odd and even sizes, sizes that are not a multiple of the vector width, loud and quiet input.
    expectEveryKernelMatchesTheReference (2048, randomBlock (2048, 11));
    expectEveryKernelMatchesTheReference (1001, randomBlock (1001, 12, 300.0f));
    expectEveryKernelMatchesTheReference (37, randomBlock (37, 13));
    expectEveryKernelMatchesTheReference (2, randomBlock (2, 14));
    expectEveryKernelMatchesTheReference (4096, randomBlock (4096, 15, 1e-6f));
}

TEST (DftAnalyzer, MatchesThePlainLoopBitForBitOnFullSizeBlocks)
{
    expectEveryKernelMatchesTheReference (fullSize, randomBlock (fullSize, 21));
    expectEveryKernelMatchesTheReference (fullSize, randomBlock (fullSize, 22, 0.01f));
}

TEST (DftAnalyzer, TransformsARangeOfBinsAsTheWholeTransformDoesAndLeavesTheOthersAlone)
{
    constexpr int32_t n = 4096;
    const auto block = randomBlock (n, 31);
    DftAnalyzer dft;
    ASSERT_TRUE (dft.setup (n, 44100));
    const auto whole = magnitudesOf (dft, block, DftAnalyzer::Kernel::best);

    SpectrumArray raw;
    ASSERT_TRUE (raw.allocate (n));
    dft.transformBins (block.data(), raw, 100, 300);
    dft.transformBins (block.data(), raw, 1900, 5000); // clamped to the last bin

    for (int32_t i = 0; i < n; ++i)
    {
        const bool inRange = (i >= 100 && i < 300) || (i >= 1900 && i < n / 2);
        ASSERT_EQ (raw.point (i).magnitude, inRange ? whole[static_cast<size_t> (i)] : 0.0f) << "bin " << i;
        ASSERT_EQ (raw.point (i).frequency, inRange ? static_cast<float> (i * 44100.0 / n) : -1.0f) << "bin " << i;
    }
}
