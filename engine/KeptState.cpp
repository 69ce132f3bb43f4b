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
    // Version 3 says which calibration of the microphone each curve was measured with; version 2
    // escapes the source's name (a file name may hold a line break); version 1, as written
    // before, has it as it was. Curves measured before version 3 were measured without one.
    constexpr const char* firstLine = "KORVEN Sonavel kept curves 3";
    constexpr const char* firstLineVersion2 = "KORVEN Sonavel kept curves 2";
    constexpr const char* firstLineVersion1 = "KORVEN Sonavel kept curves 1";

    void writeCurve (std::string& text, const char* role, const KeptCurve& curve)
    {
        text += std::string ("curve ") + role + "\n";
        text += std::string ("speakers ") + KeptCurve::nameOf (curve.speakers) + "\n";
        text += "measured " + std::to_string (static_cast<long long> (curve.measuredAt)) + "\n";
        text += "notch " + std::to_string (curve.notch.frequencyHz) + " " + std::to_string (curve.notch.qSetting) + " "
                + std::to_string (curve.notch.depthSetting) + "\n";
        text += "source " + EscapedText::escape (curve.source) + "\n";
        text += "calibration " + EscapedText::escape (curve.calibration) + "\n";
        text += "values " + std::to_string (curve.values.size()) + "\n";

        // Shortest text that reads back to the same float, infinities and NaN included.
        for (const auto value : curve.values)
        {
            char number[32];
            const auto [end, error] = std::to_chars (std::begin (number), std::end (number), value);
            text.append (number, error == std::errc() ? end : number);
            text += "\n";
        }

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

    // The lines after "curve ROLE".
    std::optional<KeptCurve> readCurve (Lines& lines, int version)
    {
        KeptCurve curve;
        std::string_view value;
        long long measured = 0;
        size_t count = 0;

        if (! lines.keyed ("speakers", value))
            return std::nullopt;

        const auto speakers = KeptCurve::speakersNamed (std::string (value));

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

        if (version >= 3)
        {
            const auto calibration = lines.keyed ("calibration", value) ? EscapedText::unescape (value) : std::nullopt;

            if (! calibration)
                return std::nullopt;

            curve.calibration = *calibration;
        }

        if (! lines.keyed ("values", value) || ! read (value, count) || count != KeptCurve::numBins)
            return std::nullopt;

        curve.values.resize (count);

        for (auto& number : curve.values)
            if (! lines.next (value) || ! read (value, number))
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

    if (! lines.next (line) || (line != firstLine && line != firstLineVersion2 && line != firstLineVersion1))
    {
        problem = "it does not start with \"" + std::string (firstLine) + "\"";
        return std::nullopt;
    }

    const int version = line == firstLine ? 3 : line == firstLineVersion2 ? 2 : 1;
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
