#pragma once

#include "CalibrationChooser.h"
#include "DeviceChooser.h"
#include "GraphView.h"
#include "KeptCurve.h"
#include "MeasurementNotes.h"
#include "ProgressSlider.h"
#include "WizardScreen.h"

// State 6: choose a speaker, measure, compare with a held curve; Finish ends the program.
class StepSix final : public WizardScreen,
                      private juce::ChangeListener,
                      private juce::Timer
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

    // The engine's mode for the selected speaker: 0 left, 1 right, 2 both.
    int getSelectedMode() const;

    // Called by the wizard around a measurement: everything but the EQ calculator is locked
    // while it runs, and its result goes to the graph when it ends.
    void beginMeasurement();
    void endMeasurement();

    // Where the curves are kept between runs: shows what that file holds (a damaged one is set
    // aside) and keeps it up to date from then on.
    void keepCurvesIn (const juce::File& stateFile);

    // What SAVE CURVES and OPEN CURVE do once a file is chosen. False, with one sentence on the
    // graph, when nothing was written or opened.
    bool saveCurvesTo (const juce::File& textFile);
    bool openCurveFrom (const juce::File& file);

    // The graph with its scale, as the screen draws it.
    juce::Image pictureOfGraph();

    // Where the file choosers start: the user's documents folder, else the home folder.
    static juce::File documentsFolder();

    const std::optional<KeptCurve>& getCurrentCurve() const { return currentCurve; }
    const std::optional<KeptCurve>& getHeldCurve() const { return heldCurve; }

    juce::ImageButton& getLeftButton() const { return *leftButton; }
    juce::ImageButton& getBothButton() const { return *bothButton; }
    juce::ImageButton& getRightButton() const { return *rightButton; }
    GraphView& getGraph() const { return *graphView; }
    MeasurementNotes& getNotes() const { return *notes; }
    DeviceChooser& getMicrophoneChooser() const { return *microphoneChooser; }
    CalibrationChooser& getCalibrationChooser() const { return *calibrationChooser; }
    ProgressSlider& getLeftProgress() const { return *leftProgress; }
    ProgressSlider& getBothProgress() const { return *bothProgress; }
    ProgressSlider& getRightProgress() const { return *rightProgress; }

private:
    void changeListenerCallback (juce::ChangeBroadcaster*) override;
    void setControlsEnabled (bool enabled);
    void holdCurrentCurve();
    void chooseFileToSave();
    void chooseFileToOpen();
    juce::File chooserFolder() const;
    void keepState() const;

    // A passing notice (what was saved or opened) clears itself after a few seconds.
    void showNotice (const juce::String& text, bool passing);
    void timerCallback() override;

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
    std::unique_ptr<juce::ImageButton> saveButton;
    std::unique_ptr<juce::ImageButton> openButton;

    // What the graph's blue and crimson traces are, with what the files need to say of them.
    std::optional<KeptCurve> currentCurve;
    std::optional<KeptCurve> heldCurve;
    int measuringMode = 0;
    juce::File stateFile;
    juce::File lastFolder;
    juce::String passingNotice;
    std::unique_ptr<juce::FileChooser> chooser;
    std::unique_ptr<DeviceChooser> microphoneChooser;
    std::unique_ptr<CalibrationChooser> calibrationChooser;
};
