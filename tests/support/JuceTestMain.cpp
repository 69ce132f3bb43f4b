#include <gtest/gtest.h>
#include <juce_gui_basics/juce_gui_basics.h>

// GoogleTest on JUCE's message thread: components, timers and action messages all need one.
int main (int argc, char** argv)
{
    juce::ScopedJuceInitialiser_GUI juce;
    ::testing::InitGoogleTest (&argc, argv);
    return RUN_ALL_TESTS();
}
