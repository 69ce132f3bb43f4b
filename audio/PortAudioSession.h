#pragma once

#include <portaudio.h>

#include <mutex>

// PortAudio is process-wide: one run at a time may use it, from Pa_Initialize to the last
// Pa_Terminate, and once streams had to be given up nothing touches it again. This is that
// claim, PortAudio's own diagnostics and what given-up streams leave behind; a run's streams and
// buffers are MeasurementState's.
class PortAudioSession final
{
public:
    PortAudioSession() = delete;

    // The claim a run takes and holds (not yet held), or one taken now if no run holds it, e.g.
    // for a look at the devices between runs.
    static std::unique_lock<std::mutex> claimToTake();
    static std::unique_lock<std::mutex> tryClaim();

    // Pa_Initialize without the complaints of its device scan on standard error.
    static PaError initialiseQuietly();

    // PortAudio's own diagnostic prints (e.g. "Expression '...' failed in ..." when a sound server
    // goes away) go to sink, a line or part of one at a time, from any thread; null drops them.
    // They never reach standard error.
    static void routeDiagnostics (void (*sink) (const char* text));

    // Given-up streams' callbacks may still run: what they touch is kept alive for the rest of
    // the process, and no later run touches PortAudio again.
    static void keepForever (void* data);
    static void giveUp();
    static bool isGivenUp();
};
