#include "FlatNoise.h"
#include "MeasurementContract.h"
#include "RealFft.h"
#include "ResponseEstimator.h"
#include "SpectrumAnalysis.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdlib>
#include <random>
#include <vector>

namespace
{
    constexpr int32_t n = MeasurementContract::blockLength;
    constexpr int32_t rate = MeasurementContract::sampleRate;
    constexpr int32_t noiseFrames = 5 * rate;

    // A room that rings: a handful of modes from 42 Hz up, some in antiphase so that deep dips lie
    // between them, decaying over 0.8 s, heard 0.3 s after leaving the speaker (a slow path: its
    // impulse response is longer than one block of noise).
    std::vector<float> ringingRoom()
    {
        struct Mode { double hz, amplitude; };
        const Mode modes[] = { { 42.0, 1.0 }, { 57.0, -0.5 }, { 71.0, 0.6 }, { 98.0, -0.7 }, { 131.0, 0.4 }, { 177.0, -0.35 }, { 240.0, 0.3 } };
        const double decay = 6.91 / 0.8;
        std::vector<float> impulse (static_cast<size_t> (1.2 * rate));

        for (size_t i = 0; i < impulse.size(); ++i)
        {
            const double t = static_cast<double> (i) / rate;
            double sum = 0.0;

            for (const auto& mode : modes)
                sum += mode.amplitude * std::exp (-decay * t) * std::sin (2.0 * M_PI * mode.hz * t);

            impulse[i] = static_cast<float> (0.02 * sum);
        }

        return impulse;
    }

    // The response a measurement should find: the impulse response's transfer function at the
    // analysis bins (the noise is periodic in n, so its response is exactly the wrapped impulse
    // response's), through the program's own smoothing and normalisation; in dB.
    std::vector<float> truthOf (const std::vector<float>& impulse)
    {
        std::vector<float> wrapped (n, 0.0f);

        for (size_t i = 0; i < impulse.size(); ++i)
            wrapped[i % n] += impulse[i];

        RealFft fft (n);
        std::vector<std::complex<float>> bins (static_cast<size_t> (fft.numBins()));
        fft.forward (wrapped.data(), bins.data());
        SpectrumArray gains, smoothed;
        EXPECT_TRUE (gains.allocate (n));

        for (int32_t i = 0; i < n / 2; ++i)
            gains.point (i) = { std::abs (bins[static_cast<size_t> (i)]), 0.0f, static_cast<float> (i * static_cast<double> (rate) / n) };

        EXPECT_TRUE (analyseGains (gains, smoothed));
        std::vector<float> db (n);

        for (int32_t i = 0; i < n; ++i)
            db[static_cast<size_t> (i)] = 20.0f * smoothed.point (i).magnitude;

        return db;
    }

    // What a microphone records: hiss throughout, and from arrivalFrame on the room's answer to
    // the given noise, looped for five seconds (ringing up at the start, dying away at the end).
    std::vector<float> recording (const std::vector<float>& impulse, const std::vector<float>& noise, int64_t arrivalFrame,
                                  int32_t blocks, float hiss, uint32_t seed = 1)
    {
        const int32_t length = blocks * n;
        const int32_t size = 1 << 20;
        std::vector<float> played (size, 0.0f), room (size, 0.0f);

        for (int32_t i = 0; i < noiseFrames && arrivalFrame + i < length; ++i)
            if (arrivalFrame + i >= 0)
                played[static_cast<size_t> (arrivalFrame + i)] = noise[static_cast<size_t> (i % n)];

        std::copy (impulse.begin(), impulse.end(), room.begin());

        RealFft fft (size);
        std::vector<std::complex<float>> a (static_cast<size_t> (fft.numBins())), b (a.size());
        fft.forward (played.data(), a.data());
        fft.forward (room.data(), b.data());

        for (size_t k = 0; k < a.size(); ++k)
            a[k] *= b[k];

        fft.inverse (a.data(), played.data());
        std::mt19937 generator (seed);
        std::normal_distribution<float> noiseOfTheRoom (0.0f, hiss);
        std::vector<float> heard (static_cast<size_t> (length));

        for (int32_t i = 0; i < length; ++i)
            heard[static_cast<size_t> (i)] = played[static_cast<size_t> (i)] + noiseOfTheRoom (generator);

        return heard;
    }

    std::vector<float> noiseBlock (unsigned int seed)
    {
        std::srand (seed);
        std::vector<float> block (n);
        EXPECT_TRUE (FlatNoise::draw (block.data(), n));
        return block;
    }

    struct Estimate
    {
        int32_t answered = 0, candidates = 0, kept = 0;
        int64_t arrival = -1;
        std::vector<float> db;
    };

    Estimate estimate (const std::vector<float>& played, const std::vector<float>& heard, int64_t earliest, int32_t gapInBlock = -1)
    {
        ResponseEstimator estimator;
        EXPECT_TRUE (estimator.prepare (played.data(), n, rate, 32));
        Estimate e;
        const auto blocks = static_cast<int32_t> (heard.size() / n);

        for (int32_t p = 0; p < blocks; ++p)
        {
            std::vector<float> block (heard.begin() + p * n, heard.begin() + (p + 1) * n);

            if (p == gapInBlock)
                std::fill (block.begin() + 5000, block.begin() + 5044, 0.0f); // a millisecond lost

            const auto look = estimator.look (block.data(), false);
            e.answered += look.answers ? 1 : 0;
        }

        e.candidates = estimator.candidates();
        e.kept = estimator.settle();
        e.arrival = estimator.arrivalFrame (heard.data(), static_cast<int64_t> (heard.size()), earliest);
        SpectrumArray gains, smoothed;
        EXPECT_TRUE (gains.allocate (n));

        if (estimator.response (gains) && analyseGains (gains, smoothed))
            for (int32_t i = 0; i < n; ++i)
                e.db.push_back (20.0f * smoothed.point (i).magnitude);

        return e;
    }

    // Error over 40..280 Hz: RMS and largest.
    std::pair<double, double> errorOf (const std::vector<float>& measured, const std::vector<float>& truth)
    {
        double sum = 0.0, largest = 0.0;
        int count = 0;

        for (int32_t i = 15; i <= 105 && static_cast<size_t> (i) < measured.size(); ++i, ++count)
        {
            const double d = measured[static_cast<size_t> (i)] - truth[static_cast<size_t> (i)];
            sum += d * d;
            largest = std::max (largest, std::abs (d));
        }

        return { count > 0 ? std::sqrt (sum / count) : 1e9, count > 0 ? largest : 1e9 };
    }

    float deepestDip (const std::vector<float>& truth)
    {
        return *std::min_element (truth.begin() + 15, truth.begin() + 106);
    }
}

TEST (ResponseEstimator, MeasuresARingingRoomAsItsImpulseResponseSaysDipsIncludedAndTellsWhenItArrived)
{
    const auto room = ringingRoom();
    const auto truth = truthOf (room);
    ASSERT_LT (deepestDip (truth), -14.0f) << "the room has a deep dip to measure";

    const auto played = noiseBlock (7);
    constexpr int64_t arrival = 10000 + 13230; // the output started at 10000, a path of 0.3 s
    const auto e = estimate (played, recording (room, played, arrival, 17, 2e-4f), 10000);

    const auto [rms, largest] = errorOf (e.db, truth);
    EXPECT_LT (rms, 0.1) << "dB RMS";
    EXPECT_LT (largest, 0.5) << "dB at most";

    // The blocks ringing up and the one the noise stopped in are left aside; the rest are kept.
    EXPECT_GE (e.kept, 9);
    EXPECT_LT (e.kept, e.candidates);
    EXPECT_NEAR (static_cast<double> (e.arrival), static_cast<double> (arrival), 0.015 * rate);
}

TEST (ResponseEstimator, NeverTakesAnotherRunsNoiseForThisRuns)
{
    const auto room = ringingRoom();
    const auto truth = truthOf (room);
    const auto thisRun = noiseBlock (7);
    const auto earlierRun = noiseBlock (8);

    // Only the earlier run's noise, heard in steady state: not one block answers this run's.
    const auto other = estimate (thisRun, recording (room, earlierRun, 0, 14, 2e-4f), 0);
    EXPECT_EQ (other.answered, 0);
    EXPECT_EQ (other.kept, 0);
    EXPECT_EQ (other.arrival, -1);

    // The earlier run's noise still arriving when this run's arrives 1.7 s late: only this run's is kept.
    auto heard = recording (room, earlierRun, -3 * rate, 24, 2e-4f);
    const auto late = recording (room, thisRun, 85000, 24, 0.0f);

    for (size_t i = 85000; i < heard.size(); ++i)
        heard[i] = late[i];

    const auto e = estimate (thisRun, heard, 10000);
    EXPECT_GE (e.kept, 8);
    EXPECT_LT (errorOf (e.db, truth).first, 0.1);
    EXPECT_NEAR (static_cast<double> (e.arrival), 85000.0, 0.015 * rate);
}

TEST (ResponseEstimator, LeavesAsideABlockThatLostAMillisecond)
{
    const auto room = ringingRoom();
    const auto played = noiseBlock (9);
    const auto heard = recording (room, played, 2000, 16, 2e-4f);

    const auto whole = estimate (played, heard, 0);
    const auto gapped = estimate (played, heard, 0, 10);
    EXPECT_EQ (gapped.candidates, whole.candidates);
    EXPECT_EQ (gapped.kept, whole.kept - 1);
    EXPECT_LT (errorOf (gapped.db, truthOf (room)).first, 0.1);
}

TEST (ResponseEstimator, RefusesWhatItCannotCompareWith)
{
    ResponseEstimator estimator;
    const std::vector<float> silence (n, 0.0f);
    const auto played = noiseBlock (3);

    EXPECT_FALSE (estimator.prepare (nullptr, n, rate, 4));
    EXPECT_FALSE (estimator.prepare (played.data(), n - 1, rate, 4));
    EXPECT_FALSE (estimator.prepare (silence.data(), n, rate, 4)) << "nothing played to compare with";
    EXPECT_EQ (estimator.settle(), 0);

    SpectrumArray gains;
    ASSERT_TRUE (gains.allocate (n));
    EXPECT_FALSE (estimator.response (gains));
    EXPECT_EQ (estimator.arrivalFrame (silence.data(), n, 0), -1);
}

TEST (FlatNoise, IsFlatAsLoudAsUniformNoiseWithLowerPeaksAndNewEveryTime)
{
    const auto block = noiseBlock (5);
    RealFft fft (n);
    std::vector<std::complex<float>> bins (static_cast<size_t> (fft.numBins()));
    fft.forward (block.data(), bins.data());

    const float level = std::abs (bins[1]);

    for (size_t k = 1; k + 1 < bins.size(); ++k)
        ASSERT_NEAR (std::abs (bins[k]), level, 1e-3f * level) << "bin " << k;

    EXPECT_LT (std::abs (bins[0]), 1e-3f * level) << "no DC for the speakers";

    double sumOfSquares = 0.0;
    float peak = 0.0f;

    for (float s : block)
    {
        sumOfSquares += static_cast<double> (s) * s;
        peak = std::max (peak, std::abs (s));
    }

    EXPECT_NEAR (std::sqrt (sumOfSquares / n), FlatNoise::rms, 1e-4);
    EXPECT_LT (peak, 1.0f) << "uniform noise reaches full scale, this never does";
    EXPECT_NE (noiseBlock (6), block);
    EXPECT_FALSE (FlatNoise::draw (nullptr, n));
    EXPECT_FALSE (FlatNoise::draw (std::vector<float> (5).data(), 5));
}
