#pragma once

#include "AudioRoute.h"
#include "MeasurementOutcome.h"
#include "SoundDevice.h"

#include <string>
#include <vector>

// The inputs and outputs a person may choose from: the sound server's when one runs, else
// PortAudio's.
class SoundDeviceList final
{
public:
    enum class Source { none, soundServer, portAudio };

    // Asks the sound server (waiting at most serverTimeoutMs for it), else PortAudio. Blocks: not
    // for the message thread. Source none when neither answered (PortAudio is busy while a test
    // runs without a sound server).
    static SoundDeviceList scan (int serverTimeoutMs);

    // Before a test: inputMissing or outputMissing when the sound server answers without the
    // device of a route through it; ok otherwise (a server that does not answer fails the test
    // when its streams open).
    static MeasurementOutcome checkConnected (const AudioRoute& input, const AudioRoute& output, int serverTimeoutMs);

    SoundDeviceList() = default;
    SoundDeviceList (Source source, std::vector<SoundDevice> devices);

    Source getSource() const { return source; }
    const std::vector<SoundDevice>& getDevices() const { return devices; }

    // What is offered for a direction, the default first. Monitors of outputs are offered as
    // microphones only when there is no other input.
    std::vector<const SoundDevice*> offered (SoundDevice::Direction direction) const;

    // An offered device by its name, else by its description (also ignoring case); null if none.
    const SoundDevice* find (SoundDevice::Direction direction, const std::string& nameOrDescription) const;

    // The system's default for a direction; null if it has none.
    const SoundDevice* defaultDevice (SoundDevice::Direction direction) const;

    // How a stream reaches a device of this list.
    AudioRoute::Via routeVia() const;

private:
    Source source = Source::none;
    std::vector<SoundDevice> devices;
};
