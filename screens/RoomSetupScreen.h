#pragma once

#include "WizardScreen.h"

#include <array>

// State 1: where to put the speakers. Seven advice paragraphs, each a picture button that
// turns gold under the mouse.
class RoomSetupScreen final : public WizardScreen
{
public:
    RoomSetupScreen();

    void resized() override;

    static constexpr int numAdviceButtons = 7;
    juce::ImageButton* getAdviceButton (int index) const { return adviceButtons[(size_t) index].get(); }

private:
    std::array<std::unique_ptr<juce::ImageButton>, numAdviceButtons> adviceButtons;
};
