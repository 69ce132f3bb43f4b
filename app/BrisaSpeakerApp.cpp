#include "BrisaSpeakerApp.h"

#include "BrisaMainWindow.h"
#include "SonavelAudioEngine.h"
#include "SonavelSkin.h"
#include "SonavelStateMachine.h"
#include "UserInstanceLock.h"

#include <cstdio>

std::unique_ptr<juce::FileLogger> BrisaSpeakerApp::fileLogger;

BrisaSpeakerApp::BrisaSpeakerApp() = default;
BrisaSpeakerApp::~BrisaSpeakerApp() = default;

void BrisaSpeakerApp::initialise (const juce::String&)
{
    const auto name = getApplicationName();
    const auto welcome = name + " " + getApplicationVersion();

    // Before the log file is opened: a second copy must not trim the log that the first one
    // is writing, nor put a header into it.
    const auto configFolder = juce::File::getSpecialLocation (juce::File::userApplicationDataDirectory).getChildFile (name);
    instanceLock = std::make_unique<UserInstanceLock> (
        UserInstanceLock::chooseFolder (juce::SystemStats::getEnvironmentVariable ("XDG_RUNTIME_DIR", {}), configFolder),
        name);

    if (instanceLock->getOutcome() == UserInstanceLock::Outcome::heldByAnotherCopy)
    {
        std::fputs (instanceLock->notifyRunningCopy()
                        ? "KORVEN Sonavel is already running for this user: showing its window instead.\n"
                        : "KORVEN Sonavel is already running for this user.\n",
                    stderr);
        instanceLock.reset();
        quit();
        return;
    }

    fileLogger.reset (juce::FileLogger::createDefaultAppLogger (name, name + ".txt", welcome, 128 * 1024));
    juce::Logger::setCurrentLogger (fileLogger.get());
    juce::Logger::writeToLog ("initialise()...");

    if (instanceLock->getOutcome() == UserInstanceLock::Outcome::unavailable)
        juce::Logger::writeToLog ("Could not take the lock " + instanceLock->getLockFile().getFullPathName()
                                  + ": nothing stops a second copy from starting.");

    instanceLock->onAnotherCopyStarted = [this]
    {
        juce::Logger::writeToLog ("Another copy was started: bringing the window to the front.");

        if (mainWindow != nullptr)
        {
            mainWindow->setMinimised (false);
            mainWindow->toFront (true);
        }
    };

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

    // Beside the log: the microphone and the output chosen in the program.
    SonavelAudioEngine::getInstance()->getDevices().rememberIn (configFolder.getChildFile (name + " devices.txt"));
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

    // A second copy that found the lock taken gets here having built nothing: nothing below
    // may assume anything was built.
    if (fileLogger != nullptr)
        juce::Logger::writeToLog ("shutdown()...");

    juce::Logger::setCurrentLogger (nullptr);
    fileLogger.reset();

    mainWindow.reset();
    stateMachine.reset();

    juce::LookAndFeel::setDefaultLookAndFeel (nullptr);
    skin.reset();

    // Held to the last, so that a copy started meanwhile does not open a window beside this one.
    instanceLock.reset();
}
