#pragma once

#include "CalibrationChoice.h"
#include "CalibrationFile.h"
#include "SoundDeviceSettings.h"

#include <juce_events/juce_events.h>

#include <optional>
#include <string>

// The calibration file of the microphone in use: chosen in the program, kept per microphone by its
// device name (remembered in a file once one is given), and read again whenever the microphone
// in use may have changed and before each measurement. A file that has gone, or is no
// calibration any more, is said once and dropped. Everything happens on the message thread.
class MicrophoneCalibrations final : public juce::ChangeBroadcaster,
                                     private juce::ChangeListener
{
public:
    explicit MicrophoneCalibrations (SoundDeviceSettings& devices);
    ~MicrophoneCalibrations() override;

    // Takes the choice remembered in that file and keeps every new choice there.
    void rememberIn (const juce::File& file);

    // Takes the choice remembered in that file for this run only: nothing chosen is kept.
    void takeChoiceFrom (const juce::File& file);

    // The name the microphone in use is known by: the chosen device's, or the system default's as
    // last listed; empty while unknown.
    std::string microphoneName() const;

    // The microphone in use as the program's sentences name it: "the microphone “USB mic”", or
    // "the microphone in use" while its description is unknown.
    juce::String namedMicrophone() const;

    // Takes the file as the calibration of the microphone in use. False when it is no
    // calibration: the notice then says why, and nothing else changes.
    bool load (const juce::File& file);

    // The microphone in use measures without a calibration.
    void useNone();

    // Reads the microphone in use's file again.
    void update();

    // The calibration in use, and the file it came from; none for a microphone without one.
    const std::optional<CalibrationFile::Calibration>& getCalibration() const { return calibration; }
    const juce::File& getFile() const { return file; }
    MicrophoneCorrection correction() const;

    // What a saved curve's comment says: "none", or the file's name with its serial and sensitivity.
    std::string describe() const;

    // One sentence when a file was refused or dropped; empty otherwise.
    const juce::String& getNotice() const { return notice; }

private:
    void changeListenerCallback (juce::ChangeBroadcaster*) override;
    void keep();

    // The device settings live in the same engine and outlive this.
    SoundDeviceSettings& devices;
    CalibrationChoice choice;
    juce::File choiceFile;
    std::optional<CalibrationFile::Calibration> calibration;
    juce::File file;
    juce::String notice;
    std::string noticeFor;   // the microphone the notice is about

    JUCE_DECLARE_WEAK_REFERENCEABLE (MicrophoneCalibrations)
    JUCE_DECLARE_NON_COPYABLE (MicrophoneCalibrations)
};
