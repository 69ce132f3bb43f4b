#pragma once

#include "PictureCatalog.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <cstring>
#include <map>

// Which frame of a knob's filmstrip a component shows: its snapshot is compared with each frame
// laid over a white face the way a knob places it (one pixel beyond its top and left edges,
// stretched over the rest). 0 if it shows none of them.
class DrawnFrame
{
public:
    explicit DrawnFrame (Picture (*frameOf) (int), int frames) : frameOf (frameOf), frames (frames) {}

    int of (juce::Component& knob)
    {
        const auto shown = knob.createComponentSnapshot (knob.getLocalBounds());

        for (int k = 1; k <= frames; ++k)
            if (same (shown, reference (k, knob.getWidth(), knob.getHeight())))
                return k;

        return 0;
    }

private:
    const juce::Image& reference (int frame, int width, int height)
    {
        auto& image = references[{ frame, width, height }];

        if (! image.isValid())
        {
            image = juce::Image (juce::Image::ARGB, width, height, true);
            juce::Graphics g (image);
            g.fillAll (juce::Colours::white);
            g.drawImageWithin (PictureCatalog::get (frameOf (frame)), -1, -1, width + 1, height + 1,
                               juce::RectanglePlacement::stretchToFit, false);
        }

        return image;
    }

    static bool same (const juce::Image& a, const juce::Image& b)
    {
        if (a.getBounds() != b.getBounds() || a.getFormat() != b.getFormat())
            return false;

        const juce::Image::BitmapData da (a, juce::Image::BitmapData::readOnly);
        const juce::Image::BitmapData db (b, juce::Image::BitmapData::readOnly);

        for (int y = 0; y < a.getHeight(); ++y)
            if (std::memcmp (da.getLinePointer (y), db.getLinePointer (y), (size_t) (a.getWidth() * da.pixelStride)) != 0)
                return false;

        return true;
    }

    Picture (*frameOf) (int);
    int frames;
    std::map<std::tuple<int, int, int>, juce::Image> references;
};
