#pragma once

#include "RoomShape.h"

#include <vector>

// The low-frequency sound field of a rectangular room with rigid, slightly absorbing walls as a
// sum of its modes (axial, tangential and oblique). A speaker is a point source of constant volume
// acceleration (flat in free field) behind a gentle high-pass; the room's pressure-chamber gain
// below the first mode levels off through the room's leaks.
class RoomModel final
{
public:
    static constexpr int sampleRate = 44100;
    static constexpr double speedOfSound = 343.0;

    // Modes up to fullModesHz count fully, those up to lastModeHz fade out on a raised cosine:
    // the response stays in shape up to about 500 Hz and falls off above the modes smoothly
    // rather than at a cliff.
    static constexpr double fullModesHz = 600.0;
    static constexpr double lastModeHz = 900.0;

    // The speaker's second-order Butterworth high-pass, and the corner of the room's leaks.
    static constexpr double speakerHighPassHz = 32.0;
    static constexpr double leakHz = 4.0;

    struct Mode
    {
        int nx = 0, ny = 0, nz = 0;
        double hz = 0.0;
        double decaySeconds = 0.0; // T60
        int kind() const { return (nx != 0) + (ny != 0) + (nz != 0); } // 1 axial, 2 tangential, 3 oblique
    };

    explicit RoomModel (const RoomShape& shape);

    const RoomShape& shape() const { return room; }
    const std::vector<Mode>& modes() const { return modeList; }

    struct Path
    {
        int speaker = 0; // 0 left, 1 right
        RoomPoint microphone;
    };

    // The impulse responses (sampleRate, unscaled) along the paths, long enough for their tails
    // to lie more than 90 dB under their starts. Deterministic.
    std::vector<std::vector<double>> impulseResponses (const std::vector<Path>& paths) const;

    // T60 of a mode of this kind at this frequency: oblique modes take the room's reverberation,
    // tangential ones ring 10 % longer and axial ones 25 % (they meet fewer walls).
    double decaySeconds (double hz, int kind) const;

    // The number of samples every impulse response of this room has.
    int length() const;

private:
    RoomShape room;
    std::vector<Mode> modeList;
};
