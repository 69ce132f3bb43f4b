#include "PeakingCurve.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace
{
    struct Curve
    {
        std::vector<float> values = std::vector<float> (16384, 123.0f);
        float step = 0.0f;
        bool ok = false;
    };

    Curve curveOf (int32_t qStep, int32_t centreHz, int32_t depthStep)
    {
        Curve curve;
        curve.ok = computePeakingCurve (qStep, curve.values.data(), curve.step, centreHz, depthStep);
        return curve;
    }
}

TEST (PeakingCurve, CutsSixteenAndAHalfDecibelsAt125HzAndIsSymmetricAnOctaveEitherSide)
{
    const auto curve = curveOf (6, 125, 6);
    ASSERT_TRUE (curve.ok);
    EXPECT_EQ (curve.step, 0.48828125f);

    EXPECT_NEAR (curve.values[256], -0.825f, 1e-6f);
    EXPECT_NEAR (curve.values[128], -0.01092f, 1e-5f);
    EXPECT_NEAR (curve.values[512], curve.values[128], 1e-6f);
}

TEST (PeakingCurve, EveryDepthStepCutsTheSameFewDecibelsDeeperAtTheCentreAndFadesFarFromIt)
{
    // The knob cuts in equal steps down to -16.5 dB, whatever the Q.
    for (int32_t qStep = 1; qStep <= 6; ++qStep)
    {
        float centreDb[7] {};

        for (int32_t depthStep = 1; depthStep <= 6; ++depthStep)
        {
            const auto curve = curveOf (qStep, 250, depthStep);
            ASSERT_TRUE (curve.ok);
            centreDb[depthStep] = 20.0f * curve.values[512];
            EXPECT_GT (curve.values[16383], -0.001f);

            for (float v : curve.values)
                ASSERT_TRUE (v <= 0.0f && std::isfinite (v)) << "a cut never boosts";
        }

        const float step = (centreDb[6] - centreDb[1]) / 5.0f;
        EXPECT_NEAR (centreDb[6], -16.5f, 0.005f) << "Q step " << qStep;
        EXPECT_LT (step, -1.0f);

        for (int32_t depthStep = 2; depthStep <= 6; ++depthStep)
            EXPECT_NEAR (centreDb[depthStep] - centreDb[depthStep - 1], step, 0.01f) << qStep << "/" << depthStep;
    }
}

TEST (PeakingCurve, NarrowerStepsCutANeighbouringFrequencyLess)
{
    float previous = -1.0f;

    for (int32_t qStep = 6; qStep >= 1; --qStep)
    {
        const float at10PercentAbove = curveOf (qStep, 100, 4).values[225];
        EXPECT_GT (at10PercentAbove, previous) << "Q step " << qStep;
        previous = at10PercentAbove;
    }
}

TEST (PeakingCurve, ValueZeroIsZeroWhateverTheSettings)
{
    for (const auto& [q, f, d] : { std::tuple { 1, 40, 1 }, { 6, 280, 6 }, { 0, 0, 0 }, { 9, -5, 9 } })
        EXPECT_EQ (curveOf (q, f, d).values[0], 0.0f);
}

TEST (PeakingCurve, DepthStepsOutsideTheKnobGiveAFlatValidCurve)
{
    for (int32_t depthStep : { 0, 7, -1 })
    {
        const auto curve = curveOf (3, 100, depthStep);
        EXPECT_TRUE (curve.ok);

        for (float v : curve.values)
            ASSERT_EQ (v, 0.0f);
    }
}

TEST (PeakingCurve, UndefinedQStepsOrCentresGiveAFlatCurveAndReportIt)
{
    for (const auto& [q, f] : { std::pair { 0, 100 }, { 7, 100 }, { -2, 100 }, { 3, 0 }, { 3, -100 } })
    {
        const auto curve = curveOf (q, f, 4);
        EXPECT_FALSE (curve.ok) << q << " / " << f;
        EXPECT_EQ (curve.step, 0.48828125f);

        for (float v : curve.values)
            ASSERT_EQ (v, 0.0f) << q << " / " << f;
    }

    float step = 0.0f;
    EXPECT_FALSE (computePeakingCurve (3, nullptr, step, 100, 4));
}
