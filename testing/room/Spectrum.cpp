#include "Spectrum.h"

#include <fftw3.h>

#include <mutex>

namespace
{
    std::mutex planner;
    constexpr unsigned flags = FFTW_ESTIMATE | FFTW_NO_SIMD;
}

std::vector<std::complex<double>> Spectrum::forward (const std::vector<double>& x)
{
    const int n = static_cast<int> (x.size());
    std::vector<double> in (x);
    std::vector<std::complex<double>> out (static_cast<size_t> (n / 2 + 1));
    fftw_plan plan;
    {
        const std::lock_guard<std::mutex> lock (planner);
        plan = fftw_plan_dft_r2c_1d (n, in.data(), reinterpret_cast<fftw_complex*> (out.data()), flags);
    }
    fftw_execute (plan);
    {
        const std::lock_guard<std::mutex> lock (planner);
        fftw_destroy_plan (plan);
    }
    return out;
}

std::vector<double> Spectrum::inverse (const std::vector<std::complex<double>>& bins, int n)
{
    std::vector<std::complex<double>> in (bins);
    in.resize (static_cast<size_t> (n / 2 + 1));
    std::vector<double> out (static_cast<size_t> (n));
    fftw_plan plan;
    {
        const std::lock_guard<std::mutex> lock (planner);
        plan = fftw_plan_dft_c2r_1d (n, reinterpret_cast<fftw_complex*> (in.data()), out.data(), flags);
    }
    fftw_execute (plan);
    {
        const std::lock_guard<std::mutex> lock (planner);
        fftw_destroy_plan (plan);
    }

    for (auto& v : out)
        v /= n;

    return out;
}
