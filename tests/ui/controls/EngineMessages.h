#pragma once

#include "MessagePump.h"
#include "SonavelAudioEngine.h"

#include <gtest/gtest.h>

// The progress controls follow the engine; each test gets a fresh one and leaves none behind.
class EngineMessages : public ::testing::Test
{
protected:
    void TearDown() override { SonavelAudioEngine::deleteInstance(); }

    // As a worker's message reaches the engine's listeners: broadcast, then delivered by the loop.
    static void announce (const juce::String& message)
    {
        SonavelAudioEngine::getInstance()->sendActionMessage (message);
        pumpMessages (20);
    }
};
