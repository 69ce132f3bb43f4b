#pragma once

#include "MicrophoneCorrection.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The calibration file that comes with a measurement microphone: its own response as its maker
// or a lab measured it. Plain text: perhaps a first line with the sensitivity and the serial
// number ("Sens Factor =-1.378dB, SERNO: 7103946", quoted or not), comments starting with '*',
// '#' or ';', then rows of frequency and dB, perhaps with a phase column, separated as the curve
// reader's rows are (NumericRow), decimal commas included.
class CalibrationFile final
{
public:
    // A file this large is no calibration: it is refused before it is read.
    static constexpr std::uintmax_t largestFile = 4 * 1024 * 1024;

    // No microphone sold for measuring is this far off flat anywhere.
    static constexpr double largestLevelDb = 30.0;

    // A calibration has at least one row here, where the program measures.
    static constexpr double bandLowHz = 20.0;
    static constexpr double bandHighHz = 500.0;

    struct Calibration
    {
        std::vector<double> hz;   // rising, above 0
        std::vector<double> db;   // the microphone's level at each
        std::optional<double> sensitivityDb;
        std::string serial;

        MicrophoneCorrection correction() const { return { hz, db }; }

        // What a saved curve's comment says of it: "\"7103946.txt\", serial 7103946,
        // sensitivity -1.378 dB", with what the file gives.
        std::string describe (const std::string& fileName) const;
    };

    enum class Refusal
    {
        none,
        missing,
        unreadable,
        tooLarge,
        noRows,
        strayText,       // text among the rows
        noLevel,         // a frequency without a level beside it
        notFinite,
        notPositive,     // a frequency at or below 0 Hz, which a log axis cannot place
        notAscending,
        beyondRange,     // a level beyond largestLevelDb either way
        nothingInBand,   // no row from 20 Hz to 500 Hz
        ambiguousCommas  // commas that may separate columns or be decimal commas
    };

    struct Reading
    {
        std::optional<Calibration> calibration;   // set when the text is a calibration
        Refusal refusal = Refusal::none;
        int line = 0;                             // where the refusal was found, 1-based; 0 for the whole file
    };

    static Reading parse (std::string_view text);
    static Reading readFile (const std::string& path);

    // One sentence that tells a person why the file was not loaded; empty for none.
    static std::string explain (const Reading& reading, const std::string& fileName);
};
