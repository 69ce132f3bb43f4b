#pragma once

#include "MeasurementRecord.h"
#include "MouseHoverDetector.h"

#include <juce_gui_extra/juce_gui_extra.h>

// Up to two response traces (values in dB / 20) on a log-frequency, ±20 dB scale. Draws no
// background or grid: it lies over the host's picture, whose grid the scale must match.
class GraphView final : public juce::Component,
                        public MouseHoverDetector,
                        public juce::SettableTooltipClient
{
public:
    // The pointer's level and frequency, live, in the top-right corner.
    class CoordsLabel final : public juce::Label
    {
    public:
        explicit CoordsLabel (GraphView& owner);
        ~CoordsLabel() override;

        void mouseMove (const juce::MouseEvent& e) override;
        void mouseExit (const juce::MouseEvent& e) override;

    private:
        GraphView& owner;
    };

    GraphView();
    ~GraphView() override;

    // Ascending grid frequencies (the last is the highest drawn) and the edges' frequencies.
    void setFrequencyScale (const juce::Array<int>& gridFrequencies, float minFrequency, float maxFrequency);

    // Copies the record's values and the axis; without either there is no response to show.
    void setResponse (const MeasurementRecord* record, const juce::Array<float>* frequencyAxis, bool show);

    // The current trace becomes the held one, drawn beneath any later response.
    void holdResponse();

    // A held trace of its own (e.g. a curve kept from an earlier run), on the current trace's
    // axis, which it sets. Values that are not finite leave a gap.
    void setHeldResponse (const juce::Array<float>& values, const juce::Array<float>& frequencyAxis);
    const juce::Array<float>& getHeldTrace() const { return previousTrace; }

    // A gold trace beneath the current one, on an axis of its own: what the room would look like
    // with the previewed notch. Empty values remove it.
    void setPredictedResponse (const juce::Array<float>& values, const juce::Array<float>& frequencyAxis);
    bool hasPredictedResponse() const { return ! predictedTrace.isEmpty(); }
    const juce::Array<float>& getPredictedResponse() const { return predictedTrace; }
    const juce::Array<float>& getPredictedFrequencies() const { return predictedFrequencies; }

    // A light band behind the current trace, on its axis: from the lowest to the highest of the
    // microphone positions it averages. Empty values remove it.
    void setSpread (const juce::Array<float>& lowest, const juce::Array<float>& highest);
    bool hasSpread() const { return ! spreadLow.isEmpty(); }

    // A short sentence across the middle, e.g. why there is no curve; empty for none.
    void setNotice (const juce::String& text);
    const juce::String& getNotice() const { return notice; }

    static constexpr juce::uint32 currentColour = 0xE60000FF;
    static constexpr juce::uint32 heldColour = 0xE6D4145A;
    static constexpr juce::uint32 predictedColour = 0xE6B8955B;
    static constexpr juce::uint32 spreadColour = 0x260000FF;

    // -1 outside the scale.
    float frequencyToX (int frequencyHz) const;
    int xToFrequency (int x) const;
    juce::String formatReadout (int x, int y) const;

    void paint (juce::Graphics& g) override;
    void resized() override;

private:
    void mouseHovered (int x, int y) override;
    void mouseMovedAwayFromPoint() override;

    juce::Path tracePath (const juce::Array<float>& trace, const juce::Array<float>& axis) const;
    juce::Path bandPath() const;
    void paintNotice (juce::Graphics& g) const;

    juce::Array<float> currentTrace;
    juce::Array<float> previousTrace;
    juce::Array<float> frequencies;
    bool hasResponse = false;
    std::unique_ptr<juce::BubbleMessageComponent> bubble;
    std::unique_ptr<CoordsLabel> readout;
    float minFrequency = 0.0f;
    float maxFrequency = 0.0f;
    juce::Array<int> gridFrequencies;
    juce::Array<float> predictedTrace;
    juce::Array<float> predictedFrequencies;
    juce::Array<float> spreadLow;
    juce::Array<float> spreadHigh;
    juce::String notice;
};
