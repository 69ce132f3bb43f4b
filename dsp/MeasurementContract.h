#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

// Which speakers a measurement plays through. Unknown: a curve whose file does not say, or a
// mode outside 0..2.
enum class Speakers
{
    unknown,
    left,
    right,
    both
};

// What every layer agrees on about a measurement: its rate and block, the speakers as the engine's
// modes, the noise's selector and the files name them, and the texts the measuring threads send.
struct MeasurementContract final
{
    static constexpr int32_t sampleRate = 44100;

    // Samples in an analysed block, and values in a curve; value i of a curve lies at i * binWidthHz.
    static constexpr int32_t blockLength = 16384;
    static constexpr double binWidthHz = static_cast<double> (sampleRate) / blockLength;

    // The engine's last message of a run, the level test's included.
    static constexpr const char* finishMeasure = "finishMeasure";

    // What the engine announces as a run begins.
    static constexpr const char* measuringLevel = "MEASURING OUTPUT LEVEL...";
    static constexpr const char* announcementOf (Speakers speakers)
    {
        switch (speakers)
        {
            case Speakers::left: return "MEASURING LEFT SPEAKER...";
            case Speakers::right: return "MEASURING RIGHT SPEAKER...";
            case Speakers::both: return "MEASURE BOTH SPEAKERS...";
            case Speakers::unknown: break;
        }

        return "";
    }

    // The beginnings of the log lines a person acts on; the command line prints these.
    static constexpr const char* inputClippedLine = "Input clipped: ";
    static constexpr const char* pathDelayLine = "Sound path delay: ";
    static constexpr const char* calibrationLine = "Microphone calibration: ";
    static constexpr const char* errorLine = "Measurement error: ";

    // The engine's modes: 0 left, 1 right, 2 both.
    static constexpr Speakers speakersForMode (int mode)
    {
        switch (mode)
        {
            case 0: return Speakers::left;
            case 1: return Speakers::right;
            case 2: return Speakers::both;
            default: return Speakers::unknown;
        }
    }

    static constexpr int modeOf (Speakers speakers)
    {
        switch (speakers)
        {
            case Speakers::left: return 0;
            case Speakers::right: return 1;
            case Speakers::both: return 2;
            case Speakers::unknown: break;
        }

        return -1;
    }

    // The noise's channels: 1 left, 2 right, 3 both; 0 none.
    static constexpr int32_t channelSelectorOf (Speakers speakers)
    {
        switch (speakers)
        {
            case Speakers::left: return 1;
            case Speakers::right: return 2;
            case Speakers::both: return 3;
            case Speakers::unknown: break;
        }

        return 0;
    }

    // "left", "right", "both" or "unknown": how files and the command line name them.
    static constexpr const char* nameOf (Speakers speakers)
    {
        switch (speakers)
        {
            case Speakers::left: return "left";
            case Speakers::right: return "right";
            case Speakers::both: return "both";
            case Speakers::unknown: break;
        }

        return "unknown";
    }

    // The speakers of one of those names; nullopt for any other name.
    static std::optional<Speakers> speakersNamed (std::string_view name)
    {
        for (auto speakers : { Speakers::unknown, Speakers::left, Speakers::right, Speakers::both })
            if (name == nameOf (speakers))
                return speakers;

        return std::nullopt;
    }

    // "the left speaker", "both speakers": how sentences name them.
    static constexpr const char* phraseOf (Speakers speakers)
    {
        switch (speakers)
        {
            case Speakers::left: return "the left speaker";
            case Speakers::right: return "the right speaker";
            case Speakers::both: return "both speakers";
            case Speakers::unknown: break;
        }

        return "other speakers";
    }
};
