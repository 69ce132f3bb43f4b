#pragma once

#include "MeasurementContract.h"

#include <cstdint>
#include <string>
#include <vector>

// What changed between a held curve and a new one, in numbers, and whether that is more than
// measuring the same room again changes: the sentence step six shows under the graph, the saved
// file's comments and the log carry.
struct ResponseVerdict
{
    // Two measurements of an unchanged room lie at most this far apart over 40..280 Hz (RMS),
    // measured in ringing rooms with a dip of 36 dB on a loaded machine; usually a tenth of it.
    static constexpr double measuringAgainDb = 0.3;

    enum class Kind
    {
        better,        // flatter by more than measuring again changes
        worse,         // rougher by as much
        changed,       // different, but no flatter and no rougher
        unchanged,     // within what measuring again changes
        notComparable  // other speakers, or an average beside a single position
    };

    // A curve in a measurement record's units (dB / 20, value i at i * 44100 / 16384 Hz), which
    // speakers it is of and how many microphone positions it averages.
    struct Curve
    {
        const std::vector<float>& values;
        Speakers speakers = Speakers::left;
        int32_t positions = 1;
    };

    static ResponseVerdict of (const Curve& held, const Curve& current);

    Kind kind = Kind::notComparable;
    std::string sentence;

    // 40..280 Hz from flat (RMS per octave, dB), held and current; the held curve's strongest bump
    // (0 Hz if it has none) and how much lower it lies now (dB); the curves' RMS distance (dB).
    double heldFromFlatDb = 0.0, currentFromFlatDb = 0.0;
    double bumpHz = 0.0, bumpLowerDb = 0.0;
    double distanceDb = 0.0;
};
