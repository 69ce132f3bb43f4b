#pragma once

#include "RoomLayoutWidget.h"
#include "WizardScreen.h"

#include <array>

// State 1: where to put the speakers. Seven advice paragraphs, each a picture button that
// turns gold under the mouse, beside the room diagram whose markers light with them.
class RoomSetupScreen final : public WizardScreen
{
public:
    RoomSetupScreen();
    ~RoomSetupScreen() override;

    void resized() override;

    static constexpr int numAdviceButtons = 7;
    juce::ImageButton* getAdviceButton (int index) const { return adviceButtons[(size_t) index].get(); }
    RoomLayoutWidget& getRoomLayout() const { return *roomLayout; }

private:
    std::array<std::unique_ptr<juce::ImageButton>, numAdviceButtons> adviceButtons;
    std::unique_ptr<RoomLayoutWidget> roomLayout;
};
