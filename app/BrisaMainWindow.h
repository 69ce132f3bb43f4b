#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

class SonavelStateMachine;

// The one top-level window. It shows whichever screen the wizard names as current and swaps it
// when the wizard says "StateChanged"; it never decides what to show itself.
class BrisaMainWindow final : public juce::DocumentWindow,
                              public juce::ActionListener
{
public:
    explicit BrisaMainWindow (SonavelStateMachine* stateMachine);
    ~BrisaMainWindow() override;

    void closeButtonPressed() override;
    void actionListenerCallback (const juce::String& message) override;

private:
    void showScreen (juce::Component* screen);

    SonavelStateMachine* stateMachine;
    std::unique_ptr<juce::TooltipWindow> tooltipWindow;
};
