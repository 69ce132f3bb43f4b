// How repeatable a measurement is: the same virtual rooms measured several times through the
// engine, as the program measures, and the differences between the curves. Prints; asserts nothing.
//
//   sonavel_precision_bench [--runs N] [--noise DB] [--streak N] [--room OPTIONS] [--servers N]
//
// --runs: measurements per room (default 8); --noise: the rooms' hiss in dB under the test noise
// (default 40); --streak N: instead, N measurements in a row of the default room, counting the
// failures a person would see and the steady blocks each kept, in the room of SONAVEL_ROOM_SERVER
// with --room's further options (e.g. "--quantum 256"); --servers N: instead, N measurements of
// the default room on PulseAudio and N on PipeWire, and how far the two servers' curves lie apart.
// As the program does, it takes PULSE_LATENCY_MSEC out of its environment first.
#include "LatencyOverride.h"
#include "SonavelAudioEngine.h"
#include "VirtualRoom.h"

#include <juce_events/juce_events.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <unistd.h>
#include <vector>

namespace
{
    constexpr float hzPerIndex = 44100.0f / 16384.0f;

    // The figures; standard output itself gets the measurements' progress lines, which go nowhere.
    std::FILE* figures = stdout;

    class LogLines final : public juce::Logger
    {
    public:
        void logMessage (const juce::String& message) override
        {
            const std::lock_guard<std::mutex> lock (mutex);
            lines.add (message);
        }

        juce::StringArray take()
        {
            const std::lock_guard<std::mutex> lock (mutex);
            auto taken = lines;
            lines.clear();
            return taken;
        }

    private:
        std::mutex mutex;
        juce::StringArray lines;
    };

    class FinishListener final : public juce::ActionListener
    {
    public:
        void actionListenerCallback (const juce::String& message) override { finished = finished || message == "finishMeasure"; }
        bool finished = false;
    };

    struct Measurement
    {
        bool ok = false;
        std::vector<float> db; // 40..300 Hz
        int frequencyHz = 0, q = 0, depth = 0;
        double seconds = 0.0;
        juce::StringArray log;
    };

    Measurement measure (int mode, LogLines& log)
    {
        auto* engine = SonavelAudioEngine::getInstance();
        FinishListener listener;
        engine->addActionListener (&listener);
        const auto start = juce::Time::getMillisecondCounterHiRes();
        engine->startTest (mode);

        while (! listener.finished)
            juce::MessageManager::getInstance()->runDispatchLoopUntil (10);

        Measurement m;
        m.seconds = (juce::Time::getMillisecondCounterHiRes() - start) / 1000.0;
        engine->removeActionListener (&listener);
        m.log = log.take();
        m.ok = engine->hasValidResults();

        if (m.ok)
        {
            const auto* record = engine->getResults();
            m.frequencyHz = record->frequencyHz;
            m.q = record->qSetting;
            m.depth = record->depthSetting;

            for (int i = 0; i < record->getNumValues(); ++i)
                if (i * hzPerIndex >= 40.0f && i * hzPerIndex <= 300.0f)
                    m.db.push_back (20.0f * record->valueAt (i));
        }

        return m;
    }

    int firstIndexAt40Hz() { return static_cast<int> (std::ceil (40.0f / hzPerIndex)); }

    // The steady blocks a measurement averaged, from its log; 0 for one that failed.
    int keptBlocks (const Measurement& m)
    {
        for (const auto& line : m.log)
            if (line.startsWith ("Averaged "))
                return line.fromFirstOccurrenceOf ("Averaged ", false, false).getIntValue();

        return 0;
    }

    // N measurements in a row of one room: failures, measurements made once more, blocks kept.
    void printStreak (const std::string& roomOptions, int count, LogLines& log)
    {
        const VirtualRoom room (roomOptions);
        int failures = 0, retried = 0;
        std::vector<int> kept;
        std::vector<double> seconds;

        for (int i = 0; i < count; ++i)
        {
            const auto m = measure (0, log);
            failures += m.ok ? 0 : 1;
            retried += m.log.joinIntoString ("\n").contains ("measuring once more") ? 1 : 0;
            kept.push_back (keptBlocks (m));
            seconds.push_back (m.seconds);

            if (! m.ok)
                std::fprintf (figures, "measurement %d failed:\n%s\n", i, m.log.joinIntoString ("\n").toRawUTF8());
        }

        std::sort (kept.begin(), kept.end());
        std::sort (seconds.begin(), seconds.end());
        const char* server = std::getenv ("SONAVEL_ROOM_SERVER");
        std::fprintf (figures, "%d measurements in a row (%s, room options \"%s\"): %d failed, %d measured once more first; "
                               "steady blocks kept: median %d, fewest %d of 13; median %.2f s from start to finish\n",
                      count, server != nullptr ? server : "pulseaudio", roomOptions.c_str(), failures, retried,
                      kept[kept.size() / 2], kept.front(), seconds[seconds.size() / 2]);
    }

    // The default room measured on both servers: the worst pair across them and their means apart.
    void printServers (int count, const std::string& noise, LogLines& log)
    {
        std::vector<Measurement> runs[2];
        const char* const servers[] = { "pulseaudio", "pipewire" };

        for (int s = 0; s < 2; ++s)
        {
            const VirtualRoom room ("--server " + std::string (servers[s]) + " --noise " + noise);

            for (int i = 0; i < count; ++i)
                if (auto m = measure (0, log); m.ok)
                    runs[s].push_back (std::move (m));
        }

        if (runs[0].empty() || runs[1].empty())
        {
            std::fprintf (figures, "a server measured nothing\n");
            return;
        }

        // Over 40..280 Hz, the band the suggestion looks at.
        const auto last = static_cast<size_t> (std::floor (280.0f / hzPerIndex)) - static_cast<size_t> (firstIndexAt40Hz());
        double worstRms = 0.0, worstMax = 0.0, meanSum = 0.0, meanMax = 0.0;

        for (const auto& a : runs[0])
        {
            for (const auto& b : runs[1])
            {
                double sum = 0.0, most = 0.0;

                for (size_t i = 0; i <= last; ++i)
                {
                    const double d = a.db[i] - b.db[i];
                    sum += d * d;
                    most = std::max (most, std::abs (d));
                }

                worstRms = std::max (worstRms, std::sqrt (sum / static_cast<double> (last + 1)));
                worstMax = std::max (worstMax, most);
            }
        }

        for (size_t i = 0; i <= last; ++i)
        {
            double mean[2] = { 0.0, 0.0 };

            for (int s = 0; s < 2; ++s)
            {
                for (const auto& m : runs[s])
                    mean[s] += m.db[i];

                mean[s] /= static_cast<double> (runs[s].size());
            }

            meanSum += (mean[0] - mean[1]) * (mean[0] - mean[1]);
            meanMax = std::max (meanMax, std::abs (mean[0] - mean[1]));
        }

        std::fprintf (figures, "default room, left speaker, %zu measurements on PulseAudio and %zu on PipeWire, over 40-280 Hz:\n"
                               "  the servers' mean curves %.2f dB RMS apart, %.2f dB at most; the worst pair across them "
                               "%.2f dB RMS, %.2f dB at most\n",
                      runs[0].size(), runs[1].size(), std::sqrt (meanSum / static_cast<double> (last + 1)), meanMax, worstRms, worstMax);
    }

    void printRoom (const char* name, float modeHz, const std::vector<Measurement>& runs)
    {
        std::vector<const Measurement*> good;

        for (const auto& m : runs)
            if (m.ok)
                good.push_back (&m);

        double worstRms = 0.0, worstMax = 0.0, highest = -100.0, farthest = 0.0, farthestFreq = 0.0;
        int recommended = 0;
        std::vector<double> seconds;

        for (size_t a = 0; a < good.size(); ++a)
        {
            for (size_t b = a + 1; b < good.size(); ++b)
            {
                double sum = 0.0, most = 0.0;

                for (size_t i = 0; i < good[a]->db.size(); ++i)
                {
                    const double d = good[a]->db[i] - good[b]->db[i];
                    sum += d * d;
                    most = std::max (most, std::abs (d));
                }

                worstRms = std::max (worstRms, std::sqrt (sum / good[a]->db.size()));
                worstMax = std::max (worstMax, most);
            }

            const auto& db = good[a]->db;
            const auto peak = std::max_element (db.begin(), db.end());
            const float peakHz = (firstIndexAt40Hz() + (peak - db.begin())) * hzPerIndex;
            highest = std::max (highest, static_cast<double> (*peak));

            if (modeHz > 0.0f)
                farthest = std::max (farthest, static_cast<double> (std::abs (peakHz - modeHz) / modeHz));

            if (good[a]->frequencyHz != 0)
            {
                ++recommended;

                if (modeHz > 0.0f)
                    farthestFreq = std::max (farthestFreq, static_cast<double> (std::abs (static_cast<float> (good[a]->frequencyHz) - modeHz) / modeHz));
            }

            seconds.push_back (good[a]->seconds);
        }

        std::sort (seconds.begin(), seconds.end());
        std::fprintf (figures, "%s: %zu of %zu measured, median %.2f s from start to finish\n", name, good.size(), runs.size(),
                     seconds.empty() ? 0.0 : seconds[seconds.size() / 2]);
        std::fprintf (figures, "  worst pair over 40-300 Hz: %.2f dB RMS, %.2f dB at most\n", worstRms, worstMax);

        if (modeHz > 0.0f)
            std::fprintf (figures, "  peak at most %.1f %% from the mode (%.0f Hz, one bin is %.1f %%); %d of %zu got a notch, "
                         "FREQ at most %.1f %% from the mode\n",
                         100.0 * farthest, modeHz, 100.0 * hzPerIndex / modeHz, recommended, good.size(), 100.0 * farthestFreq);
        else
            std::fprintf (figures, "  highest point %.2f dB above the band mean; %d of %zu got a notch\n", highest, recommended, good.size());

        for (const auto& m : runs)
        {
            juce::String kept;

            for (const auto& line : m.log)
                if (line.startsWith ("Averaged") || line.startsWith ("Left aside") || line.startsWith ("Too few")
                    || line.startsWith ("Measurement error") || line.startsWith ("The audio stream failed")
                    || line.startsWith ("Recommended"))
                    kept << line << " | ";

            if (m.ok)
            {
                const auto peak = std::max_element (m.db.begin(), m.db.end());
                kept << "peak " << juce::String ((firstIndexAt40Hz() + (peak - m.db.begin())) * hzPerIndex, 1) << " Hz "
                     << juce::String (*peak, 1) << " dB";
            }

            std::fprintf (figures, "    %.2f s  %s\n", m.seconds, kept.toRawUTF8());
        }
    }
}

int main (int argc, char** argv)
{
    LatencyOverride::removeFromEnvironment();

    int runs = 8, streak = 0, servers = 0;
    std::string noise = "40", roomOptions;

    for (int i = 1; i + 1 < argc; i += 2)
    {
        const std::string option = argv[i];

        if (option == "--runs") runs = std::atoi (argv[i + 1]);
        else if (option == "--noise") noise = argv[i + 1];
        else if (option == "--streak") streak = std::atoi (argv[i + 1]);
        else if (option == "--room") roomOptions = argv[i + 1];
        else if (option == "--servers") servers = std::atoi (argv[i + 1]);
    }

    const juce::ScopedJuceInitialiser_GUI juceRunning;
    LogLines log;
    juce::Logger::setCurrentLogger (&log);

    std::fflush (stdout);
    figures = fdopen (dup (STDOUT_FILENO), "w");

    if (figures == nullptr || std::freopen ("/dev/null", "w", stdout) == nullptr)
        return 1;

    std::setvbuf (figures, nullptr, _IOLBF, 0);

    if (streak > 0)
    {
        printStreak (roomOptions + " --noise " + noise, streak, log);
    }
    else if (servers > 0)
    {
        printServers (servers, noise, log);
    }
    else
    {
        struct Room { const char* name; std::string options; int mode; float modeHz; };
        const Room rooms[] = {
            { "default room (65 Hz, +12 dB, 0.3 octave), left speaker", "", 0, 65.0f },
            { "other room (110 Hz, +9 dB, 0.5 octave), both speakers", "--freq 110 --gain 9 --width 0.5", 2, 110.0f },
            { "flat room, right speaker", "--flat", 1, 0.0f },
        };

        std::fprintf (figures, "hiss %s dB under the test noise\n", noise.c_str());

        for (const auto& r : rooms)
        {
            const VirtualRoom room (r.options + " --noise " + noise);
            std::vector<Measurement> results;

            for (int i = 0; i < runs; ++i)
                results.push_back (measure (r.mode, log));

            printRoom (r.name, r.modeHz, results);
        }
    }

    SonavelAudioEngine::deleteInstance();
    juce::Logger::setCurrentLogger (nullptr);
    return 0;
}
