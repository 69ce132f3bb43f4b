#include "WizardScreen.h"

WizardScreen::WizardScreen (const juce::String& componentName, Picture background,
                            juce::Point<int> backgroundOffset, BackgroundFit backgroundFit)
    : juce::Component (componentName),
      backgroundImage (PictureCatalog::get (background)),
      offset (backgroundOffset),
      fit (backgroundFit)
{
}

void WizardScreen::paint (juce::Graphics& g)
{
    g.fillAll (juce::Colour (0xFFFFFFFF));
    g.setColour (juce::Colour (0xFF000000));

    const juce::Rectangle<int> area (offset.x, offset.y, 1024, 768);

    if (fit == BackgroundFit::stretch)
        g.drawImage (backgroundImage, area.toFloat());
    else
        g.drawImageWithin (backgroundImage, area.getX(), area.getY(), area.getWidth(), area.getHeight(),
                           juce::RectanglePlacement::centred);
}

std::unique_ptr<juce::ImageButton> WizardScreen::makeImageButton (const juce::String& buttonName,
                                                                  const juce::String& tooltip,
                                                                  std::optional<juce::String> buttonText,
                                                                  const ButtonFaces& faces,
                                                                  bool keepProportions,
                                                                  juce::Button::Listener* listener)
{
    auto button = std::make_unique<juce::ImageButton> (buttonName);
    addAndMakeVisible (*button);

    if (tooltip.isNotEmpty())
        button->setTooltip (tooltip);

    if (buttonText.has_value())
        button->setButtonText (*buttonText);

    if (listener != nullptr)
        button->addListener (listener);

    const auto none = juce::Colour (0x00000000);
    button->setImages (false, true, keepProportions,
                       PictureCatalog::get (faces.normal), 1.0f, none,
                       faces.over ? PictureCatalog::get (*faces.over) : juce::Image(), 1.0f, none,
                       PictureCatalog::get (faces.down), 1.0f, none,
                       0.0f);
    return button;
}

void WizardScreen::addStandardButtons (bool withTooltips)
{
    nextButton = makeImageButton ("Next", withTooltips ? "Proceed to the next step..." : "", juce::String ("new button"),
                                  { Picture::nextButtonNormal, Picture::nextButtonOver, Picture::nextButtonDown },
                                  true, this);
    backButton = makeImageButton ("Back", withTooltips ? "Go back to the previous step..." : "", juce::String ("new button"),
                                  { Picture::backButtonNormal, Picture::backButtonOver, Picture::backButtonDown },
                                  true, this);
}

void WizardScreen::resized()
{
    if (nextButton != nullptr)
        nextButton->setBounds (880, 704, 103, 24);

    if (backButton != nullptr)
        backButton->setBounds (800, 704, 95, 24);
}

void WizardScreen::parentHierarchyChanged()
{
    for (auto* child : getChildren())
        if (auto* button = dynamic_cast<juce::Button*> (child))
            button->setState (juce::Button::buttonNormal);
}

void WizardScreen::buttonClicked (juce::Button* button)
{
    if (button == nullptr)
        return;

    if (button == nextButton.get())
        sendStateRequest (requestNext);
    else if (button == backButton.get())
        sendStateRequest (requestBack);
}
