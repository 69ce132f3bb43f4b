#include "FreqKnob.h"

#include "PictureCatalog.h"

#include <algorithm>
#include <array>

namespace
{
    // Frame k shows every value up to thresholds[k - 1]; above the last one, frame 32.
    constexpr std::array<double, 31> thresholds {
        40, 43, 45, 47, 49, 51, 53, 55,
        57, 59, 62, 65, 67, 69, 74, 79,
        84, 88, 93, 98, 104, 109, 118, 135,
        155, 170, 190, 210, 230, 250, 270
    };

    int frameForValue (double value)
    {
        const auto first = std::lower_bound (thresholds.begin(), thresholds.end(), value);
        return (int) (first - thresholds.begin()) + 1;
    }
}

FreqKnob::FreqKnob (const juce::String& componentName)
    : ImageKnob (componentName)
{
    setRange (40.0, 280.0, 0.0);
    setSize (1, 1);
}

juce::Image FreqKnob::getImageForValue (double value)
{
    return PictureCatalog::get (PictureCatalog::freqKnobFrame (frameForValue (value)));
}
