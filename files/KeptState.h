#pragma once

#include "KeptCurve.h"

#include <optional>
#include <string>
#include <string_view>

// What step six shows, kept between runs: the last measurement (with its recommendation) and
// the held curve. A text file of our own, read strictly: anything unexpected makes the whole
// file damaged, never a half-restored curve.
class KeptState final
{
public:
    std::optional<KeptCurve> current;
    std::optional<KeptCurve> held;

    std::string serialise() const;

    // nullopt for a damaged text, with what was wrong in problem.
    static std::optional<KeptState> parse (std::string_view text, std::string& problem);

    // nullopt with an empty problem when there is no file yet (a first start); nullopt with
    // the problem when the file is unreadable or not ours.
    static std::optional<KeptState> load (const std::string& path, std::string& problem);

    // Atomically; false if the file could not be written.
    bool save (const std::string& path) const;

    // Renames a damaged file out of the way ("... state.txt" becomes "... state.damaged.txt",
    // replacing an older one); the new path, or empty if it could not be renamed.
    static std::string setAside (const std::string& path);
};
