#pragma once

#include "KeptCurve.h"
#include "KeptState.h"
#include "MeasurementRecord.h"
#include "ResponseVerdict.h"

#include <ctime>
#include <optional>
#include <string>
#include <vector>

// The curves step six shows and keeps, and what is done with them: the current curve (one
// measurement, or the average of several microphone positions of one speaker choice) and the
// held one; measuring, adding a position, holding, opening a file, saving, keeping between runs.
// Plain C++, so that the window and the command line share it.
class CurveSession final
{
public:
    std::optional<KeptCurve> current;
    std::optional<KeptCurve> held;

    // A measurement of the speakers of an engine mode (0 left, 1 right, 2 both) with its gains
    // per analysis bin before smoothing, and the microphone's calibration taken out of them (as
    // KeptCurve::calibration says it). With addPosition it joins the current curve as one more
    // microphone position, where canAddPosition (mode) allows and the calibration is the same;
    // otherwise it starts over.
    void measured (const MeasurementRecord& record, std::vector<float> gains, int mode, std::time_t when, bool addPosition,
                   const std::string& calibration = "none");

    // A current curve of these speakers whose positions are kept, with room for one more.
    bool canAddPosition (int mode) const;

    // The current curve becomes the held one.
    void hold();

    // The lowest and highest of the current curve's positions at each value; false with fewer
    // than two positions.
    bool spread (std::vector<float>& lowest, std::vector<float>& highest) const;

    // The current curve against the held one; nullopt without both.
    std::optional<ResponseVerdict> verdict() const;

    // What SAVE writes for a chosen text file: the current curve (else the held one), each
    // position of an average in a file of its own beside it ("... position 2.txt"), and the held
    // curve ("... held.txt"); the files say of each other in their comments.
    struct Output
    {
        std::string path;
        std::string bytes;
    };

    std::vector<Output> filesFor (const std::string& textPath) const;

    KeptState state() const;
    void restore (const KeptState& kept);
};
