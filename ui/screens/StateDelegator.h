#pragma once

#include "StateDelegate.h"

// Base of every wizard screen: holds the wizard it reports to and the hooks the wizard calls
// when the screen becomes, or stops being, the current one.
class StateDelegator
{
public:
    virtual ~StateDelegator() = default;

    virtual void stateEntered() {}
    virtual void stateExited() {}

    void setStateDelegate (StateDelegate* newDelegate) { delegate = newDelegate; }
    void sendStateRequest (int request);

protected:
    StateDelegate* delegate = nullptr;
};
