#include "DftKernels.h"

#include "DspConstants.h"
#include "TrigTables.h"

#include <immintrin.h>

// Eight bins per vector, two vectors per pass over the samples. Each lane repeats the scalar
// steps exactly, except that the two divisions become multiplications by the reciprocal. Those
// can differ from the quotient in the last bits, which matters only where the quotient is that
// close to a whole number (its truncation could flip): such passes are redone with divisions.

#define SONAVEL_AVX2 __attribute__ ((target ("avx2")))

namespace
{
    constexpr int32_t lanes = 8;
    constexpr int32_t vectorsPerPass = 2;
    constexpr int32_t binsPerPass = lanes * vectorsPerPass;

    struct AngleConstants
    {
        __m256 twoPi, reciprocalTwoPi, degreesPerHalfTurn, pi, reciprocalPi, one;
        __m256 turnsTolerance, degreesTolerance;
        __m256i lastEntry;
    };

    SONAVEL_AVX2 inline __m256 reduceToOneTurn (__m256 angle, __m256 wholeTurns, const AngleConstants& c)
    {
        const __m256 reduced = _mm256_sub_ps (angle, _mm256_mul_ps (c.twoPi, wholeTurns));
        const __m256 negative = _mm256_cmp_ps (reduced, _mm256_setzero_ps(), _CMP_LT_OQ);
        return _mm256_blendv_ps (reduced, _mm256_add_ps (reduced, c.twoPi), negative);
    }

    // Angles are never positive, so turns lie in (-n/2, 0] and their fraction in (-1, 0].
    // fraction * (fraction + 1) is at most the distance to the nearest whole number, and the
    // same goes for the degrees' fraction in [0, 1) with fraction * (1 - fraction).
    SONAVEL_AVX2 inline __m256i fastIndex (__m256 angle, const AngleConstants& c, __m256& suspect)
    {
        const __m256 turns = _mm256_mul_ps (angle, c.reciprocalTwoPi);
        const __m256 wholeTurns = _mm256_round_ps (turns, _MM_FROUND_TO_ZERO | _MM_FROUND_NO_EXC);
        const __m256 degrees = _mm256_mul_ps (_mm256_mul_ps (reduceToOneTurn (angle, wholeTurns, c), c.degreesPerHalfTurn),
                                              c.reciprocalPi);
        const __m256i index = _mm256_cvttps_epi32 (degrees);

        const __m256 turnsFraction = _mm256_sub_ps (turns, wholeTurns);
        const __m256 turnsCloseness = _mm256_mul_ps (turnsFraction, _mm256_add_ps (turnsFraction, c.one));
        const __m256 degreesFraction = _mm256_sub_ps (degrees, _mm256_cvtepi32_ps (index));
        const __m256 degreesCloseness = _mm256_mul_ps (degreesFraction, _mm256_sub_ps (c.one, degreesFraction));

        suspect = _mm256_or_ps (_mm256_cmp_ps (turnsCloseness, _mm256_mul_ps (turns, c.turnsTolerance), _CMP_GE_OQ),
                                _mm256_cmp_ps (degreesCloseness, c.degreesTolerance, _CMP_LE_OQ));
        return index;
    }

    SONAVEL_AVX2 inline __m256i exactIndex (__m256 angle, const AngleConstants& c)
    {
        const __m256 wholeTurns = _mm256_round_ps (_mm256_div_ps (angle, c.twoPi), _MM_FROUND_TO_ZERO | _MM_FROUND_NO_EXC);
        const __m256 degrees = _mm256_div_ps (_mm256_mul_ps (reduceToOneTurn (angle, wholeTurns, c), c.degreesPerHalfTurn), c.pi);
        return _mm256_cvttps_epi32 (degrees);
    }

    SONAVEL_AVX2 void transformPass (const DftJob& job, int32_t firstBin, const AngleConstants& c)
    {
        const float* sines = sineTable();
        const float* cosines = cosineTable();

        __m256 bins[vectorsPerPass];
        __m256 cosineSums[vectorsPerPass];
        __m256 sineSums[vectorsPerPass];

        for (int32_t v = 0; v < vectorsPerPass; ++v)
        {
            const __m256i laneOffsets = _mm256_setr_epi32 (0, 1, 2, 3, 4, 5, 6, 7);
            bins[v] = _mm256_cvtepi32_ps (_mm256_add_epi32 (_mm256_set1_epi32 (firstBin + v * lanes), laneOffsets));
            cosineSums[v] = _mm256_setzero_ps();
            sineSums[v] = _mm256_setzero_ps();
        }

        for (int32_t j = 0; j < job.numTerms; ++j)
        {
            const __m256 increment = _mm256_broadcast_ss (job.increments + j);
            const __m256 sample = _mm256_broadcast_ss (job.block + j);

            __m256 angles[vectorsPerPass];
            __m256i indices[vectorsPerPass];
            __m256 suspect = _mm256_setzero_ps();

            for (int32_t v = 0; v < vectorsPerPass; ++v)
            {
                __m256 vectorSuspect;
                angles[v] = _mm256_mul_ps (increment, bins[v]);
                indices[v] = fastIndex (angles[v], c, vectorSuspect);
                suspect = _mm256_or_ps (suspect, vectorSuspect);
            }

            if (__builtin_expect (_mm256_movemask_ps (suspect) != 0, 0))
            {
                for (int32_t v = 0; v < vectorsPerPass; ++v)
                    indices[v] = exactIndex (angles[v], c);
            }

            for (int32_t v = 0; v < vectorsPerPass; ++v)
            {
                // Anything outside 0..359 (negative ones too, read as unsigned) lands on the copy of entry 0.
                const __m256i k = _mm256_min_epu32 (indices[v], c.lastEntry);
                const __m256 cosine = _mm256_i32gather_ps (cosines, k, 4);
                const __m256 sine = _mm256_i32gather_ps (sines, k, 4);
                cosineSums[v] = _mm256_add_ps (cosineSums[v], _mm256_mul_ps (cosine, sample));
                sineSums[v] = _mm256_add_ps (sineSums[v], _mm256_mul_ps (sine, sample));
            }
        }

        for (int32_t v = 0; v < vectorsPerPass; ++v)
        {
            const __m256 power = _mm256_add_ps (_mm256_mul_ps (cosineSums[v], cosineSums[v]),
                                                _mm256_mul_ps (sineSums[v], sineSums[v]));
            const __m256 magnitude = _mm256_mul_ps (_mm256_set1_ps (2.0f), _mm256_sqrt_ps (power));
            _mm256_storeu_ps (job.magnitudes + firstBin + v * lanes, magnitude);
        }
    }
}

bool cpuHasAvx2()
{
    return __builtin_cpu_supports ("avx2");
}

SONAVEL_AVX2 void transformBinsAvx2 (const DftJob& job, int32_t firstBin, int32_t endBin)
{
    buildTrigTables();

    // Quotient and product each round once, the reciprocal once more: they differ by less than
    // 3 units of the quotient's 24th bit. Lanes within 4 such units of a whole number are redone;
    // for degrees (below 512) that is 2^-13.
    const AngleConstants c {
        _mm256_set1_ps (dsp::twoPi),
        _mm256_set1_ps (1.0f / dsp::twoPi),
        _mm256_set1_ps (180.0f),
        _mm256_set1_ps (dsp::pi),
        _mm256_set1_ps (1.0f / dsp::pi),
        _mm256_set1_ps (1.0f),
        _mm256_set1_ps (0x1p-22f),
        _mm256_set1_ps (0x1p-13f),
        _mm256_set1_epi32 (trigTableSize)
    };

    int32_t bin = firstBin;

    for (; bin + binsPerPass <= endBin; bin += binsPerPass)
        transformPass (job, bin, c);

    transformBinsPortable (job, bin, endBin);
}
