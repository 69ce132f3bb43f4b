#include "CalibrationFile.h"

#include "NumericRow.h"
#include "SmallFile.h"
#include "TextLines.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <iterator>

namespace
{
    bool isComment (std::string_view line)
    {
        return line.front() == '*' || line.front() == '#' || line.front() == ';';
    }

    bool isDigit (char c) { return c >= '0' && c <= '9'; }

    std::string lowered (std::string_view text)
    {
        std::string result (text);
        std::transform (result.begin(), result.end(), result.begin(), [] (char c) { return c >= 'A' && c <= 'Z' ? static_cast<char> (c - 'A' + 'a') : c; });
        return result;
    }

    // A header line's words without comment marks or quotes around them, in lower case.
    std::string wordsOf (std::string_view line)
    {
        return lowered (TextLines::trim (line, " \t\r*#;\"'"));
    }

    // "Sens Factor =-1.378dB, ...", "SENS -1,4 dB": the first number after the word, where "dB"
    // follows it (a sensitivity in mV/Pa is no level in dB).
    std::optional<double> sensitivityIn (const std::string& words)
    {
        if (words.rfind ("sens", 0) != 0)
            return std::nullopt;

        const auto start = words.find_first_of ("+-.0123456789", 4);

        if (start == std::string::npos)
            return std::nullopt;

        auto end = start + (words[start] == '+' || words[start] == '-' ? 1 : 0);

        while (end < words.size() && isDigit (words[end]))
            ++end;

        if (end + 1 < words.size() && (words[end] == '.' || words[end] == ',') && isDigit (words[end + 1]))
            for (++end; end < words.size() && isDigit (words[end]);)
                ++end;

        auto number = words.substr (start, end - start);
        std::replace (number.begin(), number.end(), ',', '.');
        const auto value = NumericRow::number (number);
        const auto unit = TextLines::trim (std::string_view (words).substr (end));

        if (! value || ! std::isfinite (*value) || unit.substr (0, 2) != "db")
            return std::nullopt;

        return value;
    }

    // "SERNO: 7103946", "serial no. 7103946": the letters, digits and dashes after the word.
    std::string serialIn (std::string_view line)
    {
        const auto words = lowered (line);

        for (const std::string_view key : { "serial number", "serial no", "serno", "serial", "s/n" })
        {
            auto at = words.find (key);

            if (at == std::string::npos)
                continue;

            at = words.find_first_not_of (" :=#.\t", at + key.size());
            std::string serial;

            for (; at < line.size() && serial.size() < 64; ++at)
            {
                const char c = line[at];

                if (! (isDigit (c) || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '-' || c == '_' || c == '/'))
                    break;

                serial += c;
            }

            if (! serial.empty())
                return serial;
        }

        return {};
    }

    // Reads what a line before the rows says of the microphone, where nothing has said it yet.
    void readHeader (std::string_view line, CalibrationFile::Calibration& calibration)
    {
        const auto words = wordsOf (line);

        if (! calibration.sensitivityDb)
            calibration.sensitivityDb = sensitivityIn (words);

        if (calibration.serial.empty())
            calibration.serial = serialIn (line);
    }

    std::string levelText (double db)
    {
        char text[32];
        const auto [end, error] = std::to_chars (std::begin (text), std::end (text), db);
        return error == std::errc() ? std::string (text, end) : std::string();
    }
}

std::string CalibrationFile::Calibration::describe (const std::string& fileName) const
{
    auto text = "\"" + fileName + "\"";

    if (! serial.empty())
        text += ", serial " + serial;

    if (sensitivityDb)
        text += ", sensitivity " + levelText (*sensitivityDb) + " dB";

    return text;
}

CalibrationFile::Reading CalibrationFile::parse (std::string_view text)
{
    if (text.substr (0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix (3);

    Calibration calibration;
    TextLines lines (text);

    for (std::string_view raw; lines.next (raw);)
    {
        const auto line = TextLines::trim (raw);
        const int lineNumber = lines.number();

        if (line.empty())
            continue;

        const bool beforeRows = calibration.hz.empty();

        // The sensitivity's line holds numbers of its own: it is read before the row is.
        if (isComment (line) || (beforeRows && wordsOf (line).rfind ("sens", 0) == 0))
        {
            if (beforeRows)
                readHeader (line, calibration);

            continue;
        }

        const NumericRow row (line);

        if (row.isBlank())
            continue;

        const auto frequency = NumericRow::number (row.fields.front());

        // Words before the first row are a header; among the rows they are something else.
        if (! frequency)
        {
            if (! beforeRows)
                return { std::nullopt, Refusal::strayText, lineNumber };

            readHeader (line, calibration);
            continue;
        }

        if (row.ambiguousCommas)
            return { std::nullopt, Refusal::ambiguousCommas, lineNumber };

        const auto level = row.fields.size() >= 2 ? NumericRow::number (row.fields[1]) : std::nullopt;

        if (! level)
            return { std::nullopt, Refusal::noLevel, lineNumber };

        if (! std::isfinite (*frequency) || ! std::isfinite (*level))
            return { std::nullopt, Refusal::notFinite, lineNumber };

        if (*frequency <= 0.0)
            return { std::nullopt, Refusal::notPositive, lineNumber };

        if (! beforeRows && *frequency <= calibration.hz.back())
            return { std::nullopt, Refusal::notAscending, lineNumber };

        if (std::abs (*level) > largestLevelDb)
            return { std::nullopt, Refusal::beyondRange, lineNumber };

        calibration.hz.push_back (*frequency);
        calibration.db.push_back (*level);
    }

    if (calibration.hz.empty())
        return { std::nullopt, Refusal::noRows, 0 };

    if (std::none_of (calibration.hz.begin(), calibration.hz.end(), [] (double f) { return f >= bandLowHz && f <= bandHighHz; }))
        return { std::nullopt, Refusal::nothingInBand, 0 };

    return { std::move (calibration), Refusal::none, 0 };
}

CalibrationFile::Reading CalibrationFile::readFile (const std::string& path)
{
    const auto file = SmallFile::read (path, largestFile);

    switch (file.outcome)
    {
        case SmallFile::Outcome::read: return parse (file.text);
        case SmallFile::Outcome::missing: return { std::nullopt, Refusal::missing, 0 };
        case SmallFile::Outcome::tooLarge: return { std::nullopt, Refusal::tooLarge, 0 };
        case SmallFile::Outcome::notAFile:
        case SmallFile::Outcome::unreadable: break;
    }

    return { std::nullopt, Refusal::unreadable, 0 };
}

std::string CalibrationFile::explain (const Reading& reading, const std::string& fileName)
{
    const auto name = "\xE2\x80\x9C" + fileName + "\xE2\x80\x9D";
    const auto line = "Line " + std::to_string (reading.line) + " of " + name;
    const std::string notOne = ": the file is not a microphone calibration.";

    switch (reading.refusal)
    {
        case Refusal::none: break;
        case Refusal::missing: return name + " is not there: no calibration was loaded.";
        case Refusal::unreadable: return name + " could not be read, so the calibration stays as it was.";
        case Refusal::tooLarge: return name + " is larger than 4 MB, far too large for a microphone calibration, so it was not loaded.";
        case Refusal::noRows: return name + " holds no rows of a frequency and a level" + notOne;
        case Refusal::strayText: return line + " is neither a comment nor a frequency and a level" + notOne;
        case Refusal::noLevel: return line + " has a frequency but no level beside it" + notOne;
        case Refusal::notFinite: return line + " holds a value that is not a finite number" + notOne;
        case Refusal::notPositive: return line + " has a frequency that is not above 0 Hz" + notOne;
        case Refusal::notAscending: return "The frequencies in " + name + " do not rise at line " + std::to_string (reading.line) + notOne;
        case Refusal::beyondRange: return line + " gives a level beyond 30 dB either way, which no measurement microphone has" + notOne;
        case Refusal::nothingInBand: return name + " has no row between 20 Hz and 500 Hz, where the program measures, so it was not loaded.";
        case Refusal::ambiguousCommas: return line + " may hold four columns or two numbers with decimal commas: save the file with semicolons or tabs between its columns.";
    }

    return {};
}
