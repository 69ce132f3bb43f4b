#include "StepFive.h"

#include "SonavelAudioEngine.h"

StepFive::StepFive()
    : WizardScreen ("Step Five", Picture::stepFiveBackground, { -13, -2 }, BackgroundFit::stretch)
{
    addStandardButtons();
    noiseButton = makeImageButton ({}, "Click to generate a test noise...", std::nullopt,
                                   { Picture::noiseButtonNormal, Picture::noiseButtonOver, Picture::noiseButtonDown },
                                   true, this);
    levelProgress = std::make_unique<SpeakerMeasureProgress> ("NOISE MEASUREMENT");
    addAndMakeVisible (*levelProgress);

    auto& engine = *SonavelAudioEngine::getInstance();
    auto& devices = engine.getDevices();
    outputChooser = std::make_unique<DeviceChooser> (devices, SoundDevice::Direction::output, "OUTPUT");
    outputChooser->setTooltip ("Choose the output that the test tone and the measurement play through...");
    addAndMakeVisible (*outputChooser);
    microphoneChooser = std::make_unique<DeviceChooser> (devices, SoundDevice::Direction::input, "MICROPHONE");
    microphoneChooser->setTooltip ("Choose the microphone that measures the room...");
    addAndMakeVisible (*microphoneChooser);
    calibrationChooser = std::make_unique<CalibrationChooser> (engine.getCalibrations(), CalibrationChooser::Caption::beside);
    addAndMakeVisible (*calibrationChooser);
    levelMeter = std::make_unique<MicrophoneLevelMeter> (engine.getInputMeter());
    addAndMakeVisible (*levelMeter);
    notes = std::make_unique<MeasurementNotes>();
    addAndMakeVisible (*notes);
    devices.addChangeListener (this);
    engine.getCalibrations().addChangeListener (this);

    noiseButton->setClickingTogglesState (true);
    setSize (screenWidth, screenHeight);
    levelProgress->setDuration (3000);
    showDeviceNotices();
}

StepFive::~StepFive()
{
    // At shutdown the engine, and the settings with it, may already be gone.
    if (auto* engine = SonavelAudioEngine::getInstanceWithoutCreating())
    {
        engine->getDevices().removeChangeListener (this);
        engine->getCalibrations().removeChangeListener (this);
    }
}

void StepFive::resized()
{
    WizardScreen::resized();
    noiseButton->setBounds (590, 293, 256, 49);
    levelProgress->setBounds (33, 287, 560, 208);
    outputChooser->setBounds (603, 456, 384, 26);
    microphoneChooser->setBounds (603, 492, 384, 26);
    calibrationChooser->setBounds (603, 528, 384, 26);
    levelMeter->setBounds (109, 630, 480, 64);
    notes->setBounds (20, 700, 770, 34);
}

void StepFive::buttonClicked (juce::Button* button)
{
    if (button == noiseButton.get())
        sendStateRequest (requestAction);
    else
        WizardScreen::buttonClicked (button);
}

void StepFive::stateEntered()
{
    // A device plugged in or out while another screen was shown.
    SonavelAudioEngine::getInstance()->getDevices().refresh();
}

void StepFive::changeListenerCallback (juce::ChangeBroadcaster*)
{
    showDeviceNotices();
}

void StepFive::showDeviceNotices()
{
    auto& engine = *SonavelAudioEngine::getInstance();
    auto& devices = engine.getDevices();
    levelMeter->setMicrophone (devices.describe (SoundDevice::Direction::input));

    if (toneFailure.isNotEmpty())
        notes->showNotice (toneFailure);
    else
        notes->showNotice ((devices.getNotice (SoundDevice::Direction::output) + " "
                            + devices.getNotice (SoundDevice::Direction::input) + " "
                            + engine.getCalibrations().getNotice()).trim());
}

void StepFive::clearLevelTestRunning()
{
    levelTestRunning = false;
    noiseButton->setToggleState (false, juce::dontSendNotification);
}

void StepFive::beginLevelTest()
{
    levelTestRunning = true;
    noiseButton->setToggleState (true, juce::dontSendNotification);
    nextButton->setEnabled (false);
    backButton->setEnabled (false);

    if (! levelMeter->isListening())
    {
        toneFailure.clear();
        showDeviceNotices();
        levelMeter->start();
    }
}

void StepFive::endLevelTest()
{
    levelTestRunning = false;
    noiseButton->setToggleState (false, juce::dontSendNotification);
    nextButton->setEnabled (true);
    backButton->setEnabled (true);
    levelMeter->stop();
}

void StepFive::endLevelTestWithFailure (const juce::String& sentence)
{
    endLevelTest();
    toneFailure = sentence;
    showDeviceNotices();
}
