#include "MicrophoneResponse.h"
#include "RoomListener.h"
#include "Spectrum.h"
#include "TrueResponse.h"
#include "VirtualRoom.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <random>
#include <unistd.h>

namespace
{
    constexpr int period = TrueResponse::analysisLength;
    constexpr int rate = RoomListener::sampleRate;

    double bandRms (const std::vector<float>& a, const std::vector<float>& b, double& most)
    {
        double sum = 0.0;
        int count = 0;
        most = 0.0;

        for (int k = 0; k < period / 2; ++k)
        {
            const double hz = static_cast<double> (k) * rate / period;

            if (hz < 40.0 || hz > 280.0)
                continue;

            const double d = 20.0 * (a[static_cast<size_t> (k)] - b[static_cast<size_t> (k)]);
            sum += d * d;
            most = std::max (most, std::abs (d));
            ++count;
        }

        return std::sqrt (sum / count);
    }

    double levelDb (const std::vector<float>& x, double fromSeconds, double toSeconds)
    {
        double power = 0.0;
        const auto first = static_cast<size_t> (std::max (0.0, fromSeconds * rate));
        const auto last = std::min (x.size(), static_cast<size_t> (toSeconds * rate));

        for (size_t i = first; i < last; ++i)
            power += static_cast<double> (x[i]) * x[i];

        return 10.0 * std::log10 (power / static_cast<double> (std::max<size_t> (last - first, 1)) + 1e-30);
    }
}

TEST (RoomLive, ARingingRoomsMicrophoneHearsWhatItsImpulseResponsesSayAfterTheDelay)
{
    char micPath[] = "/tmp/sonavel-room-microphone.XXXXXX";
    const int fd = mkstemp (micPath);
    ASSERT_GE (fd, 0);
    close (fd);
    const std::string microphoneRows = "20 -3\n60 0\n200 1\n";
    std::ofstream (micPath) << microphoneRows;

    constexpr double delaySeconds = 0.25;
    // Hiss far down, so that what is compared is the path, not the noise.
    const VirtualRoom room (std::string ("--room small --delay 250 --notch 41,4,3 --noise 70 --mic-response ") + micPath);
    std::remove (micPath);
    ASSERT_TRUE (room.isRunning());

    const auto truth = room.trueResponse (2);
    const auto withoutMicrophone = room.trueResponse (2, false);
    ASSERT_EQ (truth.size(), static_cast<size_t> (period));
    ASSERT_EQ (withoutMicrophone.size(), static_cast<size_t> (period));

    // Ten seconds of a periodic full-scale block on both speakers, as a measurement plays it.
    std::mt19937 random (42);
    std::uniform_real_distribution<float> uniform (-1.0f, 1.0f);
    std::vector<double> block (period);

    for (auto& v : block)
        v = uniform (random);

    std::vector<float> frames;

    for (int p = 0; p < 27; ++p)
        for (const double v : block)
        {
            frames.push_back (static_cast<float> (v));
            frames.push_back (static_cast<float> (v));
        }

    // A glitch (a stream that ran dry on a loaded machine shifts the rest of the recording)
    // shows as periods unlike their neighbours: the room is judged on eight periods in a row that
    // agree, from a take of twenty steady ones.
    RoomListener::Take take;
    double start = 0.0, worstPeriod = 0.0;
    std::vector<std::complex<double>> heard;

    for (int attempt = 0; attempt < 3; ++attempt)
    {
        take = RoomListener::playAndRecord (frames, 1.0);
        ASSERT_TRUE (take.ok);

        // Where the noise sounds in the recording (its second of silence, then the frames).
        start = take.playOffset + 1.0 - take.recordOffset;

        // Once the room rings steadily (its responses, the notch's and the microphone's
        // included, have passed).
        const double ringing = static_cast<double> (room.impulseResponse (0).size()) / rate + 0.2;
        const auto first = static_cast<size_t> ((start + delaySeconds + 0.2 + ringing) * rate);
        std::vector<std::vector<std::complex<double>>> periods;

        for (size_t at = first; at + period <= take.recorded.size() && periods.size() < 20; at += period)
            periods.push_back (Spectrum::forward (std::vector<double> (take.recorded.begin() + static_cast<std::ptrdiff_t> (at),
                                                                       take.recorded.begin() + static_cast<std::ptrdiff_t> (at + period))));

        ASSERT_EQ (periods.size(), 20u);

        for (size_t window = 0; window + 8 <= periods.size(); ++window)
        {
            heard.assign (period / 2 + 1, {});

            for (size_t p = window; p < window + 8; ++p)
                for (size_t k = 0; k < heard.size(); ++k)
                    heard[k] += periods[p][k] / 8.0;

            worstPeriod = -1000.0;

            for (size_t p = window; p < window + 8; ++p)
            {
                double error = 0.0, power = 0.0;

                for (size_t k = 1; k < heard.size(); ++k)
                {
                    error += std::norm (periods[p][k] - heard[k]);
                    power += std::norm (heard[k]);
                }

                worstPeriod = std::max (worstPeriod, 10.0 * std::log10 (error / power));
            }

            if (worstPeriod < -40.0)
                break;
        }

        if (worstPeriod < -40.0)
            break;
    }

    ASSERT_LT (worstPeriod, -40.0) << "no take had eight whole periods in a row";

    // Nothing of the noise is heard before the delay has passed, all of it after.
    EXPECT_LT (levelDb (take.recorded, start, start + delaySeconds - 0.05),
               levelDb (take.recorded, start + delaySeconds + 0.15, start + delaySeconds + 1.0) - 20.0);

    const auto played = Spectrum::forward (block);
    std::vector<double> magnitudes (period / 2);

    for (size_t k = 0; k < magnitudes.size(); ++k)
        magnitudes[k] = std::abs (heard[k] / played[k]);

    const auto measured = TrueResponse::curve (magnitudes);
    ASSERT_EQ (measured.size(), static_cast<size_t> (period));

    double most = 0.0;
    EXPECT_LT (bandRms (measured, truth, most), 0.05);
    EXPECT_LT (most, 0.2);

    // The microphone's own response is heard too: -3 dB at 20 Hz rising to +1 dB at 200 Hz.
    EXPECT_GT (bandRms (measured, withoutMicrophone, most), 0.3);

    // At the level the impulse responses say, too, which the curves' normalisation hides: the air
    // hears the mean of the path's two channels, on either server.
    std::string error;
    const auto microphone = MicrophoneResponse::parse (microphoneRows, error);
    ASSERT_TRUE (microphone.has_value()) << error;
    const auto truthMagnitudes = TrueResponse::binMagnitudes (TrueResponse::sum (room.impulseResponse (0), room.impulseResponse (1)));
    double offDb = 0.0;
    int bins = 0;

    for (int k = 0; k < period / 2; ++k)
    {
        const double hz = static_cast<double> (k) * rate / period;

        if (hz < 40.0 || hz > 280.0)
            continue;

        const auto expected = truthMagnitudes[static_cast<size_t> (k)] * std::pow (10.0, microphone->gainDb (hz) / 20.0);
        offDb += 20.0 * std::log10 (magnitudes[static_cast<size_t> (k)] / expected);
        ++bins;
    }

    EXPECT_NEAR (offDb / bins, 0.0, 0.1);
}
