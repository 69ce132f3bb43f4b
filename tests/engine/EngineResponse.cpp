#include "EngineResponse.h"

#include "MeasurementContract.h"

#include <cmath>

EngineResponse::EngineResponse (const MeasurementRecord& record)
{
    constexpr float hzPerIndex = static_cast<float> (MeasurementContract::binWidthHz);
    double sum = 0.0;
    int count = 0;
    bool first = true;

    for (int i = 1; i < record.getNumValues() && i * hzPerIndex <= 280.0f; ++i)
    {
        if (i * hzPerIndex <= 40.0f)
            continue;

        const float db = 20.0f * record.valueAt (i);
        allFinite = allFinite && std::isfinite (db);

        if (first || db > peakDb)
        {
            peakDb = db;
            peakHz = i * hzPerIndex;
        }

        lowestDb = first ? db : std::min (lowestDb, db);
        first = false;
        sum += db;
        ++count;
    }

    meanDb = count > 0 ? static_cast<float> (sum / count) : 0.0f;
}
