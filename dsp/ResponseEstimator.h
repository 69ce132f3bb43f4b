#pragma once

#include "MeasurementContract.h"
#include "RealFft.h"
#include "SpectrumArray.h"

#include <complex>
#include <cstdint>
#include <memory>
#include <vector>

// The room's response from a recording of one block of noise played over and over. Each whole
// block of the recording is compared with the played block through the transform: their
// cross-spectrum over the played block's power is the room's transfer function as that block
// heard it, and its inverse transform the room's impulse response wrapped into one block. A block
// that holds this run's noise shows a response that starts at one point and decays; a block of
// hiss, or of another run's noise, shows none. Blocks that hold the noise and line up with the
// block before them are candidates; among them, those whose transfer function agrees with the
// candidates' median (the room heard in steady state, not ringing up, no gap, no glitch) are
// averaged, as complex numbers, so that the hiss averages away instead of adding to the level.
class ResponseEstimator final
{
public:
    // Analysis band for the judgements: the graph's range.
    static constexpr float bandLowHz = 20.0f;
    static constexpr float bandHighHz = 500.0f;
    static constexpr float impulseHighHz = 8000.0f;

    // A block holds this run's noise when the response it shows has this much more energy in
    // the eighth of a block after its start than in the eighth before it. A room ringing for
    // 1.2 s shows some 15 dB; hiss or another block's noise rarely more than 4 dB.
    static constexpr float answerContrastDb = 8.0f;

    // Consecutive blocks of the steady state line up within this many frames (clocks drifting
    // apart by 50 ppm move less than one frame per block).
    static constexpr int32_t alignmentToleranceFrames = 8;

    // A candidate is steady when its transfer function lies within this many times the
    // candidates' median distance from their median, relative to the median's energy, or within
    // steadyFloor, whichever is larger. Steady blocks scatter by their hiss alone (some 10 %
    // around their median distance); the block after the noise starts in a room that rings for
    // a second, or a block with a 1 ms gap, lies 20 to 30 dB off, far above steady ones.
    static constexpr double steadyScatterFactor = 4.0;
    static constexpr double steadyFloor = 1e-4;

    // The noise has arrived where a period of the recording holds this share of the steady
    // state's level, or more (a room ringing for 1.6 s holds some 60 % in its first period;
    // another run's noise as loud as this one's some 5 %).
    static constexpr double arrivedLevel = 0.3;

    // played: the looped block of n samples (n even); room for maxBlocks candidates.
    bool prepare (const float* played, int32_t n, int32_t sampleRate, int32_t maxBlocks);

    struct Look
    {
        bool answers = false;    // the block holds this run's noise
        bool candidate = false;  // ... and lines up with the block before it, which held it too
        int32_t onsetFrame = 0;  // where in the block the room's response starts
        float contrastDb = 0.0f;
    };

    // Looks at the next whole block of the recording (blocks in order, from the first).
    // flagged: the audio system reported a glitch in it, or it has a gap: never a candidate.
    Look look (const float* block, bool flagged);

    int32_t candidates() const { return static_cast<int32_t> (blocks.size()); }

    // Averages the candidates that agree with their consensus; returns how many it averaged.
    int32_t settle();
    int32_t averaged() const { return averagedCount; }

    // The room's gain |H| at bins 0 .. n/2 - 1 (magnitude and frequency) from the averaged
    // blocks; false before settle() averaged any.
    bool response (SpectrumArray& out) const;

    // The frame of the recording at which this run's noise began to arrive, judged from the
    // first candidate against the recording so far; -1 when it cannot be told yet. earliestFrame:
    // the noise cannot have arrived before it.
    int64_t arrivalFrame (const float* recording, int64_t framesRecorded, int64_t earliestFrame);

    // How many frames later the latest candidate's period runs than the first's: what the noise
    // has been held up on its way since it arrived (an output that ran dry), so that it ends that
    // much later too. 0 without candidates.
    double delaySinceArrival();

private:
    using Spectrum = std::vector<std::complex<float>>;

    // The wrapped impulse response of a transfer function, band-limited to the analysis band.
    void impulseOf (const Spectrum& transfer, std::vector<float>& impulse);
    float onsetOf (const std::vector<float>& impulse, int32_t& onset);
    double lagBetween (const Spectrum& a, const Spectrum& b);

    std::unique_ptr<RealFft> fft;
    int32_t length = 0;
    int32_t sampleRate = MeasurementContract::sampleRate;
    int32_t firstBin = 0, endBin = 0;
    Spectrum playedBins;
    std::vector<float> playedPower;
    std::vector<float> bandTaper;

    Spectrum heard, previousTransfer;
    bool previousAnswered = false;
    std::vector<float> impulse, work;
    Spectrum crossBins;

    std::vector<Spectrum> blocks;  // the candidates' transfer functions
    Spectrum firstCandidate;       // the first of them as it was heard, before settle() aligns them
    size_t maximumBlocks = 0;
    std::vector<double> energySums;
    Spectrum average;
    int32_t averagedCount = 0;
};
