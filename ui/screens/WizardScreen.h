#pragma once

#include "PictureCatalog.h"
#include "StateDelegator.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>
#include <optional>

// What all seven wizard screens share: a fixed 1000 x 750 size, a 1024 x 768 background picture
// drawn at an offset (so its margins are clipped), and image buttons set up the same way.
class WizardScreen : public juce::Component,
                     public juce::Button::Listener,
                     public StateDelegator
{
public:
    static constexpr int screenWidth = 1000;
    static constexpr int screenHeight = 750;

    // drawImage stretches the picture into its rectangle, drawImageWithin centres it; for a
    // 1024 x 768 picture both look the same, but each screen keeps its own.
    enum class BackgroundFit { stretch, centred };

    void paint (juce::Graphics& g) override;

    // Places the standard buttons; screens with more children extend this.
    void resized() override;

    // Next (or Finish) asks for the next state and Back for the previous one; other buttons
    // are the screen's own business.
    void buttonClicked (juce::Button* button) override;

    // A screen taken out of the window while a button was under the mouse would come back with
    // that button still lit; it starts afresh each time it is shown instead.
    void parentHierarchyChanged() override;

protected:
    WizardScreen (const juce::String& componentName, Picture background,
                  juce::Point<int> backgroundOffset, BackgroundFit fit);

    struct ButtonFaces
    {
        Picture normal;
        std::optional<Picture> over;
        Picture down;
    };

    // Creates a child image button, configured in the order every screen uses: tooltip, text,
    // listener, pictures. The whole rectangle reacts to the mouse.
    std::unique_ptr<juce::ImageButton> makeImageButton (const juce::String& buttonName,
                                                        const juce::String& tooltip,
                                                        std::optional<juce::String> buttonText,
                                                        const ButtonFaces& faces,
                                                        bool keepProportions,
                                                        juce::Button::Listener* listener);

    // The standard Next and Back tabs. Tooltips can be left off (the room analysis screen).
    void addStandardButtons (bool withTooltips = true);

    // Bottom-right places of Next (or Finish) and Back. Either may be absent.
    std::unique_ptr<juce::ImageButton> nextButton;
    std::unique_ptr<juce::ImageButton> backButton;

private:
    juce::Image backgroundImage;
    juce::Point<int> offset;
    BackgroundFit fit;
};
