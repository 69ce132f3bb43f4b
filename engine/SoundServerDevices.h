#pragma once

#include "SoundDevice.h"

#include <optional>
#include <vector>

// The sound server's inputs and outputs (PulseAudio, or PipeWire's PulseAudio service), asked
// through its own client library with a main loop of its own, so any thread may ask.
class SoundServerDevices final
{
public:
    // Nothing when no server answers within the time: none runs, or it hangs.
    static std::optional<std::vector<SoundDevice>> list (int timeoutMs);
};
