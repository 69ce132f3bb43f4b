#include "SpinnerButton.h"

#include "PictureCatalog.h"

SpinnerButton::SpinnerButton (bool increment)
    : juce::Button ({}),
      upImage (PictureCatalog::get (Picture::spinnerUp)),
      downImage (PictureCatalog::get (Picture::spinnerDown)),
      isIncrement (increment)
{
}

void SpinnerButton::paintButton (juce::Graphics& g, bool isMouseOverButton, bool isButtonDown)
{
    g.setOpacity (isButtonDown ? 1.0f : (isMouseOverButton ? 0.95f : 0.8f));
    g.drawImageWithin (isIncrement ? upImage : downImage, 0, 0, getWidth(), getHeight(),
                       juce::RectanglePlacement::centred, false);
}

juce::String SpinnerButton::getTooltip()
{
    return "Click, or drag horizontally, to adjust the value. Hold the Alt key for fine-grain adjustments.";
}
