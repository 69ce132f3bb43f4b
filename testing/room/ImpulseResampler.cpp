#include "ImpulseResampler.h"

#include "Spectrum.h"

#include <algorithm>
#include <cmath>
#include <numeric>

ImpulseResampler::Resampled ImpulseResampler::resample (const std::vector<float>& h, int fromRate, int toRate, double leadSeconds)
{
    if (fromRate == toRate || h.empty() || fromRate <= 0 || toRate <= 0)
        return { h, 0 };

    // from samples at the old rate last as long as to samples at the new one.
    const int common = std::gcd (fromRate, toRate);
    const auto from = static_cast<size_t> (fromRate / common);
    const auto to = static_cast<size_t> (toRate / common);
    const auto spans = static_cast<size_t> (std::ceil (std::max (0.0, leadSeconds) * fromRate / static_cast<double> (from)));
    const size_t lead = spans * from;

    // The transform's period holds the response and its lead twice over, so that the
    // interpolation's ringing after the end falls on zeros rather than onto the start.
    size_t n = 2 * from;

    while (n < 2 * (lead + h.size()))
        n *= 2;

    const size_t m = n / from * to;
    std::vector<double> x (n, 0.0);
    std::copy (h.begin(), h.end(), x.begin() + static_cast<std::ptrdiff_t> (lead));
    const auto bins = Spectrum::forward (x);

    // The inverse's 1/m where the forward had no 1/n is the rates' ratio that keeps the gain: a
    // response sampled more densely sums more samples of the same sound.
    std::vector<std::complex<double>> resampled (m / 2 + 1);
    const size_t edge = std::min (n, m) / 2;
    std::copy (bins.begin(), bins.begin() + static_cast<std::ptrdiff_t> (edge), resampled.begin());
    // The shorter period's Nyquist bin stands for a cosine: half of it lies at either sign.
    resampled[edge] = m > n ? bins[edge] * 0.5 : std::complex<double> (bins[edge].real(), 0.0);

    const auto y = Spectrum::inverse (resampled, static_cast<int> (m));
    const size_t length = spans * to + (h.size() * to + from - 1) / from;
    return { std::vector<float> (y.begin(), y.begin() + static_cast<std::ptrdiff_t> (length)), spans * to };
}
