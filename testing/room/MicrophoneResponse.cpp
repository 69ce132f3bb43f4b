#include "MicrophoneResponse.h"

#include "Spectrum.h"

#include <cmath>
#include <complex>
#include <fstream>
#include <sstream>

std::optional<MicrophoneResponse> MicrophoneResponse::read (const std::string& path, std::string& error)
{
    std::ifstream file (path);

    if (! file)
    {
        error = "cannot read " + path;
        return std::nullopt;
    }

    std::ostringstream text;
    text << file.rdbuf();
    return parse (text.str(), error);
}

std::optional<MicrophoneResponse> MicrophoneResponse::parse (const std::string& text, std::string& error)
{
    MicrophoneResponse response;
    std::istringstream lines (text);
    std::string line;
    int number = 0;

    while (std::getline (lines, line))
    {
        ++number;
        line = line.substr (0, line.find ('#'));

        for (auto& c : line)
            if (c == ',' || c == '\t' || c == ';')
                c = ' ';

        std::istringstream fields (line);
        double hz = 0.0, db = 0.0;

        if (! (fields >> hz))
            continue;

        if (! (fields >> db) || ! (fields >> std::ws).eof() || ! std::isfinite (hz) || ! std::isfinite (db) || hz <= 0.0
            || std::abs (db) > 40.0 || (! response.rows.empty() && hz <= response.rows.back().first))
        {
            error = "line " + std::to_string (number) + ": expected a rising frequency in Hz and a level within +-40 dB";
            return std::nullopt;
        }

        response.rows.emplace_back (hz, db);
    }

    if (response.rows.empty())
    {
        error = "no rows of frequency and level";
        return std::nullopt;
    }

    return response;
}

double MicrophoneResponse::gainDb (double hz) const
{
    if (hz <= rows.front().first)
        return rows.front().second;

    if (hz >= rows.back().first)
        return rows.back().second;

    size_t i = 1;

    while (rows[i].first < hz)
        ++i;

    const auto& [f0, d0] = rows[i - 1];
    const auto& [f1, d1] = rows[i];
    const double t = std::log (hz / f0) / std::log (f1 / f0);
    return d0 + t * (d1 - d0);
}

std::vector<double> MicrophoneResponse::minimumPhaseFir (int firLength, int sampleRate) const
{
    // The real cepstrum of the log magnitude, folded onto positive quefrencies, on a grid eight
    // times the FIR's length so that the cepstrum's aliasing stays far under what matters.
    const int n = 8 * firLength;
    std::vector<double> logMagnitude (static_cast<size_t> (n));

    for (int k = 0; k <= n / 2; ++k)
    {
        const double value = gainDb (static_cast<double> (k) * sampleRate / n) * std::log (10.0) / 20.0;
        logMagnitude[static_cast<size_t> (k)] = value;

        if (k > 0 && k < n / 2)
            logMagnitude[static_cast<size_t> (n - k)] = value;
    }

    const auto cepstrumBins = Spectrum::forward (logMagnitude);
    std::vector<double> cepstrum (static_cast<size_t> (n));

    // The log magnitude is real and even, so its transform is real: the cepstrum, times n.
    for (int k = 0; k < n; ++k)
    {
        const int bin = k <= n / 2 ? k : n - k;
        cepstrum[static_cast<size_t> (k)] = cepstrumBins[static_cast<size_t> (bin)].real() / n;
    }

    std::vector<double> folded (static_cast<size_t> (n), 0.0);
    folded[0] = cepstrum[0];
    folded[static_cast<size_t> (n / 2)] = cepstrum[static_cast<size_t> (n / 2)];

    for (int k = 1; k < n / 2; ++k)
        folded[static_cast<size_t> (k)] = 2.0 * cepstrum[static_cast<size_t> (k)];

    auto bins = Spectrum::forward (folded);

    for (auto& b : bins)
        b = std::exp (b);

    auto fir = Spectrum::inverse (bins, n);
    fir.resize (static_cast<size_t> (firLength));
    return fir;
}
