#include "SonavelStateMachine.h"

#include "MeasurementContract.h"
#include "RoomSetupScreen.h"
#include "SonavelAudioEngine.h"
#include "SonavelRoomAnalysisScreen.h"
#include "SonavelSpeakerHeightScreen.h"
#include "SonavelSplashScreen.h"
#include "StepFive.h"
#include "StepFour.h"
#include "StepSix.h"

namespace
{
    constexpr int lastState = SonavelStateMachine::numStates - 1;
    constexpr int levelTestState = 5;
    constexpr int measurementState = 6;

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
    if (auto* engine = SonavelAudioEngine::getInstanceWithoutCreating())
        engine->removeActionListener (this);

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

    if (request == requestAction && currentState == levelTestState)
    {
        toggleLevelTest();
        return;
    }

    if (request == requestAction && currentState == measurementState)
    {
        startMeasurement();
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

void SonavelStateMachine::toggleLevelTest()
{
    // Switching off lets the pass that is playing run to its end; no new pass follows it.
    if (stepFive->isLevelTestRunning())
        stepFive->clearLevelTestRunning();
    else
        startLevelTestLoop();
}

void SonavelStateMachine::startLevelTestLoop()
{
    stepFive->beginLevelTest();
    auto* engine = SonavelAudioEngine::getInstance();
    engine->addActionListener (this);
    engine->startLevelTest();
}

void SonavelStateMachine::startMeasurement()
{
    stepSix->beginMeasurement();
    auto* engine = SonavelAudioEngine::getInstance();
    engine->addActionListener (this);

    engine->startTest (stepSix->getSelectedMode());
}

void SonavelStateMachine::actionListenerCallback (const juce::String& message)
{
    // The engine forwards its progress messages too; only the end of a test matters here.
    if (message != MeasurementContract::finishMeasure)
        return;

    auto* engine = SonavelAudioEngine::getInstanceWithoutCreating();

    // The end of a pass that TEST TONE replaced by a new one may arrive after the new one began:
    // it ends nothing, and the buttons stay locked until the pass that plays has ended.
    if (currentState == levelTestState && engine != nullptr && engine->isLevelPassPlaying())
        return;

    if (engine != nullptr)
        engine->removeActionListener (this);

    if (currentState == levelTestState)
    {
        // A pass that could not play, or whose thread could not start, would fail again at once:
        // the passes end there.
        juce::String failure;

        if (engine != nullptr)
            failure = MeasurementNotes::toneFailureSentence (engine->getLastLevelOutcome(),
                                                             engine->getDevices().describe (SoundDevice::Direction::output));

        if (failure.isNotEmpty())
            stepFive->endLevelTestWithFailure (failure);
        else if (stepFive->isLevelTestRunning() && ! (engine != nullptr && engine->didLastStartFail()))
            startLevelTestLoop();
        else
            stepFive->endLevelTest();
    }
    else if (currentState == measurementState)
    {
        stepSix->endMeasurement();
    }
}
