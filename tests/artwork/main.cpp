#include <juce_gui_basics/juce_gui_basics.h>

#include <gtest/gtest.h>

// The image cache needs JUCE's GUI side running, though never a display.
int main (int argc, char** argv)
{
    const juce::ScopedJuceInitialiser_GUI juce;
    ::testing::InitGoogleTest (&argc, argv);
    return RUN_ALL_TESTS();
}
