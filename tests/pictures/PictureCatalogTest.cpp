#include "PictureCatalog.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

namespace
{
    float brightness (const juce::Image& image, int x, int y)
    {
        const auto c = image.getPixelAt (x, y);
        return (c.getFloatRed() + c.getFloatGreen() + c.getFloatBlue()) / 3.0f;
    }

    // Within [expected - 4, expected + 4], the pixel line (column or row) whose mean brightness
    // stands out most from its neighbours' median: where a grid line is drawn.
    int strongestLineNear (float expected, const std::function<float (int)>& meanOfLine)
    {
        const auto centre = static_cast<int> (std::floor (expected));
        std::vector<float> means;
        for (int i = centre - 4; i <= centre + 4; ++i)
            means.push_back (meanOfLine (i));

        auto sorted = means;
        std::nth_element (sorted.begin(), sorted.begin() + 4, sorted.end());
        const auto median = sorted[4];

        size_t best = 0;
        for (size_t i = 1; i < means.size(); ++i)
            if (std::abs (means[i] - median) > std::abs (means[best] - median))
                best = i;
        return centre - 4 + static_cast<int> (best);
    }

    struct GraphGeometry
    {
        Picture picture;
        juce::Point<int> pictureOrigin;   // where the picture's (0, 0) lies on its host
        juce::Rectangle<int> graph;       // the graph's bounds on the host
        float minHz, maxHz;
        std::vector<float> gridHz;
    };

    // Pixel column c covers [c, c + 1): it sits within one pixel of x when its centre does.
    void expectWithinOnePixel (int line, float expected, const char* what, float value)
    {
        EXPECT_LE (std::abs (static_cast<float> (line) + 0.5f - expected), 1.0f)
            << what << " " << value << " belongs at " << expected << ", the picture has it at " << line;
    }

    void expectGridWhereTheGraphMapsIt (const GraphGeometry& g)
    {
        if (PictureCatalog::isPlaceholder (g.picture))
            GTEST_SKIP() << PictureCatalog::info (g.picture).name << " has no artwork yet";

        const auto image = PictureCatalog::get (g.picture);
        const auto inPicture = g.graph - g.pictureOrigin;
        const auto width = static_cast<float> (g.graph.getWidth());
        const auto half = static_cast<float> (g.graph.getHeight()) * 0.5f;

        const auto meanOfColumn = [&] (int x)
        {
            auto sum = 0.0f;
            for (int y = inPicture.getY() + 3; y < inPicture.getBottom() - 3; ++y)
                sum += brightness (image, x, y);
            return sum / static_cast<float> (inPicture.getHeight() - 6);
        };
        const auto meanOfRow = [&] (int y)
        {
            auto sum = 0.0f;
            for (int x = inPicture.getX() + 3; x < inPicture.getRight() - 3; ++x)
                sum += brightness (image, x, y);
            return sum / static_cast<float> (inPicture.getWidth() - 6);
        };

        for (const auto hz : g.gridHz)
        {
            const auto expected = static_cast<float> (inPicture.getX())
                                + width * std::log10 (hz / g.minHz) / std::log10 (g.maxHz / g.minHz);
            expectWithinOnePixel (strongestLineNear (expected, meanOfColumn), expected, "Hz", hz);
        }

        for (int dB = 20; dB >= -20; dB -= 5)
        {
            const auto expected = static_cast<float> (inPicture.getY()) + half - half * static_cast<float> (dB) / 20.0f;
            expectWithinOnePixel (strongestLineNear (expected, meanOfRow), expected, "dB", static_cast<float> (dB));
        }
    }

    // The knob's centre in every frame, and the pointer's clockwise angle from straight up,
    // found as the brightest direction on a ring across the knob cap.
    constexpr float knobCentreX = 59.0f, knobCentreY = 47.0f, pointerRingRadius = 9.0f;

    float pointerAngle (Picture frame)
    {
        const auto image = PictureCatalog::get (frame);
        auto bestAngle = 0.0f;
        auto bestBrightness = -1.0f;
        for (int step = 0; step < 720; ++step)
        {
            const auto degrees = static_cast<float> (step) * 0.5f - 180.0f;
            const auto radians = juce::degreesToRadians (degrees);
            const auto x = juce::roundToInt (knobCentreX + pointerRingRadius * std::sin (radians));
            const auto y = juce::roundToInt (knobCentreY - pointerRingRadius * std::cos (radians));
            const auto b = brightness (image, x, y);
            if (b > bestBrightness)
            {
                bestBrightness = b;
                bestAngle = degrees;
            }
        }
        return bestAngle;
    }

    std::vector<float> pointerAngles (const std::function<Picture (int)>& frameOf, int frames)
    {
        std::vector<float> angles;
        for (int i = 1; i <= frames; ++i)
            angles.push_back (pointerAngle (frameOf (i)));
        return angles;
    }

    void expectPointerTurnsClockwiseAcrossTheScale (const std::vector<float>& angles)
    {
        for (size_t i = 1; i < angles.size(); ++i)
            EXPECT_GT (angles[i], angles[i - 1]) << "frame " << i + 1 << " does not turn past frame " << i;
        EXPECT_NEAR (angles.front(), -135.0f, 6.0f);
        EXPECT_NEAR (angles.back(), 135.0f, 6.0f);
    }
}

TEST (PictureCatalog, EveryPictureDecodesToItsCatalogSizeAndAlpha)
{
    for (int i = 0; i < PictureCatalog::numPictures; ++i)
    {
        const auto picture = static_cast<Picture> (i);
        const auto& expected = PictureCatalog::info (picture);
        SCOPED_TRACE (expected.name);
        const auto image = PictureCatalog::get (picture);
        ASSERT_TRUE (image.isValid());
        EXPECT_EQ (image.getWidth(), expected.width);
        EXPECT_EQ (image.getHeight(), expected.height);
        EXPECT_EQ (image.hasAlphaChannel(), expected.hasAlpha);
    }
}

TEST (PictureCatalog, EveryPictureHasItsArtworkRatherThanAPlaceholder)
{
    for (int i = 0; i < PictureCatalog::numPictures; ++i)
        EXPECT_FALSE (PictureCatalog::isPlaceholder (static_cast<Picture> (i)))
            << PictureCatalog::info (static_cast<Picture> (i)).name;
}

TEST (PictureCatalog, RepeatedRequestsShareOneDecodedImage)
{
    const auto first = PictureCatalog::get (Picture::nextButtonNormal);
    const auto second = PictureCatalog::get (Picture::nextButtonNormal);
    EXPECT_EQ (first.getPixelData(), second.getPixelData());
}

TEST (PictureCatalog, FrameHelpersCountFromOneAndStayInsideTheirRun)
{
    EXPECT_EQ (PictureCatalog::qKnobFrame (1), Picture::qKnobFrame1);
    EXPECT_EQ (PictureCatalog::qKnobFrame (6), Picture::qKnobFrame6);
    EXPECT_EQ (PictureCatalog::depthKnobFrame (6), Picture::depthKnobFrame6);
    EXPECT_EQ (PictureCatalog::freqKnobFrame (1), Picture::freqKnobFrame01);
    EXPECT_EQ (PictureCatalog::freqKnobFrame (32), Picture::freqKnobFrame32);
    EXPECT_EQ (PictureCatalog::sliderStep (9), Picture::sliderStep9);
}

TEST (ButtonFaces, NormalOverAndDownLookDifferent)
{
    const Picture faces[][3] = {
        { Picture::nextButtonNormal, Picture::nextButtonOver, Picture::nextButtonDown },
        { Picture::backButtonNormal, Picture::backButtonOver, Picture::backButtonDown },
        { Picture::finishButtonNormal, Picture::finishButtonOver, Picture::finishButtonDown },
        { Picture::noiseButtonNormal, Picture::noiseButtonOver, Picture::noiseButtonDown },
        { Picture::measureButtonNormal, Picture::measureButtonOver, Picture::measureButtonDown },
        { Picture::holdButtonNormal, Picture::holdButtonOver, Picture::holdButtonDown },
        { Picture::eqCalculatorButtonNormal, Picture::eqCalculatorButtonOver, Picture::eqCalculatorButtonDown },
    };
    for (const auto& button : faces)
        for (int a = 0; a < 3; ++a)
            for (int b = a + 1; b < 3; ++b)
            {
                const auto first = PictureCatalog::get (button[a]);
                const auto second = PictureCatalog::get (button[b]);
                auto differs = false;
                for (int y = 0; y < first.getHeight() && ! differs; ++y)
                    for (int x = 0; x < first.getWidth() && ! differs; ++x)
                        differs = first.getPixelAt (x, y) != second.getPixelAt (x, y);
                EXPECT_TRUE (differs) << PictureCatalog::info (button[a]).name << " and "
                                      << PictureCatalog::info (button[b]).name << " are the same picture";
            }
}

TEST (StepStrip, TheNthPictureMarksTheNthSegmentInGrey)
{
    // Nine segments of 29 px with 2 px gaps; their middles at mid-height.
    for (int marked = 1; marked <= 9; ++marked)
    {
        const auto image = PictureCatalog::get (PictureCatalog::sliderStep (marked));
        for (int segment = 1; segment <= 9; ++segment)
        {
            const auto middle = image.getPixelAt ((segment - 1) * 31 + 16, 4);
            EXPECT_EQ (middle.getSaturation() < 0.1f, segment == marked)
                << "sliderStep" << marked << ", segment " << segment;
        }
    }
}

TEST (KnobFrames, QPointerTurnsFromOneToSixInFrameOrder)
{
    expectPointerTurnsClockwiseAcrossTheScale (pointerAngles (PictureCatalog::qKnobFrame, 6));
}

TEST (KnobFrames, DepthPointerTurnsFromOneToSixInFrameOrder)
{
    expectPointerTurnsClockwiseAcrossTheScale (pointerAngles (PictureCatalog::depthKnobFrame, 6));
}

TEST (KnobFrames, FreqPointerTurnsFrom40To280InFrameOrder)
{
    expectPointerTurnsClockwiseAcrossTheScale (pointerAngles (PictureCatalog::freqKnobFrame, 32));
}

TEST (KnobFrames, FreqSpendsAboutHalfTheTurnBelow70Hz)
{
    // 70 Hz picks frame 15: it must point close to the top of the scale.
    EXPECT_NEAR (pointerAngle (Picture::freqKnobFrame15), 0.0f, 27.0f);
}

TEST (GraphGrids, StepSixGridLinesSitWhereTheGraphDrawsThoseValues)
{
    expectGridWhereTheGraphMapsIt ({ Picture::stepSixBackground, { -13, -2 }, { 77, 491, 862, 178 },
                                     20.0f, 500.0f, { 20.0f, 50.0f, 100.0f, 200.0f, 500.0f } });
}

TEST (GraphGrids, EqCalculatorGridLinesSitWhereTheGraphDrawsThoseValues)
{
    expectGridWhereTheGraphMapsIt ({ Picture::eqCalculatorBackground, { 0, 0 }, { 111, 322, 609, 176 },
                                     20.0f, 300.0f, { 20.0f, 50.0f, 100.0f, 200.0f, 300.0f } });
}

TEST (RoomMarkers, EachMarkersPaperMatchesTheDiagramWhereItSits)
{
    if (PictureCatalog::isPlaceholder (Picture::roomLayoutDiagram))
        GTEST_SKIP() << "roomLayoutDiagram has no artwork yet";

    struct Spot { Picture normal, down; int x, y; };
    const Spot spots[] = {
        { Picture::layoutMarkerANormal, Picture::layoutMarkerADown, 371, 340 },
        { Picture::layoutMarkerBNormal, Picture::layoutMarkerBDown, 223, 12 },
        { Picture::layoutMarkerCNormal, Picture::layoutMarkerCDown, 78, 80 },
        { Picture::layoutMarkerCNormal, Picture::layoutMarkerCDown, 371, 80 },
        { Picture::layoutMarkerDNormal, Picture::layoutMarkerDDown, 175, 141 },
        { Picture::layoutMarkerENormal, Picture::layoutMarkerEDown, 151, 228 },
        { Picture::layoutMarkerFNormal, Picture::layoutMarkerFDown, 224, 220 },
        { Picture::layoutMarkerGNormal, Picture::layoutMarkerGDown, 336, 496 },
    };
    const auto diagram = PictureCatalog::get (Picture::roomLayoutDiagram);
    for (const auto& spot : spots)
        for (const auto marker : { spot.normal, spot.down })
        {
            const auto paper = PictureCatalog::get (marker).getPixelAt (0, 0);
            const auto under = diagram.getPixelAt (spot.x, spot.y);
            EXPECT_LE (std::abs (paper.getBrightness() - under.getBrightness()), 0.02f)
                << PictureCatalog::info (marker).name << " at " << spot.x << ", " << spot.y << ": paper "
                << paper.toDisplayString (false) << " on " << under.toDisplayString (false);
        }
}
