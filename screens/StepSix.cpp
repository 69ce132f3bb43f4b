#include "StepSix.h"

#include "EQCalculatorPopup.h"
#include "SonavelAudioEngine.h"

namespace
{
    constexpr int speakerRadioGroup = 1;
}

StepSix::StepSix()
    : WizardScreen ("Step Six", Picture::stepSixBackground, { -13, -2 }, BackgroundFit::centred)
{
    // Finish takes Next's place and request: in the last state the wizard ends the program.
    nextButton = makeImageButton ("Finish", "Exit the application...", juce::String ("new button"),
                                  { Picture::finishButtonNormal, Picture::finishButtonOver, Picture::finishButtonDown },
                                  true, this);
    backButton = makeImageButton ("Back", "Go back to the previous step...", juce::String ("new button"),
                                  { Picture::backButtonNormal, Picture::backButtonOver, Picture::backButtonDown },
                                  true, this);
    measureButton = makeImageButton ("Measure", "Click to perform a room measurement...", std::nullopt,
                                     { Picture::measureButtonNormal, Picture::measureButtonOver, Picture::measureButtonDown },
                                     false, this);
    holdButton = makeImageButton ("Hold", "Click to hold the current measurement on screen...", juce::String ("Hold Current"),
                                  { Picture::holdButtonNormal, Picture::holdButtonOver, Picture::holdButtonDown },
                                  false, this);
    leftButton = makeSpeakerToggle ("Left", "Measure the left speaker...");
    bothButton = makeSpeakerToggle ("Both", "Measure both speakers...");
    rightButton = makeSpeakerToggle ("Right", "Measure the right speaker...");
    leftProgress = makeProgress();
    rightProgress = makeProgress();

    graphView = std::make_unique<GraphView>();
    addAndMakeVisible (*graphView);
    graphView->setName ("GraphView");

    bothProgress = makeProgress();
    eqCalculatorButton = makeImageButton ("EQ Calculator", "Open the EQ Calculator...", juce::String ("new button"),
                                          { Picture::eqCalculatorButtonNormal, Picture::eqCalculatorButtonOver,
                                            Picture::eqCalculatorButtonDown },
                                          true, this);

    // What the last measurement means, in the free footer band between the buttons.
    notes = std::make_unique<MeasurementNotes>();
    addAndMakeVisible (*notes);

    // In the panel's microphone corner, under its printed caption.
    auto& devices = SonavelAudioEngine::getInstance()->getDevices();
    microphoneChooser = std::make_unique<DeviceChooser> (devices, SoundDevice::Direction::input, juce::String());
    microphoneChooser->setTooltip ("Choose the microphone that measures the room...");
    addAndMakeVisible (*microphoneChooser);
    devices.addChangeListener (this);

    leftButton->setToggleState (true, juce::sendNotification);

    // Each strip runs under its speaker while the engine measures it.
    leftProgress->addTriggerMessage ("MEASURING LEFT SPEAKER...");
    rightProgress->addTriggerMessage ("MEASURING RIGHT SPEAKER...");
    bothProgress->addTriggerMessage ("MEASURE BOTH SPEAKERS...");

    graphView->setFrequencyScale ({ 20, 50, 100, 200, 500 }, 20.0f, 500.0f);
    setSize (screenWidth, screenHeight);
}

StepSix::~StepSix()
{
    // At shutdown the engine, and the settings with it, may already be gone.
    if (auto* engine = SonavelAudioEngine::getInstanceWithoutCreating())
        engine->getDevices().removeChangeListener (this);
}

void StepSix::changeListenerCallback (juce::ChangeBroadcaster*)
{
    notes->showNotice (SonavelAudioEngine::getInstance()->getDevices().getNotice (SoundDevice::Direction::input));
}

std::unique_ptr<juce::ImageButton> StepSix::makeSpeakerToggle (const juce::String& name, const juce::String& tooltip)
{
    auto toggle = makeImageButton (name, tooltip, std::nullopt,
                                   { Picture::speakerToggleOff, std::nullopt, Picture::speakerToggleOn },
                                   false, this);
    toggle->setRadioGroupId (speakerRadioGroup);
    toggle->setClickingTogglesState (true);
    return toggle;
}

std::unique_ptr<ProgressSlider> StepSix::makeProgress()
{
    auto progress = std::make_unique<ProgressSlider>();
    addChildComponent (*progress);
    return progress;
}

void StepSix::resized()
{
    WizardScreen::resized();
    measureButton->setBounds (404, 308, 191, 46);
    holdButton->setBounds (404, 382, 191, 46);
    leftButton->setBounds (312, 256, 23, 21);
    bothButton->setBounds (572, 256, 23, 21);
    rightButton->setBounds (828, 256, 23, 21);
    leftProgress->setBounds (98, 454, 281, 9);
    bothProgress->setBounds (358, 454, 281, 9);
    rightProgress->setBounds (618, 454, 281, 9);
    graphView->setBounds (77, 491, 862, 178);
    eqCalculatorButton->setBounds (22, 704, 95, 24);
    notes->setBounds (132, 700, 656, 34);
    microphoneChooser->setBounds (71, 369, 126, 54);
}

void StepSix::buttonClicked (juce::Button* button)
{
    if (button == measureButton.get())
        sendStateRequest (requestAction);
    else if (button == holdButton.get())
        graphView->holdResponse();
    else if (button == eqCalculatorButton.get())
        showEqCalculator (this);
    else
        WizardScreen::buttonClicked (button);
}

void StepSix::setControlsEnabled (bool enabled)
{
    for (auto* control : std::initializer_list<juce::Component*> { measureButton.get(), nextButton.get(), backButton.get(),
                                                                   holdButton.get(), leftButton.get(), rightButton.get(),
                                                                   bothButton.get(), microphoneChooser.get() })
        control->setEnabled (enabled);
}

void StepSix::beginMeasurement()
{
    setControlsEnabled (false);
    graphView->setResponse (nullptr, nullptr, false);
    graphView->setNotice ({});
    notes->clear();
    lastMeasurementValid = false;
}

void StepSix::endMeasurement()
{
    setControlsEnabled (true);
    auto* engine = SonavelAudioEngine::getInstance();
    lastMeasurementValid = engine->hasValidResults();
    const auto& axis = engine->getFrequencyAxis();
    auto* results = engine->getResults();
    graphView->setResponse (results, &axis, lastMeasurementValid);

    if (lastMeasurementValid && results != nullptr)
    {
        notes->showSuggestion ({ results->qSetting, results->frequencyHz, results->depthSetting });
        notes->showClipWarning (engine->wasLastCaptureClipped());
    }
    else
    {
        graphView->setNotice (MeasurementNotes::failureSentence (engine->getLastOutcome(), engine->getLastMicrophone(),
                                                                 engine->getLastOutput()));
    }

    repaint();
}

void StepSix::stateEntered()
{
    lastMeasurementValid = false;

    // A microphone plugged in or out while another screen was shown.
    SonavelAudioEngine::getInstance()->getDevices().refresh();
}

void StepSix::stateExited()
{
    lastMeasurementValid = false;
}
