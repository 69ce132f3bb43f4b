// A virtual room's sound path outside the sound server (the room itself runs it as a plugin,
// room_plugin.cpp): reads the speakers (interleaved float32, one channel per impulse response)
// on standard input and writes what the microphone hears (mono float32) on standard output, one
// block of the convolver and the delay later (zeros first), as the input comes.
//
//   sonavel-room-convolver [--delay MS] [--block FRAMES] [--microphone FIR.f32] IMPULSE.f32...
//
// --block: frames per block, a power of two from 64 to 1024 (default 512). --microphone: the
// microphone's own FIR, convolved with each response first.
#include "RoomPath.h"
#include "Spectrum.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace
{
    constexpr int sampleRate = 44100;
    constexpr double longestDelayMs = 60000.0;

    int usage()
    {
        std::fputs ("usage: sonavel-room-convolver [--delay MS] [--block FRAMES] [--microphone FIR.f32] IMPULSE.f32...\n", stderr);
        return 2;
    }

    std::vector<float> readRaw (const std::string& path)
    {
        std::ifstream file (path, std::ios::binary);
        std::vector<float> x;
        float v = 0.0f;

        while (file.read (reinterpret_cast<char*> (&v), sizeof (v)))
            x.push_back (std::isfinite (v) ? v : 0.0f);

        return x;
    }

    std::vector<float> convolve (const std::vector<float>& a, const std::vector<float>& b)
    {
        const size_t length = a.size() + b.size() - 1;
        size_t n = 2;

        while (n < length)
            n *= 2;

        std::vector<double> x (n, 0.0), y (n, 0.0);
        std::copy (a.begin(), a.end(), x.begin());
        std::copy (b.begin(), b.end(), y.begin());
        auto bins = Spectrum::forward (x);
        const auto other = Spectrum::forward (y);

        for (size_t k = 0; k < bins.size(); ++k)
            bins[k] *= other[k];

        const auto product = Spectrum::inverse (bins, static_cast<int> (n));
        return std::vector<float> (product.begin(), product.begin() + static_cast<std::ptrdiff_t> (length));
    }

    bool readAll (float* to, size_t bytes)
    {
        auto* p = reinterpret_cast<char*> (to);

        while (bytes > 0)
        {
            const ssize_t got = read (STDIN_FILENO, p, bytes);

            if (got < 0 && errno == EINTR)
                continue;

            if (got <= 0)
                return false;

            p += got;
            bytes -= static_cast<size_t> (got);
        }

        return true;
    }

    bool writeAll (const float* from, size_t bytes)
    {
        const auto* p = reinterpret_cast<const char*> (from);

        while (bytes > 0)
        {
            const ssize_t put = write (STDOUT_FILENO, p, bytes);

            if (put < 0 && errno == EINTR)
                continue;

            if (put <= 0)
                return false;

            p += put;
            bytes -= static_cast<size_t> (put);
        }

        return true;
    }
}

int main (int argc, char** argv)
{
    double delayMs = 0.0;
    int blockSize = 512;
    std::string microphonePath;
    std::vector<std::string> impulsePaths;

    for (int i = 1; i < argc; ++i)
    {
        const std::string option = argv[i];

        if (option == "--delay" || option == "--block" || option == "--microphone")
        {
            if (i + 1 >= argc)
                return usage();

            const std::string value = argv[++i];

            if (option == "--microphone")
            {
                microphonePath = value;
                continue;
            }

            char* end = nullptr;
            const double number = std::strtod (value.c_str(), &end);

            if (value.empty() || *end != '\0' || ! (number >= 0.0))
                return usage();

            if (option == "--delay")
                delayMs = number;
            else
                blockSize = static_cast<int> (number);
        }
        else if (! option.empty() && option[0] == '-')
            return usage();
        else
            impulsePaths.push_back (option);
    }

    const bool powerOfTwo = blockSize >= 64 && blockSize <= 1024 && (blockSize & (blockSize - 1)) == 0;

    if (impulsePaths.empty() || impulsePaths.size() > 8 || ! powerOfTwo || delayMs > longestDelayMs)
        return usage();

    std::vector<float> microphone;

    if (! microphonePath.empty() && (microphone = readRaw (microphonePath)).empty())
    {
        std::fprintf (stderr, "sonavel-room-convolver: cannot read %s\n", microphonePath.c_str());
        return 2;
    }

    std::vector<std::vector<float>> impulses;

    for (const auto& path : impulsePaths)
    {
        auto h = readRaw (path);

        if (h.empty())
        {
            std::fprintf (stderr, "sonavel-room-convolver: cannot read %s\n", path.c_str());
            return 2;
        }

        impulses.push_back (microphone.empty() ? std::move (h) : convolve (h, microphone));
    }

    const auto channels = impulses.size();
    RoomPath path (impulses, blockSize, static_cast<size_t> (std::lround (delayMs * sampleRate / 1000.0)));
    const auto frames = static_cast<size_t> (blockSize);
    std::vector<float> input (frames * channels), output (frames);
    std::vector<std::vector<float>> planes (channels, std::vector<float> (frames));
    std::vector<const float*> starts;

    for (const auto& plane : planes)
        starts.push_back (plane.data());

    while (readAll (input.data(), input.size() * sizeof (float)))
    {
        for (size_t i = 0; i < frames; ++i)
            for (size_t c = 0; c < channels; ++c)
                planes[c][i] = input[i * channels + c];

        path.process (starts.data(), output.data(), frames);

        if (! writeAll (output.data(), output.size() * sizeof (float)))
            return 1;
    }

    return 0;
}
