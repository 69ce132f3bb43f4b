#include "RoomFigures.h"

#include "TrueResponse.h"

#include <algorithm>
#include <cmath>

namespace
{
    constexpr double pi = 3.14159265358979323846;
    constexpr double hzPerBin = static_cast<double> (TrueResponse::sampleRate) / TrueResponse::analysisLength;

    bool inBand (int bin) { return bin * hzPerBin >= 40.0 && bin * hzPerBin <= 280.0; }
}

RoomFigures RoomFigures::of (const std::vector<float>& impulse)
{
    RoomFigures figures;
    const auto magnitudes = TrueResponse::binMagnitudes (impulse);
    const auto curve = TrueResponse::curve (magnitudes);

    std::vector<double> smoothed, raw;
    double bump = -1e9, dip = 1e9;

    for (int k = 0; k < static_cast<int> (magnitudes.size()); ++k)
    {
        if (! inBand (k))
            continue;

        const double level = curve.empty() ? 0.0 : 20.0 * curve[static_cast<size_t> (k)];
        const double rawDb = 20.0 * std::log10 (magnitudes[static_cast<size_t> (k)]);
        smoothed.push_back (level);
        raw.push_back (rawDb);

        if (level > bump)
        {
            bump = level;
            figures.bumpHz = k * hzPerBin;
        }

        if (rawDb < dip)
        {
            dip = rawDb;
            figures.dipHz = k * hzPerBin;
        }
    }

    auto sorted = smoothed;
    std::sort (sorted.begin(), sorted.end());
    const double median = sorted[sorted.size() / 2];
    figures.bumpDb = bump - median;

    double mean = 0.0;

    for (const double v : raw)
        mean += v;

    figures.dipDb = dip - mean / static_cast<double> (raw.size());

    figures.reverb63 = reverberation (impulse, 63.0);
    figures.reverb125 = reverberation (impulse, 125.0);

    double peak = 0.0, tail = 0.0;

    for (size_t i = 0; i < impulse.size(); ++i)
    {
        peak = std::max (peak, static_cast<double> (std::abs (impulse[i])));

        if (i + 4096 >= impulse.size())
            tail = std::max (tail, static_cast<double> (std::abs (impulse[i])));
    }

    figures.tailDb = 20.0 * std::log10 (std::max (tail, 1e-30) / peak);
    return figures;
}

double RoomFigures::reverberation (const std::vector<float>& impulse, double centreHz)
{
    // An octave-wide band-pass biquad (0 dB at the centre), then the energy still to come.
    const double w = 2.0 * pi * centreHz / TrueResponse::sampleRate;
    const double alpha = std::sin (w) * std::sinh (std::log (2.0) / 2.0 * w / std::sin (w));
    const double a0 = 1.0 + alpha;
    const double b0 = alpha / a0, b2 = -alpha / a0, a1 = -2.0 * std::cos (w) / a0, a2 = (1.0 - alpha) / a0;
    std::vector<double> energy (impulse.size());
    double s1 = 0.0, s2 = 0.0;

    for (size_t i = 0; i < impulse.size(); ++i)
    {
        const double in = impulse[i];
        const double out = b0 * in + s1;
        s1 = -a1 * out + s2;
        s2 = b2 * in - a2 * out;
        energy[i] = out * out;
    }

    for (size_t i = energy.size(); i-- > 1;)
        energy[i - 1] += energy[i];

    if (energy.empty() || energy[0] <= 0.0)
        return 0.0;

    // A straight line through the decay from -5 to -35 dB, least squares.
    double n = 0.0, sumT = 0.0, sumD = 0.0, sumTT = 0.0, sumTD = 0.0;

    for (size_t i = 0; i < energy.size(); ++i)
    {
        const double db = 10.0 * std::log10 (energy[i] / energy[0]);

        if (db > -5.0)
            continue;

        if (db < -35.0)
            break;

        const double t = static_cast<double> (i) / TrueResponse::sampleRate;
        n += 1.0;
        sumT += t;
        sumD += db;
        sumTT += t * t;
        sumTD += t * db;
    }

    const double slope = (n * sumTD - sumT * sumD) / (n * sumTT - sumT * sumT);
    return n > 10.0 && slope < 0.0 ? -60.0 / slope : 0.0;
}

double RoomFigures::bandGain (const std::vector<float>& impulse)
{
    const auto magnitudes = TrueResponse::binMagnitudes (impulse);
    double power = 0.0;
    int count = 0;

    for (int k = 0; k < static_cast<int> (magnitudes.size()); ++k)
        if (inBand (k))
        {
            power += magnitudes[static_cast<size_t> (k)] * magnitudes[static_cast<size_t> (k)];
            ++count;
        }

    return std::sqrt (power / count);
}
