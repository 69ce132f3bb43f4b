// The reader of the calibration chosen per microphone on any text: what it understands is
// written back and read again exactly, names and paths byte for byte.
#include "CalibrationChoice.h"
#include "Invariant.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
    const auto choice = CalibrationChoice::parse (std::string_view (reinterpret_cast<const char*> (data), size));
    const auto written = choice.serialise();
    const auto again = CalibrationChoice::parse (written);

    for (const auto& [microphone, path] : choice.files)
        require (! path.empty(), "a microphone's choice names a file");

    require (again.files == choice.files, "every microphone's file reads back exactly");
    require (again.serialise() == written, "the file reads back as written");
    return 0;
}
