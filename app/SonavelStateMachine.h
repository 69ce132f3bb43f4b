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
// state changes and tells the window with "StateChanged".
class SonavelStateMachine final : public juce::ActionBroadcaster,
                                  public StateDelegate
{
public:
    static constexpr int numStates = 7;

    SonavelStateMachine();
    ~SonavelStateMachine() override;

    juce::Component* getCurrentScreen() const;
    int getCurrentState() const { return currentState; }

    void requestStateChange (int request) override;

    StepFive& getStepFive() const { return *stepFive; }
    StepSix& getStepSix() const { return *stepSix; }

private:
    WizardScreen* screenFor (int state) const;
    int nextStateFor (int request) const;

    int currentState = 0;
    std::unique_ptr<SonavelSplashScreen> splashScreen;
    std::unique_ptr<RoomSetupScreen> roomSetupScreen;
    std::unique_ptr<SonavelSpeakerHeightScreen> speakerHeightScreen;
    std::unique_ptr<SonavelRoomAnalysisScreen> roomAnalysisScreen;
    std::unique_ptr<StepFour> stepFour;
    std::unique_ptr<StepFive> stepFive;
    std::unique_ptr<StepSix> stepSix;
};
