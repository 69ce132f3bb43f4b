#include "SonavelRoomAnalysisScreen.h"

SonavelRoomAnalysisScreen::SonavelRoomAnalysisScreen()
    : WizardScreen ("Room Analysis", Picture::roomAnalysisBackground, { -12, 0 }, BackgroundFit::stretch)
{
    addStandardButtons (false);
    setSize (screenWidth, screenHeight);
}
