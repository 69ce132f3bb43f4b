#include "TrigTables.h"

#include "DspConstants.h"

#include <cmath>
#include <mutex>

namespace
{
    float sines[trigTableSize + 1];
    float cosines[trigTableSize + 1];
    alignas (8) float pairs[2 * (trigTableSize + 1)];
    std::once_flag builtFlag;
}

void buildTrigTables()
{
    std::call_once (builtFlag, []
    {
        for (int k = 0; k < trigTableSize; ++k)
        {
            const double radians = k * static_cast<double> (dsp::pi) / 180.0;
            sines[k] = static_cast<float> (std::sin (radians));
            cosines[k] = static_cast<float> (std::cos (radians));
        }

        sines[trigTableSize] = sines[0];
        cosines[trigTableSize] = cosines[0];

        for (int k = 0; k <= trigTableSize; ++k)
        {
            pairs[2 * k] = cosines[k];
            pairs[2 * k + 1] = sines[k];
        }
    });
}

const float* sineTable()
{
    return sines;
}

const float* cosineTable()
{
    return cosines;
}

const float* cosineSinePairs()
{
    return pairs;
}
