#include "ConsoleMeasurement.h"

#include "AtomicFile.h"
#include "CommandLine.h"
#include "DeviceListText.h"
#include "CurveText.h"
#include "KeptCurve.h"
#include "MeasurementContract.h"
#include "MeasurementFailure.h"
#include "QuotedName.h"
#include "SonavelAudioEngine.h"
#include "StepSix.h"

#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>

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
    if (compareFile != juce::File())
    {
        auto reading = CurveText::readFile (compareFile.getFullPathName().toStdString());

        if (! reading.curve)
        {
            print (stderr, "korven-sonavel: " + juce::String::fromUTF8 (CurveText::explain (reading, compareFile.getFileName().toStdString()).c_str())
                               + "\n");
            finish (CommandLine::statusWrongUsage);
            return;
        }

        reading.curve->source = compareFile.getFileName().toStdString();
        session.held = std::move (reading.curve);
    }

    if (! chooseDevices() || ! chooseCalibration())
    {
        finish (CommandLine::statusWrongUsage);
        return;
    }

    auto* engine = SonavelAudioEngine::getInstance();
    auto named = [&engine] (SoundDevice::Direction direction, const char* fallback)
    {
        const auto description = engine->getDevices().describe (direction);
        return description.isEmpty() ? juce::String (fallback)
                                     : QuotedName::of (description);
    };

    const auto speakers = MeasurementContract::speakersForMode (juce::jlimit (0, 2, mode));
    print (stdout, juce::String (CurveText::program) + ": measuring " + MeasurementContract::phraseOf (speakers)
                       + (positions > 1 ? " at " + juce::String (positions) + " microphone positions" : juce::String()) + " through "
                       + named (SoundDevice::Direction::output, "the default output") + " with "
                       + named (SoundDevice::Direction::input, "the default microphone") + " (5 s of test noise"
                       + (positions > 1 ? " each" : "") + ").\n");

    juce::Logger::setCurrentLogger (this);
    engine->addActionListener (this);
    engine->startTest (mode);
}

void ConsoleMeasurement::logMessage (const juce::String& message)
{
    // From the measuring thread too; each line is one write. The recommendation is the average's,
    // said once at the end.
    if (message.startsWith (MeasurementContract::inputClippedLine) || message.startsWith (MeasurementContract::pathDelayLine)
        || message.startsWith (MeasurementContract::calibrationLine))
        print (stdout, "\n" + message + "\n");
    else if (message.startsWith (MeasurementContract::errorLine))
        print (stderr, "\n" + message + "\n");
}

void ConsoleMeasurement::actionListenerCallback (const juce::String& message)
{
    if (message == MeasurementContract::finishMeasure)
        measured();
    else
        print (stdout, message + "\n");
}

bool ConsoleMeasurement::askAndWait (const juce::String& question)
{
    print (stdout, "\n" + question + "\n");
    std::string line;
    return static_cast<bool> (std::getline (std::cin, line));
}

void ConsoleMeasurement::measured()
{
    if (finished)
        return;

    auto* engine = SonavelAudioEngine::getInstance();
    const auto* results = engine->hasValidResults() ? engine->getResults() : nullptr;
    const int done = session.current ? session.current->positions : 0;
    const auto of = " of " + juce::String (positions);

    if (results == nullptr)
    {
        const auto outcome = engine->getLastOutcome();
        const auto why = MeasurementFailure::sentence (outcome, engine->getLastMicrophone().toStdString(),
                                                        engine->getLastOutput().toStdString());
        print (stderr, "\n" + (! why.empty() ? juce::String::fromUTF8 (why.c_str()) : juce::String ("The measurement did not finish.")) + "\n");

        // The sentence names the window's choosers; here the choice is an option.
        if (outcome == MeasurementOutcome::silence || outcome == MeasurementOutcome::inputMissing
            || outcome == MeasurementOutcome::outputMissing)
            print (stderr, "On the command line: --input NAME and --output NAME; --list-devices lists them.\n");

        // A position that failed is measured again; the ones before it are kept.
        if (positions > 1 && outcome != MeasurementOutcome::stopped
            && askAndWait ("Press Enter to measure position " + juce::String (done + 1) + of + " again (Ctrl+C stops)."))
        {
            engine->startTest (mode);
            return;
        }

        finish (statusFor (outcome));
        return;
    }

    session.measured (*results, engine->getGains(), mode, std::time (nullptr), done > 0, engine->getLastCalibration());

    if (session.current->positions < positions)
    {
        if (askAndWait ("Move the microphone to position " + juce::String (session.current->positions + 1) + of
                        + ", then press Enter"))
        {
            engine->startTest (mode);
            return;
        }

        print (stderr, "\nThe input ended before every position was measured: the " + juce::String (session.current->positions)
                           + " measured are averaged.\n");
    }

    const auto& curve = *session.current;
    print (stdout, "\nRecommended notch: " + juce::String (CurveText::describeNotch (curve.notch)) + "\n");

    if (std::vector<float> lowest, highest; session.spread (lowest, highest))
    {
        double sum = 0.0, widest = 0.0, widestHz = 0.0;
        constexpr int firstBin = 15, lastBin = 104;

        for (int i = firstBin; i <= lastBin; ++i)
        {
            const double width = 20.0 * (highest[static_cast<size_t> (i)] - lowest[static_cast<size_t> (i)]);
            sum += width;

            if (width > widest)
            {
                widest = width;
                widestHz = KeptCurve::binFrequency (i);
            }
        }

        print (stdout, juce::String::fromUTF8 ("Spread between the positions over 40\xe2\x80\x93" "280 Hz: ")
                           + juce::String (sum / (lastBin - firstBin + 1), 1) + " dB on average, " + juce::String (widest, 1)
                           + " dB at most (at " + juce::String (juce::roundToInt (widestHz)) + " Hz).\n");
    }

    if (const auto verdict = session.verdict())
        print (stdout, juce::String::fromUTF8 (verdict->sentence.c_str()) + "\n");

    const auto file = saveFile != juce::File() ? saveFile
                                               : StepSix::documentsFolder().getChildFile (juce::String (curve.fileStem()) + ".txt");
    const auto outputs = session.filesFor (file.getFullPathName().toStdString());
    std::vector<std::unique_ptr<AtomicFile>> written;

    // Every file is written in full before any takes its name: a folder that refuses one gets none.
    for (const auto& output : outputs)
        written.push_back (std::make_unique<AtomicFile> (output.path));

    for (size_t i = 0; i < outputs.size(); ++i)
    {
        if (! written[i]->write (outputs[i].bytes))
        {
            print (stderr, "Could not save the curve in " + juce::String::fromUTF8 (outputs[i].path.c_str()) + ": "
                               + juce::String (std::strerror (written[i]->getError())) + "\n");
            finish (statusNotSaved);
            return;
        }
    }

    for (size_t i = 0; i < outputs.size(); ++i)
    {
        if (! written[i]->commit())
        {
            print (stderr, "Could not save the curve in " + juce::String::fromUTF8 (outputs[i].path.c_str()) + ": "
                               + juce::String (std::strerror (written[i]->getError())) + "\n");
            finish (statusNotSaved);
            return;
        }
    }

    print (stdout, "Saved the curve in " + file.getFullPathName() + "\n");

    if (outputs.size() > 1)
    {
        juce::StringArray others;

        for (size_t i = 1; i < outputs.size(); ++i)
            others.add (QuotedName::of (juce::File (juce::String::fromUTF8 (outputs[i].path.c_str())).getFileName()));

        print (stdout, "and beside it " + others.joinIntoString (", ") + "\n");
    }

    finish (0);
}

void ConsoleMeasurement::finish (int status)
{
    if (finished)
        return;

    finished = true;

    if (auto* engine = SonavelAudioEngine::getInstanceWithoutCreating())
        engine->removeActionListener (this);

    if (onFinished != nullptr)
        onFinished (status);
}
