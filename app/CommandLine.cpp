#include "CommandLine.h"

#include "KeptCurve.h"
#include "MeasurementContract.h"

namespace
{
    struct Option
    {
        const char* name;
        bool takesValue;
        // Stores the value; returns what is wrong with it, or nothing.
        juce::String (*apply) (CommandLine&, const juce::String& value);
    };

    const Option options[] = {
        { "--help", false, [] (CommandLine& line, const juce::String&) { line.task = CommandLine::Task::help; return juce::String(); } },
        { "--version", false, [] (CommandLine& line, const juce::String&)
          {
              if (line.task != CommandLine::Task::help)
                  line.task = CommandLine::Task::version;
              return juce::String();
          } },
        { "--measure", true, [] (CommandLine& line, const juce::String& value)
          {
              line.mode = MeasurementContract::modeOf (MeasurementContract::speakersNamed (value.toStdString()).value_or (Speakers::unknown));

              if (line.mode < 0)
                  return "--measure takes left, right or both, not '" + value + "'";

              if (line.task == CommandLine::Task::window)
                  line.task = CommandLine::Task::measure;
              return juce::String();
          } },
        { "--save", true, [] (CommandLine& line, const juce::String& value)
          {
              line.saveFile = value;
              return juce::String();
          } },
        { "--list-devices", false, [] (CommandLine& line, const juce::String&)
          {
              if (line.task == CommandLine::Task::window || line.task == CommandLine::Task::version)
                  line.task = CommandLine::Task::listDevices;
              return juce::String();
          } },
        { "--input", true, [] (CommandLine& line, const juce::String& value)
          {
              line.input = value;
              return value.isEmpty() ? juce::String ("--input needs a device's name or description") : juce::String();
          } },
        { "--output", true, [] (CommandLine& line, const juce::String& value)
          {
              line.output = value;
              return value.isEmpty() ? juce::String ("--output needs a device's name or description") : juce::String();
          } },
        { "--positions", true, [] (CommandLine& line, const juce::String& value)
          {
              line.positions = value.containsOnly ("0123456789") && value.length() <= 2 ? value.getIntValue() : 0;
              return line.positions >= 1 && line.positions <= KeptCurve::maximumPositions
                         ? juce::String()
                         : "--positions takes a whole number from 1 to " + juce::String (KeptCurve::maximumPositions) + ", not '" + value + "'";
          } },
        { "--compare", true, [] (CommandLine& line, const juce::String& value)
          {
              line.compareFile = value;
              return value.isEmpty() ? juce::String ("--compare needs a saved curve's file") : juce::String();
          } },
        { "--cal", true, [] (CommandLine& line, const juce::String& value)
          {
              line.calibration = value;
              return value.isEmpty() ? juce::String ("--cal needs a calibration file, or none") : juce::String();
          } },
    };

    const Option* find (const juce::String& name)
    {
        for (const auto& option : options)
            if (name == option.name)
                return &option;

        return nullptr;
    }
}

CommandLine CommandLine::parse (const juce::StringArray& arguments)
{
    CommandLine line;
    juce::StringArray seen;

    auto wrong = [&line] (const juce::String& problem)
    {
        line.task = Task::wrongUsage;
        line.problem = problem;
        return line;
    };

    for (int i = 0; i < arguments.size(); ++i)
    {
        // Both "--save FILE" and "--save=FILE".
        auto name = arguments[i];
        juce::String value;
        const auto hasEquals = name.startsWith ("--") && name.containsChar ('=');

        if (hasEquals)
        {
            value = name.fromFirstOccurrenceOf ("=", false, false);
            name = name.upToFirstOccurrenceOf ("=", false, false);
        }

        if (name == "-h")
            name = "--help";

        const auto* option = find (name);

        if (option == nullptr)
            return wrong ("unknown option '" + arguments[i] + "'");

        if (seen.contains (name))
            return wrong (name + " is given twice");

        seen.add (name);

        if (option->takesValue && ! hasEquals)
        {
            // "--save --input" is an option without its value, not a file named "--input"
            // (which --save=--input still gives).
            if (i + 1 >= arguments.size() || (arguments[i + 1].startsWith ("-") && arguments[i + 1] != "-"))
                return wrong (name + " needs a value");

            value = arguments[++i];
        }
        else if (! option->takesValue && hasEquals)
        {
            return wrong (name + " takes no value");
        }

        if (const auto problem = option->apply (line, value); problem.isNotEmpty())
            return wrong (problem);
    }

    for (const auto* companion : { "--save", "--input", "--output", "--positions", "--compare", "--cal" })
        if (seen.contains (companion) && ! seen.contains ("--measure"))
            return wrong (juce::String (companion) + " goes with --measure");

    if (seen.contains ("--measure") && seen.contains ("--list-devices"))
        return wrong ("--list-devices and --measure are asked for separately");

    return line;
}

juce::String CommandLine::usage()
{
    return "Usage: korven-sonavel [--measure left|right|both [--save FILE] [--input NAME] [--output NAME]\n"
           "                                                 [--positions N] [--compare FILE] [--cal FILE|none]]\n"
           "                      [--list-devices] [--version] [--help]\n";
}

juce::String CommandLine::help()
{
    return usage() + "\n"
           "Without options KORVEN Sonavel opens its window.\n"
           "\n"
           "  --measure left|right|both  measure the room with the left, the right or both speakers,\n"
           "                             without a window (an open window is left alone), and print the\n"
           "                             recommended rear-panel notch\n"
           "  --save FILE                where the measured curve goes, as a text file that room analysers\n"
           "                             open; without it, the documents folder, named for what and when\n"
           "  --input NAME               the microphone to measure with, by its name or its description\n"
           "  --output NAME              the output to play through, the same way; without these two, the\n"
           "                             devices chosen in the program, else the system's defaults\n"
           "  --positions N              measure N microphone positions around the listening position,\n"
           "                             asking on the terminal between them, and average them\n"
           "  --compare FILE             say how the new curve compares with a saved one\n"
           "  --cal FILE|none            the microphone's calibration file, taken out of the curve, or none;\n"
           "                             without it, the file chosen in the program for that microphone\n"
           "  --list-devices             print the inputs and outputs to choose from (* the system's default)\n"
           "  --version                  print the version\n"
           "  --help                     print this help\n"
           "\n"
           "Exit status:\n"
           "  0  done (measured and saved)\n"
           "  1  stopped before the measurement was done (e.g. interrupted)\n"
           "  2  wrong options\n"
           "  3  no sound device or sound server was found\n"
           "  4  the microphone recorded silence\n"
           "  5  the audio stream stopped before the measurement was complete\n"
           "  6  not enough memory\n"
           "  7  another program holds the sound devices\n"
           "  8  the sound server stopped answering\n"
           "  9  the curve could not be saved\n"
           "  10 the microphone never heard the test noise steadily\n"
           "  11 the chosen microphone or output is not connected\n"
           "  12 the test noise took longer than three seconds to reach the microphone\n"
           "  13 the sound system did not play or record the test noise in time\n";
}
