#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// The microphone positions of one speaker choice around the listening position, measured one
// after the other. Their response is the mean of the positions' power per bin, then the usual
// smoothing and normalisation; the spread between them is the lowest and the highest of the
// positions' own responses at each frequency.
class ListeningArea final
{
public:
    // Gains |H| at the analysis bins 0 .. binsPerPosition - 1, as a measurement finds them.
    static constexpr int32_t binsPerPosition = 8192;

    void clear() { positions.clear(); }

    // False (and nothing added) for gains of another length or with a value that is not finite.
    bool add (std::vector<float> gains);

    int32_t count() const { return static_cast<int32_t> (positions.size()); }
    const std::vector<float>& gainsOf (int32_t position) const { return positions[static_cast<size_t> (position)]; }

    // The positions' response in a measurement record's units (2 * binsPerPosition values,
    // dB / 20); false without positions, or when they hold no response (silence).
    bool response (std::vector<float>& values) const;

    // One position's own response, the same way.
    bool responseOf (int32_t position, std::vector<float>& values) const;

    // The lowest and the highest of the positions' own responses at each value; false without
    // positions.
    bool spread (std::vector<float>& lowest, std::vector<float>& highest) const;

private:
    static bool responseOfGains (const std::vector<float>& gains, std::vector<float>& values);

    std::vector<std::vector<float>> positions;
};
