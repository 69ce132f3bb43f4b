#pragma once

#include "WizardScreen.h"

// State 2: how high the speakers should stand.
class SonavelSpeakerHeightScreen final : public WizardScreen
{
public:
    SonavelSpeakerHeightScreen();
};
