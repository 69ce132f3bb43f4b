#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <array>
#include <memory>

// The room seen from above with lettered markers (a) to (g), (c) twice. While the mouse is over
// a marker or over the screen's paragraph of the same letter, the paragraph and every marker of
// that letter show their gold pictures. Pure presentation: it keeps no setting and sends nothing.
class RoomLayoutWidget final : public juce::Component,
                               public juce::Button::Listener
{
public:
    static constexpr int numAdviceButtons = 7;
    static constexpr int numMarkers = 8;

    RoomLayoutWidget();
    ~RoomLayoutWidget() override;

    // Paragraph 1 is (a), 7 is (g); other indices are ignored. The caller also makes this widget
    // a mouse listener of the paragraph, so that it hears the mouse come and go.
    void setAdviceButton (int index, juce::Button* button);

    juce::Button& getMarker (int index) const { return *markers[(size_t) index]; }

    void mouseEnter (const juce::MouseEvent& e) override;
    void mouseExit (const juce::MouseEvent& e) override;
    void paint (juce::Graphics& g) override;
    void resized() override;

    // Markers are buttons only for their pictures: clicking one does nothing.
    void buttonClicked (juce::Button*) override {}

private:
    // The paragraph and markers of the letter that the component belongs to; empty for others.
    juce::Array<juce::Button*> groupOf (const juce::Component* component) const;
    void lightGroupOf (const juce::Component* component, bool on);

    std::array<juce::Button*, numAdviceButtons> adviceButtons {};
    std::array<std::unique_ptr<juce::ImageButton>, numMarkers> markers;
    juce::Image backgroundImage;
};
