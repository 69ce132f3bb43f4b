#include "ResponseEstimator.h"

#include <algorithm>
#include <cmath>
#include <new>

namespace
{
    constexpr double twoPi = 6.283185307179586;

    // Turns a transfer function by a delay of lag frames (positive: later) out of a block of n.
    void delayBy (std::vector<std::complex<float>>& transfer, double lag, int32_t n)
    {
        for (size_t k = 0; k < transfer.size(); ++k)
            transfer[k] *= std::polar (1.0f, static_cast<float> (-twoPi * static_cast<double> (k) * lag / n));
    }

    double medianOf (std::vector<double> values)
    {
        if (values.empty())
            return 0.0;

        const auto middle = values.begin() + static_cast<long> (values.size() / 2);
        std::nth_element (values.begin(), middle, values.end());

        if (values.size() % 2 != 0)
            return *middle;

        return 0.5 * (*middle + *std::max_element (values.begin(), middle));
    }
}

bool ResponseEstimator::prepare (const float* played, int32_t n, int32_t newSampleRate, int32_t maxBlocks)
{
    fft.reset();
    blocks.clear();
    firstCandidate.clear();
    average.clear();
    averagedCount = 0;
    previousAnswered = false;

    if (played == nullptr || n < 16 || n % 2 != 0 || newSampleRate <= 0 || maxBlocks < 1)
        return false;

    try
    {
        fft = std::make_unique<RealFft> (n);

        if (! fft->isReady())
        {
            fft.reset();
            return false;
        }

        length = n;
        sampleRate = newSampleRate;
        const auto bins = static_cast<size_t> (fft->numBins());
        firstBin = static_cast<int32_t> (std::ceil (bandLowHz * static_cast<float> (n) / static_cast<float> (sampleRate)));
        endBin = std::min (static_cast<int32_t> (bandHighHz * static_cast<float> (n) / static_cast<float> (sampleRate)) + 1,
                           static_cast<int32_t> (bins) - 1);

        playedBins.assign (bins, {});
        playedPower.assign (bins, 0.0f);
        heard.assign (bins, {});
        previousTransfer.assign (bins, {});
        crossBins.assign (bins, {});
        impulse.assign (static_cast<size_t> (n), 0.0f);
        work.assign (static_cast<size_t> (n), 0.0f);
        energySums.assign (static_cast<size_t> (2 * n + 1), 0.0);
        blocks.reserve (static_cast<size_t> (maxBlocks));
        maximumBlocks = static_cast<size_t> (maxBlocks);

        // The impulse response is looked at up to four octaves over the analysis band, where its
        // start is sharp, with the edges rounded off over an octave: a sharp edge would ring for
        // tens of milliseconds in time, before the response's start as after it.
        bandTaper.assign (bins, 0.0f);

        for (size_t k = 0; k < bins; ++k)
        {
            const double hz = static_cast<double> (k) * sampleRate / n;
            const double rise = std::clamp (std::log2 (hz / bandLowHz), 0.0, 1.0);
            const double fall = std::clamp (std::log2 (impulseHighHz / hz), 0.0, 1.0);
            bandTaper[k] = static_cast<float> (std::pow (std::sin (0.25 * twoPi * std::min (rise, fall)), 2.0));
        }

        fft->forward (played, playedBins.data());

        for (size_t k = 0; k < bins; ++k)
            playedPower[k] = std::norm (playedBins[k]);
    }
    catch (const std::bad_alloc&)
    {
        fft.reset();
        return false;
    }

    for (int32_t k = firstBin; k < endBin; ++k)
        if (! (playedPower[static_cast<size_t> (k)] > 0.0f))
        {
            fft.reset();
            return false;
        }

    return true;
}

void ResponseEstimator::impulseOf (const Spectrum& transfer, std::vector<float>& out)
{
    for (size_t k = 0; k < crossBins.size(); ++k)
        crossBins[k] = transfer[k] * bandTaper[k];

    fft->inverse (crossBins.data(), out.data());
}

// The frame where the energy of the impulse response rises most against the frames before it:
// first over a quarter of a block either side, which tells the response's start from its wrapped
// tail however long the room rings, then over 12 ms either side, from there on, which places it to
// some 12 ms (the later of equal contrasts, so that a single pulse is placed on itself). Returns
// the contrast of the first, in dB.
float ResponseEstimator::onsetOf (const std::vector<float>& response, int32_t& onset)
{
    auto& sums = energySums;

    for (int32_t i = 0; i < 2 * length; ++i)
    {
        const double sample = response[static_cast<size_t> (i % length)];
        sums[static_cast<size_t> (i + 1)] = sums[static_cast<size_t> (i)] + sample * sample;
    }

    // The ratio of the window after frame at (of the doubled response) to the window before it.
    const auto contrast = [&sums] (int32_t at, int32_t window)
    {
        const auto i = static_cast<size_t> (at), w = static_cast<size_t> (window);
        return (sums[i + w] - sums[i]) / std::max (sums[i] - sums[i - w], 1e-30);
    };

    const int32_t coarse = length / 4, fine = std::min (512, length / 16);
    double bestRatio = 0.0;
    int32_t best = coarse;

    for (int32_t at = coarse; at < coarse + length; ++at)
        if (contrast (at, coarse) > bestRatio)
        {
            bestRatio = contrast (at, coarse);
            best = at;
        }

    double bestFine = 0.0;
    int32_t refined = best;

    // The response starts within the window after the coarse point, or just before it.
    for (int32_t at = best - coarse / 4; at <= best + coarse; ++at)
        if (at >= fine && at + fine <= 2 * length && contrast (at, fine) >= bestFine)
        {
            bestFine = contrast (at, fine);
            refined = at;
        }

    onset = refined % length;
    return bestRatio > 0.0 ? static_cast<float> (10.0 * std::log10 (bestRatio)) : 0.0f;
}

// How many frames later a's response comes than b's, to a fraction of a frame: the peak of their
// cross-correlation, refined by the slope of the cross-spectrum's phase.
double ResponseEstimator::lagBetween (const Spectrum& a, const Spectrum& b)
{
    std::fill (crossBins.begin(), crossBins.end(), std::complex<float>());

    for (int32_t k = firstBin; k < endBin; ++k)
        crossBins[static_cast<size_t> (k)] = a[static_cast<size_t> (k)] * std::conj (b[static_cast<size_t> (k)]);

    fft->inverse (crossBins.data(), work.data());
    const auto peak = static_cast<int32_t> (std::max_element (work.begin(), work.end()) - work.begin());
    const double whole = peak > length / 2 ? peak - length : peak;
    double slope = 0.0, weight = 0.0;

    for (int32_t k = firstBin; k < endBin; ++k)
    {
        const auto turned = crossBins[static_cast<size_t> (k)] * std::polar (1.0f, static_cast<float> (twoPi * k * whole / length));
        const double w = std::abs (turned);
        slope += w * k * std::arg (turned);
        weight += w * static_cast<double> (k) * k;
    }

    return whole - (weight > 0.0 ? slope / weight * length / twoPi : 0.0);
}

ResponseEstimator::Look ResponseEstimator::look (const float* block, bool flagged)
{
    Look result;

    if (fft == nullptr || block == nullptr)
        return result;

    fft->forward (block, heard.data());
    Spectrum transfer (heard.size());

    for (size_t k = 0; k < heard.size(); ++k)
        transfer[k] = playedPower[k] > 0.0f ? heard[k] * std::conj (playedBins[k]) / playedPower[k] : std::complex<float>();

    impulseOf (transfer, impulse);
    result.contrastDb = onsetOf (impulse, result.onsetFrame);
    result.answers = result.contrastDb >= answerContrastDb;
    result.candidate = result.answers && previousAnswered && ! flagged
                       && std::abs (lagBetween (transfer, previousTransfer)) <= alignmentToleranceFrames
                       && blocks.size() < maximumBlocks;

    previousAnswered = result.answers;
    previousTransfer = transfer;

    if (result.candidate)
    {
        if (blocks.empty())
            firstCandidate = transfer;

        blocks.push_back (std::move (transfer));
    }

    return result;
}

int32_t ResponseEstimator::settle()
{
    averagedCount = 0;
    average.clear();

    if (blocks.empty())
        return 0;

    // Everything lined up with the middle candidate, so that clocks that drift apart do not
    // smear the average.
    const auto& reference = blocks[blocks.size() / 2];

    for (auto& transfer : blocks)
        if (&transfer != &reference)
            delayBy (transfer, -lagBetween (transfer, reference), length);

    Spectrum median (heard.size());
    std::vector<double> re (blocks.size()), im (blocks.size());

    for (int32_t k = firstBin; k < endBin; ++k)
    {
        for (size_t b = 0; b < blocks.size(); ++b)
        {
            re[b] = blocks[b][static_cast<size_t> (k)].real();
            im[b] = blocks[b][static_cast<size_t> (k)].imag();
        }

        median[static_cast<size_t> (k)] = { static_cast<float> (medianOf (re)), static_cast<float> (medianOf (im)) };
    }

    double medianEnergy = 0.0;

    for (int32_t k = firstBin; k < endBin; ++k)
        medianEnergy += std::norm (median[static_cast<size_t> (k)]);

    std::vector<double> distances;

    for (const auto& transfer : blocks)
    {
        double distance = 0.0;

        for (int32_t k = firstBin; k < endBin; ++k)
            distance += std::norm (transfer[static_cast<size_t> (k)] - median[static_cast<size_t> (k)]);

        distances.push_back (medianEnergy > 0.0 ? distance / medianEnergy : 1.0);
    }

    const double tolerance = std::max (steadyScatterFactor * medianOf (distances), steadyFloor);
    average.assign (heard.size(), {});

    for (size_t b = 0; b < blocks.size(); ++b)
    {
        if (distances[b] > tolerance)
            continue;

        for (size_t k = 0; k < average.size(); ++k)
            average[k] += blocks[b][k];

        ++averagedCount;
    }

    for (auto& value : average)
        value /= static_cast<float> (std::max (averagedCount, 1));

    return averagedCount;
}

double ResponseEstimator::delaySinceArrival()
{
    if (fft == nullptr || firstCandidate.empty() || blocks.empty())
        return 0.0;

    return lagBetween (blocks.back(), firstCandidate);
}

bool ResponseEstimator::response (SpectrumArray& out) const
{
    if (averagedCount == 0 || out.size() < length / 2)
        return false;

    const double hzPerBin = static_cast<double> (sampleRate) / length;

    for (int32_t i = 0; i < length / 2; ++i)
    {
        auto& p = out.point (i);
        p.magnitude = std::abs (average[static_cast<size_t> (i)]);
        p.phase = std::arg (average[static_cast<size_t> (i)]);
        p.frequency = static_cast<float> (i * hzPerBin);
    }

    return true;
}

int64_t ResponseEstimator::arrivalFrame (const float* recording, int64_t framesRecorded, int64_t earliestFrame)
{
    const Spectrum* reference = &firstCandidate;

    if (fft == nullptr || recording == nullptr || firstCandidate.empty() || framesRecorded < length)
        return -1;

    // What every block of the steady state holds, and where in it the response starts.
    int32_t onset = 0;
    impulseOf (*reference, impulse);
    onsetOf (impulse, onset);

    for (size_t k = 0; k < crossBins.size(); ++k)
        crossBins[k] = (*reference)[k] * playedBins[k];

    fft->inverse (crossBins.data(), work.data());
    double energy = 0.0;

    for (const float s : work)
        energy += static_cast<double> (s) * s;

    if (! (energy > 0.0))
        return -1;

    // How much of the steady state each frame of the recording holds, summed up.
    std::vector<double> held (static_cast<size_t> (framesRecorded + 1), 0.0);
    const double perFrame = energy / length;

    for (int64_t t = 0; t < framesRecorded; ++t)
        held[static_cast<size_t> (t + 1)] = held[static_cast<size_t> (t)]
                                            + recording[t] * work[static_cast<size_t> (t % length)] / perFrame;

    // The arrival is one of the onset's points a period apart: the first after which a whole
    // period of the recording holds a good part of the steady state. The room rings up from
    // there; before it the recording holds none of this run's noise.
    std::vector<std::pair<int64_t, double>> levels;
    double highest = 0.0;

    for (int64_t at = onset; at + length <= framesRecorded; at += length)
    {
        if (at < earliestFrame - length / 16)
            continue;

        const double level = (held[static_cast<size_t> (at + length)] - held[static_cast<size_t> (at)]) / length;
        levels.emplace_back (at, level);
        highest = std::max (highest, level);
    }

    int64_t best = -1;

    if (highest >= arrivedLevel)
        for (auto it = levels.begin(); it != levels.end() && best < 0; ++it)
            if (it->second >= arrivedLevel * highest)
                best = it->first;

    return best;
}
