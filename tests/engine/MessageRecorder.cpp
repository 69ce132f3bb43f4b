#include "MessageRecorder.h"

#include "LogCollector.h"
#include "SonavelAudioEngine.h"

MessageRecorder::MessageRecorder()
{
    SonavelAudioEngine::getInstance()->addActionListener (this);
}

MessageRecorder::~MessageRecorder()
{
    if (auto* engine = SonavelAudioEngine::getInstanceWithoutCreating())
        engine->removeActionListener (this);
}

void MessageRecorder::actionListenerCallback (const juce::String& message)
{
    auto* engine = SonavelAudioEngine::getInstanceWithoutCreating();
    received.push_back ({ message, engine != nullptr && engine->isTestRunning(),
                          LogCollector::get().lines().size(), juce::Time::getMillisecondCounterHiRes() });
}

bool MessageRecorder::waitFor (const juce::String& text, int count, int timeoutMs)
{
    const auto end = juce::Time::getMillisecondCounterHiRes() + timeoutMs;

    while (countOf (text) < count)
    {
        if (juce::Time::getMillisecondCounterHiRes() > end)
            return false;

        pump (20);
    }

    return true;
}

int MessageRecorder::countOf (const juce::String& text) const
{
    int n = 0;

    for (const auto& m : received)
        n += m.text == text ? 1 : 0;

    return n;
}

void MessageRecorder::pump (int milliseconds)
{
    juce::MessageManager::getInstance()->runDispatchLoopUntil (milliseconds);
}
