#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// The EQ calculator's window: closing it only hides it, which ends its modal loop.
class TempDlg final : public juce::DialogWindow
{
public:
    using juce::DialogWindow::DialogWindow;

    void closeButtonPressed() override;
};
