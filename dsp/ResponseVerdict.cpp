#include "ResponseVerdict.h"

#include "MeasurementContract.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace
{
    constexpr int32_t firstIndex = 15;  // 40.4 Hz
    constexpr int32_t lastIndex = 104;  // 279.9 Hz

    // A bump worth naming stands this far over the band's median.
    constexpr double bumpDb = 3.0;

    std::string positionsName (int32_t positions)
    {
        return positions > 1 ? "an average of " + std::to_string (positions) + " positions" : "one position";
    }

    std::string format (const char* pattern, double a, double b = 0.0, double c = 0.0, double d = 0.0)
    {
        char text[256];
        std::snprintf (text, sizeof (text), pattern, a, b, c, d);
        return text;
    }

    double dbAt (const std::vector<float>& values, int32_t i)
    {
        return 20.0 * static_cast<double> (values[static_cast<size_t> (i)]);
    }

    // RMS around the mean, each index weighted by its share of a logarithmic frequency axis.
    double fromFlat (const std::vector<float>& values)
    {
        double weights = 0.0, sum = 0.0, sumOfSquares = 0.0;

        for (int32_t i = firstIndex; i <= lastIndex; ++i)
        {
            const double w = 1.0 / i, db = dbAt (values, i);
            weights += w;
            sum += w * db;
            sumOfSquares += w * db * db;
        }

        const double mean = sum / weights;
        return std::sqrt (std::max (sumOfSquares / weights - mean * mean, 0.0));
    }
}

ResponseVerdict ResponseVerdict::of (const Curve& held, const Curve& current)
{
    ResponseVerdict verdict;

    if (held.values.size() <= static_cast<size_t> (lastIndex) || current.values.size() <= static_cast<size_t> (lastIndex))
        return verdict;

    if (held.speakers != current.speakers)
    {
        verdict.sentence = std::string ("The held curve is of ") + MeasurementContract::phraseOf (held.speakers) + ", this one of "
                           + MeasurementContract::phraseOf (current.speakers) + ": measure the same speakers to compare.";
        return verdict;
    }

    if ((held.positions > 1) != (current.positions > 1))
    {
        verdict.sentence = "The held curve is " + positionsName (held.positions) + ", this one " + positionsName (current.positions)
                           + ": compare an average with an average, one position with one position.";
        return verdict;
    }

    double sumOfSquares = 0.0;

    for (int32_t i = firstIndex; i <= lastIndex; ++i)
    {
        const double d = dbAt (current.values, i) - dbAt (held.values, i);

        if (! std::isfinite (d))
            return verdict;

        sumOfSquares += d * d;
    }

    verdict.distanceDb = std::sqrt (sumOfSquares / (lastIndex - firstIndex + 1));
    verdict.heldFromFlatDb = fromFlat (held.values);
    verdict.currentFromFlatDb = fromFlat (current.values);

    // The held curve's strongest bump over its median, if it has one worth naming.
    std::vector<double> band;

    for (int32_t i = firstIndex; i <= lastIndex; ++i)
        band.push_back (dbAt (held.values, i));

    std::nth_element (band.begin(), band.begin() + static_cast<long> (band.size() / 2), band.end());
    const double median = band[band.size() / 2];
    int32_t peak = firstIndex;

    for (int32_t i = firstIndex; i <= lastIndex; ++i)
        if (dbAt (held.values, i) > dbAt (held.values, peak))
            peak = i;

    std::string bump;

    if (dbAt (held.values, peak) - median >= bumpDb)
    {
        verdict.bumpHz = peak * MeasurementContract::binWidthHz;
        verdict.bumpLowerDb = dbAt (held.values, peak) - dbAt (current.values, peak);
        bump = format (verdict.bumpLowerDb >= 0.0 ? "the bump at %.0f Hz is %.1f dB lower; " : "the bump at %.0f Hz is %.1f dB higher; ",
                       verdict.bumpHz, std::abs (verdict.bumpLowerDb));
    }

    if (verdict.distanceDb <= measuringAgainDb)
    {
        verdict.kind = Kind::unchanged;
        verdict.sentence = format ("No change beyond measuring again (%.1f dB).", verdict.distanceDb);
        return verdict;
    }

    const double flatter = verdict.heldFromFlatDb - verdict.currentFromFlatDb;
    verdict.kind = flatter > measuringAgainDb ? Kind::better : flatter < -measuringAgainDb ? Kind::worse : Kind::changed;
    const char* judgement = verdict.kind == Kind::better ? "Better." : verdict.kind == Kind::worse ? "Worse." : "No flatter, no rougher.";
    verdict.sentence = "Against the held curve: " + bump
                       + format ("40\xe2\x80\x93" "280 Hz lies %.1f dB RMS from flat instead of %.1f dB. ", verdict.currentFromFlatDb,
                                 verdict.heldFromFlatDb)
                       + judgement;
    return verdict;
}
