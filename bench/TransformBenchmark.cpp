// The shipped transform against the plain long-double loop on blocks of the measured size: the
// time per block of each, their ratio, and how far the shipped magnitudes lie from the loop's.
// Prints; asserts nothing.

#include "DftAnalyzer.h"
#include "MeasurementContract.h"
#include "ReferenceTransform.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <random>
#include <vector>

namespace
{
    constexpr int32_t blockSize = MeasurementContract::blockLength;

    template <typename Work>
    double secondsFor (Work&& work)
    {
        const auto start = std::chrono::steady_clock::now();
        work();
        return std::chrono::duration<double> (std::chrono::steady_clock::now() - start).count();
    }
}

int main()
{
    std::mt19937 generator (1);
    std::uniform_real_distribution<float> noise (-1.0f, 1.0f);
    std::vector<float> block (blockSize);

    for (auto& x : block)
        x = noise (generator);

    DftAnalyzer dft;
    SpectrumArray raw;

    if (! dft.setup (blockSize, MeasurementContract::sampleRate) || ! raw.allocate (blockSize))
        return 1;

    std::vector<std::complex<long double>> expected;
    const double referenceSeconds = secondsFor ([&] { expected = referenceTransform (block.data(), blockSize); });

    constexpr int repeats = 200;
    const double shippedSeconds = secondsFor ([&] {
                                      for (int i = 0; i < repeats; ++i)
                                          dft.transform (block.data(), raw);
                                  })
                                  / repeats;

    double largest = 0.0, largestRelative = 0.0, sumOfSquares = 0.0;

    for (int32_t i = 1; i < blockSize / 2; ++i)
    {
        const double want = 2.0 * static_cast<double> (std::abs (expected[static_cast<size_t> (i)]));
        const double error = std::abs (raw.point (i).magnitude - want);
        largest = std::max (largest, error);
        largestRelative = std::max (largestRelative, error / want);
        sumOfSquares += std::pow (20.0 * std::log10 (raw.point (i).magnitude / want), 2.0);
    }

    std::printf ("block of %d samples, bins 1..%d\n", blockSize, blockSize / 2 - 1);
    std::printf ("long-double loop: %.1f ms per block\n", 1000.0 * referenceSeconds);
    std::printf ("shipped (FFTW, single precision): %.3f ms per block, %.0f times faster\n", 1000.0 * shippedSeconds,
                 referenceSeconds / shippedSeconds);
    std::printf ("magnitude error against the loop: at most %.3g (%.3g of the bin), %.2g dB RMS\n", largest,
                 largestRelative, std::sqrt (sumOfSquares / (blockSize / 2 - 1)));
    return 0;
}
