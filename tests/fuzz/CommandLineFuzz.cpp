// The arguments as a script may pass them, NUL-separated: the UTF-8 check stands before JUCE,
// and every argument it lets through converts to a juce::String and back unchanged (JUCE's own
// conversion overflows on some that it refuses); the parser then answers with one task, and a
// wrong usage with a sentence.
#include "CommandLine.h"
#include "Invariant.h"
#include "Utf8Arguments.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
    std::vector<std::string> arguments { "korven-sonavel" };
    const std::string_view text (reinterpret_cast<const char*> (data), size);

    for (size_t start = 0; start <= text.size() && arguments.size() <= 16;)
    {
        const auto end = std::min (text.find ('\0', start), text.size());
        arguments.emplace_back (text.substr (start, end - start));
        start = end + 1;
    }

    std::vector<const char*> argv;

    for (const auto& argument : arguments)
        argv.push_back (argument.c_str());

    const auto invalid = Utf8Arguments::firstInvalid (static_cast<int> (argv.size()), argv.data());

    if (invalid > 0)
    {
        require (! Utf8Arguments::isValid (arguments[static_cast<size_t> (invalid)]), "the argument named is the invalid one");
        return 0;
    }

    juce::StringArray strings;

    for (size_t i = 1; i < arguments.size(); ++i)
    {
        const juce::String converted (juce::CharPointer_UTF8 (arguments[i].c_str()));
        require (converted.toStdString() == arguments[i], "an argument let through reaches JUCE unchanged");
        strings.add (converted);
    }

    const auto line = CommandLine::parse (strings);
    require ((line.task == CommandLine::Task::wrongUsage) == line.problem.isNotEmpty(), "a wrong usage, and only that, has a sentence");

    if (line.task == CommandLine::Task::measure)
        require (line.mode >= 0 && line.mode <= 2, "a measurement has its speakers");

    // --help and --version win over a measurement; nothing else takes its options.
    if (line.task == CommandLine::Task::window || line.task == CommandLine::Task::listDevices)
        require (line.saveFile.isEmpty() && line.input.isEmpty() && line.output.isEmpty(), "--save, --input and --output go with --measure");

    // What is printed for --help and beside a wrong usage starts with the usage line.
    if (line.task == CommandLine::Task::help || line.task == CommandLine::Task::wrongUsage)
        require (CommandLine::help().startsWith (CommandLine::usage()), "the help begins with the usage");

    return 0;
}
