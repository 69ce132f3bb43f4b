#pragma once

// Why a run ended as it did, in the terms a person measuring can act on. The status code stays
// what it is (MeasurementStatus); this only tells the causes apart that share one.
enum class MeasurementOutcome
{
    none,           // nothing has run yet
    ok,             // the noise played and, for a measurement, a response was stored
    noAudioDevice,  // PortAudio could not start, or there is no default input or output device
    inputMissing,   // the microphone chosen in the program is not connected
    outputMissing,  // the output chosen in the program is not connected
    devicesBusy,    // another program holds the sound devices
    audioGivenUp,   // the sound server stopped answering; only a restart brings the audio back
    streamStopped,  // a stream failed before enough blocks were kept, or would not close
    silence,        // the microphone heard nothing: exact zeros, or far less than its own noise
    unsteady,       // the microphone heard something, but never the noise in steady state
    pathTooSlow,    // the noise reached the microphone too late to be recorded
    overran,        // the sound system did not play or record the noise in time
    outOfMemory,
    stopped         // asked to stop, e.g. because the program is closing
};
