#pragma once

#include "MeasurementOutcome.h"

#include <string>

// What a person reads when a run fails: one sentence that names why and what to do, for the
// screens' footers and the command line alike. UTF-8.
class MeasurementFailure final
{
public:
    // Empty for an outcome that needs none (success, or a stop because the program is closing).
    // The descriptions of the microphone and the output the run used name them, where known.
    static std::string sentence (MeasurementOutcome outcome, const std::string& microphone = {}, const std::string& output = {});

    // The same for a pass of the test tone, which only plays.
    static std::string toneSentence (MeasurementOutcome outcome, const std::string& output = {});
};
