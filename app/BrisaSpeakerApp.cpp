#include "BrisaSpeakerApp.h"

#include "BrisaMainWindow.h"
#include "CommandLine.h"
#include "DeviceListText.h"
#include "ConsoleMeasurement.h"
#include "QueuedInputWatch.h"
#include "SonavelAudioEngine.h"
#include "SonavelSkin.h"
#include "SonavelStateMachine.h"
#include "StepSix.h"
#include "UserInstanceLock.h"

#include <cstdio>

std::unique_ptr<juce::FileLogger> BrisaSpeakerApp::fileLogger;
std::string BrisaSpeakerApp::latencyOverrideRemoved;

BrisaSpeakerApp::BrisaSpeakerApp() = default;
BrisaSpeakerApp::~BrisaSpeakerApp() = default;

void BrisaSpeakerApp::initialise (const juce::String&)
{
    if (runFromCommandLine())
        return;

    const auto name = getApplicationName();
    const auto welcome = name + " " + getApplicationVersion();

    // Before the log file is opened: a second copy must not trim the log that the first one
    // is writing, nor put a header into it.
    const auto configFolder = userConfigFolder();
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

    if (! latencyOverrideRemoved.empty())
        juce::Logger::writeToLog (juce::String ("PULSE_LATENCY_MSEC=") + latencyOverrideRemoved
                                  + " was set: the program sizes its streams' buffers itself.");

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

    // Beside the log: the curves step six showed when the program last ran.
    stateMachine->getStepSix().rememberIn (configFolder.getChildFile (name + " state.txt"));

    // Beside the log: the microphone and the output chosen in the program.
    SonavelAudioEngine::getInstance()->getDevices().rememberIn (configFolder.getChildFile (name + " devices.txt"));

    // Beside them: the calibration file chosen for each microphone.
    SonavelAudioEngine::getInstance()->getCalibrations().rememberIn (configFolder.getChildFile (name + " calibrations.txt"));

    mainWindow = std::make_unique<BrisaMainWindow> (stateMachine.get());
    inputWatch = std::make_unique<QueuedInputWatch>();

    skin = std::make_unique<SonavelSkin>();
    juce::LookAndFeel::setDefaultLookAndFeel (skin.get());

    juce::Logger::writeToLog ("finished initialise()...");
}

juce::File BrisaSpeakerApp::userConfigFolder()
{
    return juce::File::getSpecialLocation (juce::File::userApplicationDataDirectory).getChildFile ("KORVEN Sonavel");
}

bool BrisaSpeakerApp::runFromCommandLine()
{
    const auto line = CommandLine::parse (getCommandLineParameterArray());

    switch (line.task)
    {
        case CommandLine::Task::window:
            return false;

        case CommandLine::Task::help:
            std::fputs (CommandLine::help().toRawUTF8(), stdout);
            break;

        case CommandLine::Task::version:
            std::fputs ((getApplicationName() + " " + getApplicationVersion() + "\n").toRawUTF8(), stdout);
            break;

        case CommandLine::Task::wrongUsage:
            std::fputs (("korven-sonavel: " + line.problem + "\n" + CommandLine::usage()
                         + "Try 'korven-sonavel --help' for more.\n").toRawUTF8(),
                        stderr);
            setApplicationReturnValue (CommandLine::statusWrongUsage);
            break;

        case CommandLine::Task::listDevices:
        {
            const auto list = SoundDeviceList::scan (SoundDeviceSettings::serverTimeoutMs);
            std::fputs (DeviceListText::of (list).toRawUTF8(), stdout);

            if (list.getSource() == SoundDeviceList::Source::none)
                setApplicationReturnValue (ConsoleMeasurement::statusFor (MeasurementOutcome::noAudioDevice));

            break;
        }

        case CommandLine::Task::measure:
            // Until the measurement says otherwise, e.g. when Ctrl+C ends the program first.
            setApplicationReturnValue (CommandLine::statusStopped);
            consoleMeasurement = std::make_unique<ConsoleMeasurement> (
                line.mode, line.saveFile.isEmpty() ? juce::File() : juce::File::getCurrentWorkingDirectory().getChildFile (line.saveFile));
            consoleMeasurement->useDevices (line.input, line.output, userConfigFolder().getChildFile (getApplicationName() + " devices.txt"));
            consoleMeasurement->useCalibration (line.calibration, userConfigFolder().getChildFile (getApplicationName() + " calibrations.txt"));
            consoleMeasurement->measurePositions (line.positions);

            if (line.compareFile.isNotEmpty())
                consoleMeasurement->compareWith (juce::File::getCurrentWorkingDirectory().getChildFile (line.compareFile));

            consoleMeasurement->onFinished = [this] (int status)
            {
                setApplicationReturnValue (status);
                quit();
            };
            consoleMeasurement->start();
            return true;
    }

    quit();
    return true;
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
    consoleMeasurement.reset();

    inputWatch.reset();
    mainWindow.reset();
    stateMachine.reset();

    juce::LookAndFeel::setDefaultLookAndFeel (nullptr);
    skin.reset();

    // Held to the last, so that a copy started meanwhile does not open a window beside this one.
    instanceLock.reset();
}
