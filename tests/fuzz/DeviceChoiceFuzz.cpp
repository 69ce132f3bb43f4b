// The device-choice reader on any text: what it understands is written back and read again
// exactly, names and descriptions byte for byte.
#include "DeviceChoice.h"
#include "Invariant.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
    const auto choice = DeviceChoice::parse (std::string_view (reinterpret_cast<const char*> (data), size));
    const auto written = choice.serialise();
    const auto again = DeviceChoice::parse (written);

    for (const auto& [before, after] : { std::pair { &choice.input, &again.input }, std::pair { &choice.output, &again.output } })
    {
        require (*before == *after, "a pick reads back");
        require (before->description == after->description, "its description reads back exactly");
        require (before->isSystemDefault() || before->route().device == before->name, "a pick routes to its device");
    }

    require (again.serialise() == written, "the file reads back as written");
    return 0;
}
