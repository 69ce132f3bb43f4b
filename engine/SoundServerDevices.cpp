#include "SoundServerDevices.h"

#include <pulse/pulseaudio.h>

#include <chrono>
#include <string>

namespace
{
    struct Query
    {
        std::vector<SoundDevice> devices;
        std::string defaultSink;
        std::string defaultSource;
        int pending = 0;
        bool failed = false;
    };

    std::string describe (const char* description, const char* name)
    {
        return description != nullptr && *description != 0 ? description : name;
    }

    void onServerInfo (pa_context*, const pa_server_info* info, void* userData)
    {
        auto& query = *static_cast<Query*> (userData);

        if (info != nullptr)
        {
            query.defaultSink = info->default_sink_name != nullptr ? info->default_sink_name : "";
            query.defaultSource = info->default_source_name != nullptr ? info->default_source_name : "";
        }

        --query.pending;
    }

    // True once a list has ended (last != 0, negative on an error): one question less to wait for.
    bool listEnded (Query& query, int last)
    {
        if (last == 0)
            return false;

        query.failed = query.failed || last < 0;
        --query.pending;
        return true;
    }

    void onSink (pa_context*, const pa_sink_info* info, int last, void* userData)
    {
        auto& query = *static_cast<Query*> (userData);

        if (! listEnded (query, last))
            query.devices.push_back ({ info->name, describe (info->description, info->name), SoundDevice::Direction::output,
                                       false, false });
    }

    void onSource (pa_context*, const pa_source_info* info, int last, void* userData)
    {
        auto& query = *static_cast<Query*> (userData);

        if (! listEnded (query, last))
            query.devices.push_back ({ info->name, describe (info->description, info->name), SoundDevice::Direction::input,
                                       false, info->monitor_of_sink != PA_INVALID_INDEX });
    }

    // The three questions, once the context is ready; false if they could not be asked.
    bool ask (pa_context* context, Query& query)
    {
        pa_operation* operations[] = { pa_context_get_server_info (context, onServerInfo, &query),
                                       pa_context_get_sink_info_list (context, onSink, &query),
                                       pa_context_get_source_info_list (context, onSource, &query) };
        bool asked = true;

        for (auto* operation : operations)
        {
            if (operation == nullptr)
            {
                asked = false;
                continue;
            }

            ++query.pending;
            pa_operation_unref (operation);
        }

        return asked;
    }
}

std::optional<std::vector<SoundDevice>> SoundServerDevices::list (int timeoutMs)
{
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds (timeoutMs);

    pa_mainloop* loop = pa_mainloop_new();

    if (loop == nullptr)
        return std::nullopt;

    pa_context* context = pa_context_new (pa_mainloop_get_api (loop), "KORVEN Sonavel");
    Query query;
    bool asked = false;
    bool answered = false;

    // Never start a server of our own: no server is an answer too.
    if (context != nullptr && pa_context_connect (context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) >= 0)
    {
        while (Clock::now() < deadline)
        {
            const auto contextState = pa_context_get_state (context);

            if (! PA_CONTEXT_IS_GOOD (contextState))
                break;

            if (contextState == PA_CONTEXT_READY && ! asked)
            {
                asked = true;

                if (! ask (context, query))
                    break;
            }

            if (asked && query.pending == 0)
            {
                answered = ! query.failed;
                break;
            }

            const auto left = std::chrono::duration_cast<std::chrono::microseconds> (deadline - Clock::now());

            if (pa_mainloop_prepare (loop, static_cast<int> (std::max<long long> (left.count(), 0))) < 0
                || pa_mainloop_poll (loop) < 0 || pa_mainloop_dispatch (loop) < 0)
                break;
        }
    }

    // Operations still pending are cancelled with the context, before the query they write goes.
    if (context != nullptr)
    {
        pa_context_disconnect (context);
        pa_context_unref (context);
    }

    pa_mainloop_free (loop);

    if (! answered)
        return std::nullopt;

    for (auto& device : query.devices)
        device.isDefault = device.name == (device.direction == SoundDevice::Direction::input ? query.defaultSource : query.defaultSink);

    return query.devices;
}
