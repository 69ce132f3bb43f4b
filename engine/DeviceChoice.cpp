#include "DeviceChoice.h"

#include "AtomicFile.h"

#include <fstream>
#include <sstream>
#include <vector>

namespace
{
    constexpr const char* header = "# KORVEN Sonavel: the sound devices chosen in the program";

    const char* wordFor (AudioRoute::Via via)
    {
        return via == AudioRoute::Via::portAudio ? "portaudio" : "server";
    }

    // Tabs and line ends would break the line apart; a description never needs them.
    std::string flattened (std::string text)
    {
        for (auto& c : text)
            if (c == '\t' || c == '\n' || c == '\r')
                c = ' ';

        return text;
    }

    std::vector<std::string> fields (const std::string& line)
    {
        std::vector<std::string> parts;
        std::string::size_type start = 0;

        for (auto tab = line.find ('\t'); tab != std::string::npos; tab = line.find ('\t', start))
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
            text += std::string (key) + "\t" + wordFor (pick.via) + "\t" + flattened (pick.name) + "\t"
                    + flattened (pick.description) + "\n";

    return text;
}

DeviceChoice DeviceChoice::parse (std::string_view text)
{
    DeviceChoice choice;
    std::istringstream lines { std::string (text) };
    std::string line;

    while (std::getline (lines, line))
    {
        // A file that went through an editor elsewhere may end its lines in CR LF.
        if (! line.empty() && line.back() == '\r')
            line.pop_back();

        const auto parts = fields (line);

        if (parts.size() != 4 || parts[2].empty() || (parts[1] != "server" && parts[1] != "portaudio"))
            continue;

        Pick pick { parts[1] == "server" ? AudioRoute::Via::soundServer : AudioRoute::Via::portAudio, parts[2], parts[3] };

        if (parts[0] == "input")
            choice.input = pick;
        else if (parts[0] == "output")
            choice.output = pick;
    }

    return choice;
}

DeviceChoice DeviceChoice::load (const std::string& path)
{
    std::ifstream file (path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return file ? parse (text.str()) : DeviceChoice();
}

bool DeviceChoice::save (const std::string& path) const
{
    return AtomicFile::replace (path, serialise());
}
