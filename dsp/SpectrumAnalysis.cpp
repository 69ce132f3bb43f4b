#include "SpectrumAnalysis.h"

#include <cmath>

void smoothSpectrum (SpectrumArray& raw, SpectrumArray& smoothed)
{
    const int32_t count = raw.size();

    if (! smoothed.allocate (count))
        return;

    for (int32_t i = 1; i < count; ++i)
    {
        const float f = raw.point (i).frequency;
        const float lo = f * smoothingLow;
        const float hi = f * smoothingHigh;
        float sum = 0.0f;
        int32_t terms = 0;

        for (int32_t k = i; k >= 1 && raw.point (k).frequency > lo; --k)
        {
            sum += raw.point (k).magnitude;
            ++terms;
        }

        // Past the last bin the unwritten points (frequency -1) are below hi: they count as zeros.
        for (int32_t k = i; k < count && raw.point (k).frequency < hi; ++k)
        {
            sum += raw.point (k).magnitude;
            ++terms;
        }

        auto& out = smoothed.point (i);
        out.magnitude = terms > 0 ? sum / static_cast<float> (terms) : 0.0f;
        out.phase = 0.0f;
        out.frequency = f;
    }
}

void toDecibels (SpectrumArray& spectrum)
{
    const int32_t count = spectrum.size();

    if (count > 0)
        spectrum.point (0).magnitude = 0.0f;

    for (int32_t i = 1; i < count; ++i)
    {
        auto& p = spectrum.point (i);
        p.magnitude = 20.0f * std::log10 (p.magnitude);
    }
}

bool normaliseToBand (SpectrumArray& spectrum, float lowHz, float highHz)
{
    const int32_t count = spectrum.size();
    float sum = 0.0f;
    int32_t terms = 0;

    for (int32_t i = 0; i < count; ++i)
    {
        const auto& p = spectrum.point (i);

        if (p.frequency > lowHz)
        {
            sum += p.magnitude;
            ++terms;
        }

        if (p.frequency > highHz)
            break;
    }

    if (terms == 0)
        return false;

    const float mean = sum / static_cast<float> (terms);

    if (! std::isfinite (mean))
        return false;

    for (int32_t i = 0; i < count; ++i)
        spectrum.point (i).magnitude -= mean;

    return true;
}

void scaleRange (SpectrumArray& spectrum, float inMin, float outMin, float inMax, float outMax)
{
    if (inMax == inMin)
        return;

    const float factor = (outMax - outMin) / (inMax - inMin);
    const int32_t count = spectrum.size();

    for (int32_t i = 0; i < count; ++i)
        spectrum.point (i).magnitude *= factor;
}

bool analyseResponse (SpectrumArray& captured, SpectrumArray& played, SpectrumArray& smoothed)
{
    const int32_t count = captured.size();

    if (count == 0 || played.size() != count)
        return false;

    for (int32_t i = 0; i < count; ++i)
    {
        const float playedMagnitude = played.point (i).magnitude;
        auto& p = captured.point (i);
        p.magnitude = playedMagnitude > 0.0f ? p.magnitude / playedMagnitude : 0.0f;
    }

    return analyseGains (captured, smoothed);
}

bool analyseGains (SpectrumArray& gains, SpectrumArray& smoothed)
{
    smoothSpectrum (gains, smoothed);

    if (smoothed.size() != gains.size() || smoothed.size() == 0)
        return false;

    toDecibels (smoothed);

    if (! normaliseToBand (smoothed, 40.0f, 280.0f))
        return false;

    scaleRange (smoothed, -20.0f, -1.0f, 20.0f, 1.0f);
    return true;
}
