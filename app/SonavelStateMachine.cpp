#include "SonavelStateMachine.h"

#include "RoomSetupScreen.h"
#include "SonavelRoomAnalysisScreen.h"
#include "SonavelSpeakerHeightScreen.h"
#include "SonavelSplashScreen.h"
#include "StepFive.h"
#include "StepFour.h"
#include "StepSix.h"

namespace
{
    constexpr int lastState = SonavelStateMachine::numStates - 1;

    template <typename Screen>
    std::unique_ptr<Screen> makeScreen (StateDelegate& wizard)
    {
        auto screen = std::make_unique<Screen>();
        screen->setStateDelegate (&wizard);
        return screen;
    }
}

SonavelStateMachine::SonavelStateMachine()
{
    splashScreen = makeScreen<SonavelSplashScreen> (*this);
    roomSetupScreen = makeScreen<RoomSetupScreen> (*this);
    speakerHeightScreen = makeScreen<SonavelSpeakerHeightScreen> (*this);
    roomAnalysisScreen = makeScreen<SonavelRoomAnalysisScreen> (*this);
    stepFour = makeScreen<StepFour> (*this);
    stepFive = makeScreen<StepFive> (*this);
    stepSix = makeScreen<StepSix> (*this);
}

SonavelStateMachine::~SonavelStateMachine()
{
    // Screens go in state order, as they were made.
    splashScreen.reset();
    roomSetupScreen.reset();
    speakerHeightScreen.reset();
    roomAnalysisScreen.reset();
    stepFour.reset();
    stepFive.reset();
    stepSix.reset();
}

juce::Component* SonavelStateMachine::getCurrentScreen() const
{
    return screenFor (currentState);
}

WizardScreen* SonavelStateMachine::screenFor (int state) const
{
    switch (state)
    {
        case 0: return splashScreen.get();
        case 1: return roomSetupScreen.get();
        case 2: return speakerHeightScreen.get();
        case 3: return roomAnalysisScreen.get();
        case 4: return stepFour.get();
        case 5: return stepFive.get();
        case 6: return stepSix.get();
        default: return nullptr;
    }
}

int SonavelStateMachine::nextStateFor (int request) const
{
    if (request == requestNext && currentState < lastState)
        return currentState + 1;

    if (request == requestBack && currentState > 0)
        return currentState - 1;

    return currentState;
}

void SonavelStateMachine::requestStateChange (int request)
{
    const int previousState = currentState;

    if (request == requestNext && currentState == lastState)
    {
        juce::JUCEApplicationBase::quit();
        return;
    }

    currentState = nextStateFor (request);

    if (currentState == previousState)
        return;

    if (auto* left = screenFor (previousState))
        left->stateExited();

    if (auto* entered = screenFor (currentState))
        entered->stateEntered();

    sendActionMessage ("StateChanged");
}
