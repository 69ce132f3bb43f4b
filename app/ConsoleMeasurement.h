#pragma once

#include "MeasurementOutcome.h"

#include <juce_events/juce_events.h>

#include <functional>

// `korven-sonavel --measure`: one measurement with the engine the window uses, told on the
// terminal instead of on screen. While it runs it is the current logger: of the engine's log
// lines it prints those a person acts on, so the terminal shows the same "Recommended notch:"
// line as the log; the program's log file is left to a window that may be open.
class ConsoleMeasurement final : public juce::ActionListener,
                                 public juce::Logger
{
public:
    // mode 0 left, 1 right, 2 both; an empty saveFile means the documents folder.
    ConsoleMeasurement (int mode, const juce::File& saveFile);
    ~ConsoleMeasurement() override;

    void start();

    // Called once, on the message thread, with the exit status.
    std::function<void (int)> onFinished;

    // Distinct for each kind of failure; documented in CommandLine::help.
    static int statusFor (MeasurementOutcome outcome);
    static constexpr int statusNotSaved = 9;

    void actionListenerCallback (const juce::String& message) override;

protected:
    void logMessage (const juce::String& message) override;

private:
    void finish();

    int mode;
    juce::File saveFile;
    bool finished = false;
};
