#pragma once

#include "WizardScreen.h"

// State 0: the welcome picture and a single way on.
class SonavelSplashScreen final : public WizardScreen
{
public:
    SonavelSplashScreen();
};
