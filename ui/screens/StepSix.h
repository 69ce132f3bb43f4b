#pragma once

#include "CalibrationChooser.h"
#include "DeviceChooser.h"
#include "CurveSession.h"
#include "GraphView.h"
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
    // while it runs, and its result goes to the graph when it ends. MEASURE starts the current
    // curve over; ADD POSITION measures the same speakers once more with the microphone moved,
    // and the curve becomes the average of the positions.
    void beginMeasurement();
    void endMeasurement();

    // Where the curves are kept between runs: shows what that file holds (a damaged one is set
    // aside) and keeps it up to date from then on.
    void rememberIn (const juce::File& stateFile);

    // What SAVE CURVES and OPEN CURVE do once a file is chosen. False, with one sentence on the
    // graph, when nothing was written or opened.
    bool saveCurvesTo (const juce::File& textFile);
    bool openCurveFrom (const juce::File& file);

    // The graph with its scale, as the screen draws it.
    juce::Image pictureOfGraph();

    // Where the file choosers start: the user's documents folder, else the home folder.
    static juce::File documentsFolder();

    const std::optional<KeptCurve>& getCurrentCurve() const { return session.current; }
    const std::optional<KeptCurve>& getHeldCurve() const { return session.held; }

    juce::ImageButton& getLeftButton() const { return *leftButton; }
    juce::ImageButton& getBothButton() const { return *bothButton; }
    juce::ImageButton& getRightButton() const { return *rightButton; }
    juce::ImageButton& getAddPositionButton() const { return *addPositionButton; }
    const juce::Label& getPositionsLabel() const { return *positionsLabel; }
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
    void addPosition();

    // The graph, the footer and the positions' count as the session's curves say; the verdict is
    // logged when it is new, not when curves kept from before are shown again.
    void showCurrentCurve (bool logVerdict);
    void showVerdict (bool log);
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
    std::unique_ptr<juce::ImageButton> addPositionButton;
    std::unique_ptr<juce::Label> positionsLabel;

    // What the graph's blue and crimson traces are, with what the files need to say of them.
    CurveSession session;
    int measuringMode = 0;
    bool addingPosition = false;
    juce::File stateFile;
    juce::File lastFolder;
    juce::String passingNotice;
    std::unique_ptr<juce::FileChooser> chooser;
    std::unique_ptr<DeviceChooser> microphoneChooser;
    std::unique_ptr<CalibrationChooser> calibrationChooser;
};
