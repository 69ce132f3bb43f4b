#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>
#include <string>

class BrisaMainWindow;
class ConsoleMeasurement;
class QueuedInputWatch;
class SonavelStateMachine;
class SonavelSkin;
class UserInstanceLock;

class BrisaSpeakerApp final : public juce::JUCEApplication
{
public:
    BrisaSpeakerApp();
    ~BrisaSpeakerApp() override;

    void initialise (const juce::String& commandLine) override;
    void shutdown() override;

    const juce::String getApplicationName() override { return "KORVEN Sonavel"; }
    const juce::String getApplicationVersion() override { return "v." SONAVEL_VERSION; }

    // JUCE's single-instance lock is machine-wide; ours (UserInstanceLock) is per user and is
    // taken in initialise, so JUCE's is switched off.
    bool moreThanOneInstanceAllowed() override { return true; }

    // The PULSE_LATENCY_MSEC that main took out of the environment, for the log; empty if none.
    static std::string latencyOverrideRemoved;

private:
    // --help, --version, --list-devices and --measure: no window, no lock, no log file. True if
    // the command line asked for one of them (or was wrong).
    bool runFromCommandLine();

    // Where the log, the kept curves and the chosen devices live.
    static juce::File userConfigFolder();

    // One per process: the framework's current logger points at it between initialise and shutdown.
    static std::unique_ptr<juce::FileLogger> fileLogger;

    std::unique_ptr<ConsoleMeasurement> consoleMeasurement;
    std::unique_ptr<UserInstanceLock> instanceLock;
    std::unique_ptr<BrisaMainWindow> mainWindow;
    std::unique_ptr<QueuedInputWatch> inputWatch;
    std::unique_ptr<SonavelStateMachine> stateMachine;
    std::unique_ptr<SonavelSkin> skin;
};
