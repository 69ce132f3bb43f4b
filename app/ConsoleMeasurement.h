#pragma once

#include "CurveSession.h"
#include "MeasurementOutcome.h"

#include <juce_events/juce_events.h>

#include <functional>

// `korven-sonavel --measure`: a measurement with the engine the window uses, told on the terminal
// instead of on screen; with --positions, one per microphone position, asking between them, and
// their average; with --compare, how it compares with a saved curve. While it runs it is the
// current logger: of the engine's log lines it prints those a person acts on; the program's log
// file is left to a window that may be open.
class ConsoleMeasurement final : public juce::ActionListener,
                                 public juce::Logger
{
public:
    // mode 0 left, 1 right, 2 both; an empty saveFile means the documents folder.
    ConsoleMeasurement (int mode, const juce::File& saveFile);
    ~ConsoleMeasurement() override;

    // The microphone and the output by a device's name or description; an empty one is the
    // device chosen in the program (remembered in choiceFile), else the system's default. Nothing
    // chosen here is remembered.
    void useDevices (const juce::String& input, const juce::String& output, const juce::File& choiceFile);

    // The microphone's calibration file, or "none"; empty: the file chosen in the program for the
    // microphone in use (remembered in choiceFile). Nothing chosen here is remembered.
    void useCalibration (const juce::String& calibration, const juce::File& choiceFile);

    // How many microphone positions to average (1 by default), and a saved curve to compare the
    // result with (none by default).
    void measurePositions (int count) { positions = count; }
    void compareWith (const juce::File& file) { compareFile = file; }

    // Lists the devices, refuses a name none of them has or a file that is no calibration (with
    // the usage status), and starts measuring.
    void start();

    // Called once, on the message thread, with the exit status.
    std::function<void (int)> onFinished;

    // Distinct for each kind of failure; documented in CommandLine::help.
    static int statusFor (MeasurementOutcome outcome);
    static constexpr int statusNotSaved = 9;
    static constexpr int statusDeviceMissing = 11;

    void actionListenerCallback (const juce::String& message) override;

protected:
    void logMessage (const juce::String& message) override;

private:
    // After each measurement: the next position, the same one again after a failure, or the end.
    void measured();
    void finish (int status);

    // Waits for Enter on standard input; false at the end of the input.
    static bool askAndWait (const juce::String& question);

    // False, having said why, when a device asked for by name is not there.
    bool chooseDevices();

    // False, having said why, when the calibration file asked for is none.
    bool chooseCalibration();

    int mode;
    juce::File saveFile;
    juce::String inputName;
    juce::String outputName;
    juce::File deviceChoiceFile;
    juce::String calibrationName;
    juce::File calibrationChoiceFile;
    int positions = 1;
    juce::File compareFile;
    CurveSession session;
    bool finished = false;
};
