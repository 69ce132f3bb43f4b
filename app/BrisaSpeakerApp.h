#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

class BrisaSpeakerApp final : public juce::JUCEApplication
{
public:
    const juce::String getApplicationName() override { return "KORVEN Sonavel"; }
    const juce::String getApplicationVersion() override { return "v.1.0.36"; }
    bool moreThanOneInstanceAllowed() override { return false; }
    void initialise (const juce::String&) override {}
    void shutdown() override {}
};
