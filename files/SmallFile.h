#pragma once

#include <cstdint>
#include <string>

// A whole regular file of bounded size. Whatever else may be found at a path (a FIFO that would
// block the reader forever, a device that never ends, a folder) is refused before it is read,
// and a file is read no further than the limit, should it grow meanwhile.
class SmallFile final
{
public:
    enum class Outcome
    {
        read,
        missing,
        notAFile,
        tooLarge,
        unreadable
    };

    struct Reading
    {
        Outcome outcome = Outcome::unreadable;
        std::string text;
        int error = 0;   // errno, for unreadable
    };

    static Reading read (const std::string& path, std::uintmax_t limit);
};
