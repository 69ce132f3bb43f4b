#include "BrisaSpeakerApp.h"

#include "BrisaMainWindow.h"
#include "SonavelAudioEngine.h"
#include "SonavelSkin.h"
#include "SonavelStateMachine.h"

#include <cstdio>

std::unique_ptr<juce::FileLogger> BrisaSpeakerApp::fileLogger;

BrisaSpeakerApp::BrisaSpeakerApp() = default;
BrisaSpeakerApp::~BrisaSpeakerApp() = default;

void BrisaSpeakerApp::initialise (const juce::String&)
{
    const auto name = getApplicationName();
    const auto welcome = name + " " + getApplicationVersion();

    fileLogger.reset (juce::FileLogger::createDefaultAppLogger (name, name + ".txt", welcome, 128 * 1024));
    juce::Logger::setCurrentLogger (fileLogger.get());
    juce::Logger::writeToLog ("initialise()...");

    // Without a display JUCE has nowhere to put the window and would crash placing it.
    if (juce::Desktop::getInstance().getDisplays().getPrimaryDisplay() == nullptr)
    {
        std::fputs ("KORVEN Sonavel needs a graphical display: none was found (is DISPLAY set?).\n", stderr);
        juce::Logger::writeToLog ("No display found: nothing to show the window on.");
        setApplicationReturnValue (1);
        quit();
        return;
    }

    stateMachine = std::make_unique<SonavelStateMachine>();
    mainWindow = std::make_unique<BrisaMainWindow> (stateMachine.get());

    skin = std::make_unique<SonavelSkin>();
    juce::LookAndFeel::setDefaultLookAndFeel (skin.get());

    juce::Logger::writeToLog ("finished initialise()...");
}

void BrisaSpeakerApp::shutdown()
{
    // The engine goes first, so that no test thread still runs or posts messages while the
    // window and the screens go away.
    SonavelAudioEngine::deleteInstance();

    // A second copy that lost the single-instance race gets here without initialise():
    // nothing below may assume anything was built.
    if (fileLogger != nullptr)
        juce::Logger::writeToLog ("shutdown()...");

    juce::Logger::setCurrentLogger (nullptr);
    fileLogger.reset();

    mainWindow.reset();
    stateMachine.reset();

    juce::LookAndFeel::setDefaultLookAndFeel (nullptr);
    skin.reset();
}
