#pragma once

#include <juce_core/juce_core.h>

// What the program was asked for on its command line. Options are rows of one table in
// CommandLine.cpp: a new option is a row there and a field here.
class CommandLine final
{
public:
    enum class Task
    {
        window,     // no options: the wizard
        help,
        version,
        measure,
        listDevices,
        wrongUsage
    };

    static CommandLine parse (const juce::StringArray& arguments);

    // The --help text, with the exit statuses of --measure; its first lines are the usage.
    static juce::String help();
    static juce::String usage();

    // Exit statuses; 0 is success. The measurement's own failures are ConsoleMeasurement's.
    static constexpr int statusStopped = 1;
    static constexpr int statusWrongUsage = 2;

    Task task = Task::window;
    int mode = -1;              // --measure: 0 left, 1 right, 2 both
    juce::String saveFile;      // --save; empty: the documents folder
    juce::String input;         // --input: a device's name or description; empty: as chosen in the program
    juce::String output;        // --output: the same
    int positions = 1;          // --positions: microphone positions to average
    juce::String compareFile;   // --compare: a saved curve to judge the new one against
    juce::String calibration;   // --cal: a calibration file, or "none"; empty: as chosen in the program
    juce::String problem;       // for wrongUsage: what was wrong, in one sentence
};
