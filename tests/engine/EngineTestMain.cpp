#include "LogCollector.h"
#include "SonavelAudioEngine.h"

#include <gtest/gtest.h>
#include <juce_events/juce_events.h>

// PortAudio's device scan makes ALSA load plugins (JACK's among them) that leak and are unloaded
// again before the leak check. Full stacks taken at allocation time still name ALSA, which we do not
// build; only those leaks are suppressed.
extern "C" const char* __asan_default_options() { return "fast_unwind_on_malloc=0"; }
extern "C" const char* __lsan_default_suppressions() { return "leak:libasound.so.2\n"; }

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
