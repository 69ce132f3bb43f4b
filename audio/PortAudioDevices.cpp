#include "PortAudioDevices.h"

#include "PortAudioSession.h"

std::optional<std::vector<SoundDevice>> PortAudioDevices::list()
{
    const auto claim = PortAudioSession::tryClaim();

    if (! claim.owns_lock() || PortAudioSession::isGivenUp())
        return std::nullopt;

    Pa_Terminate();

    if (PortAudioSession::initialiseQuietly() != paNoError)
        return std::nullopt;

    std::vector<SoundDevice> devices;
    const PaDeviceIndex defaultInput = Pa_GetDefaultInputDevice();
    const PaDeviceIndex defaultOutput = Pa_GetDefaultOutputDevice();

    for (PaDeviceIndex i = 0; i < Pa_GetDeviceCount(); ++i)
    {
        const PaDeviceInfo* info = Pa_GetDeviceInfo (i);

        if (info == nullptr || info->name == nullptr)
            continue;

        if (info->maxInputChannels >= 1)
            devices.push_back ({ info->name, info->name, SoundDevice::Direction::input, i == defaultInput, false });

        if (info->maxOutputChannels >= 2)
            devices.push_back ({ info->name, info->name, SoundDevice::Direction::output, i == defaultOutput, false });
    }

    Pa_Terminate();
    return devices;
}
