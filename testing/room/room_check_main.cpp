// Checks a running virtual room against the truth it wrote: plays periodic full-scale noise into
// its speakers (left, right, both), records its microphone, and compares the transfer function
// heard with the impulse responses in the room's folder. Prints; run it by hand.
//
//   sonavel-room-check ROOM_DIR [--seconds S] [--speakers left|right|both|all] [--amplitude A]
//
// Per choice of speakers: the path's latency (from the streams' timing and the lag of the
// recording behind the played noise), the difference of the heard response from the truth over
// 40..280 Hz per analysis bin and after the program's analysis, and every period of the noise
// against their mean (a gap or an underrun shows as a period far off, and as a lag that moves).
#include "RoomListener.h"
#include "Spectrum.h"
#include "TrueResponse.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace
{
    constexpr int rate = RoomListener::sampleRate;
    constexpr int period = TrueResponse::analysisLength;

    std::vector<float> readRaw (const std::string& path)
    {
        std::ifstream file (path, std::ios::binary);
        std::vector<float> x;
        float v = 0.0f;

        while (file.read (reinterpret_cast<char*> (&v), sizeof (v)))
            x.push_back (v);

        return x;
    }

    std::vector<double> convolve (const std::vector<double>& a, const std::vector<double>& b)
    {
        size_t n = 2;

        while (n < a.size() + b.size())
            n *= 2;

        std::vector<double> x (a), y (b);
        x.resize (n, 0.0);
        y.resize (n, 0.0);
        auto bins = Spectrum::forward (x);
        const auto other = Spectrum::forward (y);

        for (size_t k = 0; k < bins.size(); ++k)
            bins[k] *= other[k];

        auto product = Spectrum::inverse (bins, static_cast<int> (n));
        product.resize (a.size() + b.size() - 1);
        return product;
    }

    // Bins of one period of x starting at sample first.
    std::vector<std::complex<double>> periodBins (const std::vector<float>& x, size_t first)
    {
        std::vector<double> block (period);

        for (int i = 0; i < period; ++i)
            block[static_cast<size_t> (i)] = x[first + static_cast<size_t> (i)];

        return Spectrum::forward (block);
    }

    bool inBand (int k) { return k * static_cast<double> (rate) / period >= 40.0 && k * static_cast<double> (rate) / period <= 280.0; }

    // The lag (in samples, from lead on) at which expected, after lead samples of silence, best
    // matches recorded: the highest correlation against the recording's level over the same span,
    // silence included, so that a lag a whole period of the noise late (where the recording is
    // noise already) loses to the one where the noise begins.
    long bestLag (const std::vector<float>& recorded, const std::vector<double>& expected, long lead)
    {
        size_t n = 1;

        while (n < recorded.size() + expected.size())
            n *= 2;

        std::vector<double> a (n, 0.0), b (n, 0.0);
        std::copy (recorded.begin(), recorded.end(), a.begin());
        std::copy (expected.begin(), expected.end(), b.begin());
        auto x = Spectrum::forward (a);
        const auto y = Spectrum::forward (b);

        for (size_t k = 0; k < x.size(); ++k)
            x[k] *= std::conj (y[k]);

        const auto correlation = Spectrum::inverse (x, static_cast<int> (n));
        std::vector<double> energy (recorded.size() + 1, 0.0);

        for (size_t i = 0; i < recorded.size(); ++i)
            energy[i + 1] = energy[i] + static_cast<double> (recorded[i]) * recorded[i];

        const auto span = static_cast<long> (expected.size());
        long best = lead;
        double bestScore = -1.0;

        for (long lag = lead; lag + span <= static_cast<long> (recorded.size()); ++lag)
        {
            const double level = energy[static_cast<size_t> (lag + span)] - energy[static_cast<size_t> (lag - lead)];
            const double score = correlation[static_cast<size_t> (lag)] / std::sqrt (level + 1e-30);

            if (score > bestScore)
            {
                bestScore = score;
                best = lag;
            }
        }

        return best;
    }

    void check (const std::string& name, const std::vector<float>& truth, double seconds, double tailSeconds, float amplitude)
    {
        std::mt19937 random (20261209);
        std::uniform_real_distribution<float> uniform (-amplitude, amplitude);
        std::vector<float> block (period);

        for (auto& v : block)
            v = uniform (random);

        const size_t periods = static_cast<size_t> (std::ceil (seconds * rate / period));
        const bool left = name != "right", right = name != "left";
        std::vector<float> frames;

        for (size_t p = 0; p < periods; ++p)
            for (const float v : block)
            {
                frames.push_back (left ? v : 0.0f);
                frames.push_back (right ? v : 0.0f);
            }

        const auto take = RoomListener::playAndRecord (frames, tailSeconds);

        if (! take.ok)
        {
            std::fprintf (stderr, "sonavel-room-check: no sound server, or it went away\n");
            std::exit (1);
        }

        if (const char* keep = std::getenv ("SONAVEL_ROOM_CHECK_KEEP"))
        {
            std::ofstream file (std::string (keep) + "/recorded-" + name + ".f32", std::ios::binary);
            file.write (reinterpret_cast<const char*> (take.recorded.data()), static_cast<std::streamsize> (take.recorded.size() * sizeof (float)));
        }

        // Where the noise begins in the recording: the first seconds of what the truth says the
        // microphone hears (silence, then the noise arriving), matched against the recording.
        const size_t onsetSpan = static_cast<size_t> (rate) * 2;
        std::vector<double> noise (onsetSpan);

        for (size_t i = 0; i < onsetSpan; ++i)
            noise[i] = block[i % period];

        auto expected = convolve (noise, std::vector<double> (truth.begin(), truth.end()));
        expected.resize (onsetSpan);
        // The expected signal starts where the noise starts, after the second of silence.
        const long lag = bestLag (take.recorded, expected, rate / 2);
        const double latencyMs = 1000.0 * ((static_cast<double> (lag) - rate) / rate + take.recordOffset - take.playOffset);

        // The steady periods: from one impulse response after the noise arrives to its end.
        const auto truthMagnitudes = TrueResponse::binMagnitudes (truth);
        const auto played = Spectrum::forward (std::vector<double> (block.begin(), block.end()));
        const size_t first = static_cast<size_t> (lag) + (truth.size() + period - 1) / period * period;
        const size_t last = static_cast<size_t> (lag) + periods * period;
        std::vector<std::vector<std::complex<double>>> heard;

        for (size_t start = first; start + period <= last && start + period <= take.recorded.size(); start += period)
            heard.push_back (periodBins (take.recorded, start));

        if (heard.size() < 2)
        {
            std::printf ("%-5s: too few steady periods recorded\n", name.c_str());
            return;
        }

        std::vector<std::complex<double>> mean (heard[0].size());

        for (const auto& h : heard)
            for (size_t k = 0; k < h.size(); ++k)
                mean[k] += h[k] / static_cast<double> (heard.size());

        std::vector<double> measuredMagnitudes (period / 2);
        double sum = 0.0, most = 0.0, gain = 0.0, worstHz = 0.0;
        int count = 0;

        for (int k = 0; k < period / 2; ++k)
        {
            measuredMagnitudes[static_cast<size_t> (k)] = std::abs (mean[static_cast<size_t> (k)] / played[static_cast<size_t> (k)]);

            if (! inBand (k))
                continue;

            const double d = 20.0 * std::log10 (measuredMagnitudes[static_cast<size_t> (k)] / truthMagnitudes[static_cast<size_t> (k)]);
            sum += d * d;
            if (std::abs (d) > most)
                worstHz = k * static_cast<double> (rate) / period;

            most = std::max (most, std::abs (d));
            gain += d;
            ++count;
        }

        const auto measuredCurve = TrueResponse::curve (measuredMagnitudes);
        const auto trueCurve = TrueResponse::curve (truthMagnitudes);
        double curveSum = 0.0, curveMost = 0.0;

        for (int k = 0; k < period / 2; ++k)
            if (inBand (k))
            {
                const double d = 20.0 * (measuredCurve[static_cast<size_t> (k)] - trueCurve[static_cast<size_t> (k)]);
                curveSum += d * d;
                curveMost = std::max (curveMost, std::abs (d));
            }

        // Every period against the mean, over the band, and the first and last periods' lag.
        double worstPeriod = -1000.0;
        std::vector<double> meanBand, lastBand;

        for (const auto& h : heard)
        {
            double error = 0.0, power = 0.0;

            for (int k = 0; k < period / 2; ++k)
                if (inBand (k))
                {
                    error += std::norm (h[static_cast<size_t> (k)] - mean[static_cast<size_t> (k)]);
                    power += std::norm (mean[static_cast<size_t> (k)]);
                }

            worstPeriod = std::max (worstPeriod, 10.0 * std::log10 (error / power));
        }

        // The lag of the last period behind the first, from the slope of their cross-spectrum's
        // phase over the band (a gap or an underrun between them shows as samples of slip).
        double slopeSum = 0.0, weightSum = 0.0;

        for (int k = 1; k < period / 2; ++k)
            if (inBand (k))
            {
                const auto cross = heard.back()[static_cast<size_t> (k)] * std::conj (heard.front()[static_cast<size_t> (k)]);
                const double weight = std::abs (cross);
                slopeSum += weight * std::arg (cross) * k;
                weightSum += weight * static_cast<double> (k) * k;
            }

        const double drift = -slopeSum / weightSum * period / (2.0 * M_PI);

        double power = 0.0;

        for (size_t i = first; i < last && i < take.recorded.size(); ++i)
            power += static_cast<double> (take.recorded[i]) * take.recorded[i];

        std::printf ("%-5s: latency %.1f ms | vs truth 40-280 Hz per bin: %.3f dB RMS, %.3f dB max (%.1f Hz), level %+.3f dB | "
                     "after analysis: %.3f dB RMS, %.3f dB max | %zu periods, worst %.1f dB off their mean, "
                     "slip %.2f samples | heard at %.1f dBFS RMS\n",
                     name.c_str(), latencyMs, std::sqrt (sum / count), most, worstHz, gain / count, std::sqrt (curveSum / count), curveMost,
                     heard.size(), worstPeriod, drift, 10.0 * std::log10 (power / static_cast<double> (last - first) + 1e-30));
    }
}

int main (int argc, char** argv)
{
    if (argc < 2)
    {
        std::fputs ("usage: sonavel-room-check ROOM_DIR [--seconds S] [--speakers left|right|both|all] [--amplitude A]\n", stderr);
        return 2;
    }

    const std::string dir = argv[1];
    double seconds = 20.0;
    std::string speakers = "all";
    float amplitude = 1.0f;

    for (int i = 2; i + 1 < argc; i += 2)
    {
        const std::string option = argv[i];

        if (option == "--seconds")
            seconds = std::atof (argv[i + 1]);
        else if (option == "--speakers")
            speakers = argv[i + 1];
        else if (option == "--amplitude")
            amplitude = static_cast<float> (std::atof (argv[i + 1]));
    }

    const auto left = readRaw (dir + "/impulse-left.f32");
    const auto right = readRaw (dir + "/impulse-right.f32");

    if (left.empty() || right.empty())
    {
        std::fprintf (stderr, "sonavel-room-check: no impulse responses in %s\n", dir.c_str());
        return 1;
    }

    // The microphone's own response is part of what is heard.
    const auto microphone = readRaw (dir + "/microphone.f32");
    auto withMicrophone = [&] (const std::vector<float>& h) {
        if (microphone.empty())
            return h;

        const auto out = convolve (std::vector<double> (h.begin(), h.end()), std::vector<double> (microphone.begin(), microphone.end()));
        return std::vector<float> (out.begin(), out.end());
    };
    // Long enough for the longest delay a room takes and the response to die away.
    const double tail = 4.0 + static_cast<double> (left.size() + microphone.size()) / rate;

    for (const std::string name : { "left", "right", "both" })
        if (speakers == "all" || speakers == name)
            check (name, withMicrophone (name == "left" ? left : name == "right" ? right : TrueResponse::sum (left, right)), seconds, tail, amplitude);

    return 0;
}
