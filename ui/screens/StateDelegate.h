#pragma once

// Request codes a screen sends to the wizard.
enum StateRequest
{
    requestNext = 0,
    requestBack = 1,
    requestAction = 2
};

// The one thing a screen may ask of the wizard: a change of state.
class StateDelegate
{
public:
    virtual ~StateDelegate() = default;
    virtual void requestStateChange (int request) = 0;
};
