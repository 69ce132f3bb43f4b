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

    // A picture as its host shows it: a panel that fills its bounds white before drawing its
    // picture shows transparent pixels as white.
    juce::Colour onWhite (const juce::Image& image, int x, int y)
    {
        return juce::Colours::white.overlaidWith (image.getPixelAt (x, y));
    }

    bool isPlainWhite (juce::Colour c)
    {
        return c.getRed() >= 250 && c.getGreen() >= 250 && c.getBlue() >= 250;
    }

    // Steps from (x, y) in direction (dx, dy) while the pixels look like the one at (x, y);
    // returns how many steps it took to reach the first pixel that stands out: the line that
    // frames what lies behind (x, y).
    int stepsToFirstEdge (const juce::Image& image, int x, int y, int dx, int dy)
    {
        const auto start = brightness (image, x, y);
        for (int steps = 1; steps < 40; ++steps)
            if (std::abs (brightness (image, x + dx * steps, y + dy * steps) - start) > 0.04f)
                return steps;
        return -1;
    }

    struct Margins { int left, right, top, bottom; };

    // From just outside each side of a control's rectangle, how far out the framing line lies
    // (1 = the line touches the control), looked at through the middle of each side.
    Margins framingLineAround (const juce::Image& image, juce::Rectangle<int> control)
    {
        const auto cx = control.getCentreX(), cy = control.getCentreY();
        return { stepsToFirstEdge (image, control.getX() - 1, cy, -1, 0),
                 stepsToFirstEdge (image, control.getRight(), cy, 1, 0),
                 stepsToFirstEdge (image, cx, control.getY() - 1, 0, -1),
                 stepsToFirstEdge (image, cx, control.getBottom(), 0, 1) };
    }

    // A place the program draws into itself must hold nothing of the picture's own.
    void expectPlain (const juce::Image& image, juce::Rectangle<int> area, const char* what)
    {
        const auto expected = image.getPixelAt (area.getX(), area.getY());
        for (int y = area.getY(); y < area.getBottom(); ++y)
            for (int x = area.getX(); x < area.getRight(); ++x)
                if (image.getPixelAt (x, y) != expected)
                {
                    ADD_FAILURE() << what << ": the picture draws at " << x << ", " << y;
                    return;
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
        { Picture::suggestionButtonNormal, Picture::suggestionButtonOver, Picture::suggestionButtonDown },
        { Picture::saveCurvesButtonNormal, Picture::saveCurvesButtonOver, Picture::saveCurvesButtonDown },
        { Picture::openCurveButtonNormal, Picture::openCurveButtonOver, Picture::openCurveButtonDown },
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

TEST (ProgressTracks, StepSixRailFramesTheThreeOverlappingStripsEvenly)
{
    // The strips lie at screen (98 | 358 | 618, 454), 281 x 9; the picture is drawn at (-13, -2).
    const auto image = PictureCatalog::get (Picture::stepSixBackground);
    const auto strips = juce::Rectangle<int> (111, 456, 281, 9).getUnion ({ 631, 456, 281, 9 });
    const auto m = framingLineAround (image, strips);
    EXPECT_EQ (m.left, m.right);
    EXPECT_EQ (m.top, m.bottom);
    EXPECT_GE (m.left, 2);
    EXPECT_LE (m.left, 6);
    EXPECT_GE (m.top, 2);
    EXPECT_LE (m.top, 6);

    // Under every strip lies the rail, not the panel around it.
    const auto rail = image.getPixelAt (strips.getCentreX(), strips.getCentreY());
    const auto panel = image.getPixelAt (strips.getX() - 10, strips.getCentreY());
    EXPECT_NE (rail, panel);
    for (const auto x : { 111, 251, 391, 371, 511, 651, 631, 771, 911 })
        EXPECT_EQ (image.getPixelAt (x, 460), rail) << "x " << x;
}

TEST (ProgressTracks, ProgressPanelTrackFramesItsStripEvenly)
{
    const auto image = PictureCatalog::get (Picture::measureProgressBackground);
    const auto m = framingLineAround (image, { 136, 144, 281, 9 });
    EXPECT_EQ (m.left, m.right);
    EXPECT_EQ (m.top, m.bottom);
    EXPECT_EQ (m.left, m.top);
    EXPECT_GE (m.left, 2);
    EXPECT_LE (m.left, 6);
}

TEST (ProgressTracks, StepFivePrintsTheProgressPanelExactlyWhereThePanelDrawsIt)
{
    // The panel covers screen (33, 287, 560 x 208), picture (46, 289): white, then its picture at
    // the top-left. Around the title it draws itself, the background must show the same pixels (up
    // to the rounding of half-transparent edge pixels), and the white it leaves on the right and
    // below must meet page white.
    const auto screen = PictureCatalog::get (Picture::stepFiveBackground);
    const auto panel = PictureCatalog::get (Picture::measureProgressBackground);
    const juce::Rectangle<int> title (132, 70, 288, 30);

    auto mismatches = 0;
    for (int y = 0; y < panel.getHeight(); ++y)
        for (int x = 0; x < panel.getWidth(); ++x)
        {
            if (title.contains (x, y))
                continue;
            const auto a = onWhite (panel, x, y), b = screen.getPixelAt (46 + x, 289 + y);
            if (std::abs (a.getRed() - b.getRed()) > 4 || std::abs (a.getGreen() - b.getGreen()) > 4
                || std::abs (a.getBlue() - b.getBlue()) > 4)
                ++mismatches;
        }
    EXPECT_EQ (mismatches, 0);

    const juce::Rectangle<int> bounds (46, 289, 560, 208);
    for (int y = bounds.getY(); y <= bounds.getBottom(); ++y)
        for (int x = 46 + panel.getWidth(); x <= bounds.getRight(); ++x)
            ASSERT_TRUE (isPlainWhite (screen.getPixelAt (x, y))) << "right of the panel at " << x << ", " << y;
    for (int y = 289 + panel.getHeight(); y <= bounds.getBottom(); ++y)
        for (int x = bounds.getX(); x <= bounds.getRight(); ++x)
            ASSERT_TRUE (isPlainWhite (screen.getPixelAt (x, y))) << "below the panel at " << x << ", " << y;
}

TEST (KnobPanel, CalculatorFramesTheKnobStripWithEqualWhitePaddingAndAGoldLine)
{
    // The knob panel's bounds are (226, 160, 368 x 88), filled white; its strip is 366 x 86.
    const auto image = PictureCatalog::get (Picture::eqCalculatorBackground);
    const juce::Rectangle<int> strip (226, 160, 366, 86);

    for (int y = strip.getY(); y < strip.getBottom(); ++y)
        for (int x = strip.getX(); x < 226 + 368; ++x)
            ASSERT_TRUE (isPlainWhite (image.getPixelAt (x, y))) << "inside the panel's bounds at " << x << ", " << y;

    for (const auto row : { 165, 203, 241 })
    {
        EXPECT_EQ (stepsToFirstEdge (image, strip.getX() - 1, row, -1, 0), 4) << "left, row " << row;
        EXPECT_EQ (stepsToFirstEdge (image, strip.getRight(), row, 1, 0), 4) << "right, row " << row;
    }
    for (const auto column : { 240, 409, 580 })
    {
        EXPECT_EQ (stepsToFirstEdge (image, column, strip.getY() - 1, 0, -1), 4) << "top, column " << column;
        EXPECT_EQ (stepsToFirstEdge (image, column, strip.getBottom(), 0, 1), 4) << "bottom, column " << column;
    }

    for (const auto& [x, y] : { std::pair { 221, 203 }, { 596, 203 }, { 409, 155 }, { 409, 250 } })
        EXPECT_GT (image.getPixelAt (x, y).getSaturation(), 0.3f) << "frame line at " << x << ", " << y;
}

TEST (KnobPanel, GapsBetweenTheKnobsCarryTheKnobsOwnShading)
{
    // The knob frames cover x 0..117, 123..240 and 246..363; the strip shows between them.
    const auto strip = PictureCatalog::get (Picture::speakerSettingBackground);
    const auto knob = PictureCatalog::get (Picture::qKnobFrame1);
    for (int y = 0; y < knob.getHeight(); ++y)
        for (const auto x : { 118, 122, 241, 245, 364, 365 })
            EXPECT_NEAR (brightness (strip, x, y), brightness (knob, 0, y), 0.01f) << "at " << x << ", " << y;
}

TEST (ProgramDrawnAreas, PlacesTheProgramDrawsIntoHoldNothingOfThePicture)
{
    const auto calculator = PictureCatalog::get (Picture::eqCalculatorBackground);
    expectPlain (calculator, { 32, 146, 172, 26 }, "the suggestion button's place");
    expectPlain (calculator, { 550, 524, 176, 20 }, "the second legend entry's place");

    // Step six's footer line: screen x 125..790, y 700..735, below the footer's top rule.
    expectPlain (PictureCatalog::get (Picture::stepSixBackground), { 138, 703, 666, 35 }, "step six's footer line");
}
