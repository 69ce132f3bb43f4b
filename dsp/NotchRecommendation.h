#pragma once

#include "EqSettings.h"

#include <cstdint>

// The rear-panel setting (whole Hz 40..280, Q step 1..6, depth step 1..6) whose cut leaves the
// 40..280 Hz part of an analysed response flattest. The band is judged as ears and rooms weigh
// it, per fraction of an octave: each bin counts by its share of a logarithmic frequency axis,
// so that the octave 40..80 Hz counts as much as 140..280 Hz. values are dB / 20, value i at
// i * hzPerIndex Hz.
//
// A mode that stands six decibels or more over the band's median always gets a cut centred on
// it: of the settings centred within 5 % of such a peak, the one that leaves the band flattest.
// Smaller bumps get a cut only where it removes a quarter of the band's deviation from flat, and
// only where they stand out of what measuring the same room again would change. A cut is never
// centred on a dip, nor deeper than twice what the response stands over the median there.
//
// A response with no peak worth cutting gets {0, 0, 0}: no setting to dial, which the gentlest
// cut would hide. The same goes for input that cannot be judged (too few points in the band,
// a level there that is not finite).
EqSettings recommendNotch (const float* values, int32_t count, float hzPerIndex);
