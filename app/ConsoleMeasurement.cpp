#include "ConsoleMeasurement.h"

#include "AtomicFile.h"
#include "CommandLine.h"
#include "DeviceListText.h"
#include "CurveText.h"
#include "KeptCurve.h"
#include "MeasurementNotes.h"
#include "QuotedName.h"
#include "SonavelAudioEngine.h"
#include "StepSix.h"

#include <cstdio>
#include <cstring>

namespace
{
    void print (std::FILE* stream, const juce::String& text)
    {
        std::fputs (text.toRawUTF8(), stream);
        std::fflush (stream);
    }
}

ConsoleMeasurement::ConsoleMeasurement (int measurementMode, const juce::File& file)
    : mode (measurementMode),
      saveFile (file)
{
}

ConsoleMeasurement::~ConsoleMeasurement()
{
    if (auto* engine = SonavelAudioEngine::getInstanceWithoutCreating())
        engine->removeActionListener (this);

    if (juce::Logger::getCurrentLogger() == this)
        juce::Logger::setCurrentLogger (nullptr);
}

int ConsoleMeasurement::statusFor (MeasurementOutcome outcome)
{
    switch (outcome)
    {
        case MeasurementOutcome::ok: return 0;
        case MeasurementOutcome::noAudioDevice: return 3;
        case MeasurementOutcome::silence: return 4;
        case MeasurementOutcome::streamStopped: return 5;
        case MeasurementOutcome::outOfMemory: return 6;
        case MeasurementOutcome::devicesBusy: return 7;
        case MeasurementOutcome::audioGivenUp: return 8;
        case MeasurementOutcome::unsteady: return 10;
        case MeasurementOutcome::pathTooSlow: return 12;
        case MeasurementOutcome::overran: return 13;
        case MeasurementOutcome::inputMissing:
        case MeasurementOutcome::outputMissing: return statusDeviceMissing;
        case MeasurementOutcome::none:
        case MeasurementOutcome::stopped: break;
    }

    return CommandLine::statusStopped;
}

void ConsoleMeasurement::useDevices (const juce::String& input, const juce::String& output, const juce::File& choiceFile)
{
    inputName = input;
    outputName = output;
    deviceChoiceFile = choiceFile;
}

bool ConsoleMeasurement::chooseDevices()
{
    auto& devices = SonavelAudioEngine::getInstance()->getDevices();
    devices.takeChoiceFrom (deviceChoiceFile);
    devices.setList (SoundDeviceList::scan (SoundDeviceSettings::serverTimeoutMs));

    const struct { SoundDevice::Direction direction; const juce::String& name; const char* what; } asked[] = {
        { SoundDevice::Direction::input, inputName, "input" }, { SoundDevice::Direction::output, outputName, "output" }
    };

    for (const auto& request : asked)
    {
        if (request.name.isEmpty())
        {
            // A device chosen in the program that is not connected: said, and the default used.
            if (const auto notice = devices.getNotice (request.direction); notice.isNotEmpty())
                print (stderr, notice + "\n");

            continue;
        }

        const auto* device = devices.getList().find (request.direction, request.name.toStdString());

        if (device == nullptr)
        {
            print (stderr, "korven-sonavel: there is no " + juce::String (request.what) + " named '" + request.name + "'.\n"
                               + DeviceListText::of (devices.getList()) + CommandLine::usage()
                               + "Try 'korven-sonavel --help' for more.\n");
            return false;
        }

        devices.choose (request.direction, device);
    }

    return true;
}

void ConsoleMeasurement::useCalibration (const juce::String& calibration, const juce::File& choiceFile)
{
    calibrationName = calibration;
    calibrationChoiceFile = choiceFile;
}

bool ConsoleMeasurement::chooseCalibration()
{
    auto& calibrations = SonavelAudioEngine::getInstance()->getCalibrations();
    calibrations.takeChoiceFrom (calibrationChoiceFile);

    if (calibrationName == "none")
    {
        calibrations.useNone();
    }
    else if (calibrationName.isNotEmpty())
    {
        if (! calibrations.load (juce::File::getCurrentWorkingDirectory().getChildFile (calibrationName)))
        {
            print (stderr, "korven-sonavel: " + calibrations.getNotice() + "\n");
            return false;
        }
    }
    else if (calibrations.getNotice().isNotEmpty())
    {
        // The file chosen in the program has gone.
        print (stderr, calibrations.getNotice() + "\n");
    }

    return true;
}

void ConsoleMeasurement::start()
{
    if (! chooseDevices() || ! chooseCalibration())
    {
        finished = true;

        if (onFinished != nullptr)
            onFinished (CommandLine::statusWrongUsage);

        return;
    }

    auto* engine = SonavelAudioEngine::getInstance();
    auto named = [&engine] (SoundDevice::Direction direction, const char* fallback)
    {
        const auto description = engine->getDevices().describe (direction);
        return description.isEmpty() ? juce::String (fallback)
                                     : QuotedName::of (description);
    };

    static const char* const speakers[] = { "the left speaker", "the right speaker", "both speakers" };
    print (stdout, juce::String (CurveText::program) + ": measuring " + speakers[juce::jlimit (0, 2, mode)] + " through "
                       + named (SoundDevice::Direction::output, "the default output") + " with "
                       + named (SoundDevice::Direction::input, "the default microphone") + " (5 s of test noise).\n");

    juce::Logger::setCurrentLogger (this);
    engine->addActionListener (this);
    engine->startTest (mode);
}

void ConsoleMeasurement::logMessage (const juce::String& message)
{
    // From the measuring thread too; each line is one write.
    if (message.startsWith ("Recommended notch: ") || message.startsWith ("Input clipped: ")
        || message.startsWith ("Sound path delay: ") || message.startsWith ("Microphone calibration: "))
        print (stdout, "\n" + message + "\n");
    else if (message.startsWith ("Measurement error: "))
        print (stderr, "\n" + message + "\n");
}

void ConsoleMeasurement::actionListenerCallback (const juce::String& message)
{
    if (message == "finishMeasure")
        finish();
    else
        print (stdout, message + "\n");
}

void ConsoleMeasurement::finish()
{
    if (finished)
        return;

    finished = true;
    auto* engine = SonavelAudioEngine::getInstance();
    engine->removeActionListener (this);

    const auto outcome = engine->getLastOutcome();
    auto status = statusFor (outcome);
    const auto* results = engine->hasValidResults() ? engine->getResults() : nullptr;

    if (results == nullptr)
    {
        const auto why = MeasurementNotes::failureSentence (outcome, engine->getLastMicrophone(), engine->getLastOutput());
        print (stderr, "\n" + (why.isNotEmpty() ? why : juce::String ("The measurement did not finish.")) + "\n");

        // The sentence names the window's choosers; here the choice is an option.
        if (outcome == MeasurementOutcome::silence || outcome == MeasurementOutcome::inputMissing
            || outcome == MeasurementOutcome::outputMissing)
            print (stderr, "On the command line: --input NAME and --output NAME; --list-devices lists them.\n");
    }
    else
    {
        auto curve = KeptCurve::measured (*results, mode, std::time (nullptr));
        curve.calibration = engine->getLastCalibration();
        const auto file = saveFile != juce::File() ? saveFile
                                                   : StepSix::documentsFolder().getChildFile (juce::String (curve.fileStem()) + ".txt");
        AtomicFile text (file.getFullPathName().toStdString());

        if (text.write (CurveText::format (curve)) && text.commit())
        {
            print (stdout, "Saved the curve in " + file.getFullPathName() + "\n");
        }
        else
        {
            print (stderr, "Could not save the curve in " + file.getFullPathName() + ": "
                               + juce::String (std::strerror (text.getError())) + "\n");
            status = statusNotSaved;
        }
    }

    if (onFinished != nullptr)
        onFinished (status);
}
