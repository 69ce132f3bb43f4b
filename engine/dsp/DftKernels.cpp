#include "DftKernels.h"

#include "DspConstants.h"
#include "TrigTables.h"

#include <cmath>

namespace
{
    inline int32_t tableIndex (float angle)
    {
        const float turns = std::trunc (angle / dsp::twoPi);
        float reduced = angle - dsp::twoPi * turns;

        if (reduced < 0.0f)
            reduced += dsp::twoPi;

        const auto degrees = static_cast<int32_t> (reduced * 180.0f / dsp::pi);

        // Out-of-table angles (a full turn after rounding) count as 0 degrees.
        return static_cast<uint32_t> (degrees) < static_cast<uint32_t> (trigTableSize) ? degrees : 0;
    }
}

void transformBinsPortable (const DftJob& job, int32_t firstBin, int32_t endBin)
{
    const float* sines = sineTable();
    const float* cosines = cosineTable();

    for (int32_t bin = firstBin; bin < endBin; ++bin)
    {
        const auto binAsFloat = static_cast<float> (bin);
        float cosineSum = 0.0f;
        float sineSum = 0.0f;

        for (int32_t j = 0; j < job.numTerms; ++j)
        {
            const int32_t k = tableIndex (job.increments[j] * binAsFloat);
            cosineSum += cosines[k] * job.block[j];
            sineSum += sines[k] * job.block[j];
        }

        job.magnitudes[bin] = 2.0f * std::sqrt (cosineSum * cosineSum + sineSum * sineSum);
    }
}
