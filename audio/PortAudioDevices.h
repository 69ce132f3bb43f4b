#pragma once

#include "SoundDevice.h"

#include <optional>
#include <vector>

// PortAudio's inputs and outputs by its own names: what a machine without a sound server offers.
class PortAudioDevices final
{
public:
    // Inputs with a channel, outputs with two (the measurement plays stereo). Nothing while a run
    // holds PortAudio (it is process-wide) or when PortAudio cannot start.
    static std::optional<std::vector<SoundDevice>> list();
};
