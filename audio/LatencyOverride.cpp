#include "LatencyOverride.h"

#include <cstdlib>

std::string LatencyOverride::removeFromEnvironment()
{
    const char* value = std::getenv (variable);

    if (value == nullptr)
        return {};

    std::string removed = value;
    unsetenv (variable);
    return removed;
}
