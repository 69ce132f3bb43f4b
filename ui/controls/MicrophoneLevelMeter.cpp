#include "MicrophoneLevelMeter.h"
#include "SonavelSkin.h"

#include <cmath>

namespace
{
    const juce::Colour quiet (0xFFD8D8D8);
    const juce::Colour loud (0xFF8C8C8C);
    const juce::Colour clipRed (0xFFC0392B);

    constexpr int ticksPerSecond = 25;
    constexpr float fallDbPerTick = 24.0f / ticksPerSecond;
    constexpr int holdTicks = 3 * ticksPerSecond / 2;

    // Digital silence, or a level no microphone's own noise comes near.
    constexpr float silentBelowDb = -120.0f;

    // Between two passes of the tone no samples come for a moment; a second without any means
    // the microphone could not be opened.
    constexpr int noInputTicks = ticksPerSecond;

    constexpr int barTop = 17;
    constexpr int barHeight = 12;
}

MicrophoneLevelMeter::MicrophoneLevelMeter (std::shared_ptr<InputLevelMeter> levelSource)
    : source (std::move (levelSource))
{
    setInterceptsMouseClicks (false, false);
}

void MicrophoneLevelMeter::start()
{
    heard = Heard::nothingYet;
    shownDb = heldDb = lowestDb;
    ticksSinceHeld = ticksWithoutSamples = 0;
    clipped = false;
    startTimerHz (ticksPerSecond);
    repaint();
}

void MicrophoneLevelMeter::stop()
{
    stopTimer();
    repaint();
}

void MicrophoneLevelMeter::setMicrophone (const juce::String& description)
{
    microphone = description;
    repaint();
}

void MicrophoneLevelMeter::timerCallback()
{
    const float peak = source->takePeak();
    clipped = clipped || source->hasClipped();

    if (peak < 0.0f)
    {
        if (++ticksWithoutSamples >= noInputTicks && heard == Heard::nothingYet)
            heard = Heard::noInput;

        shownDb = std::max (lowestDb, shownDb - fallDbPerTick);
    }
    else
    {
        ticksWithoutSamples = 0;
        const float db = 20.0f * std::log10 (std::max (peak, 1.0e-9f));
        heard = db < silentBelowDb ? Heard::silence : Heard::level;
        shownDb = std::max ({ lowestDb, std::min (db, 0.0f), shownDb - fallDbPerTick });
    }

    if (shownDb >= heldDb || ++ticksSinceHeld > holdTicks)
    {
        heldDb = shownDb;
        ticksSinceHeld = 0;
    }

    repaint();
}

juce::String MicrophoneLevelMeter::getVerdict() const
{
    if (! isListening())
        return "Shows the microphone's level while TEST TONE plays.";

    if (clipped)
        return "Clipped: turn the microphone's gain down until the bar stays out of the red.";

    switch (heard)
    {
        case Heard::nothingYet: return "Listening...";
        case Heard::noInput: return "No level: the microphone could not be opened. Choose another above.";
        case Heard::silence: return "Silent: this microphone hears nothing. Choose another above.";
        case Heard::level: break;
    }

    if (heldDb < goodFromDb)
        return "Too quiet: turn the microphone's gain up until the bar reaches the gold range.";

    if (heldDb > goodToDb)
        return "Loud: turn the microphone's gain down into the gold range.";

    return "Good: a measurement at this level is clean.";
}

float MicrophoneLevelMeter::xFor (float db, juce::Rectangle<float> bar) const
{
    return bar.getX() + bar.getWidth() * (juce::jlimit (lowestDb, 0.0f, db) - lowestDb) / -lowestDb;
}

void MicrophoneLevelMeter::paint (juce::Graphics& g)
{
    const auto width = static_cast<float> (getWidth());

    // Caption and the microphone it reads, as the artwork's captions are set.
    juce::Font captionFont (11.0f, juce::Font::bold);
    captionFont.setExtraKerningFactor (0.09f);
    g.setFont (captionFont);
    g.setColour (SonavelSkin::captionGold);
    const juce::String caption ("MICROPHONE LEVEL");
    g.drawText (caption, 0, 0, getWidth(), 13, juce::Justification::centredLeft, false);
    const int captionEnd = captionFont.getStringWidth (caption) + 10;

    const bool live = isListening() && heard == Heard::level;
    const auto readout = live ? juce::String (juce::roundToInt (heldDb)) + " dBFS" : juce::String ("- dBFS");
    g.setFont (juce::Font (12.5f, juce::Font::bold));
    g.setColour (clipped && isListening() ? clipRed : SonavelSkin::ink);
    g.drawText (clipped && isListening() ? "CLIPPED" : readout, 0, 0, getWidth(), 13, juce::Justification::centredRight, false);

    g.setFont (juce::Font (11.0f));
    g.setColour (SonavelSkin::grey);
    g.drawText (microphone, captionEnd, 0, getWidth() - captionEnd - 90, 13, juce::Justification::centredLeft, true);

    // The zones faint, and lit up to the level.
    const juce::Rectangle<float> bar (0.5f, (float) barTop, width - 1.0f, (float) barHeight);
    const struct { float from, to; juce::Colour colour; } zones[] = {
        { lowestDb, goodFromDb, quiet }, { goodFromDb, goodToDb, SonavelSkin::goldInk }, { goodToDb, 0.0f, loud }
    };
    const float levelX = live ? xFor (shownDb, bar) : bar.getX();

    for (const auto& zone : zones)
    {
        const float left = xFor (zone.from, bar);
        const float right = xFor (zone.to, bar);
        g.setColour (zone.colour.withMultipliedAlpha (0.3f));
        g.fillRect (left, bar.getY(), right - left, bar.getHeight());

        if (levelX > left)
        {
            g.setColour (zone.colour);
            g.fillRect (left, bar.getY(), std::min (levelX, right) - left, bar.getHeight());
        }
    }

    if (live)
    {
        g.setColour (SonavelSkin::ink);
        g.fillRect (xFor (heldDb, bar) - 1.0f, bar.getY() - 2.0f, 2.0f, bar.getHeight() + 4.0f);
    }

    // Where the input clips.
    g.setColour (clipRed);
    g.fillRect (bar.getRight() - 3.0f, bar.getY() - 3.0f, 3.0f, bar.getHeight() + 6.0f);

    // The scale.
    g.setFont (juce::Font (10.0f));

    for (int db = static_cast<int> (lowestDb); db <= 0; db += 10)
    {
        const float x = xFor (static_cast<float> (db), bar);
        g.setColour (loud);
        g.drawVerticalLine (juce::roundToInt (x), bar.getBottom(), bar.getBottom() + 4.0f);
        g.setColour (SonavelSkin::grey);
        const auto label = db == 0 ? juce::String ("0 clips") : juce::String (db);
        const auto justification = db == 0 ? juce::Justification::centredRight : juce::Justification::centred;
        const float labelWidth = db == 0 ? 60.0f : 30.0f;
        const float left = db == 0 ? bar.getRight() - labelWidth : x - labelWidth / 2.0f;
        g.setColour (db == 0 ? clipRed : SonavelSkin::grey);
        g.drawText (label, juce::Rectangle<float> (std::max (left, 0.0f), bar.getBottom() + 4.0f, labelWidth, 12.0f), justification, false);
    }

    g.setFont (juce::Font (11.0f));
    g.setColour (clipped && isListening() ? clipRed : SonavelSkin::ink);
    g.drawText (getVerdict(), 0, barTop + barHeight + 18, getWidth(), 14, juce::Justification::centredLeft, true);
}
