#include "StepFive.h"

StepFive::StepFive()
    : WizardScreen ("Step Five", Picture::stepFiveBackground, { -13, -2 }, BackgroundFit::stretch)
{
    addStandardButtons();
    noiseButton = makeImageButton ({}, "Click to generate a test noise...", std::nullopt,
                                   { Picture::noiseButtonNormal, Picture::noiseButtonOver, Picture::noiseButtonDown },
                                   true, this);
    levelProgress = std::make_unique<SpeakerMeasureProgress> ("NOISE MEASUREMENT");
    addAndMakeVisible (*levelProgress);

    noiseButton->setClickingTogglesState (true);
    setSize (screenWidth, screenHeight);
    levelProgress->setDuration (3000);
}

void StepFive::resized()
{
    WizardScreen::resized();
    noiseButton->setBounds (590, 293, 256, 49);
    levelProgress->setBounds (33, 287, 560, 208);
}

void StepFive::buttonClicked (juce::Button* button)
{
    if (button == noiseButton.get())
        sendStateRequest (requestAction);
    else
        WizardScreen::buttonClicked (button);
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
}

void StepFive::endLevelTest()
{
    levelTestRunning = false;
    noiseButton->setToggleState (false, juce::dontSendNotification);
    nextButton->setEnabled (true);
    backButton->setEnabled (true);
}
