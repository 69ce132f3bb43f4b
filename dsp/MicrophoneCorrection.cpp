#include "MicrophoneCorrection.h"

#include <algorithm>
#include <cmath>

MicrophoneCorrection::MicrophoneCorrection (std::vector<double> frequencies, std::vector<double> levels)
    : hz (std::move (frequencies)),
      db (std::move (levels))
{
    db.resize (hz.size(), 0.0);
}

double MicrophoneCorrection::levelDbAt (double frequency) const
{
    if (hz.empty())
        return 0.0;

    if (! (frequency > hz.front()))
        return db.front();

    if (frequency >= hz.back())
        return db.back();

    const auto above = static_cast<size_t> (std::upper_bound (hz.begin(), hz.end(), frequency) - hz.begin());
    const auto below = above - 1;
    const double t = std::log (frequency / hz[below]) / std::log (hz[above] / hz[below]);
    return db[below] + t * (db[above] - db[below]);
}

SpectrumArray& MicrophoneCorrection::removeFrom (SpectrumArray& gains) const
{
    if (hz.empty())
        return gains;

    for (int32_t i = 0; i < gains.size(); ++i)
    {
        auto& p = gains.point (i);
        p.magnitude = static_cast<float> (p.magnitude / std::pow (10.0, levelDbAt (p.frequency) / 20.0));
    }

    return gains;
}
