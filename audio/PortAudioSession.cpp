#include "PortAudioSession.h"

#include <atomic>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

// In PortAudio's library, not in its public header.
extern "C" void PaUtil_SetDebugPrintFunction (void (*callback) (const char* log));

namespace
{
    std::mutex audioMutex;

    std::atomic<bool> audioGivenUp { false };

    std::atomic<void (*) (const char*)> diagnosticsSink { nullptr };

    void forwardDiagnostics (const char* text)
    {
        if (auto* sink = diagnosticsSink.load())
            sink (text);
    }

    // Given-up callback data stays reachable until the process ends.
    std::mutex givenUpMutex;
    std::vector<void*>& givenUpData()
    {
        static auto* kept = new std::vector<void*>();
        return *kept;
    }
}

std::unique_lock<std::mutex> PortAudioSession::claimToTake()
{
    return std::unique_lock<std::mutex> (audioMutex, std::defer_lock);
}

std::unique_lock<std::mutex> PortAudioSession::tryClaim()
{
    return std::unique_lock<std::mutex> (audioMutex, std::try_to_lock);
}

void PortAudioSession::routeDiagnostics (void (*sink) (const char* text))
{
    diagnosticsSink.store (sink);
    PaUtil_SetDebugPrintFunction (forwardDiagnostics);
}

PaError PortAudioSession::initialiseQuietly()
{
    PaUtil_SetDebugPrintFunction (forwardDiagnostics);

    // PortAudio's scan of every ALSA and JACK device complains on standard error about each
    // device it cannot open, at every run; those lines tell the person measuring nothing.
    std::fflush (stderr);
    const int savedError = dup (STDERR_FILENO);
    const int nowhere = open ("/dev/null", O_WRONLY | O_CLOEXEC);

    if (savedError >= 0 && nowhere >= 0)
        dup2 (nowhere, STDERR_FILENO);

    const PaError result = Pa_Initialize();

    if (savedError >= 0 && nowhere >= 0)
        dup2 (savedError, STDERR_FILENO);

    if (nowhere >= 0)
        close (nowhere);

    if (savedError >= 0)
        close (savedError);

    return result;
}

void PortAudioSession::keepForever (void* data)
{
    const std::lock_guard<std::mutex> lock (givenUpMutex);
    givenUpData().push_back (data);
}

void PortAudioSession::giveUp()
{
    audioGivenUp.store (true);
}

bool PortAudioSession::isGivenUp()
{
    return audioGivenUp.load();
}
