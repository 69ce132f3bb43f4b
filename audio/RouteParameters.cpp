#include "RouteParameters.h"

#include <algorithm>

namespace
{
    // A fifth of a second of latency for both streams (RunMeasurement.cpp says why).
    constexpr double streamLatencySeconds = 0.2;

    // ALSA's argument syntax: the name in double quotes, with quotes and backslashes escaped.
    std::string quotedForAlsa (const std::string& name)
    {
        std::string quoted = "\"";

        for (const char c : name)
        {
            if (c == '"' || c == '\\')
                quoted += '\\';

            quoted += c;
        }

        return quoted + "\"";
    }

    PaDeviceIndex portAudioDeviceNamed (const std::string& name, bool input)
    {
        for (PaDeviceIndex i = 0; i < Pa_GetDeviceCount(); ++i)
        {
            const PaDeviceInfo* info = Pa_GetDeviceInfo (i);

            if (info != nullptr && info->name != nullptr && name == info->name
                && (input ? info->maxInputChannels >= 1 : info->maxOutputChannels >= 2))
                return i;
        }

        return paNoDevice;
    }
}

MeasurementOutcome RouteParameters::fill (const AudioRoute& route, bool input, PaStreamParameters& parameters,
                                          std::string& deviceString, PaAlsaStreamInfo& routeInfo)
{
    const int channels = input ? 1 : 2;

    if (route.via == AudioRoute::Via::soundServer)
    {
        if (Pa_HostApiTypeIdToHostApiIndex (paALSA) < 0)
            return MeasurementOutcome::noAudioDevice;

        deviceString = "pulse:DEVICE=" + quotedForAlsa (route.device);
        PaAlsa_InitializeStreamInfo (&routeInfo);
        routeInfo.deviceString = deviceString.c_str();
        parameters = { paUseHostApiSpecificDeviceSpecification, channels, paFloat32, streamLatencySeconds, &routeInfo };
        return MeasurementOutcome::ok;
    }

    const PaDeviceIndex device = route.via == AudioRoute::Via::portAudio ? portAudioDeviceNamed (route.device, input)
                                 : input                              ? Pa_GetDefaultInputDevice()
                                                                      : Pa_GetDefaultOutputDevice();
    const PaDeviceInfo* info = Pa_GetDeviceInfo (device);

    if (info == nullptr)
        return route.via == AudioRoute::Via::systemDefault ? MeasurementOutcome::noAudioDevice
               : input                                  ? MeasurementOutcome::inputMissing
                                                        : MeasurementOutcome::outputMissing;

    const double latency = input ? info->defaultLowInputLatency : info->defaultLowOutputLatency;
    parameters = { device, channels, paFloat32, std::max (latency, streamLatencySeconds), nullptr };
    return MeasurementOutcome::ok;
}

const char* RouteParameters::textOf (MeasurementOutcome missing)
{
    switch (missing)
    {
        case MeasurementOutcome::inputMissing: return "the chosen audio input is not connected";
        case MeasurementOutcome::outputMissing: return "the chosen audio output is not connected";
        default: return "no default audio input or output device";
    }
}
