#include <gtest/gtest.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>
#include <vector>

// PortAudio's device scan makes ALSA load plugins that leak and are unloaded again before the leak
// check. Full stacks taken at allocation time still name ALSA, which we do not build; only those
// leaks are suppressed.
extern "C" const char* __asan_default_options() { return "fast_unwind_on_malloc=0"; }
extern "C" const char* __lsan_default_suppressions() { return "leak:libasound.so.2\n"; }

// GoogleTest on JUCE's message thread: components, timers and action messages all need one.
int main (int argc, char** argv)
{
#ifdef SONAVEL_OWN_DISPLAY
    // These tests move the pointer and open windows: never on the person's display.
    const char* own = std::getenv ("SONAVEL_TEST_DISPLAY");
    const char* display = std::getenv ("DISPLAY");
    char self[4096] = {};

    if ((own == nullptr || display == nullptr || std::strcmp (own, display) != 0)
        && readlink ("/proc/self/exe", self, sizeof (self) - 1) > 0)
    {
        std::vector<char*> launch { const_cast<char*> (SONAVEL_OWN_DISPLAY), self };
        launch.insert (launch.end(), argv + 1, argv + argc + 1);
        execv (SONAVEL_OWN_DISPLAY, launch.data());
        std::perror (SONAVEL_OWN_DISPLAY);
        return 1;
    }
#endif

    juce::ScopedJuceInitialiser_GUI juce;
    ::testing::InitGoogleTest (&argc, argv);
    return RUN_ALL_TESTS();
}
