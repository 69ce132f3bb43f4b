#include "MicrophoneCalibrations.h"

#include "QuotedName.h"

namespace
{
    juce::String fromUtf8 (const std::string& text) { return juce::String::fromUTF8 (text.c_str()); }
}

MicrophoneCalibrations::MicrophoneCalibrations (SoundDeviceSettings& deviceSettings)
    : devices (deviceSettings)
{
    devices.addChangeListener (this);
}

MicrophoneCalibrations::~MicrophoneCalibrations()
{
    devices.removeChangeListener (this);
}

void MicrophoneCalibrations::rememberIn (const juce::File& kept)
{
    choiceFile = kept;
    choice = CalibrationChoice::load (choiceFile.getFullPathName().toStdString());
    update();
}

void MicrophoneCalibrations::takeChoiceFrom (const juce::File& kept)
{
    choiceFile = juce::File();
    choice = CalibrationChoice::load (kept.getFullPathName().toStdString());
    update();
}

std::string MicrophoneCalibrations::microphoneName() const
{
    using Direction = SoundDevice::Direction;
    const auto& pick = devices.pickInUse (Direction::input);

    if (! pick.isSystemDefault())
        return pick.name;

    const auto* systemDefault = devices.getList().defaultDevice (Direction::input);
    return systemDefault != nullptr ? systemDefault->name : std::string();
}

juce::String MicrophoneCalibrations::namedMicrophone() const
{
    const auto description = devices.describe (SoundDevice::Direction::input);
    return description.isEmpty() ? juce::String ("the microphone in use") : "the microphone " + QuotedName::of (description);
}

void MicrophoneCalibrations::changeListenerCallback (juce::ChangeBroadcaster*)
{
    update();
}

void MicrophoneCalibrations::update()
{
    const auto microphone = microphoneName();

    // A sentence about another microphone's file is no longer news.
    if (microphone != noticeFor)
        notice.clear();

    // Loaded for the system's default before the devices were listed: it is the default's as listed now.
    if (const auto unnamed = choice.files.find (std::string());
        unnamed != choice.files.end() && ! microphone.empty() && devices.pickInUse (SoundDevice::Direction::input).isSystemDefault())
    {
        choice.files.insert_or_assign (microphone, unnamed->second);
        choice.files.erase (std::string());
        keep();
    }

    const auto kept = choice.files.find (microphone);

    if (kept == choice.files.end())
    {
        calibration.reset();
        file = juce::File();
        sendSynchronousChangeMessage();
        return;
    }

    const juce::File keptFile (fromUtf8 (kept->second));
    auto reading = CalibrationFile::readFile (kept->second);

    if (reading.calibration)
    {
        calibration = std::move (reading.calibration);
        file = keptFile;
        sendSynchronousChangeMessage();
        return;
    }

    notice = "The calibration file " + QuotedName::of (keptFile.getFileName()) + " of " + namedMicrophone()
             + (reading.refusal == CalibrationFile::Refusal::missing ? juce::String (" is gone") : juce::String (" is no longer a calibration"))
             + ": curves are measured without calibration until another is loaded.";
    noticeFor = microphone;
    juce::Logger::writeToLog (notice);

    choice.files.erase (kept);
    calibration.reset();
    file = juce::File();
    keep();
    sendSynchronousChangeMessage();
}

bool MicrophoneCalibrations::load (const juce::File& chosen)
{
    auto reading = CalibrationFile::readFile (chosen.getFullPathName().toStdString());
    noticeFor = microphoneName();

    if (! reading.calibration)
    {
        notice = fromUtf8 (CalibrationFile::explain (reading, chosen.getFileName().toStdString()));
        sendSynchronousChangeMessage();
        return false;
    }

    notice.clear();
    calibration = std::move (reading.calibration);
    file = chosen;
    choice.files[noticeFor] = chosen.getFullPathName().toStdString();
    keep();

    juce::Logger::writeToLog ("Calibration of " + namedMicrophone() + ": " + fromUtf8 (describe()));
    sendSynchronousChangeMessage();
    return true;
}

void MicrophoneCalibrations::useNone()
{
    notice.clear();
    calibration.reset();
    file = juce::File();

    if (choice.files.erase (microphoneName()) > 0)
        keep();

    sendSynchronousChangeMessage();
}

void MicrophoneCalibrations::keep()
{
    if (choiceFile == juce::File())
        return;

    // Only microphones known by their names: an unnamed system default may be another tomorrow.
    auto named = choice;
    named.files.erase (std::string());
    choiceFile.getParentDirectory().createDirectory();

    if (! named.save (choiceFile.getFullPathName().toStdString()))
        juce::Logger::writeToLog ("Could not remember the microphones' calibrations in " + choiceFile.getFullPathName());
}

MicrophoneCorrection MicrophoneCalibrations::correction() const
{
    return calibration ? calibration->correction() : MicrophoneCorrection();
}

std::string MicrophoneCalibrations::describe() const
{
    return calibration ? calibration->describe (file.getFileName().toStdString()) : std::string ("none");
}
