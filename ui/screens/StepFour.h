#pragma once

#include "WizardScreen.h"

// State 4: how the microphone and the speakers are wired.
class StepFour final : public WizardScreen
{
public:
    StepFour();
};
