#include "StepFour.h"

StepFour::StepFour()
    : WizardScreen ("Step Four", Picture::stepFourBackground, { -13, -2 }, BackgroundFit::stretch)
{
    addStandardButtons ();
    setSize (screenWidth, screenHeight);
}
