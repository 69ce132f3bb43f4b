#include "KeptState.h"

#include "AtomicFile.h"
#include "CurveText.h"
#include "EscapedText.h"
#include "SmallFile.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <iterator>

namespace
{
    // Version 4 says which calibration of the microphone each curve was measured with (curves
    // measured before were measured without one); version 3 keeps the microphone positions a
    // curve averages; version 2 escapes the source's name (a file name may hold a line break);
    // version 1, as written first, has it as it was.
    constexpr const char* firstLine = "KORVEN Sonavel kept curves 4";
    constexpr const char* firstLineVersion3 = "KORVEN Sonavel kept curves 3";
    constexpr const char* firstLineVersion2 = "KORVEN Sonavel kept curves 2";
    constexpr const char* firstLineVersion1 = "KORVEN Sonavel kept curves 1";

    // Shortest text that reads back to the same float, infinities and NaN included.
    void writeNumbers (std::string& text, const std::vector<float>& numbers)
    {
        for (const auto value : numbers)
        {
            char number[32];
            const auto [end, error] = std::to_chars (std::begin (number), std::end (number), value);
            text.append (number, error == std::errc() ? end : number);
            text += "\n";
        }
    }

    void writeCurve (std::string& text, const char* role, const KeptCurve& curve)
    {
        text += std::string ("curve ") + role + "\n";
        text += std::string ("speakers ") + MeasurementContract::nameOf (curve.speakers) + "\n";
        text += "measured " + std::to_string (static_cast<long long> (curve.measuredAt)) + "\n";
        text += "notch " + std::to_string (curve.notch.frequencyHz) + " " + std::to_string (curve.notch.qSetting) + " "
                + std::to_string (curve.notch.depthSetting) + "\n";
        text += "source " + EscapedText::escape (curve.source) + "\n";
        text += "calibration " + EscapedText::escape (curve.calibration) + "\n";
        text += "positions " + std::to_string (curve.positions) + " " + std::to_string (curve.positionGains.size()) + "\n";

        for (const auto& gains : curve.positionGains)
        {
            text += "gains " + std::to_string (gains.size()) + "\n";
            writeNumbers (text, gains);
        }

        text += "values " + std::to_string (curve.values.size()) + "\n";
        writeNumbers (text, curve.values);
        text += "end\n";
    }

    // Reads one line at a time and says where the text stopped making sense.
    class Lines final
    {
    public:
        explicit Lines (std::string_view text) : rest (text) {}

        bool next (std::string_view& line)
        {
            if (rest.empty())
                return false;

            const auto end = rest.find ('\n');
            line = rest.substr (0, end);
            rest = end == std::string_view::npos ? std::string_view() : rest.substr (end + 1);
            ++number;
            return true;
        }

        // "key value": the value, if the line starts with the key.
        bool keyed (std::string_view key, std::string_view& value)
        {
            std::string_view line;

            if (! next (line) || line.substr (0, key.size() + 1) != std::string (key) + " ")
                return false;

            value = line.substr (key.size() + 1);
            return true;
        }

        int number = 0;

    private:
        std::string_view rest;
    };

    template <typename Number>
    bool read (std::string_view text, Number& value)
    {
        const auto [end, error] = std::from_chars (text.data(), text.data() + text.size(), value);
        return error == std::errc() && end == text.data() + text.size() && ! text.empty();
    }

    // "40 3 4": three whole numbers, each after one space.
    bool readNotch (std::string_view text, EqSettings& notch)
    {
        for (auto* value : { &notch.frequencyHz, &notch.qSetting, &notch.depthSetting })
        {
            const auto space = value == &notch.depthSetting ? text.size() : text.find (' ');

            if (space == std::string_view::npos || ! read (text.substr (0, space), *value))
                return false;

            text.remove_prefix (std::min (text.size(), space + 1));
        }

        return true;
    }

    // "COUNT" numbers after a line "KEY COUNT", COUNT being expected.
    bool readNumbers (Lines& lines, std::string_view key, size_t expected, std::vector<float>& numbers)
    {
        std::string_view value;
        size_t count = 0;

        if (! lines.keyed (key, value) || ! read (value, count) || count != expected)
            return false;

        numbers.resize (count);

        for (auto& number : numbers)
            if (! lines.next (value) || ! read (value, number))
                return false;

        return true;
    }

    // "positions N M": the positions a curve averages, and how many of them have their gains kept
    // (none, or all of them, at most a listening area's worth).
    bool readPositions (Lines& lines, KeptCurve& curve)
    {
        std::string_view value;
        size_t kept = 0;

        if (! lines.keyed ("positions", value))
            return false;

        const auto space = value.find (' ');

        if (space == std::string_view::npos || ! read (value.substr (0, space), curve.positions) || ! read (value.substr (space + 1), kept)
            || curve.positions < 1 || curve.positions > KeptCurve::maximumPositions
            || (kept != 0 && kept != static_cast<size_t> (curve.positions)))
            return false;

        curve.positionGains.resize (kept);

        for (auto& gains : curve.positionGains)
            if (! readNumbers (lines, "gains", KeptCurve::numBins / 2, gains))
                return false;

        return true;
    }

    // The lines after "curve ROLE".
    std::optional<KeptCurve> readCurve (Lines& lines, int version)
    {
        KeptCurve curve;
        std::string_view value;
        long long measured = 0;

        if (! lines.keyed ("speakers", value))
            return std::nullopt;

        const auto speakers = MeasurementContract::speakersNamed (value);

        if (! speakers)
            return std::nullopt;

        curve.speakers = *speakers;

        if (! lines.keyed ("measured", value) || ! read (value, measured))
            return std::nullopt;

        curve.measuredAt = static_cast<std::time_t> (measured);

        if (! lines.keyed ("notch", value) || ! readNotch (value, curve.notch))
            return std::nullopt;

        if (! lines.keyed ("source", value))
            return std::nullopt;

        const auto source = version >= 2 ? EscapedText::unescape (value) : std::optional<std::string> (value);

        if (! source)
            return std::nullopt;

        curve.source = *source;
        curve.calibration = curve.source.empty() ? "none" : "";

        if (version >= 4)
        {
            const auto calibration = lines.keyed ("calibration", value) ? EscapedText::unescape (value) : std::nullopt;

            if (! calibration)
                return std::nullopt;

            curve.calibration = *calibration;
        }

        if ((version >= 3 && ! readPositions (lines, curve)) || ! readNumbers (lines, "values", KeptCurve::numBins, curve.values))
            return std::nullopt;

        if (! lines.next (value) || value != "end")
            return std::nullopt;

        return curve;
    }
}

std::string KeptState::serialise() const
{
    std::string text = std::string (firstLine) + "\n";

    if (current)
        writeCurve (text, "current", *current);

    if (held)
        writeCurve (text, "held", *held);

    return text;
}

std::optional<KeptState> KeptState::parse (std::string_view text, std::string& problem)
{
    Lines lines (text);
    std::string_view line;

    if (text.empty())
    {
        problem = "it is empty";
        return std::nullopt;
    }

    if (! lines.next (line) || (line != firstLine && line != firstLineVersion3 && line != firstLineVersion2 && line != firstLineVersion1))
    {
        problem = "it does not start with \"" + std::string (firstLine) + "\"";
        return std::nullopt;
    }

    const int version = line == firstLine ? 4 : line == firstLineVersion3 ? 3 : line == firstLineVersion2 ? 2 : 1;
    KeptState state;

    // Each curve is there or not, the current one first.
    while (lines.next (line))
    {
        std::optional<KeptCurve>* slot = nullptr;

        if (line == "curve current" && ! state.current && ! state.held)
            slot = &state.current;
        else if (line == "curve held" && ! state.held)
            slot = &state.held;

        if (slot == nullptr || ! (*slot = readCurve (lines, version)))
        {
            problem = "line " + std::to_string (lines.number) + " is not what was written there";
            return std::nullopt;
        }
    }

    return state;
}

std::optional<KeptState> KeptState::load (const std::string& path, std::string& problem)
{
    problem.clear();

    // Two curves take some 400 kB: anything far larger is not ours.
    const auto file = SmallFile::read (path, CurveText::largestFile);

    switch (file.outcome)
    {
        case SmallFile::Outcome::read: return parse (file.text, problem);
        case SmallFile::Outcome::missing: return std::nullopt;
        case SmallFile::Outcome::notAFile:
        case SmallFile::Outcome::tooLarge: problem = "it is not a file of a sensible size"; return std::nullopt;
        case SmallFile::Outcome::unreadable: break;
    }

    problem = std::strerror (file.error);
    return std::nullopt;
}

bool KeptState::save (const std::string& path) const
{
    return AtomicFile::replace (path, serialise());
}

std::string KeptState::setAside (const std::string& path)
{
    const auto slash = path.rfind ('/');
    const auto dot = path.rfind ('.');
    const auto hasExtension = dot != std::string::npos && (slash == std::string::npos || dot > slash);
    const auto aside = hasExtension ? path.substr (0, dot) + ".damaged" + path.substr (dot) : path + ".damaged";

    return std::rename (path.c_str(), aside.c_str()) == 0 ? aside : std::string();
}
