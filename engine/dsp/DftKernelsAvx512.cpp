#include "DftKernels.h"

#include "DspConstants.h"
#include "TrigTables.h"

#include <immintrin.h>

// The AVX2 kernel's method (see DftKernelsAvx2.cpp) on sixteen lanes. Here the table look-ups
// bound the speed, so each lane fetches its cosine and sine as one 64-bit pair.

#define SONAVEL_AVX512 __attribute__ ((target ("avx512f,avx512dq")))

namespace
{
    constexpr int32_t lanes = 16;
    constexpr int32_t vectorsPerPass = 2;
    constexpr int32_t binsPerPass = lanes * vectorsPerPass;

    struct AngleConstants
    {
        __m512 twoPi, reciprocalTwoPi, degreesPerHalfTurn, pi, reciprocalPi;
        __m512 turnsTolerance, degreesTolerance;
        __m512i lastEntry, evenFloats, oddFloats;
    };

    SONAVEL_AVX512 inline __m512 reduceToOneTurn (__m512 angle, __m512 wholeTurns, const AngleConstants& c)
    {
        const __m512 reduced = _mm512_sub_ps (angle, _mm512_mul_ps (c.twoPi, wholeTurns));
        const __mmask16 negative = _mm512_cmp_ps_mask (reduced, _mm512_setzero_ps(), _CMP_LT_OQ);
        return _mm512_mask_add_ps (reduced, negative, reduced, c.twoPi);
    }

    SONAVEL_AVX512 inline __m512 distanceToWhole (__m512 v)
    {
        return _mm512_abs_ps (_mm512_reduce_ps (v, _MM_FROUND_TO_NEAREST_INT | _MM_FROUND_NO_EXC));
    }

    SONAVEL_AVX512 inline __m512i fastIndex (__m512 angle, const AngleConstants& c, __mmask16& suspect)
    {
        const __m512 turns = _mm512_mul_ps (angle, c.reciprocalTwoPi);
        const __m512 wholeTurns = _mm512_roundscale_ps (turns, _MM_FROUND_TO_ZERO | _MM_FROUND_NO_EXC);
        const __m512 degrees = _mm512_mul_ps (_mm512_mul_ps (reduceToOneTurn (angle, wholeTurns, c), c.degreesPerHalfTurn),
                                              c.reciprocalPi);

        // Turns are never positive: turns * -tolerance is the tolerance scaled to their size.
        suspect = _mm512_kor (_mm512_cmp_ps_mask (distanceToWhole (turns), _mm512_mul_ps (turns, c.turnsTolerance), _CMP_LE_OQ),
                              _mm512_cmp_ps_mask (distanceToWhole (degrees), c.degreesTolerance, _CMP_LE_OQ));
        return _mm512_cvttps_epi32 (degrees);
    }

    SONAVEL_AVX512 inline __m512i exactIndex (__m512 angle, const AngleConstants& c)
    {
        const __m512 wholeTurns = _mm512_roundscale_ps (_mm512_div_ps (angle, c.twoPi), _MM_FROUND_TO_ZERO | _MM_FROUND_NO_EXC);
        const __m512 degrees = _mm512_div_ps (_mm512_mul_ps (reduceToOneTurn (angle, wholeTurns, c), c.degreesPerHalfTurn), c.pi);
        return _mm512_cvttps_epi32 (degrees);
    }

    SONAVEL_AVX512 void transformPass (const DftJob& job, int32_t firstBin, const AngleConstants& c)
    {
        const float* pairs = cosineSinePairs();

        __m512 bins[vectorsPerPass];
        __m512 cosineSums[vectorsPerPass];
        __m512 sineSums[vectorsPerPass];

        for (int32_t v = 0; v < vectorsPerPass; ++v)
        {
            const __m512i laneOffsets = _mm512_setr_epi32 (0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
            bins[v] = _mm512_cvtepi32_ps (_mm512_add_epi32 (_mm512_set1_epi32 (firstBin + v * lanes), laneOffsets));
            cosineSums[v] = _mm512_setzero_ps();
            sineSums[v] = _mm512_setzero_ps();
        }

        for (int32_t j = 0; j < job.numTerms; ++j)
        {
            const __m512 increment = _mm512_set1_ps (job.increments[j]);
            const __m512 sample = _mm512_set1_ps (job.block[j]);

            __m512 angles[vectorsPerPass];
            __m512i indices[vectorsPerPass];
            __mmask16 suspect = 0;

            for (int32_t v = 0; v < vectorsPerPass; ++v)
            {
                __mmask16 vectorSuspect;
                angles[v] = _mm512_mul_ps (increment, bins[v]);
                indices[v] = fastIndex (angles[v], c, vectorSuspect);
                suspect = _mm512_kor (suspect, vectorSuspect);
            }

            if (__builtin_expect (suspect != 0, 0))
            {
                for (int32_t v = 0; v < vectorsPerPass; ++v)
                    indices[v] = exactIndex (angles[v], c);
            }

            for (int32_t v = 0; v < vectorsPerPass; ++v)
            {
                const __m512i k = _mm512_min_epu32 (indices[v], c.lastEntry);
                const __m512 low = _mm512_castsi512_ps (_mm512_i32gather_epi64 (_mm512_castsi512_si256 (k), pairs, 8));
                const __m512 high = _mm512_castsi512_ps (_mm512_i32gather_epi64 (_mm512_extracti64x4_epi64 (k, 1), pairs, 8));
                const __m512 cosine = _mm512_permutex2var_ps (low, c.evenFloats, high);
                const __m512 sine = _mm512_permutex2var_ps (low, c.oddFloats, high);
                cosineSums[v] = _mm512_add_ps (cosineSums[v], _mm512_mul_ps (cosine, sample));
                sineSums[v] = _mm512_add_ps (sineSums[v], _mm512_mul_ps (sine, sample));
            }
        }

        for (int32_t v = 0; v < vectorsPerPass; ++v)
        {
            const __m512 power = _mm512_add_ps (_mm512_mul_ps (cosineSums[v], cosineSums[v]),
                                                _mm512_mul_ps (sineSums[v], sineSums[v]));
            const __m512 magnitude = _mm512_mul_ps (_mm512_set1_ps (2.0f), _mm512_sqrt_ps (power));
            _mm512_storeu_ps (job.magnitudes + firstBin + v * lanes, magnitude);
        }
    }
}

bool cpuHasAvx512()
{
    return __builtin_cpu_supports ("avx512f") && __builtin_cpu_supports ("avx512dq");
}

SONAVEL_AVX512 void transformBinsAvx512 (const DftJob& job, int32_t firstBin, int32_t endBin)
{
    buildTrigTables();

    // Tolerances as in the AVX2 kernel; the turns' one is negative to match their sign.
    const AngleConstants c {
        _mm512_set1_ps (dsp::twoPi),
        _mm512_set1_ps (1.0f / dsp::twoPi),
        _mm512_set1_ps (180.0f),
        _mm512_set1_ps (dsp::pi),
        _mm512_set1_ps (1.0f / dsp::pi),
        _mm512_set1_ps (-0x1p-22f),
        _mm512_set1_ps (0x1p-13f),
        _mm512_set1_epi32 (trigTableSize),
        _mm512_setr_epi32 (0, 2, 4, 6, 8, 10, 12, 14, 16, 18, 20, 22, 24, 26, 28, 30),
        _mm512_setr_epi32 (1, 3, 5, 7, 9, 11, 13, 15, 17, 19, 21, 23, 25, 27, 29, 31)
    };

    int32_t bin = firstBin;

    for (; bin + binsPerPass <= endBin; bin += binsPerPass)
        transformPass (job, bin, c);

    transformBinsAvx2 (job, bin, endBin);
}
