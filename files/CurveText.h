#pragma once

#include "KeptCurve.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The plain text that room-analysis tools exchange frequency responses in: comment lines
// starting with '*', a header, then one "frequency level" line per point. Written in our own
// form (tab-separated, '.' as the decimal point whatever the locale); read tolerantly, as other
// analysers export it.
class CurveText final
{
public:
    static constexpr double lowestHz = 20.0;
    static constexpr double highestHz = 500.0;

    // A file this large is no frequency response: it is refused before it is read.
    static constexpr std::uintmax_t largestFile = 4 * 1024 * 1024;

    // Comments (program, time, speakers, smoothing, notch), a header, then every bin from 20 Hz
    // to 500 Hz that has a value: frequency in Hz, level in dB.
    static std::string format (const KeptCurve& curve);

    // "FREQ 65 Hz, Q 3, DEPTH 4", or "none": a recommendation as the files, the log and the
    // command line say it.
    static std::string describeNotch (const EqSettings& notch);

    // "KORVEN Sonavel v.1.0.36": who wrote a file.
    static constexpr const char* program = "KORVEN Sonavel v." SONAVEL_VERSION;

    enum class Refusal
    {
        none,
        unreadable,
        tooLarge,
        noNumbers,
        strayText,     // text among the points
        noLevel,       // a frequency without a level beside it
        notAscending,
        notFinite,
        tooFewPoints,     // fewer than two points from 20 Hz to 500 Hz
        tooClose,         // the points cover fewer than two of the bins from 20 Hz to 500 Hz
        ambiguousCommas   // commas that may separate columns or be decimal commas
    };

    struct Reading
    {
        std::optional<KeptCurve> curve;   // set when the text is a response
        Refusal refusal = Refusal::none;
        int line = 0;                     // where the refusal was found, 1-based; 0 for the whole file
    };

    // The points interpolated onto the measurement's bins (NaN outside the points' range); the
    // speakers, time and notch come from our own comments when they are there. An accepted
    // curve has a finite value on at least two bins from 20 Hz to 500 Hz.
    static Reading parse (std::string_view text);
    static Reading readFile (const std::string& path);

    // One sentence that tells a person why the file was not opened; empty for none.
    static std::string explain (const Reading& reading, const std::string& fileName);
};
