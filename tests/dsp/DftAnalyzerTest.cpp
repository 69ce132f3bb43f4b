#include "DftAnalyzer.h"
#include "MeasurementContract.h"
#include "RealFft.h"
#include "ReferenceTransform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <random>
#include <string>
#include <vector>

namespace
{
    constexpr int32_t fullSize = MeasurementContract::blockLength;

    std::vector<float> randomBlock (int32_t n, uint32_t seed, float amplitude = 1.0f)
    {
        std::mt19937 generator (seed);
        std::uniform_real_distribution<float> distribution (-amplitude, amplitude);
        std::vector<float> block (static_cast<size_t> (n));

        for (auto& x : block)
            x = distribution (generator);

        return block;
    }

    std::vector<float> magnitudesOf (DftAnalyzer& dft, const std::vector<float>& block)
    {
        SpectrumArray raw;
        EXPECT_TRUE (raw.allocate (dft.getNumPoints()));
        dft.transform (block.data(), raw);

        std::vector<float> magnitudes (static_cast<size_t> (dft.getNumPoints() / 2));

        for (size_t i = 0; i < magnitudes.size(); ++i)
            magnitudes[i] = raw.point (static_cast<int32_t> (i)).magnitude;

        return magnitudes;
    }

    // The largest difference between the shipped magnitudes and the long-double loop's, relative
    // to the block's energy: what single precision leaves, wherever it lands.
    double largestError (const std::vector<float>& block)
    {
        const auto n = static_cast<int32_t> (block.size());
        const auto expected = referenceTransform (block.data(), n);
        DftAnalyzer dft;
        EXPECT_TRUE (dft.setup (n, MeasurementContract::sampleRate));
        const auto magnitudes = magnitudesOf (dft, block);
        double energy = 0.0, largest = 0.0;

        for (float x : block)
            energy += static_cast<double> (x) * x;

        for (size_t i = 0; i < magnitudes.size(); ++i)
            largest = std::max (largest, std::abs (magnitudes[i] - 2.0 * static_cast<double> (std::abs (expected[i]))));

        return largest / std::sqrt (energy * n);
    }
}

TEST (DftAnalyzer, SetupRefusesEmptyOrNegativeSizesAndRates)
{
    DftAnalyzer dft;
    EXPECT_FALSE (dft.setup (0, MeasurementContract::sampleRate));
    EXPECT_FALSE (dft.setup (1, MeasurementContract::sampleRate));
    EXPECT_FALSE (dft.setup (-16384, MeasurementContract::sampleRate));
    EXPECT_FALSE (dft.setup (16384, 0));
    EXPECT_FALSE (dft.isReady());

    ASSERT_TRUE (dft.setup (fullSize, MeasurementContract::sampleRate));
    EXPECT_TRUE (dft.isReady());
    EXPECT_FALSE (dft.setup (0, MeasurementContract::sampleRate)) << "a failed setup must not leave the old one ready";
    EXPECT_FALSE (dft.isReady());
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
    ASSERT_TRUE (dft.setup (fullSize, MeasurementContract::sampleRate));
    SpectrumArray raw;
    ASSERT_TRUE (raw.allocate (fullSize));
    const auto block = randomBlock (fullSize, 1);

    dft.transform (block.data(), raw);

    EXPECT_EQ (raw.point (0).frequency, 0.0f);
    EXPECT_NEAR (raw.point (15).frequency, 40.37f, 0.01f);
    EXPECT_NEAR (raw.point (105).frequency, 282.62f, 0.01f);
    EXPECT_EQ (raw.point (8191).frequency, 8191.0f * 2.691650390625f);
    EXPECT_GT (raw.point (8191).magnitude, 0.0f);

    for (int32_t i = fullSize / 2; i < fullSize; ++i)
    {
        ASSERT_EQ (raw.point (i).magnitude, 0.0f) << i;
        ASSERT_EQ (raw.point (i).frequency, -1.0f) << i;
    }
}

TEST (DftAnalyzer, APureToneAtBinKPeaksAtK)
{
    DftAnalyzer dft;
    ASSERT_TRUE (dft.setup (fullSize, MeasurementContract::sampleRate));

    for (int32_t k : { 1, 15, 37, 1000, 8000 })
    {
        std::vector<float> block (fullSize);

        for (int32_t j = 0; j < fullSize; ++j)
            block[static_cast<size_t> (j)] = static_cast<float> (std::cos (2.0 * 3.141592653589793 * k * j / fullSize));

        const auto magnitudes = magnitudesOf (dft, block);
        const auto peak = std::max_element (magnitudes.begin(), magnitudes.end()) - magnitudes.begin();
        EXPECT_EQ (peak, k);
        // Unnormalised sums: a unit cosine gives about N / 2 per sum, times 2.
        EXPECT_NEAR (magnitudes[static_cast<size_t> (k)], static_cast<float> (fullSize), 0.02f * fullSize) << k;
    }
}

TEST (DftAnalyzer, TakesEverySampleIntoEveryBin)
{
    DftAnalyzer dft;
    ASSERT_TRUE (dft.setup (fullSize, MeasurementContract::sampleRate));

    for (const size_t at : { size_t { 0 }, size_t { 777 }, size_t { fullSize - 1 } })
    {
        std::vector<float> block (fullSize, 0.0f);
        block[at] = 1.0f;

        for (float m : magnitudesOf (dft, block))
            ASSERT_NEAR (m, 2.0f, 1e-5f) << "an impulse at sample " << at;
    }
}

TEST (DftAnalyzer, AgreesWithTheLongDoubleLoopToSinglePrecisionAtEverySizeAndLevel)
{
    // Even sizes that are and are not powers of two, loud and quiet input.
    for (const auto& block : { randomBlock (2, 14), randomBlock (38, 13), randomBlock (1002, 12, 300.0f),
                               randomBlock (2048, 11), randomBlock (4096, 15, 1e-6f), randomBlock (fullSize, 21) })
        EXPECT_LT (largestError (block), 2e-6) << block.size() << " samples";
}

TEST (RealFft, GivesTheBlockBackThroughItsInverseAndRefusesSizesBelowTwo)
{
    EXPECT_FALSE (RealFft (1).isReady());
    EXPECT_FALSE (RealFft (0).isReady());

    RealFft fft (fullSize);
    ASSERT_TRUE (fft.isReady());
    EXPECT_EQ (fft.numBins(), fullSize / 2 + 1);

    const auto block = randomBlock (fullSize, 41);
    std::vector<std::complex<float>> bins (static_cast<size_t> (fft.numBins()));
    std::vector<float> back (fullSize);
    fft.forward (block.data(), bins.data());
    fft.inverse (bins.data(), back.data());

    for (size_t i = 0; i < block.size(); ++i)
        ASSERT_NEAR (back[i], block[i], 1e-6f) << i;
}
