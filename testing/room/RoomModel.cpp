#include "RoomModel.h"

#include <algorithm>
#include <cmath>
#include <complex>

namespace
{
    constexpr double pi = 3.14159265358979323846;
    constexpr double ln1000 = 6.907755278982137; // a T60 is ln 1000 time constants of the amplitude

    // The envelope a mode is synthesised down to, in nepers below its start (100 dB).
    constexpr double nepersSynthesised = 100.0 / 20.0 * 2.302585092994046;

    double modeShape (const RoomModel::Mode& mode, const RoomShape& room, const RoomPoint& p)
    {
        return std::cos (mode.nx * pi * p.x / room.length) * std::cos (mode.ny * pi * p.y / room.width)
               * std::cos (mode.nz * pi * p.z / room.height);
    }

    double fade (double hz)
    {
        if (hz <= RoomModel::fullModesHz)
            return 1.0;

        const double t = (hz - RoomModel::fullModesHz) / (RoomModel::lastModeHz - RoomModel::fullModesHz);
        return 0.5 * (1.0 + std::cos (pi * t));
    }

    // One mode's damped sinusoid, exp(-decay t) sin(omega t), added to every output with its own
    // amplitude. Eight interleaved complex recursions keep the loop free of a serial chain; they
    // start again from exact values every block so that rounding cannot pile up.
    void addDampedSine (std::vector<std::vector<double>>& outputs, const std::vector<double>& amplitudes, int count,
                        double decay, double omega)
    {
        constexpr int lanes = 8;
        constexpr int block = 2048;
        const std::complex<double> step = std::exp (std::complex<double> (-decay, omega) * (lanes / static_cast<double> (RoomModel::sampleRate)));

        for (int start = 0; start < count; start += block)
        {
            double re[lanes], im[lanes];

            for (int j = 0; j < lanes; ++j)
            {
                const double t = (start + j) / static_cast<double> (RoomModel::sampleRate);
                const double envelope = std::exp (-decay * t);
                re[j] = envelope * std::cos (omega * t);
                im[j] = envelope * std::sin (omega * t);
            }

            const int end = std::min (count, start + block);

            for (int k = start; k < end; k += lanes)
            {
                for (size_t o = 0; o < outputs.size(); ++o)
                {
                    double* out = outputs[o].data() + k;
                    const double a = amplitudes[o];

                    for (int j = 0; j < lanes; ++j)
                        out[j] += a * im[j];
                }

                for (int j = 0; j < lanes; ++j)
                {
                    const double r = re[j] * step.real() - im[j] * step.imag();
                    im[j] = re[j] * step.imag() + im[j] * step.real();
                    re[j] = r;
                }
            }
        }
    }

    // The speaker's high-pass as a bilinear biquad (prewarped), run over the response in place.
    void highPass (std::vector<double>& x)
    {
        const double k = std::tan (pi * RoomModel::speakerHighPassHz / RoomModel::sampleRate);
        const double q = 1.0 / std::sqrt (2.0);
        const double norm = 1.0 / (1.0 + k / q + k * k);
        const double b0 = norm, b1 = -2.0 * norm, b2 = norm;
        const double a1 = 2.0 * (k * k - 1.0) * norm, a2 = (1.0 - k / q + k * k) * norm;
        double s1 = 0.0, s2 = 0.0;

        for (auto& v : x)
        {
            const double in = v;
            const double out = b0 * in + s1;
            s1 = b1 * in - a1 * out + s2;
            s2 = b2 * in - a2 * out;
            v = out;
        }
    }
}

RoomModel::RoomModel (const RoomShape& shape)
    : room (shape)
{
    const int maxX = static_cast<int> (2.0 * room.length * lastModeHz / speedOfSound);
    const int maxY = static_cast<int> (2.0 * room.width * lastModeHz / speedOfSound);
    const int maxZ = static_cast<int> (2.0 * room.height * lastModeHz / speedOfSound);

    for (int nx = 0; nx <= maxX; ++nx)
        for (int ny = 0; ny <= maxY; ++ny)
            for (int nz = 0; nz <= maxZ; ++nz)
            {
                if (nx + ny + nz == 0)
                    continue;

                const double a = nx / room.length, b = ny / room.width, c = nz / room.height;
                Mode mode { nx, ny, nz, 0.5 * speedOfSound * std::sqrt (a * a + b * b + c * c), 0.0 };

                if (mode.hz >= lastModeHz)
                    continue;

                mode.decaySeconds = decaySeconds (mode.hz, mode.kind());
                modeList.push_back (mode);
            }

    std::sort (modeList.begin(), modeList.end(), [] (const Mode& p, const Mode& q) { return p.hz < q.hz; });
}

double RoomModel::decaySeconds (double hz, int kind) const
{
    // Log-log between 100 and 400 Hz: the bass rings longest, as in most rooms.
    const double t = std::clamp (std::log (hz / 100.0) / std::log (4.0), 0.0, 1.0);
    const double oblique = room.reverbLowSeconds * std::pow (room.reverbHighSeconds / room.reverbLowSeconds, t);
    return oblique * (kind == 1 ? 1.25 : kind == 2 ? 1.1 : 1.0);
}

int RoomModel::length() const
{
    double longest = 0.0;

    for (const auto& mode : modeList)
        longest = std::max (longest, mode.decaySeconds);

    // 90 dB of the slowest mode, in whole blocks of 4096 samples.
    const double seconds = longest * 90.0 / 60.0;
    const int blocks = static_cast<int> (std::ceil (seconds * sampleRate / 4096.0));
    return blocks * 4096;
}

std::vector<std::vector<double>> RoomModel::impulseResponses (const std::vector<Path>& paths) const
{
    const int count = length();
    // Room for the recursions' last group of eight.
    std::vector<std::vector<double>> h (paths.size(), std::vector<double> (static_cast<size_t> (count) + 8, 0.0));

    // The pressure-chamber term of mode (0,0,0) with the room's leak: (1 - exp(-a t)) / a, the
    // same at every point.
    const double leak = 2.0 * pi * leakHz;

    for (auto& response : h)
        for (int k = 0; k < count; ++k)
            response[static_cast<size_t> (k)] = (1.0 - std::exp (-leak * k / sampleRate)) / leak;

    std::vector<double> amplitudes (paths.size());

    for (const auto& mode : modeList)
    {
        const double decay = ln1000 / mode.decaySeconds;
        const double omega = std::sqrt (std::pow (2.0 * pi * mode.hz, 2.0) - decay * decay);
        const double norm = (mode.nx != 0 ? 2.0 : 1.0) * (mode.ny != 0 ? 2.0 : 1.0) * (mode.nz != 0 ? 2.0 : 1.0);
        bool heard = false;

        for (size_t p = 0; p < paths.size(); ++p)
        {
            const auto& source = room.speakers[paths[p].speaker == 0 ? 0 : 1];
            amplitudes[p] = fade (mode.hz) * norm * modeShape (mode, room, source) * modeShape (mode, room, paths[p].microphone) / omega;
            heard = heard || amplitudes[p] != 0.0;
        }

        if (! heard)
            continue;

        const int samples = std::min (count, static_cast<int> (std::ceil (nepersSynthesised / decay * sampleRate)));
        addDampedSine (h, amplitudes, samples, decay, omega);
    }

    for (auto& response : h)
    {
        response.resize (static_cast<size_t> (count));
        highPass (response);
    }

    return h;
}
