// The sound path of a virtual room as a LADSPA plugin, so that the sound server runs it in the
// thread that renders the air: no client, pipe or queue between the speakers and the microphone
// that a busy processor could starve. Two inputs (the speakers), two outputs carrying the same
// sum (the server averages them into the air's one channel). What it plays is read when the
// server instantiates it, from the server's environment: SONAVEL_ROOM_PATH_DIR (impulse-left.f32,
// impulse-right.f32 and, if there, microphone.f32, all at 44100 Hz) and SONAVEL_ROOM_PATH_DELAY_MS.
// It runs at whatever rate its host runs it: PipeWire's filter-chain runs it at the graph's rate
// (48 kHz on a desktop), its PulseAudio service converting the speakers and the air to and from
// their 44100 Hz around it, so the impulse responses are taken to that rate; the path is then as
// slow as the delay or the resampled responses' lead (ImpulseResampler), whichever is longer.
#include "ImpulseResampler.h"
#include "RoomPath.h"
#include "Spectrum.h"

#include <ladspa.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace
{
    constexpr int fileRate = 44100;
    constexpr unsigned long highestRate = 384000; // beyond any sound server's
    // Enough for a filter's impulse at the start of a response (the one-band room's) to keep its
    // band-limited ringing before it: within 0.001 dB below 500 Hz at 48 and 96 kHz.
    constexpr double resamplingLeadSeconds = 0.01;
    constexpr int blockSize = 512;

    std::vector<float> readRaw (const std::string& path)
    {
        std::ifstream file (path, std::ios::binary);
        std::vector<float> x;
        float v = 0.0f;

        while (file.read (reinterpret_cast<char*> (&v), sizeof (v)))
            x.push_back (std::isfinite (v) ? v : 0.0f);

        return x;
    }

    std::vector<float> convolve (const std::vector<float>& a, const std::vector<float>& b)
    {
        size_t n = 2;

        while (n < a.size() + b.size())
            n *= 2;

        std::vector<double> x (n, 0.0), y (n, 0.0);
        std::copy (a.begin(), a.end(), x.begin());
        std::copy (b.begin(), b.end(), y.begin());
        auto bins = Spectrum::forward (x);
        const auto other = Spectrum::forward (y);

        for (size_t k = 0; k < bins.size(); ++k)
            bins[k] *= other[k];

        const auto product = Spectrum::inverse (bins, static_cast<int> (n));
        return std::vector<float> (product.begin(), product.begin() + static_cast<std::ptrdiff_t> (a.size() + b.size() - 1));
    }

    struct Instance
    {
        std::unique_ptr<RoomPath> path;
        LADSPA_Data* ports[4] = {};
    };

    LADSPA_Handle instantiate (const LADSPA_Descriptor*, unsigned long rate)
    {
        const char* dir = std::getenv ("SONAVEL_ROOM_PATH_DIR");
        const char* delay = std::getenv ("SONAVEL_ROOM_PATH_DELAY_MS");

        if (rate == 0 || rate > highestRate || dir == nullptr)
            return nullptr;

        const int hostRate = static_cast<int> (rate);
        const auto microphone = readRaw (std::string (dir) + "/microphone.f32");
        std::vector<std::vector<float>> impulses;
        size_t lead = 0;

        for (const char* name : { "/impulse-left.f32", "/impulse-right.f32" })
        {
            const auto h = readRaw (dir + std::string (name));

            if (h.empty())
                return nullptr;

            auto resampled = ImpulseResampler::resample (microphone.empty() ? h : convolve (h, microphone), fileRate, hostRate, resamplingLeadSeconds);
            impulses.push_back (std::move (resampled.samples));
            lead = resampled.lead;
        }

        // The lead is taken out of the delay where the delay is long enough to hold it.
        const double delayMs = delay != nullptr ? std::atof (delay) : 0.0;
        const auto delaySamples = static_cast<size_t> (std::lround (std::max (0.0, delayMs) * hostRate / 1000.0));
        auto* instance = new Instance;
        instance->path = std::make_unique<RoomPath> (impulses, blockSize, delaySamples - std::min (lead, delaySamples));
        return instance;
    }

    void connect (LADSPA_Handle handle, unsigned long port, LADSPA_Data* data)
    {
        if (port < 4)
            static_cast<Instance*> (handle)->ports[port] = data;
    }

    void run (LADSPA_Handle handle, unsigned long count)
    {
        auto* instance = static_cast<Instance*> (handle);
        const float* inputs[2] = { instance->ports[0], instance->ports[1] };
        float* const out = instance->ports[2];
        instance->path->process (inputs, out, count);

        // As a converter clips; PulseAudio's host would clamp too, PipeWire's does not.
        for (unsigned long i = 0; i < count; ++i)
            out[i] = std::clamp (out[i], -1.0f, 1.0f);

        std::copy (out, out + count, instance->ports[3]);
    }

    void cleanup (LADSPA_Handle handle)
    {
        delete static_cast<Instance*> (handle);
    }

    const LADSPA_PortDescriptor portKinds[4] = {
        LADSPA_PORT_INPUT | LADSPA_PORT_AUDIO, LADSPA_PORT_INPUT | LADSPA_PORT_AUDIO,
        LADSPA_PORT_OUTPUT | LADSPA_PORT_AUDIO, LADSPA_PORT_OUTPUT | LADSPA_PORT_AUDIO,
    };
    const char* const portNames[4] = { "Left speaker", "Right speaker", "Microphone", "Microphone (again)" };
    const LADSPA_PortRangeHint portHints[4] = {};

    const LADSPA_Descriptor descriptor = {
        4183, "sonavelRoom", 0, "Virtual room's sound path", "KORVEN Sonavel", "GPL-3.0",
        4, portKinds, portNames, portHints, nullptr,
        instantiate, connect, nullptr, run, nullptr, nullptr, nullptr, cleanup,
    };
}

extern "C" __attribute__ ((visibility ("default"))) const LADSPA_Descriptor* ladspa_descriptor (unsigned long index)
{
    return index == 0 ? &descriptor : nullptr;
}
