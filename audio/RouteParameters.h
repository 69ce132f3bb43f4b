#pragma once

#include "AudioRoute.h"
#include "MeasurementOutcome.h"

#include <pa_linux_alsa.h>
#include <portaudio.h>

#include <string>

// The PortAudio parameters of one direction's stream, by its route. Through a sound server the
// stream opens ALSA's pulse plugin with the server's device as its argument.
class RouteParameters final
{
public:
    // Fills parameters (and, through a sound server, deviceString and routeInfo, which they point
    // to); ok, or why the route's device cannot be opened.
    static MeasurementOutcome fill (const AudioRoute& route, bool input, PaStreamParameters& parameters, std::string& deviceString,
                                    PaAlsaStreamInfo& routeInfo);

    // The error text for an outcome fill returned other than ok.
    static const char* textOf (MeasurementOutcome missing);
};
