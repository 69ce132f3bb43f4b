#include "VirtualRoom.h"

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <unistd.h>

namespace
{
    const char* const variables[] = { "PULSE_SERVER", "PULSE_COOKIE", "PULSE_RUNTIME_PATH" };

    std::map<std::string, std::optional<std::string>> saveEnvironment()
    {
        std::map<std::string, std::optional<std::string>> saved;

        for (const auto* name : variables)
        {
            const char* value = std::getenv (name);
            saved[name] = value != nullptr ? std::optional<std::string> (value) : std::nullopt;
        }

        return saved;
    }

    void restoreEnvironment (const std::map<std::string, std::optional<std::string>>& saved)
    {
        for (const auto& [name, value] : saved)
        {
            if (value)
                setenv (name.c_str(), value->c_str(), 1);
            else
                unsetenv (name.c_str());
        }
    }
}

VirtualRoom::VirtualRoom (const std::string& options)
    : saved (saveEnvironment())
{
    char pattern[] = "/tmp/sonavel-test-room.XXXXXX";

    if (mkdtemp (pattern) == nullptr)
        return;

    directory = pattern;

    // start prints lines of the form "export NAME=VALUE".
    // Owned by this process: a test that crashes leaves no server behind.
    std::istringstream exports (run ("start " + options + " --owner " + std::to_string (getpid())));
    std::string line;

    while (std::getline (exports, line))
    {
        const auto equals = line.find ('=');

        if (line.rfind ("export ", 0) != 0 || equals == std::string::npos)
            continue;

        setenv (line.substr (7, equals - 7).c_str(), line.substr (equals + 1).c_str(), 1);
        running = true;
    }
}

VirtualRoom::~VirtualRoom()
{
    stop();
    restoreEnvironment (saved);

    if (! directory.empty())
        run ("cleanup");
}

void VirtualRoom::stop()
{
    if (running)
        run ("stop");

    running = false;
}

std::string VirtualRoom::run (const std::string& command) const
{
    const auto line = "SONAVEL_ROOM_DIR='" + directory + "' '" SONAVEL_SOURCE_DIR "/scripts/virtual-room' " + command;
    std::string output;

    if (auto* pipe = popen (line.c_str(), "r"))
    {
        char buffer[512];

        while (std::fgets (buffer, sizeof (buffer), pipe) != nullptr)
            output += buffer;

        pclose (pipe);
    }

    return output;
}

VirtualRoom::NoServer::NoServer()
    : saved (saveEnvironment())
{
    setenv ("PULSE_SERVER", "unix:/nonexistent/sonavel-no-server", 1);
}

VirtualRoom::NoServer::~NoServer()
{
    restoreEnvironment (saved);
}
