// The curve reader on any text: a curve it accepts can be drawn and saved, a text it refuses
// gets a sentence.
#include "CurveComparison.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
    const auto reading = CurveText::parse (std::string_view (reinterpret_cast<const char*> (data), size));

    if (! reading.curve)
    {
        require (reading.refusal != CurveText::Refusal::none, "a refused text says why");
        const auto sentence = CurveText::explain (reading, "curve.txt");
        require (! sentence.empty() && sentence.back() == '.', "a refusal is told in a sentence");
        return 0;
    }

    const auto& curve = *reading.curve;
    require (curve.values.size() == static_cast<size_t> (KeptCurve::numBins), "a value for every bin");
    int drawn = 0;

    for (int bin = 0; bin < KeptCurve::numBins; ++bin)
    {
        const auto value = curve.values[static_cast<size_t> (bin)];
        const auto hz = KeptCurve::binFrequency (bin);
        require (std::isnan (value) || std::isfinite (value), "a bin has a finite value or none");
        drawn += hz >= CurveText::lowestHz && hz <= CurveText::highestHz && std::isfinite (value) ? 1 : 0;
    }

    require (drawn >= 2, "an accepted curve draws at least two points from 20 Hz to 500 Hz");
    requireWrittenAndReadBack (curve);
    return 0;
}
