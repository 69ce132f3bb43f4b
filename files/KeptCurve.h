#pragma once

#include "EqSettings.h"
#include "MeasurementContract.h"
#include "MeasurementRecord.h"

#include <ctime>
#include <optional>
#include <string>
#include <vector>

// A response curve as step six keeps it: the values on the measurement's own frequency axis
// and what a person needs to tell one curve from another later (which speakers, when, what to
// set). Values are dB / 20, value i at i * 44100 / 16384 Hz; NaN where a curve opened from a
// file has no data.
class KeptCurve final
{
public:
    static constexpr int numBins = MeasurementContract::blockLength;

    // A listening area is a few positions around a seat: three to five at a desk, more on a sofa.
    static constexpr int32_t maximumPositions = 12;
    static double binFrequency (int bin) { return bin * MeasurementContract::binWidthHz; }

    // A measurement's record, made with the engine's mode at the given time.
    static KeptCurve measured (const MeasurementRecord& record, int mode, std::time_t when);

    // "Sonavel left 2026-12-08 14-32": what and when, with no character a file system refuses.
    std::string fileStem() const;

    // "2026-12-08 14:32:05 +0100": local time with its offset from UTC, so that the hour that
    // repeats when clocks go back reads back as the one that was meant; empty when the time is
    // unknown or outside the years 1000 to 9999.
    static std::string formatTime (std::time_t time);

    // That form exactly, or without the offset (as local time) as files written before had it;
    // 0 (unknown) for anything else, an impossible date included.
    static std::time_t parseTime (const std::string& text);

    std::vector<float> values;

    // How many microphone positions the curve averages, and, for a curve measured here, each
    // position's gain per analysis bin (0 .. 8191) before smoothing, from which the average is
    // made; empty for a curve opened from a file.
    int32_t positions = 1;
    std::vector<std::vector<float>> positionGains;

    // Further comment lines for its file, e.g. what it was compared with; not kept between runs.
    std::vector<std::string> remarks;

    Speakers speakers = Speakers::unknown;
    std::time_t measuredAt = 0;           // 0: unknown
    EqSettings notch { 0, 0, 0 };         // a frequency of 0: no notch recommended
    std::string source;                   // the file a curve was opened from; empty for one measured here

    // The microphone's calibration taken out of the curve, as the saved files' comment says it:
    // "none", or the file's name in quotes with what it gives (CalibrationFile::describe); empty
    // when not known (a curve opened from a file that does not say).
    std::string calibration;
};
