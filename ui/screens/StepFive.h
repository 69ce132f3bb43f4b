#pragma once

#include "CalibrationChooser.h"
#include "DeviceChooser.h"
#include "MeasurementNotes.h"
#include "MicrophoneLevelMeter.h"
#include "SpeakerMeasureProgress.h"
#include "WizardScreen.h"

// State 5: test noise on demand, so the person can set the playback level and, on the meter,
// the microphone's gain; the output and the microphone are chosen here. The wizard runs the
// noise in passes; this screen only keeps the "another pass follows" flag and locks Next/Back.
class StepFive final : public WizardScreen,
                       private juce::ChangeListener
{
public:
    StepFive();
    ~StepFive() override;

    void resized() override;
    void buttonClicked (juce::Button* button) override;
    void stateEntered() override;

    // True while another level-test pass is to follow the one playing. The wizard calls these;
    // each keeps the TEST TONE toggle lit exactly while passes are to follow.
    bool isLevelTestRunning() const { return levelTestRunning; }
    void clearLevelTestRunning();
    void beginLevelTest();
    void endLevelTest();

    // Ends the passes after one that failed, and says why.
    void endLevelTestWithFailure (const juce::String& sentence);

    juce::ImageButton& getNoiseButton() const { return *noiseButton; }
    SpeakerMeasureProgress& getLevelProgress() const { return *levelProgress; }
    DeviceChooser& getOutputChooser() const { return *outputChooser; }
    DeviceChooser& getMicrophoneChooser() const { return *microphoneChooser; }
    CalibrationChooser& getCalibrationChooser() const { return *calibrationChooser; }
    MicrophoneLevelMeter& getLevelMeter() const { return *levelMeter; }
    MeasurementNotes& getNotes() const { return *notes; }

private:
    void changeListenerCallback (juce::ChangeBroadcaster*) override;
    void showDeviceNotices();

    bool levelTestRunning = false;
    juce::String toneFailure;  // said until the tone is switched on again
    std::unique_ptr<juce::ImageButton> noiseButton;
    std::unique_ptr<SpeakerMeasureProgress> levelProgress;
    std::unique_ptr<DeviceChooser> outputChooser;
    std::unique_ptr<DeviceChooser> microphoneChooser;
    std::unique_ptr<CalibrationChooser> calibrationChooser;
    std::unique_ptr<MicrophoneLevelMeter> levelMeter;
    std::unique_ptr<MeasurementNotes> notes;
};
