#include "RoomListener.h"

#include <pulse/simple.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <thread>
#include <time.h>

namespace
{
    constexpr int chunk = 1024;

    double now()
    {
        timespec t {};
        clock_gettime (CLOCK_MONOTONIC, &t);
        return static_cast<double> (t.tv_sec) + 1e-9 * static_cast<double> (t.tv_nsec);
    }

    // The median after the first second, when both streams have settled.
    double settled (std::vector<double> v)
    {
        const auto skip = std::min<size_t> (v.size() / 2, RoomListener::sampleRate / chunk);
        v.erase (v.begin(), v.begin() + static_cast<std::ptrdiff_t> (skip));

        if (v.empty())
            return 0.0;

        std::sort (v.begin(), v.end());
        return v[v.size() / 2];
    }
}

RoomListener::Take RoomListener::playAndRecord (const std::vector<float>& frames, double tailSeconds)
{
    const pa_sample_spec stereo { PA_SAMPLE_FLOAT32LE, sampleRate, 2 }, mono { PA_SAMPLE_FLOAT32LE, sampleRate, 1 };
    constexpr auto unset = static_cast<uint32_t> (-1);
    // 200 ms queued for playback, 20 ms fragments of recording: neither runs dry on a busy machine.
    const pa_buffer_attr playAttr { unset, static_cast<uint32_t> (sampleRate / 5 * 8), unset, unset, unset };
    const pa_buffer_attr recordAttr { unset, unset, unset, unset, static_cast<uint32_t> (sampleRate / 50 * 4) };
    Take take;
    int error = 0;
    auto* record = pa_simple_new (nullptr, "room listener", PA_STREAM_RECORD, nullptr, "microphone", &mono, nullptr, &recordAttr, &error);
    auto* play = record == nullptr ? nullptr
                                   : pa_simple_new (nullptr, "room listener", PA_STREAM_PLAYBACK, nullptr, "noise", &stereo, nullptr, &playAttr, &error);

    if (play == nullptr)
    {
        if (record != nullptr)
            pa_simple_free (record);

        return take;
    }

    const size_t total = static_cast<size_t> (sampleRate) + frames.size() / 2 + static_cast<size_t> (tailSeconds * sampleRate);
    std::vector<double> recordOffsets, playOffsets;
    std::atomic<bool> recordFailed { false };

    std::thread recorder ([&] {
        std::vector<float> buffer (chunk);
        int e = 0;

        // A second more than is played: what the last frames played become comes later.
        while (take.recorded.size() < total + static_cast<size_t> (sampleRate))
        {
            if (pa_simple_read (record, buffer.data(), buffer.size() * sizeof (float), &e) < 0)
            {
                recordFailed = true;
                break;
            }

            const double t = now();
            take.recorded.insert (take.recorded.end(), buffer.begin(), buffer.end());
            // The next frame to read was captured latency ago.
            const auto latency = static_cast<double> (pa_simple_get_latency (record, &e));
            recordOffsets.push_back (t - 1e-6 * latency - static_cast<double> (take.recorded.size()) / sampleRate);
        }
    });

    std::vector<float> stream (static_cast<size_t> (sampleRate) * 2, 0.0f);
    stream.insert (stream.end(), frames.begin(), frames.end());
    stream.resize (total * 2, 0.0f);
    bool played = true;

    for (size_t written = 0; written < total; written += chunk)
    {
        const size_t n = std::min (static_cast<size_t> (chunk), total - written);

        if (pa_simple_write (play, stream.data() + written * 2, n * 2 * sizeof (float), &error) < 0)
        {
            played = false;
            break;
        }

        const double t = now();
        // The last frame written sounds latency from now.
        const auto latency = static_cast<double> (pa_simple_get_latency (play, &error));
        playOffsets.push_back (t + 1e-6 * latency - static_cast<double> (written + n) / sampleRate);
    }

    pa_simple_drain (play, &error);
    recorder.join();
    pa_simple_free (play);
    pa_simple_free (record);

    take.playOffset = settled (playOffsets);
    take.recordOffset = settled (recordOffsets);
    take.ok = played && ! recordFailed;
    return take;
}
