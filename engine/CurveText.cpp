#include "CurveText.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <limits>
#include <sys/stat.h>
#include <vector>

namespace
{
    constexpr const char* smoothingLine = "* 1/10 decade smoothing";

    std::string_view trim (std::string_view text)
    {
        const auto first = text.find_first_not_of (" \t\r");

        if (first == std::string_view::npos)
            return {};

        return text.substr (first, text.find_last_not_of (" \t\r") - first + 1);
    }

    bool startsWith (std::string_view text, std::string_view prefix)
    {
        return text.substr (0, prefix.size()) == prefix;
    }

    // Fields by the line's own separator: a semicolon or a tab (either may come with decimal
    // commas), a comma, or else runs of spaces.
    std::vector<std::string> splitFields (std::string_view line)
    {
        const char separator = line.find (';') != std::string_view::npos ? ';'
                             : line.find ('\t') != std::string_view::npos ? '\t'
                             : line.find (',') != std::string_view::npos ? ',' : ' ';
        std::vector<std::string> fields;
        size_t start = 0;

        while (start <= line.size())
        {
            auto end = line.find (separator, start);

            if (end == std::string_view::npos)
                end = line.size();

            auto field = trim (line.substr (start, end - start));

            if (field.size() >= 2 && (field.front() == '"' || field.front() == '\'') && field.back() == field.front())
                field = field.substr (1, field.size() - 2);

            if (! field.empty())
            {
                std::string text (field);

                if (separator != ',' && text.find (',') != std::string::npos && text.find ('.') == std::string::npos)
                    std::replace (text.begin(), text.end(), ',', '.');

                fields.push_back (std::move (text));
            }

            start = end + 1;
        }

        return fields;
    }

    // Locale-independent, and the whole field or nothing.
    std::optional<double> number (const std::string& field)
    {
        const char* first = field.data();
        const char* last = first + field.size();

        if (first != last && *first == '+')
            ++first;

        double value = 0.0;
        const auto [end, error] = std::from_chars (first, last, value);

        if (error != std::errc() || end != last)
            return std::nullopt;

        return value;
    }

    std::string levelText (double db)
    {
        char text[32];
        const auto [end, error] = std::to_chars (std::begin (text), std::end (text), db, std::chars_format::fixed, 4);
        return error == std::errc() ? std::string (text, end) : std::string ("0.0000");
    }

    std::string frequencyText (double hz)
    {
        char text[32];
        const auto [end, error] = std::to_chars (std::begin (text), std::end (text), hz);
        return error == std::errc() ? std::string (text, end) : std::string ("0");
    }

    std::string notchText (const EqSettings& notch)
    {
        if (notch.frequencyHz == 0)
            return "none";

        return "FREQ " + std::to_string (notch.frequencyHz) + " Hz, Q " + std::to_string (notch.qSetting)
               + ", DEPTH " + std::to_string (notch.depthSetting);
    }

    // Our own comments carry what the curve is; other analysers' are skipped.
    void readComment (std::string_view line, KeptCurve& curve)
    {
        if (startsWith (line, "* Speakers: "))
            curve.speakers = KeptCurve::speakersNamed (std::string (trim (line.substr (12))));
        else if (startsWith (line, "* Measured: "))
            curve.measuredAt = KeptCurve::parseTime (std::string (trim (line.substr (12))));
        else if (startsWith (line, "* Recommended notch: FREQ "))
        {
            EqSettings notch { 0, 0, 0 };
            const std::string rest (line.substr (26));

            if (std::sscanf (rest.c_str(), "%d Hz, Q %d, DEPTH %d", &notch.frequencyHz, &notch.qSetting, &notch.depthSetting) == 3)
                curve.notch = notch;
        }
    }

    // Linear in level over log frequency between the two points around each bin.
    std::vector<float> onBins (const std::vector<double>& hz, const std::vector<double>& db)
    {
        std::vector<float> values (KeptCurve::numBins, std::numeric_limits<float>::quiet_NaN());
        size_t next = 1;

        for (int bin = 0; bin < KeptCurve::numBins; ++bin)
        {
            const auto f = KeptCurve::binFrequency (bin);

            if (f < hz.front() || f > hz.back())
                continue;

            while (next < hz.size() - 1 && hz[next] < f)
                ++next;

            const auto f0 = hz[next - 1], f1 = hz[next];
            const auto t = f0 > 0.0 ? std::log (f / f0) / std::log (f1 / f0) : (f - f0) / (f1 - f0);
            values[static_cast<size_t> (bin)] = static_cast<float> ((db[next - 1] + t * (db[next] - db[next - 1])) / 20.0);
        }

        return values;
    }
}

std::string CurveText::format (const KeptCurve& curve)
{
    const auto when = KeptCurve::formatTime (curve.measuredAt);
    std::string text = std::string ("* ") + program + "\n"
                     + "* Measured: " + (when.empty() ? std::string ("unknown") : when) + "\n"
                     + "* Speakers: " + KeptCurve::nameOf (curve.speakers) + "\n"
                     + smoothingLine + "\n"
                     + "* Recommended notch: " + notchText (curve.notch) + "\n";

    if (! curve.source.empty())
        text += "* Opened from: " + curve.source + "\n";

    text += "* Freq(Hz)\tSPL(dB)\n";

    for (int bin = 0; bin < static_cast<int> (curve.values.size()); ++bin)
    {
        const auto hz = KeptCurve::binFrequency (bin);
        const auto value = curve.values[static_cast<size_t> (bin)];

        if (hz >= lowestHz && hz <= highestHz && std::isfinite (value))
            text += frequencyText (hz) + "\t" + levelText (20.0 * static_cast<double> (value)) + "\n";
    }

    return text;
}

CurveText::Reading CurveText::parse (std::string_view text)
{
    if (startsWith (text, "\xEF\xBB\xBF"))
        text.remove_prefix (3);

    KeptCurve curve;
    std::vector<double> hz, db;
    int lineNumber = 0;

    for (size_t start = 0; start < text.size();)
    {
        auto end = text.find ('\n', start);

        if (end == std::string_view::npos)
            end = text.size();

        const auto line = trim (text.substr (start, end - start));
        start = end + 1;
        ++lineNumber;

        if (line.empty())
            continue;

        if (line.front() == '*' || line.front() == '#' || line.front() == ';')
        {
            readComment (line, curve);
            continue;
        }

        const auto fields = splitFields (line);
        const auto frequency = number (fields.front());

        // Words before the first point are a header; among the points they are something else.
        if (! frequency)
        {
            if (hz.empty())
                continue;

            return { std::nullopt, Refusal::strayText, lineNumber };
        }

        const auto level = fields.size() >= 2 ? number (fields[1]) : std::nullopt;

        if (! level)
            return { std::nullopt, Refusal::noLevel, lineNumber };

        if (! std::isfinite (*frequency) || ! std::isfinite (*level)
            || ! std::isfinite (static_cast<float> (*level / 20.0)))
            return { std::nullopt, Refusal::notFinite, lineNumber };

        if (! hz.empty() && *frequency <= hz.back())
            return { std::nullopt, Refusal::notAscending, lineNumber };

        hz.push_back (*frequency);
        db.push_back (*level);
    }

    if (hz.empty())
        return { std::nullopt, Refusal::noNumbers, 0 };

    const auto inRange = std::count_if (hz.begin(), hz.end(), [] (double f) { return f >= lowestHz && f <= highestHz; });

    if (inRange < 2)
        return { std::nullopt, Refusal::tooFewPoints, 0 };

    curve.values = onBins (hz, db);
    return { std::move (curve), Refusal::none, 0 };
}

CurveText::Reading CurveText::readFile (const std::string& path)
{
    struct stat info {};

    if (::stat (path.c_str(), &info) != 0 || ! S_ISREG (info.st_mode))
        return { std::nullopt, Refusal::unreadable, 0 };

    if (static_cast<std::uintmax_t> (info.st_size) > largestFile)
        return { std::nullopt, Refusal::tooLarge, 0 };

    std::ifstream file (path, std::ios::binary);

    if (! file)
        return { std::nullopt, Refusal::unreadable, 0 };

    // Read no further than the limit, should the file have grown since.
    std::string text (largestFile + 1, '\0');
    file.read (text.data(), static_cast<std::streamsize> (text.size()));
    text.resize (static_cast<size_t> (file.gcount()));

    if (file.bad())
        return { std::nullopt, Refusal::unreadable, 0 };

    if (text.size() > largestFile)
        return { std::nullopt, Refusal::tooLarge, 0 };

    return parse (text);
}

std::string CurveText::explain (const Reading& reading, const std::string& fileName)
{
    const auto name = "\xE2\x80\x9C" + fileName + "\xE2\x80\x9D";
    const auto line = "Line " + std::to_string (reading.line) + " of " + name;

    switch (reading.refusal)
    {
        case Refusal::none: break;
        case Refusal::unreadable: return name + " could not be read, so the held curve stays as it was.";
        case Refusal::tooLarge: return name + " is larger than 4 MB, far too large for a frequency response, so it was not opened.";
        case Refusal::noNumbers: return name + " holds no numbers: it is not a frequency response.";
        case Refusal::strayText: return line + " is neither a comment nor a frequency and a level: the file is not a frequency response.";
        case Refusal::noLevel: return line + " has a frequency but no level beside it: the file is not a frequency response.";
        case Refusal::notAscending: return "The frequencies in " + name + " do not rise at line " + std::to_string (reading.line)
                                           + ": the file is not a frequency response.";
        case Refusal::notFinite: return line + " holds a value that is not a finite number: the file is not a frequency response.";
        case Refusal::tooFewPoints: return name + " has fewer than two points between 20 Hz and 500 Hz: there is nothing to draw.";
    }

    return {};
}
