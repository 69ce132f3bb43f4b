#pragma once

#include "WizardScreen.h"

// State 3: rear-panel EQ defaults and connection. Its buttons carry no tooltips.
class SonavelRoomAnalysisScreen final : public WizardScreen
{
public:
    SonavelRoomAnalysisScreen();
};
