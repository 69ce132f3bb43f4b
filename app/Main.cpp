#include "BrisaSpeakerApp.h"
#include "LatencyOverride.h"

namespace
{
    juce::JUCEApplicationBase* createApplication()
    {
        return new BrisaSpeakerApp();
    }
}

// As START_JUCE_APPLICATION, with the environment settled first, while no other thread runs.
int main (int argc, char* argv[])
{
    BrisaSpeakerApp::latencyOverrideRemoved = LatencyOverride::removeFromEnvironment();
    juce::JUCEApplicationBase::createInstance = &createApplication;
    return juce::JUCEApplicationBase::main (argc, const_cast<const char**> (argv));
}
