#pragma once

#include "CurveText.h"
#include "Invariant.h"

#include <cmath>

// What a curve written by CurveText::format and read back must keep: every bin from 20 Hz to
// 500 Hz that has a value keeps it to the four decimals written (and a float's precision), a
// bin without one stays without; the speakers, the notch and the calibration exactly, the time
// when it can be written.
inline void requireWrittenAndReadBack (const KeptCurve& curve)
{
    const auto again = CurveText::parse (CurveText::format (curve));
    require (again.curve.has_value(), "a curve written by the program is read back");
    require (again.curve->values.size() == static_cast<size_t> (KeptCurve::numBins), "read back on every bin");

    for (int bin = 0; bin < KeptCurve::numBins; ++bin)
    {
        const auto hz = KeptCurve::binFrequency (bin);

        if (hz < CurveText::lowestHz || hz > CurveText::highestHz)
            continue;

        const auto before = 20.0 * static_cast<double> (curve.values[static_cast<size_t> (bin)]);
        const auto after = 20.0 * static_cast<double> (again.curve->values[static_cast<size_t> (bin)]);
        require (std::isfinite (before) == std::isfinite (after), "a bin keeps having a value, or not");

        if (std::isfinite (before))
            require (std::abs (after - before) <= 6e-5 + 2e-7 * std::abs (before), "a level reads back as written");
    }

    require (again.curve->speakers == curve.speakers, "the speakers read back");
    require (again.curve->calibration == curve.calibration, "the calibration it was measured with reads back");
    require (curve.notch.frequencyHz == 0 ? again.curve->notch.frequencyHz == 0 : again.curve->notch == curve.notch,
             "the notch reads back (none as none)");
    require (again.curve->measuredAt == (KeptCurve::formatTime (curve.measuredAt).empty() ? 0 : curve.measuredAt),
             "the time reads back");
}
