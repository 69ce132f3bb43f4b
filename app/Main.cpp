#include "BrisaSpeakerApp.h"
#include "CommandLine.h"
#include "LatencyOverride.h"
#include "Utf8Arguments.h"

#include <cstdio>

namespace
{
    juce::JUCEApplicationBase* createApplication()
    {
        return new BrisaSpeakerApp();
    }
}

// As START_JUCE_APPLICATION, with the arguments checked before JUCE reads them and the
// environment settled first, while no other thread runs.
int main (int argc, char* argv[])
{
    if (const auto invalid = Utf8Arguments::firstInvalid (argc, argv); invalid > 0)
    {
        std::fputs (("korven-sonavel: argument " + juce::String (invalid) + " is not valid UTF-8 text\n" + CommandLine::usage()
                     + "Try 'korven-sonavel --help' for more.\n").toRawUTF8(),
                    stderr);
        return CommandLine::statusWrongUsage;
    }

    BrisaSpeakerApp::latencyOverrideRemoved = LatencyOverride::removeFromEnvironment();
    juce::JUCEApplicationBase::createInstance = &createApplication;
    return juce::JUCEApplicationBase::main (argc, const_cast<const char**> (argv));
}
