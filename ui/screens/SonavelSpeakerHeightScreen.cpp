#include "SonavelSpeakerHeightScreen.h"

SonavelSpeakerHeightScreen::SonavelSpeakerHeightScreen()
    : WizardScreen ("Speaker Height", Picture::speakerHeightBackground, { -12, 0 }, BackgroundFit::centred)
{
    addStandardButtons ();
    setSize (screenWidth, screenHeight);
}
