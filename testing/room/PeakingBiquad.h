#pragma once

#include <optional>
#include <string>
#include <vector>

// The speakers' rear-panel notch as a digital biquad: the analog bell of PeakingCurve (same Q
// and depth tables), H(s) = (s^2 + s sqrt(G) / Q + 1) / (s^2 + s / (Q sqrt(G)) + 1), through the
// bilinear transform prewarped at the centre.
class PeakingBiquad final
{
public:
    // Centre in Hz (above 0, under half the sample rate), Q step and depth step 1..6.
    static std::optional<PeakingBiquad> make (double centreHz, int qStep, int depthStep, int sampleRate);

    // "F,Q,D" as on the command line, e.g. "45,3,4"; nothing for anything else.
    static std::optional<PeakingBiquad> parse (const std::string& text, int sampleRate);

    // The filter's gain in dB at a frequency.
    double gainDb (double hz) const;

    // Filters x in place, from rest.
    void process (std::vector<double>& x) const;

    // How many samples its ringing takes to fall 100 dB.
    int ringingSamples() const;

private:
    PeakingBiquad() = default;

    double b0 = 1.0, b1 = 0.0, b2 = 0.0, a1 = 0.0, a2 = 0.0;
    int rate = 44100;
};
