#include "CurveText.h"

#include "EscapedText.h"
#include "NumericRow.h"
#include "SmallFile.h"
#include "TextLines.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <iterator>
#include <limits>
#include <vector>

namespace
{
    constexpr const char* smoothingLine = "* 1/10 decade smoothing";
    constexpr const char* calibrationLine = "* Microphone calibration: ";

    bool startsWith (std::string_view text, std::string_view prefix)
    {
        return text.substr (0, prefix.size()) == prefix;
    }

    // "FREQ 65 Hz, Q 3, DEPTH 4", each number whole and in an int; nothing else.
    std::optional<EqSettings> notchFrom (std::string_view text)
    {
        EqSettings notch { 0, 0, 0 };
        const std::pair<const char*, int32_t*> parts[] = {
            { "FREQ ", &notch.frequencyHz }, { " Hz, Q ", &notch.qSetting }, { ", DEPTH ", &notch.depthSetting }
        };

        for (const auto& [words, value] : parts)
        {
            if (! startsWith (text, words))
                return std::nullopt;

            text.remove_prefix (std::string_view (words).size());
            const auto [end, error] = std::from_chars (text.data(), text.data() + text.size(), *value);

            if (error != std::errc() || end == text.data())
                return std::nullopt;

            text.remove_prefix (static_cast<size_t> (end - text.data()));
        }

        return text.empty() ? std::optional<EqSettings> (notch) : std::nullopt;
    }

    // Room for any finite double written in full: a level is never cut short or replaced.
    std::string levelText (double db)
    {
        char text[std::numeric_limits<double>::max_exponent10 + 16];
        const auto [end, error] = std::to_chars (std::begin (text), std::end (text), db, std::chars_format::fixed, 4);
        return std::string (text, error == std::errc() ? end : text);
    }

    std::string frequencyText (double hz)
    {
        char text[32];
        const auto [end, error] = std::to_chars (std::begin (text), std::end (text), hz);
        return error == std::errc() ? std::string (text, end) : std::string ("0");
    }

    // Our own comments carry what the curve is; other analysers' are skipped.
    void readComment (std::string_view line, KeptCurve& curve)
    {
        if (startsWith (line, "* Speakers: "))
            curve.speakers = MeasurementContract::speakersNamed (TextLines::trim (line.substr (12))).value_or (Speakers::unknown);
        else if (startsWith (line, "* Measured: "))
            curve.measuredAt = KeptCurve::parseTime (std::string (TextLines::trim (line.substr (12))));
        else if (startsWith (line, calibrationLine))
            curve.calibration = EscapedText::unescape (TextLines::trim (line.substr (std::string_view (calibrationLine).size()))).value_or (std::string());
        else if (startsWith (line, "* Recommended notch: FREQ "))
        {
            if (const auto notch = notchFrom (TextLines::trim (line.substr (21))))
                curve.notch = *notch;
        }
        else if (startsWith (line, "* Positions: "))
        {
            const auto count = TextLines::trim (line.substr (13));
            int32_t positions = 0;
            const auto [end, error] = std::from_chars (count.data(), count.data() + count.size(), positions);

            if (error == std::errc() && end == count.data() + count.size() && positions >= 1)
                curve.positions = positions;
        }
    }

    // Where a bin lies between two points, 0 at the first and 1 at the second: linear in log
    // frequency, or in frequency where the first point is not above 0 Hz.
    double fraction (double f, double f0, double f1)
    {
        if (f <= f0)
            return 0.0;

        if (f >= f1)
            return 1.0;

        auto t = f0 > 0.0 ? (std::log (f) - std::log (f0)) / (std::log (f1) - std::log (f0)) : 0.0;

        // Halved, so that points far apart on either side of 0 Hz do not overflow.
        if (f0 <= 0.0 || ! std::isfinite (t))
            t = (f / 2 - f0 / 2) / (f1 / 2 - f0 / 2);

        return std::clamp (t, 0.0, 1.0);
    }

    // Each bin between two points takes the level between theirs; a bin on a point takes that
    // point's level exactly.
    std::vector<float> onBins (const std::vector<double>& hz, const std::vector<float>& values)
    {
        std::vector<float> binValues (KeptCurve::numBins, std::numeric_limits<float>::quiet_NaN());
        size_t next = 1;

        for (int bin = 0; bin < KeptCurve::numBins; ++bin)
        {
            const auto f = KeptCurve::binFrequency (bin);

            if (f < hz.front() || f > hz.back())
                continue;

            while (next < hz.size() - 1 && hz[next] < f)
                ++next;

            const auto t = fraction (f, hz[next - 1], hz[next]);
            const auto a = static_cast<double> (values[next - 1]), b = static_cast<double> (values[next]);
            binValues[static_cast<size_t> (bin)] = static_cast<float> ((1.0 - t) * a + t * b);
        }

        return binValues;
    }
}

std::string CurveText::describeNotch (const EqSettings& notch)
{
    if (notch.frequencyHz == 0)
        return "none";

    return "FREQ " + std::to_string (notch.frequencyHz) + " Hz, Q " + std::to_string (notch.qSetting) + ", DEPTH "
           + std::to_string (notch.depthSetting);
}

std::string CurveText::format (const KeptCurve& curve)
{
    const auto when = KeptCurve::formatTime (curve.measuredAt);
    std::string text = std::string ("* ") + program + "\n"
                     + "* Measured: " + (when.empty() ? std::string ("unknown") : when) + "\n"
                     + "* Speakers: " + MeasurementContract::nameOf (curve.speakers) + "\n"
                     + smoothingLine + "\n"
                     + "* Recommended notch: " + describeNotch (curve.notch) + "\n";

    if (curve.positions > 1)
        text += "* Positions: " + std::to_string (curve.positions) + "\n";

    if (! curve.calibration.empty())
        text += calibrationLine + EscapedText::escape (curve.calibration) + "\n";

    if (! curve.source.empty())
        text += "* Opened from: " + EscapedText::escape (curve.source) + "\n";

    // A remark is one line: whatever breaks one is written escaped.
    for (const auto& remark : curve.remarks)
        text += "* " + EscapedText::escape (remark) + "\n";

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
    std::vector<double> hz;
    std::vector<float> values;
    TextLines lines (text);

    for (std::string_view raw; lines.next (raw);)
    {
        const auto line = TextLines::trim (raw);
        const int lineNumber = lines.number();

        if (line.empty())
            continue;

        if (line.front() == '*' || line.front() == '#' || line.front() == ';')
        {
            readComment (line, curve);
            continue;
        }

        const NumericRow row (line);

        if (row.isBlank())
            continue;

        const auto frequency = NumericRow::number (row.fields.front());

        // Words before the first point are a header; among the points they are something else.
        if (! frequency)
        {
            if (hz.empty())
                continue;

            return { std::nullopt, Refusal::strayText, lineNumber };
        }

        if (row.ambiguousCommas)
            return { std::nullopt, Refusal::ambiguousCommas, lineNumber };

        const auto level = row.fields.size() >= 2 ? NumericRow::number (row.fields[1]) : std::nullopt;

        if (! level)
            return { std::nullopt, Refusal::noLevel, lineNumber };

        const auto value = static_cast<float> (*level / 20.0);

        if (! std::isfinite (*frequency) || ! std::isfinite (*level) || ! std::isfinite (value))
            return { std::nullopt, Refusal::notFinite, lineNumber };

        if (! hz.empty() && *frequency <= hz.back())
            return { std::nullopt, Refusal::notAscending, lineNumber };

        hz.push_back (*frequency);
        values.push_back (value);
    }

    if (hz.empty())
        return { std::nullopt, Refusal::noNumbers, 0 };

    const auto inRange = std::count_if (hz.begin(), hz.end(), [] (double f) { return f >= lowestHz && f <= highestHz; });

    if (inRange < 2)
        return { std::nullopt, Refusal::tooFewPoints, 0 };

    curve.values = onBins (hz, values);
    int drawn = 0;

    for (int bin = 0; bin < KeptCurve::numBins; ++bin)
    {
        const auto f = KeptCurve::binFrequency (bin);
        drawn += f >= lowestHz && f <= highestHz && std::isfinite (curve.values[static_cast<size_t> (bin)]) ? 1 : 0;
    }

    if (drawn < 2)
        return { std::nullopt, Refusal::tooClose, 0 };

    return { std::move (curve), Refusal::none, 0 };
}

CurveText::Reading CurveText::readFile (const std::string& path)
{
    const auto file = SmallFile::read (path, largestFile);

    switch (file.outcome)
    {
        case SmallFile::Outcome::read: return parse (file.text);
        case SmallFile::Outcome::tooLarge: return { std::nullopt, Refusal::tooLarge, 0 };
        case SmallFile::Outcome::missing:
        case SmallFile::Outcome::notAFile:
        case SmallFile::Outcome::unreadable: break;
    }

    return { std::nullopt, Refusal::unreadable, 0 };
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
        case Refusal::tooClose: return "The points of " + name + " between 20 Hz and 500 Hz lie closer together than the graph's steps of 2.7 Hz: there is nothing to draw.";
        case Refusal::ambiguousCommas: return line + " may hold four columns or two numbers with decimal commas: save the file with semicolons or tabs between its columns.";
    }

    return {};
}
