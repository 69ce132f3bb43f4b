#include "BrisaMainWindow.h"

#include "SonavelStateMachine.h"

namespace
{
    juce::String windowTitle()
    {
        auto* app = juce::JUCEApplicationBase::getInstance();
        return "KORVEN Sonavel " + (app != nullptr ? app->getApplicationVersion() : juce::String());
    }
}

BrisaMainWindow::BrisaMainWindow (SonavelStateMachine* wizard)
    : juce::DocumentWindow (windowTitle(), juce::Colour (0xFFD3D3D3),
                            juce::DocumentWindow::minimiseButton | juce::DocumentWindow::closeButton, true),
      stateMachine (wizard)
{
    setTitleBarHeight (15);
    setUsingNativeTitleBar (false);
    setResizable (false, false);

    tooltipWindow = std::make_unique<juce::TooltipWindow> (this);

    if (stateMachine != nullptr && stateMachine->getCurrentScreen() != nullptr)
    {
        stateMachine->addActionListener (this);
        showScreen (stateMachine->getCurrentScreen());
    }

    centreWithSize (getWidth(), getHeight());
}

BrisaMainWindow::~BrisaMainWindow()
{
    tooltipWindow.reset();
    // The wizard owns the screens: take the current one out without deleting it.
    clearContentComponent();
}

void BrisaMainWindow::showScreen (juce::Component* screen)
{
    if (screen == nullptr)
        return;

    setContentNonOwned (screen, true);
    setVisible (true);
}

void BrisaMainWindow::actionListenerCallback (const juce::String& message)
{
    if (message == "StateChanged" && stateMachine != nullptr)
        showScreen (stateMachine->getCurrentScreen());
}

void BrisaMainWindow::closeButtonPressed()
{
    juce::JUCEApplicationBase::quit();
}
