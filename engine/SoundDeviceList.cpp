#include "SoundDeviceList.h"

#include "PortAudioDevices.h"
#include "SoundServerDevices.h"

#include <algorithm>
#include <cctype>

namespace
{
    bool sameIgnoringCase (const std::string& a, const std::string& b)
    {
        return a.size() == b.size()
               && std::equal (a.begin(), a.end(), b.begin(), [] (char x, char y)
                              { return std::tolower (static_cast<unsigned char> (x)) == std::tolower (static_cast<unsigned char> (y)); });
    }
}

SoundDeviceList SoundDeviceList::scan (int serverTimeoutMs)
{
    if (auto serverDevices = SoundServerDevices::list (serverTimeoutMs))
        return { Source::soundServer, std::move (*serverDevices) };

    if (auto portAudioDevices = PortAudioDevices::list())
        return { Source::portAudio, std::move (*portAudioDevices) };

    return {};
}

MeasurementOutcome SoundDeviceList::checkConnected (const AudioRoute& input, const AudioRoute& output, int serverTimeoutMs)
{
    if (input.via != AudioRoute::Via::soundServer && output.via != AudioRoute::Via::soundServer)
        return MeasurementOutcome::ok;

    const auto devices = SoundServerDevices::list (serverTimeoutMs);

    if (! devices.has_value())
        return MeasurementOutcome::ok;

    auto connected = [&] (const AudioRoute& route, SoundDevice::Direction direction)
    {
        return route.via != AudioRoute::Via::soundServer
               || std::any_of (devices->begin(), devices->end(), [&] (const SoundDevice& d)
                               { return d.direction == direction && d.name == route.device; });
    };

    if (! connected (output, SoundDevice::Direction::output))
        return MeasurementOutcome::outputMissing;

    if (! connected (input, SoundDevice::Direction::input))
        return MeasurementOutcome::inputMissing;

    return MeasurementOutcome::ok;
}

SoundDeviceList::SoundDeviceList (Source listSource, std::vector<SoundDevice> listed)
    : source (listSource),
      devices (std::move (listed))
{
}

std::vector<const SoundDevice*> SoundDeviceList::offered (SoundDevice::Direction direction) const
{
    std::vector<const SoundDevice*> all;
    std::vector<const SoundDevice*> withoutMonitors;

    for (const auto& device : devices)
    {
        if (device.direction != direction)
            continue;

        all.push_back (&device);

        if (! device.isMonitor)
            withoutMonitors.push_back (&device);
    }

    auto result = withoutMonitors.empty() ? all : withoutMonitors;
    std::stable_partition (result.begin(), result.end(), [] (const SoundDevice* d) { return d->isDefault; });
    return result;
}

const SoundDevice* SoundDeviceList::find (SoundDevice::Direction direction, const std::string& nameOrDescription) const
{
    const auto candidates = offered (direction);

    for (auto* matches : { +[] (const SoundDevice& d, const std::string& s) { return d.name == s; },
                           +[] (const SoundDevice& d, const std::string& s) { return d.description == s; },
                           +[] (const SoundDevice& d, const std::string& s) { return sameIgnoringCase (d.description, s); } })
        for (const auto* device : candidates)
            if (matches (*device, nameOrDescription))
                return device;

    return nullptr;
}

const SoundDevice* SoundDeviceList::defaultDevice (SoundDevice::Direction direction) const
{
    for (const auto& device : devices)
        if (device.direction == direction && device.isDefault)
            return &device;

    return nullptr;
}

AudioRoute::Via SoundDeviceList::routeVia() const
{
    switch (source)
    {
        case Source::soundServer: return AudioRoute::Via::soundServer;
        case Source::portAudio: return AudioRoute::Via::portAudio;
        case Source::none: break;
    }

    return AudioRoute::Via::systemDefault;
}
