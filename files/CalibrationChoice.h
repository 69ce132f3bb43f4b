#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

// The calibration file chosen for each microphone, by the microphone's device name, remembered
// between runs in a small text file of its own beside the chosen devices.
class CalibrationChoice final
{
public:
    // Device name to the calibration file's path.
    std::map<std::string, std::string> files;

    // Names and paths are escaped (EscapedText), so that they read back exactly.
    std::string serialise() const;

    // Lines it does not understand are skipped: at worst a microphone has no calibration.
    static CalibrationChoice parse (std::string_view text);

    // A few microphones take a few hundred bytes: a larger file is not ours.
    static constexpr std::uintmax_t largestFile = 64 * 1024;

    // None when there is no file, it cannot be read or it is no file of a sensible size.
    static CalibrationChoice load (const std::string& path);

    // Atomically; false if the file could not be written.
    bool save (const std::string& path) const;
};
