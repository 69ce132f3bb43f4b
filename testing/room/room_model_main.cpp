// Writes a virtual room's impulse responses (the truth a measurement is compared with) into a
// folder, for scripts/virtual-room; --report prints every room's figures.
//
//   sonavel-room-model --room NAME [--position K] [--notch F,Q,D] [--level DB] [--mic-response FILE] --out DIR
//   sonavel-room-model --filter FILE [--notch F,Q,D] [--mic-response FILE] --out DIR
//   sonavel-room-model --report
//
// DIR gets impulse-left.f32 and impulse-right.f32 (raw float32, 44100 Hz: what the microphone
// hears from each speaker, the speakers' level and the notch included, the microphone's own
// response not), microphone.f32 with --mic-response (its minimum-phase FIR), and room.txt: the
// figures, and "mean_gain G", the power mean of |H_left + H_right| over 40..280 Hz at the
// listening position without notch or level, against which the room's hiss is set.
// --filter takes the one-band room's response from each speaker (made by the script with the
// same plugin the server runs) and adds the notch.
#include "MicrophoneResponse.h"
#include "PeakingBiquad.h"
#include "RoomFigures.h"
#include "RoomModel.h"
#include "TrueResponse.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace
{
    constexpr int microphoneFirLength = 8192;
    // The test noise is full-scale uniform noise: RMS 1/sqrt(3). At the default level (-12 dB)
    // on both speakers the microphone hears it at this RMS at the listening position.
    constexpr double defaultLevelDb = -12.0;
    constexpr double heardRmsDb = -17.0;

    int usage()
    {
        std::fputs ("usage: sonavel-room-model --room NAME [--position K] [--notch F,Q,D] [--level DB] [--mic-response FILE] --out DIR\n"
                    "       sonavel-room-model --filter FILE [--notch F,Q,D] [--mic-response FILE] --out DIR\n"
                    "       sonavel-room-model --report\n",
                    stderr);
        return 2;
    }

    double decibels (double db) { return std::pow (10.0, db / 20.0); }

    double norm (const std::vector<double>& a, const std::vector<double>& b)
    {
        double sum = 0.0;

        for (size_t i = 0; i < a.size(); ++i)
            sum += (a[i] + b[i]) * (a[i] + b[i]);

        return std::sqrt (sum);
    }

    std::vector<float> toFloat (const std::vector<double>& x)
    {
        return std::vector<float> (x.begin(), x.end());
    }

    bool writeRaw (const std::string& path, const std::vector<float>& x)
    {
        std::ofstream file (path, std::ios::binary);
        file.write (reinterpret_cast<const char*> (x.data()), static_cast<std::streamsize> (x.size() * sizeof (float)));
        return static_cast<bool> (file);
    }

    std::vector<float> readRaw (const std::string& path)
    {
        std::ifstream file (path, std::ios::binary);
        std::vector<float> x;
        float v = 0.0f;

        while (file.read (reinterpret_cast<char*> (&v), sizeof (v)))
            x.push_back (v);

        return x;
    }

    // Lengthens by the notch's ringing (whole blocks of 4096) and filters.
    void applyNotch (const std::optional<PeakingBiquad>& notch, std::vector<double>& h)
    {
        if (! notch)
            return;

        const int extra = (notch->ringingSamples() + 4095) / 4096 * 4096;
        h.resize (h.size() + static_cast<size_t> (extra), 0.0);
        notch->process (h);
    }

    std::string describe (const std::string& label, const std::vector<float>& impulse)
    {
        const auto f = RoomFigures::of (impulse);
        char line[400];
        std::snprintf (line, sizeof (line),
                       "%-6s bump %5.1f Hz %+5.1f dB over the median | dip %5.1f Hz %+6.1f dB under the mean | "
                       "T30 %.2f s (63 Hz) %.2f s (125 Hz) | tail %.0f dB\n",
                       label.c_str(), f.bumpHz, f.bumpDb, f.dipHz, f.dipDb, f.reverb63, f.reverb125, f.tailDb);
        return line;
    }

    struct Room
    {
        std::vector<float> left, right;
        double meanGain = 0.0;
        std::string figures;
    };

    Room buildRoom (const RoomShape& shape, int position, const std::optional<PeakingBiquad>& notch, double levelDb)
    {
        const RoomModel model (shape);
        const auto listening = *microphoneAt (shape, 1);
        const auto microphone = *microphoneAt (shape, position);
        auto responses = model.impulseResponses ({ { 0, listening }, { 1, listening }, { 0, microphone }, { 1, microphone } });
        auto& left = responses[0];
        auto& right = responses[1];

        // The scale belongs to the room, not to a position or a notch: set at the listening position.
        const double scale = decibels (heardRmsDb - defaultLevelDb) / (norm (left, right) / std::sqrt (3.0));

        Room room;
        {
            std::vector<float> both (left.size());

            for (size_t i = 0; i < both.size(); ++i)
                both[i] = static_cast<float> (scale * (left[i] + right[i]));

            room.meanGain = RoomFigures::bandGain (both);
        }

        left = std::move (responses[2]);
        right = std::move (responses[3]);

        applyNotch (notch, left);
        applyNotch (notch, right);

        for (auto* h : { &left, &right })
            for (auto& v : *h)
                v *= scale * decibels (levelDb);

        room.left = toFloat (left);
        room.right = toFloat (right);
        const auto both = TrueResponse::sum (room.left, room.right);

        double power = 0.0;

        for (const float v : both)
            power += static_cast<double> (v) * v;

        char line[200];
        std::snprintf (line, sizeof (line), "%s room, position %d: %zu modes under %.0f Hz, %zu samples; test noise heard at %.1f dBFS RMS\n",
                       shape.name.c_str(), position, model.modes().size(), RoomModel::lastModeHz, both.size(),
                       20.0 * std::log10 (std::sqrt (power / 3.0)));
        room.figures = line + describe ("left", room.left) + describe ("right", room.right) + describe ("both", both);
        return room;
    }

    int report()
    {
        for (const auto& name : roomNames())
        {
            const auto shape = *roomNamed (name);
            const RoomModel model (shape);

            std::printf ("%s: %.2f x %.2f x %.2f m, T60 %.2f s (bass) to %.2f s (400 Hz), axial modes ring 25 %% longer\n",
                         name.c_str(), shape.length, shape.width, shape.height, shape.reverbLowSeconds, shape.reverbHighSeconds);
            std::printf ("  first axial modes: length %.1f Hz, width %.1f Hz, height %.1f Hz\n",
                         RoomModel::speedOfSound / (2.0 * shape.length), RoomModel::speedOfSound / (2.0 * shape.width),
                         RoomModel::speedOfSound / (2.0 * shape.height));

            for (int position = 1; position <= roomPositionCount; ++position)
            {
                std::istringstream lines (buildRoom (shape, position, std::nullopt, defaultLevelDb).figures);
                std::string line;

                while (std::getline (lines, line))
                    std::printf ("  %s\n", line.c_str());
            }
        }

        return 0;
    }
}

int main (int argc, char** argv)
{
    std::string roomName, filterPath, notchText, micPath, out;
    int position = 1;
    double levelDb = defaultLevelDb;
    bool wantsReport = false;

    for (int i = 1; i < argc; ++i)
    {
        const std::string option = argv[i];
        const bool hasValue = i + 1 < argc;

        if (option == "--report")
            wantsReport = true;
        else if (! hasValue)
            return usage();
        else if (option == "--room")
            roomName = argv[++i];
        else if (option == "--filter")
            filterPath = argv[++i];
        else if (option == "--notch")
            notchText = argv[++i];
        else if (option == "--mic-response")
            micPath = argv[++i];
        else if (option == "--out")
            out = argv[++i];
        else if (option == "--position" || option == "--level")
        {
            const std::string value = argv[++i];
            char* end = nullptr;
            const double number = std::strtod (value.c_str(), &end);

            if (value.empty() || *end != '\0' || ! std::isfinite (number))
                return usage();

            if (option == "--level")
                levelDb = number;
            else if (number != std::floor (number) || number < 1 || number > roomPositionCount)
            {
                std::fprintf (stderr, "sonavel-room-model: --position takes 1..%d\n", roomPositionCount);
                return 2;
            }
            else
                position = static_cast<int> (number);
        }
        else
            return usage();
    }

    if (wantsReport)
        return report();

    if (out.empty() || roomName.empty() == filterPath.empty())
        return usage();

    std::optional<PeakingBiquad> notch;

    if (! notchText.empty() && ! (notch = PeakingBiquad::parse (notchText, RoomModel::sampleRate)))
    {
        std::fprintf (stderr, "sonavel-room-model: --notch takes F,Q,D: a centre in Hz, a Q step and a depth step 1..6\n");
        return 2;
    }

    std::optional<MicrophoneResponse> microphone;

    if (! micPath.empty())
    {
        std::string error;

        if (! (microphone = MicrophoneResponse::read (micPath, error)))
        {
            std::fprintf (stderr, "sonavel-room-model: --mic-response: %s\n", error.c_str());
            return 2;
        }
    }

    Room room;

    if (! roomName.empty())
    {
        const auto shape = roomNamed (roomName);

        if (! shape)
        {
            std::fprintf (stderr, "sonavel-room-model: no room \"%s\"\n", roomName.c_str());
            return 2;
        }

        room = buildRoom (*shape, position, notch, levelDb);
    }
    else
    {
        const auto filter = readRaw (filterPath);

        if (filter.empty())
        {
            std::fprintf (stderr, "sonavel-room-model: cannot read %s\n", filterPath.c_str());
            return 2;
        }

        std::vector<double> h (filter.begin(), filter.end());
        applyNotch (notch, h);
        room.left = room.right = toFloat (h);
        room.meanGain = 1.0;
        room.figures = describe ("left", room.left) + describe ("both", TrueResponse::sum (room.left, room.right));
    }

    if (! writeRaw (out + "/impulse-left.f32", room.left) || ! writeRaw (out + "/impulse-right.f32", room.right)
        || (microphone && ! writeRaw (out + "/microphone.f32", toFloat (microphone->minimumPhaseFir (microphoneFirLength, RoomModel::sampleRate)))))
        return 1;

    std::ofstream text (out + "/room.txt");
    text << room.figures << "mean_gain " << room.meanGain << "\n";
    return text ? 0 : 1;
}
