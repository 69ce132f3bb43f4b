#include "TrueResponse.h"

#include "Spectrum.h"
#include "SpectrumAnalysis.h"

#include <algorithm>
#include <cstdint>

std::vector<double> TrueResponse::binMagnitudes (const std::vector<float>& impulse)
{
    std::vector<double> folded (analysisLength, 0.0);

    for (size_t i = 0; i < impulse.size(); ++i)
        folded[i % analysisLength] += impulse[i];

    const auto bins = Spectrum::forward (folded);
    std::vector<double> magnitudes (analysisLength / 2);

    for (size_t k = 0; k < magnitudes.size(); ++k)
        magnitudes[k] = std::abs (bins[k]);

    return magnitudes;
}

std::vector<float> TrueResponse::sum (const std::vector<float>& a, const std::vector<float>& b)
{
    std::vector<float> total (std::max (a.size(), b.size()), 0.0f);

    for (size_t i = 0; i < a.size(); ++i)
        total[i] += a[i];

    for (size_t i = 0; i < b.size(); ++i)
        total[i] += b[i];

    return total;
}

std::vector<float> TrueResponse::curve (const std::vector<double>& magnitudes)
{
    SpectrumArray captured, played, smoothed;

    if (! captured.allocate (analysisLength) || ! played.allocate (analysisLength))
        return {};

    // As the program's transform labels its bins.
    for (int32_t i = 0; i < analysisLength / 2 && i < static_cast<int32_t> (magnitudes.size()); ++i)
    {
        auto& p = captured.point (i);
        p.magnitude = static_cast<float> (magnitudes[static_cast<size_t> (i)]);
        p.frequency = static_cast<float> (static_cast<double> (i) * sampleRate / analysisLength);
    }

    for (int32_t i = 0; i < analysisLength; ++i)
        played.point (i).magnitude = 1.0f;

    if (! analyseResponse (captured, played, smoothed))
        return {};

    std::vector<float> values (analysisLength);

    for (int32_t i = 0; i < analysisLength; ++i)
        values[static_cast<size_t> (i)] = smoothed.point (i).magnitude;

    return values;
}
