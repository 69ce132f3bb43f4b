#include <gtest/gtest.h>
#include <juce_gui_basics/juce_gui_basics.h>

// PortAudio's device scan makes ALSA load plugins that leak and are unloaded again before the leak
// check. Full stacks taken at allocation time still name ALSA, which we do not build; only those
// leaks are suppressed.
extern "C" const char* __asan_default_options() { return "fast_unwind_on_malloc=0"; }
extern "C" const char* __lsan_default_suppressions() { return "leak:libasound.so.2\n"; }

// GoogleTest on JUCE's message thread: components, timers and action messages all need one.
int main (int argc, char** argv)
{
    juce::ScopedJuceInitialiser_GUI juce;
    ::testing::InitGoogleTest (&argc, argv);
    return RUN_ALL_TESTS();
}
