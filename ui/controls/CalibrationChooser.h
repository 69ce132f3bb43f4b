#pragma once

#include "MicrophoneCalibrations.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

// Shows the calibration file of the microphone in use ("none" without one) in a box in the
// choosers' style, with its caption beside the box or, where the box is narrow, above it. A click
// offers None and Load...; Load... asks for the file.
class CalibrationChooser final : public juce::Component,
                                 public juce::TooltipClient,
                                 private juce::ChangeListener
{
public:
    enum class Caption { beside, above };

    CalibrationChooser (MicrophoneCalibrations& calibrations, Caption where);
    ~CalibrationChooser() override;

    // What the box says: the file's name, or "none".
    juce::String getText() const;

    // Item 1 is None, item 2 Load...; the file in use, if any, is shown ticked.
    juce::PopupMenu makeMenu() const;

    // What picking a menu item does (0 = dismissed); Load... asks for a file.
    void pick (int itemId);

    // What Load... does once a file is chosen; false when it is no calibration.
    bool loadFrom (const juce::File& chosen);

    juce::String getTooltip() override;
    void paint (juce::Graphics& g) override;
    void mouseEnter (const juce::MouseEvent&) override;
    void mouseExit (const juce::MouseEvent&) override;
    void mouseDown (const juce::MouseEvent&) override;

    static constexpr int itemNone = 1;
    static constexpr int itemLoad = 2;

private:
    void changeListenerCallback (juce::ChangeBroadcaster*) override;
    void chooseFile();
    juce::Rectangle<int> boxArea() const;

    // The calibrations live in the engine, which goes before the screens at shutdown.
    juce::WeakReference<MicrophoneCalibrations> calibrations;
    Caption where;
    bool hovering = false;
    std::unique_ptr<juce::FileChooser> fileChooser;
};
