#pragma once

#include <vector>

// Uniformly partitioned overlap-save convolution (FFTW, single precision): each block of input
// frames, one channel per impulse response, gives the same block of the sum of the channels'
// convolutions, sample for sample, with no delay of its own (a block must have arrived before it
// can leave, though: that is the latency a stream through it sees). Each block costs two
// transforms per channel and one complex multiply-add per bin, partition and channel.
class PartitionedConvolver final
{
public:
    // blockSize frames per block, a power of two from 16 to 8192; one impulse response per channel.
    PartitionedConvolver (const std::vector<std::vector<float>>& impulses, int blockSize);
    ~PartitionedConvolver();

    PartitionedConvolver (const PartitionedConvolver&) = delete;
    PartitionedConvolver& operator= (const PartitionedConvolver&) = delete;

    int channels() const { return static_cast<int> (inputs.size()); }
    int blockSize() const { return block; }

    // blockSize interleaved frames in, blockSize mono samples out.
    void process (const float* interleaved, float* out);

private:
    struct Split
    {
        std::vector<float> re, im;
    };

    void transform (Split& to);

    int block = 0;
    int partitions = 0;
    int current = 0;
    std::vector<std::vector<Split>> responses; // per channel, per partition
    std::vector<std::vector<Split>> history;   // per channel, the last partitions' input spectra
    std::vector<std::vector<float>> inputs;    // per channel, the last two blocks
    Split sum;
    float* timeBuffer = nullptr;               // FFTW's aligned buffers
    void* binBuffer = nullptr;
    void* forwardPlan = nullptr;
    void* inversePlan = nullptr;
};
