// What the response graph costs per redraw, against one 60 Hz frame (16.7 ms):
// (a) the EQ calculator's step when a knob turns: the preview curve, the record, the graph
//     taking it, and painting the 609 x 176 graph;
// (b) painting the 862 x 178 step-six graph with a held and a current trace of 16384 points.

#include "GraphView.h"
#include "SonavelAudioEngine.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <vector>

namespace
{
    constexpr double frameMs = 1000.0 / 60.0;

    struct Figures
    {
        double meanMs;
        double medianMs;
    };

    template <typename Work>
    Figures time (int runs, Work&& work)
    {
        std::vector<double> ms;

        for (int run = 0; run < runs; ++run)
        {
            const auto start = std::chrono::steady_clock::now();
            work (run);
            ms.push_back (std::chrono::duration<double, std::milli> (std::chrono::steady_clock::now() - start).count());
        }

        double sum = 0.0;
        for (auto m : ms)
            sum += m;

        std::sort (ms.begin(), ms.end());
        return { sum / static_cast<double> (runs), ms[ms.size() / 2] };
    }

    void print (const char* what, const Figures& figures)
    {
        std::printf ("%-58s mean %7.3f ms  median %7.3f ms  (%5.1f%% of a 60 Hz frame)\n",
                     what, figures.meanMs, figures.medianMs, 100.0 * figures.medianMs / frameMs);
    }

    void paintInto (GraphView& graph, juce::Image& image)
    {
        image.clear (image.getBounds());
        juce::Graphics g (image);
        graph.paintEntireComponent (g, false);
    }

    // A benchmark of an empty picture would flatter the graph.
    bool drewSomething (const juce::Image& image)
    {
        for (int y = 0; y < image.getHeight(); ++y)
            for (int x = 0; x < image.getWidth(); ++x)
                if (image.getPixelAt (x, y).getAlpha() != 0)
                    return true;

        std::printf ("nothing was drawn\n");
        return false;
    }

    // A room-like response in dB / 20, so the paths have as many corners as a real one.
    std::vector<float> roomResponse (const juce::Array<float>& axis, float modeHz, float modeDb)
    {
        std::vector<float> values (MeasurementRecord::numValues, 0.0f);

        for (int i = 1; i < axis.size() && i < MeasurementRecord::numValues; ++i)
        {
            const auto fromMode = std::log (axis[i] / modeHz);
            const auto db = modeDb * std::exp (-fromMode * fromMode / 0.045f) + 3.0f * std::sin (std::log (axis[i]) * 6.0f);
            values[static_cast<size_t> (i)] = db / 20.0f;
        }

        return values;
    }
}

int main()
{
    juce::ScopedJuceInitialiser_GUI gui;
    auto* engine = SonavelAudioEngine::getInstance();
    constexpr int runs = 200;

    {
        GraphView graph;
        graph.setFrequencyScale ({ 20, 50, 100, 200, 300 }, 20.0f, 300.0f);
        graph.setSize (609, 176);
        juce::Image image (juce::Image::ARGB, 609, 176, true);
        juce::Array<float> curve;
        juce::Array<float> axis;
        MeasurementRecord record;

        const auto redraw = [&] (int run)
        {
            const int32_t frequencyHz = 40 + (run * 7) % 241;
            const int32_t q = 1 + run % 6;
            const int32_t depth = 1 + (run / 6) % 6;
            engine->computeEqCurve (curve, frequencyHz, q, depth, axis);
            record.setContents (frequencyHz, q, depth, curve.getRawDataPointer());
            graph.setResponse (&record, &axis, true);
            paintInto (graph, image);
        };

        redraw (0);
        if (! drewSomething (image))
            return 1;

        print ("(a) EQ calculator step: curve + record + setResponse + paint", time (runs, redraw));
        print ("    of which painting the 609 x 176 graph", time (runs, [&] (int) { paintInto (graph, image); }));
        print ("    of which computeEqCurve", time (runs, [&] (int run) { engine->computeEqCurve (curve, 40 + run % 241, 3, 3, axis); }));
    }

    {
        GraphView graph;
        graph.setFrequencyScale ({ 20, 50, 100, 200, 500 }, 20.0f, 500.0f);
        graph.setSize (862, 178);
        juce::Image image (juce::Image::ARGB, 862, 178, true);
        const auto& axis = engine->getFrequencyAxis();
        MeasurementRecord held;
        MeasurementRecord current;
        held.setContents (0, 0, 0, roomResponse (axis, 90.0f, -8.0f).data());
        current.setContents (0, 0, 0, roomResponse (axis, 65.0f, 12.0f).data());
        graph.setResponse (&held, &axis, true);
        graph.holdResponse();
        graph.setResponse (&current, &axis, true);

        paintInto (graph, image);
        if (! drewSomething (image))
            return 1;

        print ("(b) step six: painting 862 x 178 with two 16384-point traces", time (runs, [&] (int) { paintInto (graph, image); }));
    }

    SonavelAudioEngine::deleteInstance();
    return 0;
}
