#include "EQCalculatorPopup.h"

#include "MeasurementRecord.h"
#include "PictureCatalog.h"
#include "SonavelAudioEngine.h"
#include "TempDlg.h"

EQCalculatorPopup::EQCalculatorPopup()
{
    settingsWidget = std::make_unique<SonavelSpeakerSettingWidget>();
    addAndMakeVisible (*settingsWidget);

    qSpinner = makeSpinner ("Type or spin the desired Q value...", 1.0, 6.0);
    frequencySpinner = makeSpinner ("Type or spin the desired frequency value...", 40.0, 280.0);
    depthSpinner = makeSpinner ("Type or spin the desired depth value...", 1.0, 6.0);

    graph = std::make_unique<GraphView>();
    addAndMakeVisible (*graph);
    graph->setName ("GraphView");

    background = PictureCatalog::get (Picture::eqCalculatorBackground);

    suggestionButton = std::make_unique<juce::ImageButton> ("Suggestion");
    addChildComponent (*suggestionButton);
    suggestionButton->setTooltip ("Dial in the setting suggested by the last measurement...");
    const auto none = juce::Colour (0x00000000);
    suggestionButton->setImages (false, true, true,
                                 PictureCatalog::get (Picture::suggestionButtonNormal), 1.0f, none,
                                 PictureCatalog::get (Picture::suggestionButtonOver), 1.0f, none,
                                 PictureCatalog::get (Picture::suggestionButtonDown), 1.0f, none, 0.0f);
    suggestionButton->onClick = [this] { dialSuggestion(); };
    suggestionButton->setVisible (recommendedSetting().has_value());

    for (auto* spinner : { qSpinner.get(), frequencySpinner.get(), depthSpinner.get() })
        spinner->setIncDecButtonsMode (juce::Slider::incDecButtonsDraggable_AutoDirection);

    settingsWidget->addKnobListener (this);
    graph->setFrequencyScale ({ 20, 50, 100, 200, 300 }, 20.0f, 300.0f);
    updateGraph (true);
    setSize (contentWidth, contentHeight);
}

EQCalculatorPopup::~EQCalculatorPopup() = default;

std::unique_ptr<juce::Slider> EQCalculatorPopup::makeSpinner (const juce::String& tooltip, double minimum, double maximum)
{
    auto spinner = std::make_unique<juce::Slider> (juce::String());
    addAndMakeVisible (*spinner);
    spinner->setTooltip (tooltip);
    // Setting the range clamps the box's first value to the range's minimum.
    spinner->setRange (minimum, maximum, 1.0);
    spinner->setSliderStyle (juce::Slider::IncDecButtons);
    spinner->setTextBoxStyle (juce::Slider::TextBoxLeft, false, 55, 27);
    spinner->setColour (juce::Slider::textBoxHighlightColourId, juce::Colour (0x83C7B183));
    spinner->setColour (juce::Slider::textBoxOutlineColourId, juce::Colour (0xFFC7B183));
    spinner->addListener (this);
    return spinner;
}

void EQCalculatorPopup::paint (juce::Graphics& g)
{
    g.fillAll (juce::Colour (0xFFFFFFFF));
    g.drawImage (background, juce::Rectangle<float> (0.0f, 0.0f, (float) contentWidth, (float) contentHeight));

    // The gold trace's legend, beside the picture's own legend of the blue curve.
    if (graph->hasPredictedResponse())
    {
        g.setColour (juce::Colour (GraphView::predictedColour));
        g.fillRect (juce::Rectangle<float> (550.0f, 532.0f, 22.0f, 3.0f));
        g.setColour (juce::Colour (0xFF5A5A5A));
        // The picture's 11-px text, in JUCE's measure (ascent plus descent) of the same typeface.
        g.setFont (juce::Font (12.8f));
        g.drawText ("Predicted room response", 578, 526, 148, 14, juce::Justification::centredLeft);
    }
}

void EQCalculatorPopup::resized()
{
    settingsWidget->setBounds (226, 160, 368, 88);
    qSpinner->setBounds (250, 260, 80, 26);
    frequencySpinner->setBounds (382, 260, 80, 26);
    depthSpinner->setBounds (502, 260, 80, 26);
    graph->setBounds (111, 322, 609, 176);
    suggestionButton->setBounds (32, 146, 172, 26);
}

void EQCalculatorPopup::sliderValueChanged (juce::Slider* slider)
{
    // Both directions set values without notification, so a change never comes back to its origin.
    if (slider->getParentComponent() == this)
    {
        settingsWidget->setSettings ({ (int32_t) qSpinner->getValue(), (int32_t) frequencySpinner->getValue(),
                                       (int32_t) depthSpinner->getValue() },
                                     false);
    }
    else if (slider->getParentComponent() == settingsWidget.get())
    {
        const auto settings = settingsWidget->getSettings();
        qSpinner->setValue (settings.qSetting, juce::dontSendNotification);
        frequencySpinner->setValue (settings.frequencyHz, juce::dontSendNotification);
        depthSpinner->setValue (settings.depthSetting, juce::dontSendNotification);
    }

    updateGraph (false);
}

void EQCalculatorPopup::updateGraph (bool force)
{
    const auto settings = settingsWidget->getSettings();

    if (! force && settings == lastSettings)
        return;

    lastSettings = settings;
    ++curveUpdates;

    juce::Array<float> curve;
    juce::Array<float> axis;
    SonavelAudioEngine::getInstance()->computeEqCurve (curve, settings.frequencyHz, settings.qSetting,
                                                       settings.depthSetting, axis);

    // Without memory for the curve the engine hands back nothing: show no curve rather than a stale one.
    if (curve.size() < MeasurementRecord::numValues)
    {
        graph->setResponse (nullptr, nullptr, false);
        return;
    }

    MeasurementRecord record;
    record.setContents (settings.frequencyHz, settings.qSetting, settings.depthSetting, curve.getRawDataPointer());
    graph->setResponse (&record, &axis, true);
    updatePrediction (curve, axis);
}

std::optional<EqSettings> EQCalculatorPopup::recommendedSetting()
{
    auto* engine = SonavelAudioEngine::getInstance();
    const auto* results = engine->hasValidResults() ? engine->getResults() : nullptr;

    if (results == nullptr || results->frequencyHz == 0)
        return std::nullopt;

    return EqSettings { results->qSetting, results->frequencyHz, results->depthSetting };
}

void EQCalculatorPopup::updatePrediction (const juce::Array<float>& curve, const juce::Array<float>& curveAxis)
{
    auto* engine = SonavelAudioEngine::getInstance();
    const auto* measured = engine->hasValidResults() ? engine->getResults() : nullptr;

    if (measured == nullptr || curve.size() < 2)
    {
        graph->setPredictedResponse ({}, {});
        return;
    }

    // Both are dB / 20, so they add. The curve is read at each measured frequency, between its
    // own finer steps; the graph stops at 300 Hz, so nothing much above it is worked out.
    const auto& axis = engine->getFrequencyAxis();
    const auto curveStep = curveAxis[1];
    juce::Array<float> predicted, predictedAxis;

    for (int i = 0; i < axis.size() && axis[i] <= 320.0f; ++i)
    {
        const auto position = axis[i] / curveStep;
        const auto below = juce::jmin (static_cast<int> (position), curve.size() - 2);
        const auto fraction = position - static_cast<float> (below);
        const auto notch = curve[below] + fraction * (curve[below + 1] - curve[below]);

        predicted.add (measured->valueAt (i) + notch);
        predictedAxis.add (axis[i]);
    }

    graph->setPredictedResponse (predicted, predictedAxis);
    repaint();
}

void EQCalculatorPopup::dialSuggestion()
{
    const auto suggestion = recommendedSetting();

    if (! suggestion)
        return;

    settingsWidget->setSettings (*suggestion, false);
    qSpinner->setValue (suggestion->qSetting, juce::dontSendNotification);
    frequencySpinner->setValue (suggestion->frequencyHz, juce::dontSendNotification);
    depthSpinner->setValue (suggestion->depthSetting, juce::dontSendNotification);
    updateGraph (false);
}

int showEqCalculator (juce::Component* parent)
{
    TempDlg dialog ({}, juce::Colour (0xFF000000), true, true);
    auto calculator = std::make_unique<EQCalculatorPopup>();

    dialog.setContentNonOwned (calculator.get(), true);
    dialog.setResizable (false, false);
    dialog.setTitleBarHeight (20);
    // The window, title bar included, is as tall as the calculator's picture, so the picture's
    // bottom strip is cut off. (The content has been stretched by the title bar change already.)
    dialog.setSize (dialog.getWidth(), EQCalculatorPopup::contentHeight);
    // Centred once its final size is known, so that it really sits in the middle of the parent.
    dialog.centreAroundComponent (parent, dialog.getWidth(), dialog.getHeight());

    // Tooltips show only inside the window that owns the tooltip window, so the dialog needs its own.
    juce::TooltipWindow tooltips (&dialog);

    const int result = dialog.runModalLoop();

    dialog.clearContentComponent();
    calculator.reset();
    return result;
}
