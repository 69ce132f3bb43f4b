// The calibration reader on any text: a calibration it accepts has rising positive frequencies,
// finite levels within its bounds and a row in the band the program measures, and its correction
// stays between its rows' levels at every frequency; a text it refuses gets a sentence.
#include "CalibrationFile.h"
#include "Invariant.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
    const auto reading = CalibrationFile::parse (std::string_view (reinterpret_cast<const char*> (data), size));

    if (! reading.calibration)
    {
        require (reading.refusal != CalibrationFile::Refusal::none, "a refused text says why");
        const auto sentence = CalibrationFile::explain (reading, "mic.txt");
        require (! sentence.empty() && sentence.back() == '.', "a refusal is told in a sentence");
        return 0;
    }

    const auto& calibration = *reading.calibration;
    const auto& hz = calibration.hz;
    const auto& db = calibration.db;
    require (! hz.empty() && hz.size() == db.size(), "a level for every frequency");
    require (std::any_of (hz.begin(), hz.end(), [] (double f) { return f >= CalibrationFile::bandLowHz && f <= CalibrationFile::bandHighHz; }),
             "a row where the program measures");
    require (! calibration.sensitivityDb || std::isfinite (*calibration.sensitivityDb), "a sensitivity is a finite number");
    require (calibration.describe ("mic.txt").find_first_of ("\r\n") == std::string::npos, "its description stays on one line");

    for (size_t i = 0; i < hz.size(); ++i)
    {
        require (std::isfinite (hz[i]) && hz[i] > 0.0 && (i == 0 || hz[i] > hz[i - 1]), "frequencies rise from above 0 Hz");
        require (std::isfinite (db[i]) && std::abs (db[i]) <= CalibrationFile::largestLevelDb, "levels are finite and within bounds");
    }

    // On the rows, between them and beyond both ends, as the measurement's bins meet them.
    const auto correction = calibration.correction();
    const auto [lowest, highest] = std::minmax_element (db.begin(), db.end());

    for (size_t i = 0; i <= hz.size(); ++i)
    {
        const auto below = i == 0 ? 0.0 : hz[i - 1];
        const auto above = i == hz.size() ? 44100.0 : hz[i];

        for (const auto f : { below, std::sqrt (below * above), (below + above) / 2 })
        {
            const auto level = correction.levelDbAt (f);
            require (std::isfinite (level) && level >= *lowest - 1e-9 && level <= *highest + 1e-9, "the correction stays between the rows' levels");
        }
    }

    SpectrumArray gains;
    require (gains.allocate (64), "room for a few bins");

    for (int32_t i = 0; i < gains.size(); ++i)
        gains.point (i) = { 1.0f, 0.0f, static_cast<float> (i * i * 5.4) };

    correction.removeFrom (gains);

    for (int32_t i = 0; i < gains.size(); ++i)
        require (std::isfinite (gains.point (i).magnitude) && gains.point (i).magnitude > 0.0f, "a gain with the microphone taken out is finite");

    return 0;
}
