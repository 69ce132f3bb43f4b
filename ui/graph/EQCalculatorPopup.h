#pragma once

#include "EqSettings.h"
#include "GraphView.h"
#include "SonavelSpeakerSettingWidget.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>
#include <optional>

// The EQ calculator's content: the rear-panel knobs and three value boxes kept in step, and the
// curve of the notch they dial in. A preview only: nothing is handed back to the caller.
class EQCalculatorPopup final : public juce::Component,
                                public juce::Slider::Listener
{
public:
    static constexpr int contentWidth = 806;
    static constexpr int contentHeight = 569;

    EQCalculatorPopup();
    ~EQCalculatorPopup() override;

    void paint (juce::Graphics& g) override;
    void resized() override;
    void sliderValueChanged (juce::Slider* slider) override;

    // Recomputes the curve when the whole-number settings changed since the last time, or always
    // when forced.
    void updateGraph (bool force);

    SonavelSpeakerSettingWidget& getSettingsWidget() const { return *settingsWidget; }
    juce::Slider& getQSpinner() const { return *qSpinner; }
    juce::Slider& getFrequencySpinner() const { return *frequencySpinner; }
    juce::Slider& getDepthSpinner() const { return *depthSpinner; }
    GraphView& getGraph() const { return *graph; }
    EqSettings getLastSettings() const { return lastSettings; }

    // How many times the curve has been computed and handed to the graph.
    int getNumCurveUpdates() const { return curveUpdates; }

    // Shown only when the last measurement recommends a notch: dials the knobs and boxes to it.
    juce::ImageButton& getSuggestionButton() const { return *suggestionButton; }

    // The recommendation of the engine's last valid measurement, if it recommends a notch.
    static std::optional<EqSettings> recommendedSetting();

private:
    // The room as measured last, with the previewed notch added: a gold trace beneath the curve.
    void updatePrediction (const juce::Array<float>& curve, const juce::Array<float>& curveAxis);
    void dialSuggestion();

    std::unique_ptr<juce::Slider> makeSpinner (const juce::String& tooltip, double minimum, double maximum);

    EqSettings lastSettings;
    int curveUpdates = 0;
    std::unique_ptr<SonavelSpeakerSettingWidget> settingsWidget;
    std::unique_ptr<juce::Slider> qSpinner;
    std::unique_ptr<juce::Slider> frequencySpinner;
    std::unique_ptr<juce::Slider> depthSpinner;
    std::unique_ptr<GraphView> graph;
    juce::Image background;
    std::unique_ptr<juce::ImageButton> suggestionButton;

    JUCE_DECLARE_NON_COPYABLE (EQCalculatorPopup)
};

// Opens the calculator as a modal dialog centred over parent and returns when it is closed
// (close button or Escape), with the modal loop's result.
int showEqCalculator (juce::Component* parent);
