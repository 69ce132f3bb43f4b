#include "CalibrationChoice.h"

#include "AtomicFile.h"
#include "EscapedText.h"
#include "SmallFile.h"
#include "TextLines.h"

namespace
{
    constexpr const char* header = "# KORVEN Sonavel: the calibration file of each microphone";
    constexpr std::string_view key = "microphone\t";
}

std::string CalibrationChoice::serialise() const
{
    std::string text = std::string (header) + "\n";

    for (const auto& [microphone, path] : files)
        if (! path.empty())
            text += std::string (key) + EscapedText::escape (microphone) + "\t" + EscapedText::escape (path) + "\n";

    return text;
}

CalibrationChoice CalibrationChoice::parse (std::string_view text)
{
    CalibrationChoice choice;

    TextLines lines (text);

    for (std::string_view line; lines.next (line);)
    {

        if (line.substr (0, key.size()) != key)
            continue;

        line.remove_prefix (key.size());
        const auto tab = line.find ('\t');

        if (tab == std::string_view::npos || line.find ('\t', tab + 1) != std::string_view::npos)
            continue;

        const auto microphone = EscapedText::unescape (line.substr (0, tab));
        const auto path = EscapedText::unescape (line.substr (tab + 1));

        if (microphone && path && ! path->empty())
            choice.files[*microphone] = *path;
    }

    return choice;
}

CalibrationChoice CalibrationChoice::load (const std::string& path)
{
    const auto file = SmallFile::read (path, largestFile);
    return file.outcome == SmallFile::Outcome::read ? parse (file.text) : CalibrationChoice();
}

bool CalibrationChoice::save (const std::string& path) const
{
    return AtomicFile::replace (path, serialise());
}
