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
#include <thread>
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

    const char* kernelName (DftAnalyzer::Kernel kernel)
    {
        switch (kernel)
        {
            case DftAnalyzer::Kernel::avx512: return "AVX-512";
            case DftAnalyzer::Kernel::avx2: return "AVX2";
            default: return "portable";
        }
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

    // Best of a few alternating runs: load from other processes then hits both sides alike.
    std::vector<float> expected (blockSize / 2);
    double referenceSeconds = 1e9;
    double shippedSeconds = 1e9;

    for (int run = 0; run < 3; ++run)
    {
        referenceSeconds = std::min (referenceSeconds, secondsFor ([&] { referenceTransform (block.data(), blockSize, expected.data()); }));
        shippedSeconds = std::min (shippedSeconds, secondsFor ([&] { dft.transform (block.data(), raw); }));
    }

    int32_t differences = 0;

    for (int32_t i = 0; i < blockSize / 2; ++i)
    {
        const float actual = raw.point (i).magnitude;

        if (std::memcmp (&actual, &expected[static_cast<size_t> (i)], sizeof (float)) != 0)
            ++differences;
    }

    std::printf ("shipped kernel: %s on %u threads\n", kernelName (DftAnalyzer::kernelFor (DftAnalyzer::Kernel::best, blockSize)),
                 std::thread::hardware_concurrency());
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
