#include "PeakingBiquad.h"

#include "PeakingCurve.h"

#include <cmath>
#include <complex>
#include <sstream>

namespace
{
    constexpr double pi = 3.14159265358979323846;
}

std::optional<PeakingBiquad> PeakingBiquad::make (double centreHz, int qStep, int depthStep, int sampleRate)
{
    const double q = peakingQ (qStep);
    const double depthDb = peakingDepthDb (depthStep);

    if (q <= 0.0 || depthDb == 0.0 || sampleRate <= 0 || ! (centreHz > 0.0 && centreHz < 0.5 * sampleRate))
        return std::nullopt;

    const double rootGain = std::pow (10.0, depthDb / 40.0);
    const double k = std::tan (pi * centreHz / sampleRate);
    const double zeros = rootGain / q * k, poles = k / (q * rootGain);
    const double norm = 1.0 / (1.0 + poles + k * k);

    PeakingBiquad filter;
    filter.b0 = (1.0 + zeros + k * k) * norm;
    filter.b1 = 2.0 * (k * k - 1.0) * norm;
    filter.b2 = (1.0 - zeros + k * k) * norm;
    filter.a1 = filter.b1;
    filter.a2 = (1.0 - poles + k * k) * norm;
    filter.rate = sampleRate;
    return filter;
}

std::optional<PeakingBiquad> PeakingBiquad::parse (const std::string& text, int sampleRate)
{
    std::istringstream in (text);
    double centre = 0.0;
    int q = 0, depth = 0;
    char comma1 = 0, comma2 = 0;

    if (! (in >> centre >> comma1 >> q >> comma2 >> depth) || comma1 != ',' || comma2 != ',' || ! (in >> std::ws).eof())
        return std::nullopt;

    return make (centre, q, depth, sampleRate);
}

double PeakingBiquad::gainDb (double hz) const
{
    const auto z = std::polar (1.0, -2.0 * pi * hz / rate); // z^-1
    const auto h = (b0 + b1 * z + b2 * z * z) / (1.0 + a1 * z + a2 * z * z);
    return 20.0 * std::log10 (std::abs (h));
}

void PeakingBiquad::process (std::vector<double>& x) const
{
    double s1 = 0.0, s2 = 0.0;

    for (auto& v : x)
    {
        const double in = v;
        const double out = b0 * in + s1;
        s1 = b1 * in - a1 * out + s2;
        s2 = b2 * in - a2 * out;
        v = out;
    }
}

int PeakingBiquad::ringingSamples() const
{
    // The poles' radius is sqrt(a2); 100 dB is ln(10^5) nepers.
    const double radius = std::sqrt (a2);
    return static_cast<int> (std::ceil (5.0 * std::log (10.0) / -std::log (radius)));
}
