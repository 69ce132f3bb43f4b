#include "BrisaSpeakerApp.h"
#include "CommandLine.h"
#include "Utf8Arguments.h"

#include <cstdio>

JUCE_CREATE_APPLICATION_DEFINE (BrisaSpeakerApp)

// START_JUCE_APPLICATION's main, with the arguments checked before JUCE reads them.
int main (int argc, char* argv[])
{
    if (const auto invalid = Utf8Arguments::firstInvalid (argc, argv); invalid > 0)
    {
        std::fputs (("korven-sonavel: argument " + juce::String (invalid) + " is not valid UTF-8 text\n" + CommandLine::usage()
                     + "Try 'korven-sonavel --help' for more.\n").toRawUTF8(),
                    stderr);
        return CommandLine::statusWrongUsage;
    }

    juce::JUCEApplicationBase::createInstance = &juce_CreateApplication;
    return juce::JUCEApplicationBase::main (argc, const_cast<const char**> (argv));
}
