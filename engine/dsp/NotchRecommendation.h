#pragma once

#include "EqSettings.h"

#include <cstdint>

// The rear-panel setting (whole Hz 40..280, Q step 1..6, depth step 1..6) whose cut leaves the
// 40..280 Hz part of an analysed response flattest: least squares of the corrected levels
// around their own mean. values are dB / 20, value i at i * hzPerIndex Hz. A cut is only
// considered where the response stands at least half its depth above the band mean, and near a
// bump that stands out of what measuring the same room again would change.
//
// A response with no peak worth cutting gets {0, 0, 0}: no setting to dial, which the gentlest
// cut would hide. The same goes for input that cannot be judged (too few points in the band,
// a level there that is not finite).
EqSettings recommendNotch (const float* values, int32_t count, float hzPerIndex);
