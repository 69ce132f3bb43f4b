#pragma once

#include "DftAnalyzer.h"
#include "SpectrumArray.h"

// The analysis chain from a captured block to response values (dB / 20, 0 = band mean).

// The smoothing window around a frequency f spans f * smoothingLow .. f * smoothingHigh.
constexpr float smoothingLow = 0.8912509f;  // 10^(-1/20)
constexpr float smoothingHigh = 1.1220185f; // 10^(1/20)

// Averages each point over a window a tenth of a decade wide into smoothed (allocated anew,
// same count as raw). The point itself counts twice; point 0 is left unwritten.
void smoothSpectrum (SpectrumArray& raw, SpectrumArray& smoothed);

// Point 0 becomes 0, every other magnitude 20 log10 of itself (a zero magnitude gives -infinity).
void toDecibels (SpectrumArray& spectrum);

// Subtracts the mean of the points above lowHz, up to and including the first above highHz,
// from every point. False, leaving the spectrum as it was, when that mean is not finite.
bool normaliseToBand (SpectrumArray& spectrum, float lowHz, float highHz);

// Multiplies every magnitude by (outMax - outMin) / (inMax - inMin). Only meant for ranges
// centred on zero, where the mapping needs no offset. An empty input range changes nothing.
void scaleRange (SpectrumArray& spectrum, float inMin, float outMin, float inMax, float outMax);

// The response from the room's gain per bin (magnitudes): smoothed, in decibels, normalised to
// 40..280 Hz and scaled +-20 dB to +-1, into smoothed. False when there is no response to give
// (silence: the band mean is not finite).
bool analyseGains (SpectrumArray& gains, SpectrumArray& smoothed);

// The room's response from what the microphone heard and what was played: each bin of captured
// (the steady blocks' mean magnitudes) over the same bin of played, then smoothed, in decibels,
// normalised to 40..280 Hz and scaled +-20 dB to +-1, into smoothed. With periodic noise each
// bin's ratio is the room's own gain there, whatever the random level the block gave that bin.
// captured is divided in place. False when there is no response to give (arrays of different
// sizes, or silence: the band mean is not finite).
bool analyseResponse (SpectrumArray& captured, SpectrumArray& played, SpectrumArray& smoothed);
