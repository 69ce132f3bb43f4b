#pragma once

#include <cstdint>

// White test noise from the standard library's rand(), on the channels of a mask
// (bit 0 left, bit 1 right), for a number of frames. Either every sample is drawn afresh, or one
// block drawn at the start is played over and over (periodic noise), the same on every channel.
class NoiseSource final
{
public:
    // Only the first call of a run takes effect: it stores the mask and seeds rand() from the
    // clock, differently for every run of the process.
    void prepare (int32_t channelSelector);
    bool isInitialised() const { return initialised; }

    int32_t getChannelMask() const { return channelMask; }

    // Plays block (length samples) in a loop from its start; the block must outlive the playing.
    // A null block goes back to fresh samples.
    void loop (const float* block, int32_t length);

    void setFramesRemaining (int32_t frames) { framesRemaining = frames; }
    int32_t getFramesRemaining() const { return framesRemaining; }

    // Consumes up to frameCount of the remaining frames and returns how many it took.
    int32_t takeFrames (unsigned long frameCount);

    // Fills numFrames interleaved left/right frames: noise on masked channels, 0 elsewhere.
    void fill (float* interleavedStereo, unsigned long numFrames);

    // One uniform sample in -1 .. 16384/16383: rand() brought to 0..32767, centred and scaled.
    static float nextSample();

private:
    int32_t channelMask = 0;
    bool initialised = false;
    int32_t framesRemaining = 0;
    const float* loopBlock = nullptr;
    int32_t loopLength = 0;
    int32_t loopPosition = 0;
};
