#include "VirtualRoom.h"

#include "TrueResponse.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
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

    std::vector<float> readSamples (const std::string& path)
    {
        std::ifstream file (path, std::ios::binary);
        std::vector<float> samples;
        float v = 0.0f;

        while (file.read (reinterpret_cast<char*> (&v), sizeof (v)))
            samples.push_back (v);

        return samples;
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
    // At once, as a crash does; the script then only tidies up.
    signalServer (SIGKILL);

    if (running)
        run ("stop");

    running = false;
}

std::vector<float> VirtualRoom::impulseResponse (int speaker) const
{
    return directory.empty() ? std::vector<float>() : readSamples (directory + (speaker == 0 ? "/impulse-left.f32" : "/impulse-right.f32"));
}

std::vector<double> VirtualRoom::trueGains (int speakers, bool withMicrophone) const
{
    const auto left = impulseResponse (0);
    const auto right = impulseResponse (1);

    if (left.empty() || right.empty())
        return {};

    auto magnitudes = TrueResponse::binMagnitudes (speakers == 0 ? left : speakers == 1 ? right : TrueResponse::sum (left, right));

    // The microphone's filter multiplies each bin's response.
    if (const auto microphone = readSamples (directory + "/microphone.f32"); withMicrophone && ! microphone.empty())
    {
        const auto own = TrueResponse::binMagnitudes (microphone);

        for (size_t k = 0; k < magnitudes.size(); ++k)
            magnitudes[k] *= own[k];
    }

    return magnitudes;
}

std::vector<float> VirtualRoom::trueResponse (int speakers, bool withMicrophone) const
{
    const auto gains = trueGains (speakers, withMicrophone);
    return gains.empty() ? std::vector<float>() : TrueResponse::curve (gains);
}

bool VirtualRoom::change (const std::string& options)
{
    return running && run ("change " + options + " >/dev/null 2>&1 && echo changed").find ("changed") != std::string::npos;
}

void VirtualRoom::freeze()
{
    signalServer (SIGSTOP);
}

void VirtualRoom::thaw()
{
    signalServer (SIGCONT);
}

void VirtualRoom::signalServer (int signal) const
{
    std::ifstream pidFile (directory + "/pid");
    pid_t pid = 0;

    if (running && pidFile >> pid && pid > 0)
        kill (pid, signal);
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
