#pragma once

#include "SpeakerMeasureProgress.h"
#include "WizardScreen.h"

// State 5: test noise on demand, so the person can set the playback level. The wizard runs the
// noise in passes; this screen only keeps the "another pass follows" flag and locks Next/Back.
class StepFive final : public WizardScreen
{
public:
    StepFive();

    void resized() override;
    void buttonClicked (juce::Button* button) override;

    // True while another level-test pass is to follow the one playing. The wizard calls these;
    // each keeps the TEST TONE toggle lit exactly while passes are to follow.
    bool isLevelTestRunning() const { return levelTestRunning; }
    void clearLevelTestRunning();
    void beginLevelTest();
    void endLevelTest();

    juce::ImageButton& getNoiseButton() const { return *noiseButton; }
    SpeakerMeasureProgress& getLevelProgress() const { return *levelProgress; }

private:
    bool levelTestRunning = false;
    std::unique_ptr<juce::ImageButton> noiseButton;
    std::unique_ptr<SpeakerMeasureProgress> levelProgress;
};
