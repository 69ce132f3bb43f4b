#pragma once

#include <cstdint>

// The three rear-panel knob positions: Q step 1..6, centre frequency 40..280 Hz, depth step 1..6.
struct EqSettings
{
    int32_t qSetting = 1;
    int32_t frequencyHz = 40;
    int32_t depthSetting = 1;
};

inline bool operator== (const EqSettings& a, const EqSettings& b)
{
    return a.qSetting == b.qSetting && a.frequencyHz == b.frequencyHz && a.depthSetting == b.depthSetting;
}

inline bool operator!= (const EqSettings& a, const EqSettings& b)
{
    return ! (a == b);
}
