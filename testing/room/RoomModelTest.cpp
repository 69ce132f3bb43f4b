#include "ImpulseResampler.h"
#include "MicrophoneResponse.h"
#include "PartitionedConvolver.h"
#include "PeakingBiquad.h"
#include "PeakingCurve.h"
#include "RoomFigures.h"
#include "RoomModel.h"
#include "RoomPath.h"
#include "Spectrum.h"
#include "TrueResponse.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace
{
    std::vector<float> toFloat (const std::vector<double>& x) { return std::vector<float> (x.begin(), x.end()); }

    double magnitudeDbAt (const std::vector<double>& h, double hz)
    {
        std::complex<double> sum;

        for (size_t i = 0; i < h.size(); ++i)
            sum += h[i] * std::polar (1.0, -2.0 * M_PI * hz * static_cast<double> (i) / RoomModel::sampleRate);

        return 20.0 * std::log10 (std::abs (sum));
    }

    // What a response sampled at rate, its first lead samples early, does to a sinusoid of hz.
    std::complex<double> responseAt (const std::vector<float>& h, double rate, size_t lead, double hz)
    {
        std::complex<double> sum;

        for (size_t i = 0; i < h.size(); ++i)
            sum += static_cast<double> (h[i]) * std::polar (1.0, -2.0 * M_PI * hz * (static_cast<double> (i) - static_cast<double> (lead)) / rate);

        return sum;
    }
}

TEST (RoomModel, TheNotchBiquadFollowsTheRearPanelsAnalogBellBelow500Hz)
{
    for (int q = 1; q <= 6; ++q)
        for (int depth = 1; depth <= 6; ++depth)
            for (const double centre : { 40.0, 63.0, 110.0, 200.0, 280.0 })
            {
                const auto notch = PeakingBiquad::make (centre, q, depth, RoomModel::sampleRate);
                ASSERT_TRUE (notch.has_value());
                const auto shape = makePeakingShape (q, depth);
                double worst = 0.0;

                for (double f = 5.0; f < 500.0; f *= 1.002)
                    worst = std::max (worst, std::abs (notch->gainDb (f) - 20.0 * peakingValue (shape, static_cast<float> (f), static_cast<float> (centre))));

                EXPECT_LT (worst, 0.05) << "Q step " << q << ", depth step " << depth << ", " << centre << " Hz";
                EXPECT_NEAR (notch->gainDb (centre), peakingDepthDb (depth), 0.01);
            }

    // Its impulse response has the same bell, and dies away within the length it claims.
    const auto notch = PeakingBiquad::parse ("45,1,6", RoomModel::sampleRate);
    ASSERT_TRUE (notch.has_value());
    std::vector<double> impulse (static_cast<size_t> (notch->ringingSamples()), 0.0);
    impulse[0] = 1.0;
    notch->process (impulse);
    EXPECT_NEAR (magnitudeDbAt (impulse, 45.0), -16.5, 0.05);
    EXPECT_LT (std::abs (impulse.back()), 1e-5 * std::abs (impulse.front()));

    for (const char* bad : { "", "45", "45,1", "45,0,3", "45,7,3", "45,3,0", "0,3,3", "-5,3,3", "30000,3,3", "45,3,3x", "45;3;3", "a,b,c" })
        EXPECT_FALSE (PeakingBiquad::parse (bad, RoomModel::sampleRate).has_value()) << bad;
}

TEST (RoomModel, ModesSitWhereTheRoomsDimensionsSayAndRingAsLongAsTheReverberationSays)
{
    const RoomShape shape { "box", 5.0, 4.0, 2.5, { { 0.0, 0.0, 0.0 }, { 0.0, 4.0, 0.0 } }, { 5.0, 4.0, 2.5 }, 0.8, 0.5 };
    const RoomModel model (shape);
    const auto& modes = model.modes();

    ASSERT_FALSE (modes.empty());
    EXPECT_EQ (modes[0].nx, 1);
    EXPECT_NEAR (modes[0].hz, RoomModel::speedOfSound / 10.0, 1e-9);
    EXPECT_NEAR (modes[0].decaySeconds, 0.8 * 1.25, 1e-9);
    EXPECT_LT (modes.back().hz, RoomModel::lastModeHz);

    for (const auto& mode : modes)
        if (mode.nx == 1 && mode.ny == 1 && mode.nz == 1)
        {
            EXPECT_NEAR (mode.hz, 0.5 * RoomModel::speedOfSound * std::sqrt (1.0 / 25.0 + 1.0 / 16.0 + 1.0 / 6.25), 1e-9);
            EXPECT_DOUBLE_EQ (mode.decaySeconds, 0.8);
        }

    // From corner to corner every mode is heard: the first one stands out at its frequency, and the
    // response is the same each time it is computed, down to the bit.
    const auto responses = model.impulseResponses ({ { 0, shape.listening }, { 0, shape.listening } });
    ASSERT_EQ (responses.size(), 2u);
    EXPECT_EQ (responses[0], responses[1]);
    EXPECT_EQ (static_cast<int> (responses[0].size()), model.length());

    const double first = modes[0].hz;
    EXPECT_GT (magnitudeDbAt (responses[0], first), magnitudeDbAt (responses[0], first * 0.9) + 6.0);
    EXPECT_GT (magnitudeDbAt (responses[0], first), magnitudeDbAt (responses[0], first * 1.1) + 6.0);

    const auto figures = RoomFigures::of (toFloat (responses[0]));
    EXPECT_LT (figures.tailDb, -80.0);
    EXPECT_NEAR (figures.reverb63, 0.8 * 1.25, 0.25);
}

TEST (RoomModel, TheNamedRoomsHaveTheBumpsDipsAndReverberationTheyAreChosenFor)
{
    int bumpsAt40To50Hz = 0;

    for (const auto& name : roomNames())
    {
        const auto shape = *roomNamed (name);
        const RoomModel model (shape);
        const auto listening = *microphoneAt (shape, 1);
        const auto h = model.impulseResponses ({ { 0, listening }, { 1, listening } });
        const auto both = TrueResponse::sum (toFloat (h[0]), toFloat (h[1]));
        const auto figures = RoomFigures::of (both);

        EXPECT_GE (shape.length, 4.0);
        EXPECT_LE (shape.length, 7.0);
        EXPECT_LE (figures.dipDb, -14.0) << name;
        EXPECT_GE (figures.reverb63, 0.4) << name;
        EXPECT_LE (figures.reverb63, 1.3) << name;
        EXPECT_LT (figures.tailDb, -80.0) << name;
        bumpsAt40To50Hz += figures.bumpHz >= 40.0 && figures.bumpHz <= 50.0 && figures.bumpDb >= 6.0 && figures.bumpDb <= 15.0;

        // The microphone's other positions lie 20..40 cm from the listening position.
        for (int position = 2; position <= roomPositionCount; ++position)
        {
            const auto p = *microphoneAt (shape, position);
            const double apart = std::hypot (p.x - listening.x, p.y - listening.y, p.z - listening.z);
            EXPECT_GE (apart, 0.2);
            EXPECT_LE (apart, 0.4);
        }
    }

    EXPECT_GE (bumpsAt40To50Hz, 2);
    EXPECT_FALSE (roomNamed ("ballroom").has_value());
    EXPECT_FALSE (microphoneAt (*roomNamed ("small"), 0).has_value());
    EXPECT_FALSE (microphoneAt (*roomNamed ("small"), roomPositionCount + 1).has_value());
}

TEST (RoomModel, TheMicrophonesFirHasTheResponseOfItsFile)
{
    std::string error;
    const auto response = MicrophoneResponse::parse ("# a measurement microphone\n20 -3\n50, -0.5\n200\t1\n\n2000 1.5  # top\n", error);
    ASSERT_TRUE (response.has_value()) << error;
    EXPECT_DOUBLE_EQ (response->gainDb (10.0), -3.0);
    EXPECT_DOUBLE_EQ (response->gainDb (100.0), -0.5 + 1.5 * std::log (2.0) / std::log (4.0));
    EXPECT_DOUBLE_EQ (response->gainDb (20000.0), 1.5);

    const auto fir = response->minimumPhaseFir (8192, RoomModel::sampleRate);
    ASSERT_EQ (fir.size(), 8192u);

    for (const double hz : { 15.0, 20.0, 30.0, 50.0, 100.0, 200.0, 500.0, 2000.0, 10000.0 })
        EXPECT_NEAR (magnitudeDbAt (fir, hz), response->gainDb (hz), 0.05) << hz << " Hz";

    // Minimum phase: nearly all its energy comes first.
    double early = 0.0, total = 0.0;

    for (size_t i = 0; i < fir.size(); ++i)
    {
        total += fir[i] * fir[i];
        early += i < 441 ? fir[i] * fir[i] : 0.0;
    }

    EXPECT_GT (early / total, 0.99);

    for (const char* bad : { "", "# nothing\n", "20\n", "20 -3\n10 -1\n", "0 1\n", "20 -3 4\n", "20 abc\n", "20 60\n", "nan 1\n" })
        EXPECT_FALSE (MicrophoneResponse::parse (bad, error).has_value()) << bad;

    EXPECT_FALSE (MicrophoneResponse::read ("/nonexistent/microphone.txt", error).has_value());
}

TEST (RoomModel, ThePartitionedConvolverGivesTheDirectConvolutionOfBothChannels)
{
    std::mt19937 random (7);
    std::uniform_real_distribution<float> uniform (-1.0f, 1.0f);
    const std::vector<std::vector<float>> impulses { std::vector<float> (1000), std::vector<float> (1537) };
    std::vector<std::vector<float>> h (impulses);

    for (auto& response : h)
        for (auto& v : response)
            v = uniform (random);

    constexpr int block = 64, blocks = 60;
    PartitionedConvolver convolver (h, block);
    std::vector<float> input (block * blocks * 2), output (block * blocks);

    for (auto& v : input)
        v = uniform (random);

    for (int b = 0; b < blocks; ++b)
        convolver.process (input.data() + b * block * 2, output.data() + b * block);

    double worst = 0.0;

    for (int n = 0; n < block * blocks; ++n)
    {
        double expected = 0.0;

        for (int c = 0; c < 2; ++c)
            for (int k = 0; k < static_cast<int> (h[static_cast<size_t> (c)].size()) && k <= n; ++k)
                expected += static_cast<double> (h[static_cast<size_t> (c)][static_cast<size_t> (k)]) * input[static_cast<size_t> ((n - k) * 2 + c)];

        worst = std::max (worst, std::abs (expected - output[static_cast<size_t> (n)]));
    }

    EXPECT_LT (worst, 1e-3); // sums of some 2500 products of size 1, in single precision
}

TEST (RoomModel, TheRoomsPathDelaysByExactlyItsLatencyHoweverTheServerCutsItsRuns)
{
    // Left through a unit impulse, right through half of one two samples late.
    RoomPath path ({ { 1.0f }, { 0.0f, 0.0f, 0.5f } }, 64, 300);
    ASSERT_EQ (path.latency(), 364u);

    constexpr size_t total = 20000;
    std::vector<float> left (total, 0.0f), right (total, 0.0f), out (total, -1.0f);
    left[1000] = 1.0f;
    right[9000] = 1.0f;
    std::mt19937 random (3);

    // Runs of any length, some longer than the path takes in one step.
    for (size_t done = 0; done < total;)
    {
        const size_t run = std::min (total - done, static_cast<size_t> (random() % 6000 + 1));
        const float* inputs[2] = { left.data() + done, right.data() + done };
        path.process (inputs, out.data() + done, run);
        done += run;
    }

    for (size_t i = 0; i < total; ++i)
    {
        const float expected = i == 1000 + 364 ? 1.0f : i == 9000 + 366 ? 0.5f : 0.0f;
        ASSERT_NEAR (out[i], expected, 1e-6f) << i;
    }
}

TEST (RoomModel, AResponseTakenToTheServersRateSoundsAsItsFileSaysBelow500Hz)
{
    // A filter's own impulse at the start (as the one-band room's), a mode of 65 Hz ringing after
    // it and a later, smooth one, as a ringing room's.
    std::vector<float> h (20000, 0.0f);
    h[0] = 0.5f;

    for (size_t i = 0; i < h.size(); ++i)
    {
        const double t = static_cast<double> (i) / 44100.0;
        h[i] += static_cast<float> (0.01 * std::exp (-t / 0.05) * std::sin (2.0 * M_PI * 65.0 * t)
                                    + 0.02 * std::exp (-t / 0.1) * std::sin (2.0 * M_PI * 41.0 * t) * (1.0 - std::exp (-t / 0.003)));
    }

    const auto worstOff = [&h] (const ImpulseResampler::Resampled& resampled, int rate)
    {
        double worst = 0.0;

        for (double hz = 20.0; hz <= 500.0; hz += 3.7)
        {
            const auto original = responseAt (h, 44100.0, 0, hz);
            worst = std::max (worst, std::abs (responseAt (resampled.samples, rate, resampled.lead, hz) - original) / std::abs (original));
        }

        return worst;
    };

    for (const int rate : { 48000, 96000, 32000 })
    {
        const auto resampled = ImpulseResampler::resample (h, 44100, rate, 0.01);
        // A whole number of samples at both rates, at least the lead asked for.
        EXPECT_EQ (resampled.lead * 44100 % static_cast<size_t> (rate), 0u) << rate;
        EXPECT_GE (static_cast<double> (resampled.lead) / rate, 0.01) << rate;
        EXPECT_LT (static_cast<double> (resampled.lead) / rate, 0.02) << rate;
        EXPECT_EQ (resampled.samples.size(), resampled.lead + (h.size() * static_cast<size_t> (rate) + 44099) / 44100) << rate;
        // Gain and phase within 0.01 dB and 0.06 degrees.
        EXPECT_LT (worstOff (resampled, rate), 1e-3) << rate;
    }

    // Without a lead the impulse's ringing before it is lost: a third of a dB at 48 kHz.
    EXPECT_GT (worstOff (ImpulseResampler::resample (h, 44100, 48000, 0.0), 48000), 1e-2);

    const auto same = ImpulseResampler::resample (h, 44100, 44100, 0.01);
    EXPECT_EQ (same.samples, h);
    EXPECT_EQ (same.lead, 0u);
}

TEST (RoomModel, TheTrueResponseFoldsTheImpulseResponseOntoTheNoisesPeriod)
{
    // One period's delay is no delay to periodic noise: a unit impulse at any time is flat.
    std::vector<float> late (TrueResponse::analysisLength * 3, 0.0f);
    late[TrueResponse::analysisLength + 123] = 0.5f;
    const auto magnitudes = TrueResponse::binMagnitudes (late);
    ASSERT_EQ (magnitudes.size(), static_cast<size_t> (TrueResponse::analysisLength / 2));

    for (const double m : magnitudes)
        ASSERT_NEAR (m, 0.5, 1e-9);

    const auto flat = TrueResponse::curve (magnitudes);
    ASSERT_EQ (flat.size(), static_cast<size_t> (TrueResponse::analysisLength));

    for (int i = 20; i < 2000; ++i)
        ASSERT_NEAR (flat[static_cast<size_t> (i)], 0.0f, 1e-5f) << i;

    // An echo one period and a half later than the first sound cancels it at the odd bins only.
    std::vector<float> echo (TrueResponse::analysisLength * 2, 0.0f);
    echo[0] = 1.0f;
    echo[TrueResponse::analysisLength + TrueResponse::analysisLength / 2] = 1.0f;
    const auto comb = TrueResponse::binMagnitudes (echo);
    EXPECT_NEAR (comb[100], 2.0, 1e-9);
    EXPECT_NEAR (comb[101], 0.0, 1e-9);

    EXPECT_EQ (TrueResponse::sum ({ 1.0f, 2.0f }, { 3.0f }), (std::vector<float> { 4.0f, 2.0f }));
}
