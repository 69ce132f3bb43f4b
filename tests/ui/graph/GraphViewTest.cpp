#include "DrawnTraces.h"
#include "GraphView.h"
#include "MeasurementContract.h"
#include "MessagePump.h"
#include "PictureCatalog.h"
#include "SyntheticPointer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <optional>

namespace
{
    // The calculator's graph: 609 x 176 on a 20..300 Hz scale.
    void useCalculatorScale (GraphView& graph)
    {
        graph.setFrequencyScale ({ 20, 50, 100, 200, 300 }, 20.0f, 300.0f);
        graph.setSize (609, 176);
    }

    // The engine's axis: 16384 bins of 44100 / 16384 Hz.
    juce::Array<float> engineAxis()
    {
        juce::Array<float> axis;
        for (int i = 0; i < MeasurementRecord::numValues; ++i)
            axis.add (static_cast<float> (i * MeasurementContract::binWidthHz));
        return axis;
    }

    // A record whose value at each frequency of the axis is levelDb (f) / 20.
    std::unique_ptr<MeasurementRecord> recordOf (const juce::Array<float>& axis, const std::function<float (float)>& levelDb)
    {
        std::vector<float> values (MeasurementRecord::numValues, 0.0f);
        for (int i = 0; i < axis.size() && i < MeasurementRecord::numValues; ++i)
            values[static_cast<size_t> (i)] = levelDb (axis[i]) / 20.0f;

        auto record = std::make_unique<MeasurementRecord>();
        record->setContents (0, 0, 0, values.data());
        return record;
    }

    std::unique_ptr<MeasurementRecord> flatRecord (float levelDb)
    {
        return recordOf (engineAxis(), [=] (float) { return levelDb; });
    }

    // A room-like response: a +12 dB mode at 65 Hz on a falling slope.
    float roomLevel (float hz)
    {
        const auto fromMode = std::log (hz / 65.0f);
        return 12.0f * std::exp (-fromMode * fromMode / (2.0f * 0.15f * 0.15f)) - 10.0f * std::log10 (hz / 20.0f);
    }

    bool isPainted (juce::Colour c)   { return c.getAlpha() != 0; }

    // The mean row of the pixels of one colour in a column.
    std::optional<float> centreRow (const juce::Image& image, int x, bool (*matches) (juce::Colour))
    {
        float sum = 0.0f;
        int count = 0;
        for (int y = 0; y < image.getHeight(); ++y)
            if (matches (image.getPixelAt (x, y)))
            {
                sum += static_cast<float> (y);
                ++count;
            }

        if (count == 0)
            return std::nullopt;
        return sum / static_cast<float> (count);
    }

    // Within rounding of premultiplied alpha.
    ::testing::AssertionResult isColour (juce::Colour actual, juce::uint32 expectedArgb)
    {
        const juce::Colour expected (expectedArgb);
        const auto near = [] (int a, int b) { return std::abs (a - b) <= 2; };
        if (near (actual.getAlpha(), expected.getAlpha()) && near (actual.getRed(), expected.getRed())
             && near (actual.getGreen(), expected.getGreen()) && near (actual.getBlue(), expected.getBlue()))
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << actual.toDisplayString (true) << " is not " << expected.toDisplayString (true);
    }

    // Where a level and a frequency should land, worked out here rather than asked of the graph.
    float rowOf (float levelDb, int height) { return static_cast<float> (height) * 0.5f * (1.0f - levelDb / 20.0f); }

    int columnOf (float hz, int width, float minHz, float maxHz)
    {
        return static_cast<int> (static_cast<float> (width) * std::log10 (hz / minHz) / std::log10 (maxHz / minHz));
    }

    GraphView::CoordsLabel* findReadout (GraphView& graph)
    {
        for (auto* child : graph.getChildren())
            if (child->getName() == "GraphLabel")
                return dynamic_cast<GraphView::CoordsLabel*> (child);
        return nullptr;
    }

    juce::BubbleMessageComponent* findBubble (juce::Component& parent)
    {
        for (auto* child : parent.getChildren())
            if (auto* bubble = dynamic_cast<juce::BubbleMessageComponent*> (child))
                return bubble;
        return nullptr;
    }
}

TEST (GraphViewReadout, LevelIsZeroWithinAPixelOfTheCentreAndTwentyDecibelsAtTheEdges)
{
    GraphView graph;
    useCalculatorScale (graph);

    for (int y : { 87, 88, 89 })
        EXPECT_EQ (graph.formatReadout (0, y), "0.00dB at 20hz") << y;

    EXPECT_EQ (graph.formatReadout (0, 86), "0.45dB at 20hz");
    EXPECT_EQ (graph.formatReadout (0, 90), "-0.45dB at 20hz");
    EXPECT_EQ (graph.formatReadout (0, 0), "20.00dB at 20hz");
    EXPECT_EQ (graph.formatReadout (0, 176), "-20.00dB at 20hz");
}

TEST (GraphViewReadout, FrequencyFollowsTheLogarithmicScaleBothWays)
{
    GraphView graph;
    useCalculatorScale (graph);

    EXPECT_EQ (graph.xToFrequency (0), 20);
    EXPECT_EQ (graph.xToFrequency (300), 75);
    EXPECT_EQ (graph.xToFrequency (609), 300);
    EXPECT_EQ (graph.formatReadout (300, 44), "10.00dB at 75hz");

    EXPECT_FLOAT_EQ (graph.frequencyToX (20), 0.0f);
    EXPECT_NEAR (graph.frequencyToX (100), 361.94f, 0.01f);
    EXPECT_FLOAT_EQ (graph.frequencyToX (300), 609.0f);
    EXPECT_EQ (graph.frequencyToX (19), -1.0f);
    EXPECT_EQ (graph.frequencyToX (301), -1.0f);
}

TEST (GraphViewReadout, LabelInTheTopRightCornerFollowsThePointerAndClearsWhenItLeaves)
{
    juce::Component window;
    GraphView graph;
    useCalculatorScale (graph);
    window.addAndMakeVisible (graph);
    graph.setTopLeftPosition (20, 30);
    window.setSize (700, 250);
    SyntheticPointer pointer (window);

    auto* readout = findReadout (graph);
    ASSERT_NE (readout, nullptr);
    EXPECT_EQ (readout->getRight(), graph.getWidth());
    EXPECT_LT (readout->getBottom(), graph.getHeight() / 4);

    // It works without a response, and over its own corner too.
    pointer.moveTo (graph, { 300, 44 });
    EXPECT_EQ (readout->getText(), "10.00dB at 75hz");
    pointer.moveTo (graph, { 608, 5 });
    EXPECT_EQ (readout->getText(), graph.formatReadout (608, 5));
    pointer.leave();
    EXPECT_EQ (readout->getText(), "");
}

TEST (GraphViewDrawing, AMeasuredCurveIsDrawnInBlueAtItsLevels)
{
    GraphView graph;
    useCalculatorScale (graph);
    const auto axis = engineAxis();
    const auto record = recordOf (axis, roomLevel);
    graph.setResponse (record.get(), &axis, true);
    const auto image = render (graph);

    for (float hz : { 30.0f, 65.0f, 100.0f, 200.0f })
    {
        const auto x = columnOf (hz, 609, 20.0f, 300.0f);
        const auto row = centreRow (image, x, isBlue);
        ASSERT_TRUE (row.has_value()) << hz << " Hz";
        EXPECT_NEAR (*row, rowOf (roomLevel (hz), 176), 2.5f) << hz << " Hz";
    }

    // The stroke's colour where it is solid: opaque blue at alpha 0.9.
    const auto peakX = columnOf (65.0f, 609, 20.0f, 300.0f);
    const auto peakRow = static_cast<int> (std::round (*centreRow (image, peakX, isBlue)));
    EXPECT_TRUE (isColour (image.getPixelAt (peakX, peakRow), 0xE60000FF));

    // It reaches both edges (the last bin below 300 Hz lies at 298 Hz, x 607.5).
    EXPECT_TRUE (centreRow (image, 1, isBlue).has_value());
    EXPECT_TRUE (centreRow (image, 606, isBlue).has_value());
}

TEST (GraphViewDrawing, NothingIsDrawnPastTheLastGridFrequency)
{
    GraphView graph;
    graph.setFrequencyScale ({ 20, 50, 100, 200 }, 20.0f, 300.0f);
    graph.setSize (609, 176);
    const auto axis = engineAxis();
    const auto record = flatRecord (5.0f);
    graph.setResponse (record.get(), &axis, true);
    const auto image = render (graph);

    const auto lastX = columnOf (200.0f, 609, 20.0f, 300.0f);
    EXPECT_TRUE (centreRow (image, lastX - 3, isBlue).has_value());
    EXPECT_EQ (countPixels (image, { lastX + 3, 0, 609 - lastX - 3, 176 }, isPainted), 0);
}

TEST (GraphViewDrawing, TheHeldTraceIsCrimsonUnderTheCurrentOne)
{
    GraphView graph;
    useCalculatorScale (graph);
    const auto axis = engineAxis();
    const auto loud = flatRecord (10.0f);
    const auto quiet = flatRecord (-10.0f);

    graph.setResponse (loud.get(), &axis, true);
    graph.holdResponse();
    graph.setResponse (quiet.get(), &axis, true);
    auto image = render (graph);
    const auto x = columnOf (100.0f, 609, 20.0f, 300.0f);

    ASSERT_TRUE (centreRow (image, x, isCrimson).has_value());
    EXPECT_NEAR (*centreRow (image, x, isCrimson), rowOf (10.0f, 176), 1.5f);
    EXPECT_NEAR (*centreRow (image, x, isBlue), rowOf (-10.0f, 176), 1.5f);
    const auto heldRow = static_cast<int> (std::round (*centreRow (image, x, isCrimson)));
    EXPECT_TRUE (isColour (image.getPixelAt (x, heldRow), 0xE6D4145A));

    // Where the two coincide, the current one lies on top.
    graph.setResponse (loud.get(), &axis, true);
    image = render (graph);
    const auto top = image.getPixelAt (x, heldRow);
    EXPECT_GT (top.getBlue(), 200);
    EXPECT_LT (top.getRed(), 40);
}

TEST (GraphViewDrawing, PointsBelowTheScaleStartTheCurveAtTheLeftEdgeAtTheLastOnesLevel)
{
    GraphView graph;
    useCalculatorScale (graph);
    const juce::Array<float> axis { 5.0f, 10.0f, 15.0f, 25.0f, 30.0f, 40.0f };
    const auto record = recordOf (axis, [] (float hz)
    {
        return hz < 10.0f ? 15.0f : hz < 15.0f ? 10.0f : hz < 20.0f ? -10.0f : 0.0f;
    });
    graph.setResponse (record.get(), &axis, true);
    const auto image = render (graph);

    ASSERT_TRUE (centreRow (image, 1, isBlue).has_value());
    EXPECT_NEAR (*centreRow (image, 1, isBlue), rowOf (-10.0f, 176), 2.0f);
    EXPECT_EQ (countPixels (image, { 0, 0, 609, 60 }, isPainted), 0);
}

TEST (GraphViewDrawing, ACurveThatBeginsInsideTheScaleIsNotJoinedToTheCorner)
{
    GraphView graph;
    useCalculatorScale (graph);
    const juce::Array<float> axis { 40.0f, 50.0f, 60.0f, 80.0f };
    const auto record = recordOf (axis, [] (float) { return -10.0f; });
    graph.setResponse (record.get(), &axis, true);
    const auto image = render (graph);

    const auto start = columnOf (40.0f, 609, 20.0f, 300.0f);
    EXPECT_TRUE (centreRow (image, start + 5, isBlue).has_value());
    EXPECT_EQ (countPixels (image, { 0, 0, start - 2, 176 }, isPainted), 0);
    EXPECT_EQ (countPixels (image, { 0, 0, 609, 100 }, isPainted), 0);
}

TEST (GraphViewDrawing, AboveThreeHundredHertzOnlyEveryThirdPointIsDrawn)
{
    // One point per whole hertz; a spike on a single point shows whether the walk visits it.
    juce::Array<float> axis;
    for (int hz = 0; hz < MeasurementRecord::numValues; ++hz)
        axis.add (static_cast<float> (hz));

    const auto spikeDrawn = [&] (int spikeHz)
    {
        GraphView graph;
        graph.setFrequencyScale ({ 20, 50, 100, 200, 500 }, 20.0f, 500.0f);
        graph.setSize (862, 178);
        const auto record = recordOf (axis, [=] (float hz) { return static_cast<int> (hz) == spikeHz ? 20.0f : 0.0f; });
        graph.setResponse (record.get(), &axis, true);
        return countPixels (render (graph), { 0, 0, 862, 50 }, isBlue) > 0;
    };

    EXPECT_TRUE (spikeDrawn (299));
    EXPECT_TRUE (spikeDrawn (301));
    EXPECT_FALSE (spikeDrawn (302));
    EXPECT_FALSE (spikeDrawn (303));
    EXPECT_TRUE (spikeDrawn (304));
}

TEST (GraphViewDrawing, TheStepSixAndCalculatorGridsLieUnderTheirFrequencies)
{
    struct Host { Picture picture; juce::Point<int> graphInPicture; int width, height, maxHz; };

    // Step six draws its picture at (-13, -2) and its graph at (77, 491); the calculator at (0, 0) and (111, 322).
    for (const auto& host : { Host { Picture::stepSixBackground, { 90, 493 }, 862, 178, 500 },
                              Host { Picture::eqCalculatorBackground, { 111, 322 }, 609, 176, 300 } })
    {
        GraphView graph;
        graph.setFrequencyScale ({ 20, 50, 100, 200, host.maxHz }, 20.0f, static_cast<float> (host.maxHz));
        graph.setSize (host.width, host.height);
        const auto art = PictureCatalog::get (host.picture);
        const auto isGridLine = [&] (int graphX, int graphY)
        {
            const auto c = art.getPixelAt (host.graphInPicture.x + graphX, host.graphInPicture.y + graphY);
            return c.getAlpha() > 0 && c.getBrightness() < 0.95f;
        };

        // A row between the +20 and +15 dB lines crosses the vertical lines only.
        for (int hz : { 20, 50, 100, 200, host.maxHz })
        {
            const auto x = static_cast<int> (graph.frequencyToX (hz));
            EXPECT_TRUE (isGridLine (x - 1, 10) || isGridLine (x, 10)) << host.maxHz << ": " << hz << " Hz at " << x;
        }

        // A line every 5 dB, where the read-out first names that level (the frame at +-20 dB).
        for (int dB = 20; dB >= -20; dB -= 5)
        {
            int y = 0;
            while (y < host.height && ! graph.formatReadout (0, y).startsWith (juce::String (dB) + ".00dB"))
                ++y;
            y = juce::jmin (y, host.height - 1);
            EXPECT_TRUE (isGridLine (host.width / 3, y - 1) || isGridLine (host.width / 3, y) || isGridLine (host.width / 3, y + 1))
                << host.maxHz << ": " << dB << " dB at row " << y;
        }
    }
}

TEST (GraphViewResponse, WithoutARecordOrAnAxisNothingIsShownAndTheCursorIsNormal)
{
    GraphView graph;
    useCalculatorScale (graph);
    const auto axis = engineAxis();
    const auto record = flatRecord (6.0f);

    EXPECT_EQ (countPixels (render (graph), graph.getLocalBounds(), isPainted), 0);

    graph.setResponse (record.get(), &axis, true);
    EXPECT_EQ (graph.getMouseCursor(), juce::MouseCursor::CrosshairCursor);
    EXPECT_GT (countPixels (render (graph), graph.getLocalBounds(), isBlue), 0);

    graph.setResponse (record.get(), nullptr, true);
    EXPECT_EQ (graph.getMouseCursor(), juce::MouseCursor::NormalCursor);
    EXPECT_EQ (countPixels (render (graph), graph.getLocalBounds(), isPainted), 0);

    graph.setResponse (record.get(), &axis, true);
    graph.setResponse (nullptr, &axis, true);
    EXPECT_EQ (graph.getMouseCursor(), juce::MouseCursor::NormalCursor);
    EXPECT_EQ (countPixels (render (graph), graph.getLocalBounds(), isPainted), 0);

    graph.setResponse (record.get(), &axis, false);
    EXPECT_EQ (countPixels (render (graph), graph.getLocalBounds(), isPainted), 0);
}

TEST (GraphViewResponse, TheGraphDrawsItsOwnCopyNotTheRecord)
{
    GraphView graph;
    useCalculatorScale (graph);
    auto axis = engineAxis();
    const auto record = flatRecord (10.0f);
    graph.setResponse (record.get(), &axis, true);

    const std::vector<float> rewritten (MeasurementRecord::numValues, -0.5f);
    record->setContents (0, 0, 0, rewritten.data());
    axis.fill (1.0e6f);

    const auto x = columnOf (100.0f, 609, 20.0f, 300.0f);
    EXPECT_NEAR (*centreRow (render (graph), x, isBlue), rowOf (10.0f, 176), 1.5f);
}

TEST (GraphViewHold, AClearedResponseLeavesTheHeldTraceAndHoldingNothingClearsTheGraph)
{
    GraphView graph;
    useCalculatorScale (graph);
    const auto axis = engineAxis();
    const auto record = flatRecord (10.0f);
    const auto x = columnOf (100.0f, 609, 20.0f, 300.0f);

    graph.setResponse (record.get(), &axis, true);
    graph.holdResponse();
    auto image = render (graph);
    EXPECT_TRUE (centreRow (image, x, isCrimson).has_value());
    EXPECT_FALSE (centreRow (image, x, isBlue).has_value());

    // A measurement starting clears the current trace; the held one stays on its axis.
    graph.setResponse (nullptr, nullptr, false);
    image = render (graph);
    EXPECT_NEAR (*centreRow (image, x, isCrimson), rowOf (10.0f, 176), 1.5f);
    EXPECT_EQ (countPixels (image, graph.getLocalBounds(), isBlue), 0);

    graph.holdResponse();
    EXPECT_EQ (countPixels (render (graph), graph.getLocalBounds(), isPainted), 0);
}

TEST (GraphViewHover, ABubbleWithTheReadoutAppearsBesideARestingPointerAndGoesWhenItMoves)
{
    juce::Component window;
    auto graph = std::make_unique<GraphView>();
    useCalculatorScale (*graph);
    window.addAndMakeVisible (*graph);
    graph->setTopLeftPosition (20, 30);
    window.setSize (700, 250);
    SyntheticPointer pointer (window);
    const auto axis = engineAxis();
    const auto record = flatRecord (0.0f);

    // No response: the hover comes and goes without a bubble.
    pointer.moveTo (*graph, { 100, 50 });
    ASSERT_TRUE (pumpMessagesUntil ([&] { return ! graph->isWaitingToHover(); }));
    EXPECT_EQ (findBubble (window), nullptr);

    graph->setResponse (record.get(), &axis, true);
    pointer.moveTo (*graph, { 120, 60 });
    ASSERT_TRUE (pumpMessagesUntil ([&] { return findBubble (window) != nullptr; }));
    juce::Component::SafePointer<juce::Component> bubble (findBubble (window));
    EXPECT_TRUE (bubble->isVisible());
    EXPECT_LT (bubble->getBounds().getCentre().getDistanceFrom ({ 140, 90 }), 80);

    // It stays while the pointer rests, although it appearing makes JUCE repeat the move.
    pumpMessages (700);
    EXPECT_NE (bubble.getComponent(), nullptr);

    pointer.moveTo (*graph, { 125, 60 });
    EXPECT_EQ (bubble.getComponent(), nullptr);
    EXPECT_EQ (findBubble (window), nullptr);

    // A graph destroyed while its bubble shows takes the bubble with it.
    ASSERT_TRUE (pumpMessagesUntil ([&] { return findBubble (window) != nullptr; }));
    graph.reset();
    EXPECT_EQ (findBubble (window), nullptr);
    EXPECT_TRUE (window.getChildren().isEmpty());
}
