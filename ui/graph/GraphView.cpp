#include "GraphView.h"

#include <cmath>
#include <vector>

namespace
{
    // Points kept per whole-Hz frequency: every one in the bass, fewer where the axis is dense.
    int stepAfter (int frequencyHz)
    {
        if (frequencyHz <= 300)
            return 1;

        if (frequencyHz <= 3000)
            return 3;

        return frequencyHz <= 5000 ? 10 : 20;
    }
}

GraphView::CoordsLabel::CoordsLabel (GraphView& graph)
    : juce::Label ("GraphLabel", {}),
      owner (graph)
{
    owner.addMouseListener (this, false);
    setFont (juce::Font (11.0f, juce::Font::plain));
    setJustificationType (juce::Justification::right);
    setColour (juce::Label::textColourId, juce::Colour (0xFF808080).withAlpha (0.8f));

    // The read-out follows the graph's pointer; clicks and hovers in its corner belong to the graph.
    setInterceptsMouseClicks (false, false);
}

GraphView::CoordsLabel::~CoordsLabel()
{
    owner.removeMouseListener (this);
}

void GraphView::CoordsLabel::mouseMove (const juce::MouseEvent& e)
{
    const auto position = e.getEventRelativeTo (&owner).getPosition();
    setText (owner.formatReadout (position.x, position.y), juce::sendNotification);
}

void GraphView::CoordsLabel::mouseExit (const juce::MouseEvent&)
{
    setText ({}, juce::sendNotification);
}

GraphView::GraphView()
    : MouseHoverDetector (400)
{
    setFrequencyScale ({ 20, 50, 100, 200, 500, 1000 }, 20.0f, 1000.0f);
    setHoverComponent (this);

    readout = std::make_unique<CoordsLabel> (*this);
    addAndMakeVisible (*readout);
}

GraphView::~GraphView()
{
    setHoverComponent (nullptr);
    bubble.reset();
    readout.reset();
}

void GraphView::setFrequencyScale (const juce::Array<int>& newGridFrequencies, float newMinFrequency, float newMaxFrequency)
{
    gridFrequencies = newGridFrequencies;
    minFrequency = newMinFrequency;
    maxFrequency = newMaxFrequency;
}

void GraphView::setResponse (const MeasurementRecord* record, const juce::Array<float>* frequencyAxis, bool show)
{
    hasResponse = show && record != nullptr && frequencyAxis != nullptr;
    currentTrace.clear();

    if (hasResponse)
    {
        setMouseCursor (juce::MouseCursor::CrosshairCursor);

        const auto count = record->getNumValues();
        currentTrace.ensureStorageAllocated (count);

        for (int32_t i = 0; i < count; ++i)
            currentTrace.add (record->valueAt (i));

        frequencies = *frequencyAxis;
    }
    else
    {
        // The axis stays: a held trace is still drawn against it.
        setMouseCursor (juce::MouseCursor::NormalCursor);
    }

    repaint();
}

void GraphView::holdResponse()
{
    previousTrace = currentTrace;
    currentTrace.clear();
    repaint();
}

void GraphView::setHeldResponse (const juce::Array<float>& values, const juce::Array<float>& frequencyAxis)
{
    previousTrace = values;
    frequencies = frequencyAxis;
    repaint();
}

void GraphView::setPredictedResponse (const juce::Array<float>& values, const juce::Array<float>& frequencyAxis)
{
    predictedTrace = values;
    predictedFrequencies = frequencyAxis;
    repaint();
}

void GraphView::setSpread (const juce::Array<float>& lowest, const juce::Array<float>& highest)
{
    spreadLow = lowest;
    spreadHigh = lowest.size() == highest.size() ? highest : lowest;
    repaint();
}

void GraphView::setNotice (const juce::String& text)
{
    if (text == notice)
        return;

    notice = text;
    repaint();
}

float GraphView::frequencyToX (int frequencyHz) const
{
    if (frequencyHz < static_cast<int> (minFrequency) || frequencyHz > static_cast<int> (maxFrequency))
        return -1.0f;

    return static_cast<float> (getWidth()) * std::log10 (static_cast<float> (frequencyHz) / minFrequency)
             / std::log10 (maxFrequency / minFrequency);
}

int GraphView::xToFrequency (int x) const
{
    if (getWidth() <= 0)
        return static_cast<int> (minFrequency);

    const auto range = std::log10 (maxFrequency / minFrequency);
    const auto power = (static_cast<float> (x) / static_cast<float> (getWidth())) * range;
    return static_cast<int> (std::pow (10.0f, power) * minFrequency);
}

juce::String GraphView::formatReadout (int x, int y) const
{
    const auto half = getHeight() / 2;
    auto level = 0.0f;

    // Within a pixel of the centre line the read-out is exactly 0.
    if (half > 0 && half - y >= 2)
        level = static_cast<float> (half - y) / static_cast<float> (half) * 20.0f;
    else if (half > 0 && y - half >= 2)
        level = -static_cast<float> (y - half) / static_cast<float> (half) * 20.0f;

    return juce::String::formatted ("%.2fdB at %dhz", static_cast<double> (level), xToFrequency (x));
}

juce::Path GraphView::tracePath (const juce::Array<float>& trace, const juce::Array<float>& axis) const
{
    const auto mid = static_cast<float> (getHeight()) * 0.5f;
    const auto lastGridFrequency = gridFrequencies.isEmpty() ? 0 : gridFrequencies.getLast();
    const auto leftEdge = frequencyToX (static_cast<int> (minFrequency));

    juce::Path path;
    auto started = false;

    for (int i = 0; i < trace.size();)
    {
        const auto frequencyHz = static_cast<int> (axis[i]);

        if (frequencyHz > lastGridFrequency)
            break;

        const auto x = frequencyToX (frequencyHz);
        const auto level = 20.0f * trace.getUnchecked (i);
        const auto y = mid - mid * (level / 20.0f);

        // A curve opened from a file may cover only part of the scale: the pen lifts where it has no data.
        if (! std::isfinite (level))
        {
            started = false;
            i += stepAfter (frequencyHz);
            continue;
        }

        // Points below the scale only set where the curve enters at the left edge. The first
        // point in the scale starts the path rather than joining it to the origin.
        if (x < 0.0f)
            path.startNewSubPath (leftEdge, y);
        else if (started)
            path.lineTo (x, y);
        else
            path.startNewSubPath (x, y);

        started = true;

        i += stepAfter (frequencyHz);
    }

    return path.createPathWithRoundedCorners (5.0f);
}

// The band between the spread's edges over the scale, each bin once, the edges held inside the
// graph's height; where either edge is not finite the band has a gap.
juce::Path GraphView::bandPath() const
{
    const auto mid = static_cast<float> (getHeight()) * 0.5f;
    const auto lastGridFrequency = gridFrequencies.isEmpty() ? 0 : gridFrequencies.getLast();
    const auto yOf = [mid, this] (float value) { return juce::jlimit (0.0f, static_cast<float> (getHeight()), mid - mid * value); };

    juce::Path band;
    std::vector<juce::Point<float>> upper, lower;

    const auto close = [&]
    {
        if (upper.size() >= 2)
        {
            band.startNewSubPath (upper.front());

            for (size_t i = 1; i < upper.size(); ++i)
                band.lineTo (upper[i]);

            for (auto it = lower.rbegin(); it != lower.rend(); ++it)
                band.lineTo (*it);

            band.closeSubPath();
        }

        upper.clear();
        lower.clear();
    };

    for (int i = 0; i < spreadLow.size() && i < frequencies.size(); ++i)
    {
        const auto frequencyHz = frequencies[i];

        if (frequencyHz < minFrequency)
            continue;

        if (frequencyHz > static_cast<float> (lastGridFrequency))
            break;

        const auto low = spreadLow.getUnchecked (i), high = spreadHigh.getUnchecked (i);

        if (! std::isfinite (low) || ! std::isfinite (high))
        {
            close();
            continue;
        }

        const auto x = frequencyToX (static_cast<int> (frequencyHz));
        upper.emplace_back (x, yOf (high));
        lower.emplace_back (x, yOf (low));
    }

    close();
    return band;
}

void GraphView::paint (juce::Graphics& g)
{
    const juce::PathStrokeType stroke (3.0f, juce::PathStrokeType::mitered, juce::PathStrokeType::butt);

    if (hasResponse && ! spreadLow.isEmpty())
    {
        g.setColour (juce::Colour (spreadColour));
        g.fillPath (bandPath());
    }

    if (! previousTrace.isEmpty())
    {
        g.setColour (juce::Colour (heldColour));
        g.strokePath (tracePath (previousTrace, frequencies), stroke);
    }

    if (! predictedTrace.isEmpty())
    {
        g.setColour (juce::Colour (predictedColour));
        g.strokePath (tracePath (predictedTrace, predictedFrequencies), stroke);
    }

    if (hasResponse && ! currentTrace.isEmpty())
    {
        g.setColour (juce::Colour (currentColour));
        g.strokePath (tracePath (currentTrace, frequencies), stroke);
    }

    if (notice.isNotEmpty())
        paintNotice (g);
}

void GraphView::paintNotice (juce::Graphics& g) const
{
    // Dark grey on a white card with the house's gold edge: never in a curve's colour, and
    // readable over the grid lines.
    juce::AttributedString text;
    text.setJustification (juce::Justification::centred);
    text.append (notice, juce::Font (15.0f, juce::Font::bold), juce::Colour (0xFF4A4A4A));

    juce::TextLayout layout;
    layout.createLayout (text, juce::jmin (600.0f, static_cast<float> (getWidth()) - 80.0f));

    const auto card = juce::Rectangle<float> (layout.getWidth() + 32.0f, layout.getHeight() + 20.0f)
                          .withCentre (getLocalBounds().toFloat().getCentre());
    g.setColour (juce::Colours::white.withAlpha (0.94f));
    g.fillRoundedRectangle (card, 4.0f);
    g.setColour (juce::Colour (0xFFB8955B));
    g.drawRoundedRectangle (card.reduced (0.5f), 4.0f, 1.0f);
    layout.draw (g, card.reduced (16.0f, 10.0f));
}

void GraphView::resized()
{
    readout->setBounds (getWidth() - 110, 2, 110, 12);
}

void GraphView::mouseHovered (int x, int y)
{
    bubble.reset();

    auto* parent = getParentComponent();

    if (! hasResponse || parent == nullptr)
        return;

    // The pointer has rested at x, y since the hover began.
    const auto position = parent->getLocalPoint (this, juce::Point<int> (x, y));

    bubble = std::make_unique<juce::BubbleMessageComponent> (150);
    parent->addAndMakeVisible (*bubble);

    juce::AttributedString text;
    text.append (formatReadout (x, y), juce::Font (14.0f), bubble->findColour (juce::TooltipWindow::textColourId));
    bubble->showAt ({ position.x, position.y, 1, 1 }, text, 0, true, false);
}

void GraphView::mouseMovedAwayFromPoint()
{
    bubble.reset();
}
