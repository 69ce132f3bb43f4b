#include "ReferenceTransform.h"

#include <cmath>

std::vector<std::complex<long double>> referenceTransform (const float* block, int32_t n)
{
    constexpr long double twoPi = 6.283185307179586476925286766559L;
    std::vector<std::complex<long double>> bins (static_cast<size_t> (n / 2 + 1));

    // The angle of sample j in bin k is 2 pi (j k mod n) / n: one table of n angles serves all.
    std::vector<std::complex<long double>> turns (static_cast<size_t> (n));

    for (int32_t m = 0; m < n; ++m)
        turns[static_cast<size_t> (m)] = std::polar (1.0L, -twoPi * m / n);

    for (int32_t k = 0; k <= n / 2; ++k)
    {
        std::complex<long double> sum = 0.0L;
        int64_t m = 0;

        for (int32_t j = 0; j < n; ++j, m = (m + k) % n)
            sum += static_cast<long double> (block[j]) * turns[static_cast<size_t> (m)];

        bins[static_cast<size_t> (k)] = sum;
    }

    return bins;
}
