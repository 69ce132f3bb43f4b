#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

// A microphone's own response from a text file of "frequency dB" rows (a comma may stand between
// them; '#' starts a comment), interpolated on log frequency and held flat beyond the first and
// last rows.
class MicrophoneResponse final
{
public:
    // Nothing, with a reason in error, for a file that cannot be read or holds no usable row:
    // frequencies must be positive and rising, levels within +-40 dB.
    static std::optional<MicrophoneResponse> read (const std::string& path, std::string& error);
    static std::optional<MicrophoneResponse> parse (const std::string& text, std::string& error);

    double gainDb (double hz) const;

    // The minimum-phase FIR of firLength samples that has this response (firLength a power of 2).
    std::vector<double> minimumPhaseFir (int firLength, int sampleRate) const;

private:
    std::vector<std::pair<double, double>> rows; // Hz, dB
};
