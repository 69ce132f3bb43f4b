#include "SonavelAudioEngine.h"

#include "MeasurementContract.h"
#include "MeasurementState.h"
#include "MeasurementStatus.h"
#include "PeakingCurve.h"
#include "PortAudioSession.h"

#include <cstdlib>
#include <new>

namespace
{
    // Workers leave within one poll of being asked, so waiting for them never needs to end
    // in a forced stop (which can take the whole process down).
    constexpr int waitUntilEnded = -1;

    constexpr int shutdownPollMs = 100;
    constexpr int shutdownPolls = 501;

    // PortAudio's own complaints, from whichever thread, go to the log rather than the terminal.
    void logPortAudioDiagnostics (const char* text)
    {
        const auto line = juce::String::fromUTF8 (text).trim();

        if (line.isNotEmpty())
            juce::Logger::writeToLog ("PortAudio: " + line);
    }

    template <typename WorkerThread>
    void retire (std::unique_ptr<WorkerThread>& worker, juce::ActionListener* listener)
    {
        worker->removeActionListener (listener);
        worker->stopThread (waitUntilEnded);
        worker.reset();
    }
}

SonavelAudioEngine* SonavelAudioEngine::instance = nullptr;

bool (*SonavelAudioEngine::startWorkerThread) (juce::Thread&) = [] (juce::Thread& worker) { return worker.startThread(); };

SonavelAudioEngine* SonavelAudioEngine::getInstance()
{
    if (instance == nullptr)
        instance = new SonavelAudioEngine();

    return instance;
}

void SonavelAudioEngine::deleteInstance()
{
    delete instance;
    instance = nullptr;
}

SonavelAudioEngine* SonavelAudioEngine::getInstanceWithoutCreating()
{
    return instance;
}

SonavelAudioEngine::SonavelAudioEngine()
{
    PortAudioSession::routeDiagnostics (logPortAudioDiagnostics);
}

SonavelAudioEngine::~SonavelAudioEngine()
{
    if (measurementThread != nullptr)
    {
        for (int i = 0; i < shutdownPolls && isTestRunning(); ++i)
        {
            measurementThread->signalThreadShouldExit();
            juce::Thread::sleep (shutdownPollMs);
        }

        retire (measurementThread, this);
    }

    if (levelThread != nullptr)
        retire (levelThread, this);

    // A given-up stream's thread may still wake up after the log has gone.
    PortAudioSession::routeDiagnostics (nullptr);

    if (instance == this)
        instance = nullptr;
}

template <typename WorkerThread, typename MakeWorker>
bool SonavelAudioEngine::replaceWorker (std::unique_ptr<WorkerThread>& worker, MakeWorker makeWorker)
{
    if (worker != nullptr)
        retire (worker, this);

    lastStartFailed = false;

    try
    {
        worker = makeWorker();
    }
    catch (const std::bad_alloc&)
    {
        reportStartFailure();
        return false;
    }

    worker->addActionListener (this);

    if (! startWorkerThread (*worker))
        reportStartFailure();

    return true;
}

void SonavelAudioEngine::startTest (int32_t mode)
{
    juce::Logger::writeToLog ("Engine: starting test thread.");

    using Direction = SoundDevice::Direction;
    lastMicrophone = devices.describe (Direction::input);
    lastOutput = devices.describe (Direction::output);

    // Read again: a file that has gone since is said and dropped rather than taken on trust.
    calibrations.update();
    lastCalibration = calibrations.describe();
    juce::Logger::writeToLog (MeasurementContract::calibrationLine + juce::String::fromUTF8 (lastCalibration.c_str()));

    if (replaceWorker (measurementThread, [&] {
            return std::make_unique<AudioTestingThread> (record, mode, devices.routeFor (Direction::input),
                                                         devices.routeFor (Direction::output), calibrations.correction());
        }))
        juce::Logger::writeToLog ("Engine: tests started.");
}

void SonavelAudioEngine::startLevelTest()
{
    juce::Logger::writeToLog ("Engine: starting level test thread.");

    using Direction = SoundDevice::Direction;
    inputMeter->reset();

    if (replaceWorker (levelThread, [&] {
            return std::make_unique<LevelTestingThread> (devices.routeFor (Direction::input),
                                                         devices.routeFor (Direction::output), inputMeter);
        }))
        juce::Logger::writeToLog ("Engine: level tests started.");
}

void SonavelAudioEngine::reportStartFailure()
{
    juce::Logger::writeToLog ("Engine: could not start a test thread.");
    lastStartFailed = true;
    sendActionMessage (MeasurementContract::finishMeasure);
}

bool SonavelAudioEngine::isTestRunning() const
{
    return measurementThread != nullptr && measurementThread->isThreadRunning();
}

bool SonavelAudioEngine::hasValidResults() const
{
    return measurementThread != nullptr && ! measurementThread->isThreadRunning()
           && measurementThread->getStatus() == statusOk;
}

MeasurementOutcome SonavelAudioEngine::getLastOutcome() const
{
    if (measurementThread == nullptr || measurementThread->isThreadRunning())
        return MeasurementOutcome::none;

    return measurementThread->getOutcome();
}

MeasurementOutcome SonavelAudioEngine::getLastLevelOutcome() const
{
    // Its "finishMeasure" arrives while the thread may still be on its way out.
    if (levelThread == nullptr || ! levelThread->hasFinishedRun())
        return MeasurementOutcome::none;

    return levelThread->getOutcome();
}

bool SonavelAudioEngine::isLevelPassPlaying() const
{
    return levelThread != nullptr && ! lastStartFailed && ! levelThread->hasFinishedRun();
}

bool SonavelAudioEngine::wasLastCaptureClipped() const
{
    return getLastOutcome() == MeasurementOutcome::ok && measurementThread->wasCaptureClipped();
}

MeasurementRecord* SonavelAudioEngine::getResults()
{
    return isTestRunning() ? nullptr : &record;
}

std::vector<float> SonavelAudioEngine::getGains() const
{
    return hasValidResults() ? measurementThread->getGains() : std::vector<float>();
}

const juce::Array<float>& SonavelAudioEngine::getFrequencyAxis()
{
    if (frequencyAxis.isEmpty())
    {
        frequencyAxis.ensureStorageAllocated (MeasurementRecord::numValues);

        for (int i = 0; i < MeasurementRecord::numValues; ++i)
            frequencyAxis.add (static_cast<float> (i * MeasurementContract::binWidthHz));
    }

    return frequencyAxis;
}

void SonavelAudioEngine::computeEqCurve (juce::Array<float>& curve, int32_t centreHz, int32_t qStep,
                                         int32_t depthStep, juce::Array<float>& curveFrequencyAxis)
{
    auto* workBuffer = static_cast<float*> (std::malloc (sizeof (float) * peakingCurveSize));
    curve.clearQuick();

    if (workBuffer != nullptr)
    {
        float frequencyStep = 0.0f;
        computePeakingCurve (qStep, workBuffer, frequencyStep, centreHz, depthStep);
        curve.addArray (workBuffer, peakingCurveSize);

        curveFrequencyAxis.clearQuick();

        for (int i = 0; i < curve.size(); ++i)
            curveFrequencyAxis.add (static_cast<float> (i) * frequencyStep);
    }

    std::free (workBuffer);
}

void SonavelAudioEngine::actionListenerCallback (const juce::String& message)
{
    // Only a measurement that has ended is stopped here: the level test's "finishMeasure" must not
    // cut short a measurement that is still running.
    if (message == MeasurementContract::finishMeasure && measurementThread != nullptr
        && (measurementThread->hasFinishedRun() || ! measurementThread->isThreadRunning()))
    {
        juce::Logger::writeToLog ("Engine: stopping test thread.");
        measurementThread->stopThread (waitUntilEnded);
    }

    sendActionMessage (message);
}
