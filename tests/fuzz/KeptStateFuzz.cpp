// The state reader on any text: a state it accepts is written back and read again exactly;
// one it refuses says what was wrong.
#include "Invariant.h"
#include "KeptState.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
    std::string problem;
    const auto state = KeptState::parse (std::string_view (reinterpret_cast<const char*> (data), size), problem);

    if (! state)
    {
        require (! problem.empty(), "a damaged state says what is wrong");
        return 0;
    }

    for (const auto* curve : { &state->current, &state->held })
        if (*curve)
            require ((*curve)->values.size() == static_cast<size_t> (KeptCurve::numBins), "a kept curve has every bin");

    const auto written = state->serialise();
    const auto again = KeptState::parse (written, problem);
    require (again.has_value(), "a state written by the program is read back");
    require (again->serialise() == written, "and is the same state");
    require (again->current.has_value() == state->current.has_value() && again->held.has_value() == state->held.has_value(),
             "with the same curves");

    if (state->held)
        require (again->held->source == state->held->source, "the held curve's source reads back exactly");

    for (const auto& [before, after] : { std::pair { &state->current, &again->current }, std::pair { &state->held, &again->held } })
        if (*before)
            require ((*after)->calibration == (*before)->calibration, "a curve's calibration reads back exactly");

    return 0;
}
