#include "DeviceChoice.h"

#include "AtomicFile.h"
#include "EscapedText.h"
#include "SmallFile.h"
#include "TextLines.h"

#include <vector>

namespace
{
    constexpr const char* header = "# KORVEN Sonavel: the sound devices chosen in the program";

    const char* wordFor (AudioRoute::Via via)
    {
        return via == AudioRoute::Via::portAudio ? "portaudio" : "server";
    }

    std::vector<std::string_view> fields (std::string_view line)
    {
        std::vector<std::string_view> parts;
        size_t start = 0;

        for (auto tab = line.find ('\t'); tab != std::string_view::npos; tab = line.find ('\t', start))
        {
            parts.push_back (line.substr (start, tab - start));
            start = tab + 1;
        }

        parts.push_back (line.substr (start));
        return parts;
    }
}

std::string DeviceChoice::serialise() const
{
    std::string text = std::string (header) + "\n";

    for (const auto& [key, pick] : { std::pair<const char*, const Pick&> { "input", input }, { "output", output } })
        if (! pick.isSystemDefault())
            text += std::string (key) + "\t" + wordFor (pick.via) + "\t" + EscapedText::escape (pick.name) + "\t"
                    + EscapedText::escape (pick.description) + "\n";

    return text;
}

DeviceChoice DeviceChoice::parse (std::string_view text)
{
    DeviceChoice choice;

    TextLines lines (text);

    for (std::string_view line; lines.next (line);)
    {

        const auto parts = fields (line);

        if (parts.size() != 4 || (parts[1] != "server" && parts[1] != "portaudio"))
            continue;

        const auto name = EscapedText::unescape (parts[2]);
        const auto description = EscapedText::unescape (parts[3]);

        if (! name || name->empty() || ! description)
            continue;

        Pick pick { parts[1] == "server" ? AudioRoute::Via::soundServer : AudioRoute::Via::portAudio, *name, *description };

        if (parts[0] == "input")
            choice.input = pick;
        else if (parts[0] == "output")
            choice.output = pick;
    }

    return choice;
}

DeviceChoice DeviceChoice::load (const std::string& path)
{
    const auto file = SmallFile::read (path, largestFile);
    return file.outcome == SmallFile::Outcome::read ? parse (file.text) : DeviceChoice();
}

bool DeviceChoice::save (const std::string& path) const
{
    return AtomicFile::replace (path, serialise());
}
