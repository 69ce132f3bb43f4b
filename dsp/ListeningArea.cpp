#include "ListeningArea.h"

#include "MeasurementContract.h"
#include "SpectrumAnalysis.h"

#include <algorithm>
#include <cmath>

bool ListeningArea::add (std::vector<float> gains)
{
    if (gains.size() != static_cast<size_t> (binsPerPosition)
        || ! std::all_of (gains.begin(), gains.end(), [] (float g) { return std::isfinite (g) && g >= 0.0f; }))
        return false;

    positions.push_back (std::move (gains));
    return true;
}

bool ListeningArea::responseOfGains (const std::vector<float>& gains, std::vector<float>& values)
{
    SpectrumArray bins, smoothed;

    if (! bins.allocate (2 * binsPerPosition))
        return false;

    for (int32_t i = 0; i < binsPerPosition; ++i)
        bins.point (i) = { gains[static_cast<size_t> (i)], 0.0f, static_cast<float> (i * MeasurementContract::binWidthHz) };

    if (! analyseGains (bins, smoothed))
        return false;

    values.resize (static_cast<size_t> (smoothed.size()));

    for (int32_t i = 0; i < smoothed.size(); ++i)
        values[static_cast<size_t> (i)] = smoothed.point (i).magnitude;

    return true;
}

bool ListeningArea::response (std::vector<float>& values) const
{
    if (positions.empty())
        return false;

    std::vector<float> power (static_cast<size_t> (binsPerPosition), 0.0f);

    for (const auto& gains : positions)
        for (size_t i = 0; i < power.size(); ++i)
            power[i] += gains[i] * gains[i] / static_cast<float> (positions.size());

    for (auto& p : power)
        p = std::sqrt (p);

    return responseOfGains (power, values);
}

bool ListeningArea::responseOf (int32_t position, std::vector<float>& values) const
{
    return position >= 0 && position < count() && responseOfGains (positions[static_cast<size_t> (position)], values);
}

bool ListeningArea::spread (std::vector<float>& lowest, std::vector<float>& highest) const
{
    std::vector<float> values;

    for (int32_t p = 0; p < count(); ++p)
    {
        if (! responseOf (p, values))
            return false;

        if (p == 0)
        {
            lowest = highest = values;
            continue;
        }

        for (size_t i = 0; i < values.size(); ++i)
        {
            lowest[i] = std::min (lowest[i], values[i]);
            highest[i] = std::max (highest[i], values[i]);
        }
    }

    return count() > 0;
}
