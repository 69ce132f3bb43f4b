#pragma once

#include "AudioTestingThread.h"
#include "LevelTestingThread.h"
#include "MeasurementRecord.h"
#include "MicrophoneCalibrations.h"
#include "SoundDeviceSettings.h"

#include <juce_events/juce_events.h>

#include <memory>

// The one object through which the program measures. Runs each test on a worker thread of its
// own and forwards every message of its workers to its own listeners, after handling it itself.
// Everything here is called on the message thread.
class SonavelAudioEngine final : public juce::ActionBroadcaster,
                                 public juce::ActionListener
{
public:
    static SonavelAudioEngine* getInstance();
    static void deleteInstance();
    static SonavelAudioEngine* getInstanceWithoutCreating();

    ~SonavelAudioEngine() override;

    // mode 0 left, 1 right, 2 both speakers.
    void startTest (int32_t mode);
    void startLevelTest();

    bool isTestRunning() const;
    bool hasValidResults() const;

    // True when the last test asked for could not even start (no thread for it): trying again at
    // once would only fail again.
    bool didLastStartFail() const { return lastStartFailed; }

    // Why the last measurement ended as it did (none while one runs or before the first), and
    // whether a block it averaged reached full scale.
    MeasurementOutcome getLastOutcome() const;
    bool wasLastCaptureClipped() const;

    // Why the last level-test pass ended as it did (none while one plays or before the first).
    MeasurementOutcome getLastLevelOutcome() const;

    // True from the start of a level-test pass until it has sent "finishMeasure": a "finishMeasure"
    // that arrives meanwhile belongs to a pass that an earlier start replaced.
    bool isLevelPassPlaying() const;

    // The microphone and the output the tests use, and the list to choose them from.
    SoundDeviceSettings& getDevices() { return devices; }

    // The calibration file of the microphone in use, which every measurement takes out of its curve.
    MicrophoneCalibrations& getCalibrations() { return calibrations; }

    // The calibration the last measurement was started with, as its saved curve says it.
    const std::string& getLastCalibration() const { return lastCalibration; }

    // The descriptions of the microphone and the output the last measurement was started with;
    // empty where they were not known.
    const juce::String& getLastMicrophone() const { return lastMicrophone; }
    const juce::String& getLastOutput() const { return lastOutput; }

    // The microphone's level while the level test plays.
    std::shared_ptr<InputLevelMeter> getInputMeter() const { return inputMeter; }

    // The last measured response; null while a measurement runs.
    MeasurementRecord* getResults();

    // The room's gain per analysis bin that the last good measurement found, before smoothing
    // (see AudioTestingThread::getGains); empty unless hasValidResults().
    std::vector<float> getGains() const;

    // 16384 entries, i * 44100 / 16384 Hz: the frequency of each value of the results.
    const juce::Array<float>& getFrequencyAxis();

    // The preview of a rear-panel cut: 16384 values (dB / 20) into curve and their frequencies into
    // frequencyAxis. Without memory for the work buffer the curve is left empty and the axis as it was.
    void computeEqCurve (juce::Array<float>& curve, int32_t centreHz, int32_t qStep, int32_t depthStep,
                         juce::Array<float>& frequencyAxis);

    void actionListenerCallback (const juce::String& message) override;

    // How a worker thread is started. Tests put in one that fails, as a system out of threads
    // or memory does.
    static bool (*startWorkerThread) (juce::Thread& worker);

private:
    SonavelAudioEngine();

    // A test that could not be started still ends, so that nobody waits for it.
    void reportStartFailure();

    // Stops and deletes the worker in this slot, if any, and starts a new one in it; false if
    // there was no memory for it (the start failure is then reported).
    template <typename WorkerThread, typename MakeWorker>
    bool replaceWorker (std::unique_ptr<WorkerThread>& worker, MakeWorker makeWorker);

    SoundDeviceSettings devices;
    MicrophoneCalibrations calibrations { devices };
    std::string lastCalibration = "none";
    std::shared_ptr<InputLevelMeter> inputMeter = std::make_shared<InputLevelMeter>();
    juce::String lastMicrophone;
    juce::String lastOutput;
    MeasurementRecord record;
    juce::Array<float> frequencyAxis;
    std::unique_ptr<AudioTestingThread> measurementThread;
    std::unique_ptr<LevelTestingThread> levelThread;
    bool lastStartFailed = false;

    static SonavelAudioEngine* instance;

    JUCE_DECLARE_NON_COPYABLE (SonavelAudioEngine)
};
