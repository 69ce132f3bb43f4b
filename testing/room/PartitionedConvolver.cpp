#include "PartitionedConvolver.h"

#include <fftw3.h>

#include <algorithm>
#include <cstring>

PartitionedConvolver::PartitionedConvolver (const std::vector<std::vector<float>>& impulses, int blockSize)
    : block (blockSize)
{
    size_t longest = 1;

    for (const auto& h : impulses)
        longest = std::max (longest, h.size());

    partitions = static_cast<int> ((longest + static_cast<size_t> (block) - 1) / static_cast<size_t> (block));
    const int n = 2 * block;
    timeBuffer = fftwf_alloc_real (static_cast<size_t> (n));
    auto* bins = fftwf_alloc_complex (static_cast<size_t> (block + 1));
    binBuffer = bins;
    forwardPlan = fftwf_plan_dft_r2c_1d (n, timeBuffer, bins, FFTW_ESTIMATE);
    inversePlan = fftwf_plan_dft_c2r_1d (n, bins, timeBuffer, FFTW_ESTIMATE);

    const Split empty { std::vector<float> (static_cast<size_t> (block + 1), 0.0f), std::vector<float> (static_cast<size_t> (block + 1), 0.0f) };
    sum = empty;

    for (const auto& h : impulses)
    {
        std::vector<Split> parts (static_cast<size_t> (partitions), empty);

        for (int p = 0; p < partitions; ++p)
        {
            std::fill (timeBuffer, timeBuffer + n, 0.0f);
            const size_t first = static_cast<size_t> (p) * static_cast<size_t> (block);

            for (size_t i = first; i < h.size() && i < first + static_cast<size_t> (block); ++i)
                timeBuffer[i - first] = h[i] / static_cast<float> (n); // the inverse transform's 1/n, once

            transform (parts[static_cast<size_t> (p)]);
        }

        responses.push_back (std::move (parts));
        history.emplace_back (static_cast<size_t> (partitions), empty);
        inputs.emplace_back (static_cast<size_t> (n), 0.0f);
    }
}

PartitionedConvolver::~PartitionedConvolver()
{
    fftwf_destroy_plan (static_cast<fftwf_plan> (forwardPlan));
    fftwf_destroy_plan (static_cast<fftwf_plan> (inversePlan));
    fftwf_free (timeBuffer);
    fftwf_free (binBuffer);
}

void PartitionedConvolver::transform (Split& to)
{
    fftwf_execute (static_cast<fftwf_plan> (forwardPlan));
    const auto* bins = static_cast<const fftwf_complex*> (binBuffer);

    for (int k = 0; k <= block; ++k)
    {
        to.re[static_cast<size_t> (k)] = bins[k][0];
        to.im[static_cast<size_t> (k)] = bins[k][1];
    }
}

void PartitionedConvolver::process (const float* interleaved, float* out)
{
    const int count = channels();
    const auto bins = static_cast<size_t> (block + 1);
    current = (current + partitions - 1) % partitions;

    for (int c = 0; c < count; ++c)
    {
        auto& in = inputs[static_cast<size_t> (c)];
        std::memmove (in.data(), in.data() + block, sizeof (float) * static_cast<size_t> (block));

        for (int i = 0; i < block; ++i)
            in[static_cast<size_t> (block + i)] = interleaved[i * count + c];

        std::copy (in.begin(), in.end(), timeBuffer);
        transform (history[static_cast<size_t> (c)][static_cast<size_t> (current)]);
    }

    std::fill (sum.re.begin(), sum.re.end(), 0.0f);
    std::fill (sum.im.begin(), sum.im.end(), 0.0f);
    float* const sr = sum.re.data();
    float* const si = sum.im.data();

    // Input spectrum of p blocks ago times partition p, over every channel.
    for (int c = 0; c < count; ++c)
        for (int p = 0; p < partitions; ++p)
        {
            const auto& x = history[static_cast<size_t> (c)][static_cast<size_t> ((current + p) % partitions)];
            const auto& h = responses[static_cast<size_t> (c)][static_cast<size_t> (p)];
            const float* xr = x.re.data();
            const float* xi = x.im.data();
            const float* hr = h.re.data();
            const float* hi = h.im.data();

            for (size_t k = 0; k < bins; ++k)
            {
                sr[k] += xr[k] * hr[k] - xi[k] * hi[k];
                si[k] += xr[k] * hi[k] + xi[k] * hr[k];
            }
        }

    auto* spectrum = static_cast<fftwf_complex*> (binBuffer);

    for (size_t k = 0; k < bins; ++k)
    {
        spectrum[k][0] = sr[k];
        spectrum[k][1] = si[k];
    }

    fftwf_execute (static_cast<fftwf_plan> (inversePlan));
    std::copy (timeBuffer + block, timeBuffer + 2 * block, out);
}
