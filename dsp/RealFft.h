#pragma once

#include <complex>
#include <cstdint>

// The discrete Fourier transform of real blocks of one length, through FFTW in single precision:
// every sample enters every bin, with twiddle factors exact to single precision. Plans are made
// and destroyed under a process-wide lock, since FFTW's planner is not thread-safe; transforms
// of different objects may run on different threads at once.
class RealFft final
{
public:
    // Not ready for n < 2 or when memory runs out.
    explicit RealFft (int32_t n);
    ~RealFft();

    RealFft (const RealFft&) = delete;
    RealFft& operator= (const RealFft&) = delete;

    bool isReady() const { return forwardPlan != nullptr && inversePlan != nullptr; }
    int32_t size() const { return length; }
    int32_t numBins() const { return length / 2 + 1; }

    // bins[k] = sum over j of samples[j] * exp(-2 pi i j k / n), for k = 0 .. n/2. Unnormalised.
    void forward (const float* samples, std::complex<float>* bins);

    // The inverse, divided by n: inverse (forward (x)) gives x back.
    void inverse (const std::complex<float>* bins, float* samples);

private:
    int32_t length = 0;
    float* timeBuffer = nullptr;
    std::complex<float>* binBuffer = nullptr;
    void* forwardPlan = nullptr;
    void* inversePlan = nullptr;
};
