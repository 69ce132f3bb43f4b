#include "ReferenceTransform.h"

#include "DspConstants.h"
#include "TrigTables.h"

#include <cmath>
#include <vector>

bool referenceTransform (const float* block, int32_t n, float* magnitudes)
{
    buildTrigTables();
    const float* sines = sineTable();
    const float* cosines = cosineTable();

    std::vector<float> increments (static_cast<size_t> (n));

    for (int32_t j = 0; j < n; ++j)
        increments[static_cast<size_t> (j)] = -2.0f * dsp::pi * static_cast<float> (j) / static_cast<float> (n);

    bool indicesCovered = true;

    for (int32_t i = 0; i < n / 2; ++i)
    {
        float cosineSum = 0.0f;
        float sineSum = 0.0f;

        for (int32_t j = 0; j < n - 1; ++j)
        {
            float a = increments[static_cast<size_t> (j)] * static_cast<float> (i);
            a = a - dsp::twoPi * std::trunc (a / dsp::twoPi);

            if (a < 0.0f)
                a += dsp::twoPi;

            auto k = static_cast<int32_t> (a * 180.0f / dsp::pi);

            if (k == 360)
                k = 0;

            if (k < 0 || k > 359)
            {
                indicesCovered = false;
                k = 0;
            }

            cosineSum += cosines[k] * block[j];
            sineSum += sines[k] * block[j];
        }

        magnitudes[i] = 2.0f * std::sqrt (cosineSum * cosineSum + sineSum * sineSum);
    }

    return indicesCovered;
}
