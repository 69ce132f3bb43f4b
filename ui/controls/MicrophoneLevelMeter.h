#pragma once

#include "InputLevelMeter.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

// The microphone's level in dBFS while the test tone plays, so that its gain is set before
// measuring: a bar over a scale from -60 to 0 dBFS, in the colours of the artwork's target-level
// bar: grey too quiet, gold the range that gives a good measurement, dark grey too loud, and red
// where the input clips. It reads the meter only between start and stop.
class MicrophoneLevelMeter final : public juce::Component,
                                   private juce::Timer
{
public:
    explicit MicrophoneLevelMeter (std::shared_ptr<InputLevelMeter> source);

    static constexpr float lowestDb = -60.0f;
    static constexpr float goodFromDb = -30.0f;
    static constexpr float goodToDb = -6.0f;

    void start();
    void stop();
    bool isListening() const { return isTimerRunning(); }

    // The microphone's description for the caption.
    void setMicrophone (const juce::String& description);

    // What the meter shows: the level (lowestDb when there is none), and its sentence.
    float getShownDb() const { return shownDb; }
    juce::String getVerdict() const;

    void paint (juce::Graphics& g) override;

private:
    enum class Heard { nothingYet, level, silence, noInput };

    void timerCallback() override;
    float xFor (float db, juce::Rectangle<float> bar) const;

    std::shared_ptr<InputLevelMeter> source;
    juce::String microphone;
    Heard heard = Heard::nothingYet;
    float shownDb = lowestDb;
    float heldDb = lowestDb;
    int ticksSinceHeld = 0;
    int ticksWithoutSamples = 0;
    bool clipped = false;
};
