#pragma once

#include "StateDelegate.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

class SonavelSplashScreen;
class RoomSetupScreen;
class SonavelSpeakerHeightScreen;
class SonavelRoomAnalysisScreen;
class StepFour;
class StepFive;
class StepSix;
class WizardScreen;

// The wizard: owns the seven screens, knows which is current, turns the screens' requests into
// state changes and tells the window with "StateChanged". It also starts the level test and the
// measurement for steps five and six, and hands control back to them when the engine is done.
class SonavelStateMachine final : public juce::ActionBroadcaster,
                                  public juce::ActionListener,
                                  public StateDelegate
{
public:
    static constexpr int numStates = 7;

    SonavelStateMachine();
    ~SonavelStateMachine() override;

    juce::Component* getCurrentScreen() const;
    int getCurrentState() const { return currentState; }

    void requestStateChange (int request) override;

    // Hears the engine between the start of a test and its "finishMeasure".
    void actionListenerCallback (const juce::String& message) override;

    // Marks step five's loop as running and starts one level-test pass.
    void startLevelTestLoop();

    StepFive& getStepFive() const { return *stepFive; }
    StepSix& getStepSix() const { return *stepSix; }

private:
    WizardScreen* screenFor (int state) const;
    int nextStateFor (int request) const;
    void toggleLevelTest();
    void startMeasurement();

    int currentState = 0;
    std::unique_ptr<SonavelSplashScreen> splashScreen;
    std::unique_ptr<RoomSetupScreen> roomSetupScreen;
    std::unique_ptr<SonavelSpeakerHeightScreen> speakerHeightScreen;
    std::unique_ptr<SonavelRoomAnalysisScreen> roomAnalysisScreen;
    std::unique_ptr<StepFour> stepFour;
    std::unique_ptr<StepFive> stepFive;
    std::unique_ptr<StepSix> stepSix;
};
