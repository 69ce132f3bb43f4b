#pragma once

#include "DeviceChooser.h"
#include "GraphView.h"
#include "MeasurementNotes.h"
#include "ProgressSlider.h"
#include "WizardScreen.h"

// State 6: choose a speaker, measure, compare with a held curve; Finish ends the program.
class StepSix final : public WizardScreen,
                      private juce::ChangeListener
{
public:
    StepSix();
    ~StepSix() override;

    void resized() override;
    void buttonClicked (juce::Button* button) override;

    void stateEntered() override;
    void stateExited() override;

    bool isLeftSelected() const { return leftButton->getToggleState(); }
    bool isRightSelected() const { return rightButton->getToggleState(); }
    bool isLastMeasurementValid() const { return lastMeasurementValid; }

    // Called by the wizard around a measurement: everything but the EQ calculator is locked
    // while it runs, and its result goes to the graph when it ends.
    void beginMeasurement();
    void endMeasurement();

    juce::ImageButton& getLeftButton() const { return *leftButton; }
    juce::ImageButton& getBothButton() const { return *bothButton; }
    juce::ImageButton& getRightButton() const { return *rightButton; }
    GraphView& getGraph() const { return *graphView; }
    MeasurementNotes& getNotes() const { return *notes; }
    DeviceChooser& getMicrophoneChooser() const { return *microphoneChooser; }
    ProgressSlider& getLeftProgress() const { return *leftProgress; }
    ProgressSlider& getBothProgress() const { return *bothProgress; }
    ProgressSlider& getRightProgress() const { return *rightProgress; }

private:
    void changeListenerCallback (juce::ChangeBroadcaster*) override;
    void setControlsEnabled (bool enabled);

    std::unique_ptr<juce::ImageButton> makeSpeakerToggle (const juce::String& name, const juce::String& tooltip);
    std::unique_ptr<ProgressSlider> makeProgress();

    bool lastMeasurementValid = false;
    std::unique_ptr<juce::ImageButton> measureButton;
    std::unique_ptr<juce::ImageButton> holdButton;
    std::unique_ptr<juce::ImageButton> leftButton;
    std::unique_ptr<juce::ImageButton> bothButton;
    std::unique_ptr<juce::ImageButton> rightButton;
    std::unique_ptr<ProgressSlider> leftProgress;
    std::unique_ptr<ProgressSlider> rightProgress;
    std::unique_ptr<GraphView> graphView;
    std::unique_ptr<ProgressSlider> bothProgress;
    std::unique_ptr<juce::ImageButton> eqCalculatorButton;
    std::unique_ptr<MeasurementNotes> notes;
    std::unique_ptr<DeviceChooser> microphoneChooser;
};
