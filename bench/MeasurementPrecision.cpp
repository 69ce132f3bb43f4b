// How right and how repeatable a measurement is: virtual rooms whose true response is known
// (scripts/virtual-room writes their impulse responses) measured several times through the
// engine, as the program measures, each curve held against the truth and against the others.
// Prints; asserts nothing.
//
//   sonavel_precision_bench [--runs N] [--noise DB] [--rooms a,b,...]
//                           [--delays | --streak N [--options OPTIONS] | --servers N | --positions | --unchanged N]
//
// --runs: measurements per room (default 8); --noise: the rooms' hiss in dB under the test noise
// (default 40); --rooms: only the rooms of those names (as printed). Instead of the rooms:
// --delays, a ringing room behind slow sound paths (0.5, 1.5, 3 and 3.5 s); --streak N, N
// measurements in a row of the default room (with --options' further room options, e.g.
// "--quantum 256", on the server of SONAVEL_ROOM_SERVER), counting the failures a person would
// see and the steady blocks each kept; --servers N, N measurements of the default room on
// PulseAudio and N on PipeWire, and how far the two servers' curves lie apart; --positions, four
// microphone positions of each ringing room averaged (against the truth of the average, with
// each position's advice against the average's), then measured again with the average's notch
// on the speakers (the verdict against the truth's); --unchanged N, N verdicts of an unchanged
// room. As the program does, it takes PULSE_LATENCY_MSEC out of its environment first.
#include "LatencyOverride.h"
#include "ListeningArea.h"
#include "MeasurementContract.h"
#include "NotchRecommendation.h"
#include "ResponseVerdict.h"
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
    constexpr float hzPerIndex = static_cast<float> (MeasurementContract::binWidthHz);
    constexpr int firstBin = 15;  // 40.4 Hz
    constexpr int lastBin = 104;  // 279.9 Hz

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
        void actionListenerCallback (const juce::String& message) override { finished = finished || message == MeasurementContract::finishMeasure; }
        bool finished = false;
    };

    struct Measurement
    {
        bool ok = false;
        std::vector<float> values; // dB / 20, as the record holds them
        std::vector<float> gains;  // before smoothing
        EqSettings notch;
        double seconds = 0.0;
        juce::StringArray log;
        MeasurementOutcome outcome = MeasurementOutcome::none;
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
        m.outcome = engine->getLastOutcome();

        if (m.ok)
        {
            const auto* record = engine->getResults();
            m.notch = { record->qSetting, record->frequencyHz, record->depthSetting };

            for (int i = 0; i < record->getNumValues(); ++i)
                m.values.push_back (record->valueAt (i));

            m.gains = engine->getGains();
        }

        return m;
    }

    juce::String logged (const Measurement& m, const char* prefix)
    {
        for (const auto& line : m.log)
            if (line.startsWith (prefix))
                return line;

        return {};
    }

    // Over 40..280 Hz: RMS and largest difference in dB; the largest only where the truth lies
    // within 25 dB of the band mean, if given.
    struct Difference
    {
        double rms = 0.0, largest = 0.0, largestWithin25 = 0.0;
    };

    Difference differenceOf (const std::vector<float>& a, const std::vector<float>& b, const std::vector<float>* truth = nullptr)
    {
        Difference d;
        double sum = 0.0;

        for (int i = firstBin; i <= lastBin; ++i)
        {
            const double delta = 20.0 * (a[static_cast<size_t> (i)] - b[static_cast<size_t> (i)]);
            sum += delta * delta;
            d.largest = std::max (d.largest, std::abs (delta));

            if (truth != nullptr && 20.0f * (*truth)[static_cast<size_t> (i)] >= -25.0f)
                d.largestWithin25 = std::max (d.largestWithin25, std::abs (delta));
        }

        d.rms = std::sqrt (sum / (lastBin - firstBin + 1));
        return d;
    }

    double median (std::vector<double> values)
    {
        if (values.empty())
            return 0.0;

        std::sort (values.begin(), values.end());
        return values[values.size() / 2];
    }

    juce::String describe (const EqSettings& notch)
    {
        return notch.frequencyHz == 0 ? juce::String ("none")
                                      : juce::String (notch.frequencyHz) + " Hz Q" + juce::String (notch.qSetting) + " D" + juce::String (notch.depthSetting);
    }

    // The highest peak within 40..280 Hz and its height over the band's median, in dB.
    std::pair<double, double> strongestBump (const std::vector<float>& values)
    {
        std::vector<float> band (values.begin() + firstBin, values.begin() + lastBin + 1);
        std::nth_element (band.begin(), band.begin() + static_cast<long> (band.size() / 2), band.end());
        const auto peak = std::max_element (values.begin() + firstBin, values.begin() + lastBin + 1);
        return { (peak - values.begin()) * hzPerIndex, 20.0 * (*peak - band[band.size() / 2]) };
    }

    // The steady blocks a measurement averaged, from its log; 0 for one that failed.
    int keptBlocks (const Measurement& m)
    {
        const auto line = logged (m, "Averaged ");
        return line.isEmpty() ? 0 : line.fromFirstOccurrenceOf ("Averaged ", false, false).getIntValue();
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
        const char* server = std::getenv ("SONAVEL_ROOM_SERVER");
        std::fprintf (figures, "%d measurements in a row (%s, room options \"%s\"): %d failed, %d measured once more first; "
                               "steady blocks kept: median %d, fewest %d of 13; median %.2f s from start to finish\n",
                      count, server != nullptr ? server : "pulseaudio", roomOptions.c_str(), failures, retried,
                      kept[kept.size() / 2], kept.front(), median (seconds));
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

        Difference worst;

        for (const auto& a : runs[0])
            for (const auto& b : runs[1])
            {
                const auto pair = differenceOf (a.values, b.values);
                worst.rms = std::max (worst.rms, pair.rms);
                worst.largest = std::max (worst.largest, pair.largest);
            }

        std::vector<float> means[2];

        for (int s = 0; s < 2; ++s)
        {
            means[s].assign (runs[s].front().values.size(), 0.0f);

            for (const auto& m : runs[s])
                for (size_t i = 0; i < means[s].size(); ++i)
                    means[s][i] += m.values[i] / static_cast<float> (runs[s].size());
        }

        const auto apart = differenceOf (means[0], means[1]);
        std::fprintf (figures, "default room, left speaker, %zu measurements on PulseAudio and %zu on PipeWire, over 40-280 Hz:\n"
                               "  the servers' mean curves %.2f dB RMS apart, %.2f dB at most; the worst pair across them "
                               "%.2f dB RMS, %.2f dB at most\n",
                      runs[0].size(), runs[1].size(), apart.rms, apart.largest, worst.rms, worst.largest);
    }

    // The average of a listening area's positions, as step six makes it.
    std::vector<float> averageOf (const std::vector<std::vector<float>>& gains)
    {
        ListeningArea area;

        for (const auto& g : gains)
            area.add (g);

        std::vector<float> values;
        area.response (values);
        return values;
    }

    // Four positions of a ringing room, their average against the truth of the average, each
    // position's advice against the average's; then the average's notch put on the speakers and
    // the four positions measured again: the verdict's numbers against the truth's.
    void printListeningArea (const std::string& name, const std::string& noise, LogLines& log)
    {
        VirtualRoom room ("--room " + name + " --noise " + noise);
        constexpr int positions = 4;
        std::vector<std::vector<float>> measured[2], truth[2];
        std::vector<EqSettings> advice;
        std::string notch;

        for (int pass = 0; pass < 2; ++pass)
        {
            for (int p = 1; p <= positions; ++p)
            {
                room.change ("--position " + std::to_string (p) + (pass == 1 ? " --notch " + notch : std::string()));
                const auto m = measure (0, log);

                if (! m.ok || m.gains.empty())
                {
                    std::fprintf (figures, "%s room, position %d: the measurement failed\n", name.c_str(), p);
                    return;
                }

                measured[pass].push_back (m.gains);
                const auto gains = room.trueGains (0);
                truth[pass].emplace_back (gains.begin(), gains.end());

                if (pass == 0)
                    advice.push_back (m.notch);
            }

            if (pass == 0)
            {
                const auto average = averageOf (measured[0]);
                const auto setting = recommendNotch (average.data(), static_cast<int32_t> (average.size()), hzPerIndex);
                notch = std::to_string (setting.frequencyHz) + "," + std::to_string (setting.qSetting) + "," + std::to_string (setting.depthSetting);

                const auto truthAverage = averageOf (truth[0]);
                const auto error = differenceOf (average, truthAverage, &truthAverage);
                double farthestFreq = 0.0;
                int farthestDepth = 0;

                for (const auto& a : advice)
                {
                    farthestFreq = std::max (farthestFreq, a.frequencyHz == 0 || setting.frequencyHz == 0
                                                               ? 100.0 : 100.0 * std::abs (a.frequencyHz - setting.frequencyHz) / setting.frequencyHz);
                    farthestDepth = std::max (farthestDepth, std::abs (a.depthSetting - setting.depthSetting));
                }

                std::fprintf (figures, "%s room, left speaker, %d positions: the average against the truth of the average "
                                       "%.2f dB RMS, %.2f dB at most (%.2f within 25 dB of the mean)\n",
                              name.c_str(), positions, error.rms, error.largest, error.largestWithin25);
                std::fprintf (figures, "  the average's advice %s; the positions' own: ", describe (setting).toRawUTF8());

                for (const auto& a : advice)
                    std::fprintf (figures, "%s; ", describe (a).toRawUTF8());

                std::fprintf (figures, "FREQ up to %.0f %% and DEPTH up to %d steps off the average's\n", farthestFreq, farthestDepth);

                if (setting.frequencyHz == 0)
                    return;
            }
        }

        const auto before = averageOf (measured[0]), after = averageOf (measured[1]);
        const auto truthBefore = averageOf (truth[0]), truthAfter = averageOf (truth[1]);
        const auto judged = ResponseVerdict::of ({ before, Speakers::left, positions }, { after, Speakers::left, positions });
        const auto known = ResponseVerdict::of ({ truthBefore, Speakers::left, positions }, { truthAfter, Speakers::left, positions });
        std::fprintf (figures, "  with the notch %s on the speakers, measured again: \"%s\"\n", notch.c_str(), judged.sentence.c_str());
        std::fprintf (figures, "  the truth says: \"%s\"; the bump's change %.2f dB off the truth's, the distance from flat %.2f and %.2f dB off\n",
                      known.sentence.c_str(), std::abs (judged.bumpLowerDb - known.bumpLowerDb),
                      std::abs (judged.heldFromFlatDb - known.heldFromFlatDb), std::abs (judged.currentFromFlatDb - known.currentFromFlatDb));
    }

    // Measurements of an unchanged room one after the other, each judged against the one before.
    void printUnchanged (int pairs, const std::string& noise, LogLines& log)
    {
        const VirtualRoom room ("--room small --noise " + noise);
        auto previous = measure (0, log);
        int unchanged = 0, judged = 0;
        double largest = 0.0;

        for (int i = 0; i < pairs; ++i)
        {
            auto next = measure (0, log);

            if (previous.ok && next.ok)
            {
                const auto verdict = ResponseVerdict::of ({ previous.values, Speakers::left, 1 }, { next.values, Speakers::left, 1 });
                ++judged;
                unchanged += verdict.kind == ResponseVerdict::Kind::unchanged ? 1 : 0;
                largest = std::max (largest, verdict.distanceDb);
            }

            previous = std::move (next);
        }

        std::fprintf (figures, "small room, left speaker, unchanged: %d of %d verdicts say \"No change beyond measuring again\" "
                               "(the curves at most %.2f dB RMS apart)\n",
                      unchanged, judged, largest);
    }

    struct Room
    {
        const char* name;
        std::string options;
        int mode;
    };

    void measureRoom (const Room& r, const std::string& noise, int runs, LogLines& log)
    {
        const VirtualRoom room (r.options + " --noise " + noise);
        const auto truth = room.trueResponse (r.mode);

        if (! room.isRunning() || truth.empty())
        {
            std::fprintf (figures, "%s: the room did not start\n", r.name);
            return;
        }

        const auto expected = recommendNotch (truth.data(), static_cast<int32_t> (truth.size()), hzPerIndex);
        const auto [bumpHz, bumpDb] = strongestBump (truth);
        std::vector<Measurement> results;

        for (int i = 0; i < runs; ++i)
            results.push_back (measure (r.mode, log));

        std::vector<double> errorsRms, seconds;
        double worstError = 0.0, worstWithin25 = 0.0, pairRms = 0.0, pairLargest = 0.0, pairWithin25 = 0.0;
        int measured = 0, rightAdvice = 0;

        for (size_t a = 0; a < results.size(); ++a)
        {
            if (! results[a].ok)
                continue;

            ++measured;
            const auto error = differenceOf (results[a].values, truth, &truth);
            errorsRms.push_back (error.rms);
            worstError = std::max (worstError, error.largest);
            worstWithin25 = std::max (worstWithin25, error.largestWithin25);
            seconds.push_back (results[a].seconds);

            // Right advice: a notch within 5 % of a mode 6 dB over the median, none where the truth needs none.
            const auto& notch = results[a].notch;
            const bool strong = bumpDb >= 6.0;
            rightAdvice += strong ? (notch.frequencyHz != 0 && std::abs (notch.frequencyHz - bumpHz) <= 0.05 * bumpHz)
                                  : ((notch.frequencyHz == 0) == (expected.frequencyHz == 0));

            for (size_t b = a + 1; b < results.size(); ++b)
            {
                if (! results[b].ok)
                    continue;

                const auto pair = differenceOf (results[a].values, results[b].values, &truth);
                pairRms = std::max (pairRms, pair.rms);
                pairLargest = std::max (pairLargest, pair.largest);
                pairWithin25 = std::max (pairWithin25, pair.largestWithin25);
            }
        }

        std::fprintf (figures, "%s: %d of %d measured, median %.2f s from start to finish\n", r.name, measured, runs, median (seconds));
        std::fprintf (figures, "  truth: strongest bump %.1f Hz, %.1f dB over the median; its advice %s\n", bumpHz, bumpDb,
                      describe (expected).toRawUTF8());
        std::fprintf (figures, "  against the truth over 40-280 Hz: median %.2f dB RMS, worst %.2f dB RMS; at most %.2f dB off (%.2f where the truth lies within 25 dB of the mean)\n",
                      median (errorsRms), errorsRms.empty() ? 0.0 : *std::max_element (errorsRms.begin(), errorsRms.end()),
                      worstError, worstWithin25);
        std::fprintf (figures, "  worst pair: %.2f dB RMS, %.2f dB at most (%.2f where the truth lies within 25 dB of the mean); right advice in %d of %d\n",
                      pairRms, pairLargest, pairWithin25, rightAdvice, measured);

        for (const auto& m : results)
            std::fprintf (figures, "    %.2f s  %s  %s | %s | %s%s\n", m.seconds, m.ok ? describe (m.notch).toRawUTF8() : "failed",
                          logged (m, "Sound path delay").toRawUTF8(), logged (m, "Averaged").toRawUTF8(),
                          logged (m, "Left aside").toRawUTF8(), logged (m, "Measurement error").toRawUTF8());
    }
}

int main (int argc, char** argv)
{
    LatencyOverride::removeFromEnvironment();

    int runs = 8, streak = 0, servers = 0, unchangedPairs = 0;
    bool delays = false, listening = false;
    std::string noise = "40", only, roomOptions;

    for (int i = 1; i < argc; ++i)
    {
        const std::string option = argv[i];
        const std::string value = i + 1 < argc ? argv[i + 1] : "";

        if (option == "--runs") { runs = std::atoi (value.c_str()); ++i; }
        else if (option == "--noise") { noise = value; ++i; }
        else if (option == "--streak") { streak = std::atoi (value.c_str()); ++i; }
        else if (option == "--rooms") { only = "," + value + ","; ++i; }
        else if (option == "--options") { roomOptions = value; ++i; }
        else if (option == "--servers") { servers = std::atoi (value.c_str()); ++i; }
        else if (option == "--delays") delays = true;
        else if (option == "--positions") listening = true;
        else if (option == "--unchanged") { unchangedPairs = std::atoi (value.c_str()); ++i; }
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
    else if (listening)
    {
        for (const char* name : { "small", "medium", "large" })
            printListeningArea (name, noise, log);
    }
    else if (unchangedPairs > 0)
    {
        printUnchanged (unchangedPairs, noise, log);
    }
    else if (delays)
    {
        std::fprintf (figures, "hiss %s dB under the test noise; a slow sound path (the margin is 3 s)\n", noise.c_str());

        for (const char* delay : { "500", "1500", "3000", "3500" })
            measureRoom ({ (std::string ("medium room, right speaker, ") + delay + " ms more delay").c_str(),
                           std::string ("--room medium --delay ") + delay, 1 },
                         noise, std::max (runs / 2, 1), log);
    }
    else
    {
        const Room rooms[] = {
            { "default", "", 0 },
            { "other", "--freq 110 --gain 9 --width 0.5", 2 },
            { "flat", "--flat", 1 },
            { "small", "--room small", 0 },
            { "medium", "--room medium", 1 },
            { "large", "--room large", 2 },
        };

        std::fprintf (figures, "hiss %s dB under the test noise\n", noise.c_str());

        for (const auto& r : rooms)
            if (only.empty() || only.find (std::string (",") + r.name + ",") != std::string::npos)
                measureRoom (r, noise, runs, log);
    }

    SonavelAudioEngine::deleteInstance();
    juce::Logger::setCurrentLogger (nullptr);
    return 0;
}
