#include "LogCollector.h"
#include "SonavelAudioEngine.h"

#include <gtest/gtest.h>
#include <juce_events/juce_events.h>

// The engine talks through action messages: the tests run on a JUCE message thread and pump it.
int main (int argc, char** argv)
{
    testing::InitGoogleTest (&argc, argv);

    const juce::ScopedJuceInitialiser_GUI juceRunning;
    juce::Logger::setCurrentLogger (&LogCollector::get());

    const int result = RUN_ALL_TESTS();

    SonavelAudioEngine::deleteInstance();
    juce::Logger::setCurrentLogger (nullptr);
    return result;
}
