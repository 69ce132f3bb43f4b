#include "SonavelSplashScreen.h"

SonavelSplashScreen::SonavelSplashScreen()
    : WizardScreen ("Splash Screen", Picture::splashBackground, { -12, 0 }, BackgroundFit::centred)
{
    // Unlike the other screens' Next buttons, this one is named for its lettering and carries no text.
    nextButton = makeImageButton ("NEXT", "Proceed to the next step...", juce::String(),
                                  { Picture::nextButtonNormal, Picture::nextButtonOver, Picture::nextButtonDown },
                                  true, this);
    setSize (screenWidth, screenHeight);
}
