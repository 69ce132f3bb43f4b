#pragma once

#include <cstdlib>
#include <optional>
#include <string>

// Sets an environment variable for one scope, as a desktop's session sets it for every program.
class ScopedVariable final
{
public:
    ScopedVariable (const char* variableName, const char* value) : name (variableName)
    {
        if (const char* old = std::getenv (name))
            previous = old;

        setenv (name, value, 1);
    }

    ~ScopedVariable()
    {
        if (previous)
            setenv (name, previous->c_str(), 1);
        else
            unsetenv (name);
    }

    ScopedVariable (const ScopedVariable&) = delete;
    ScopedVariable& operator= (const ScopedVariable&) = delete;

private:
    const char* name;
    std::optional<std::string> previous;
};
