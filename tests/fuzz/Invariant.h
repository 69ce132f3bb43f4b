#pragma once

#include <cstdio>
#include <cstdlib>

// What a fuzz target asserts of every input: a broken invariant stops the run (libFuzzer keeps
// the input; the suite's replay fails), in an optimised build as much as in any other.
inline void require (bool holds, const char* what)
{
    if (! holds)
    {
        std::fprintf (stderr, "invariant broken: %s\n", what);
        std::abort();
    }
}
