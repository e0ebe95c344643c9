#pragma once

#include <cstdint>
#include <vector>

/** Planned power-of-two complex transforms and the work arrays they run on.

    One setup serves every size from 2 up to 2^log2Points() points: growing it plans all of them
    at once, so that a setup built for a large size serves all smaller ones and the audio path
    never plans. Each engine owns its own setup; nothing here is shared between setups except
    the planner, which is serialised process-wide (planning and destroying plans is the only
    part of the underlying library that is not thread-safe).

    The transforms read the setup's input arrays `real()`, `imag()` and write its output arrays
    `outputReal()`, `outputImag()` (2^log2Points() doubles each). The plans are made for exactly
    these aligned arrays and out of place: such plans need no scratch memory, so executing them
    allocates nothing, and the input is left as it was. */
class FftSetup
{
public:
    FftSetup() noexcept = default;
    ~FftSetup();

    FftSetup(const FftSetup&) = delete;
    FftSetup& operator=(const FftSetup&) = delete;

    /** Makes transforms of up to 2^log2Points points available and writes
        "fft setup(n = %d)\n" (the logarithm) to the error stream. Replaces a smaller setup
        (its arrays are reallocated and their contents lost); does nothing when the setup is
        already at least that large. Raises EngineError when planning fails. Never call it on the
        audio path. */
    void reserve(int log2Points);

    /** Whether no transform has been planned yet. */
    bool empty() const noexcept { return log2Size < 0; }

    /** Base-2 logarithm of the largest size planned, or -1 when empty. */
    int log2Points() const noexcept { return log2Size; }

    /** Real parts of the input. */
    double* real() noexcept { return inputReal; }

    /** Imaginary parts of the input. */
    double* imag() noexcept { return inputImag; }

    /** Real parts of the last result. */
    const double* outputReal() const noexcept { return resultReal; }

    /** Imaginary parts of the last result. */
    const double* outputImag() const noexcept { return resultImag; }

    /** Unscaled DFT of the first n input points into the output, kernel e^(-2 pi i k j / n).
        n is a power of two from 2 up to 2^log2Points(). */
    void forward(std::int64_t n) noexcept;

    /** Unscaled DFT with the kernel e^(+2 pi i k j / n), same arrays and sizes as `forward`. */
    void backward(std::int64_t n) noexcept;

private:
    void release() noexcept;

    int log2Size = -1;
    double* inputReal = nullptr; // owns the block of all four arrays
    double* inputImag = nullptr;
    double* resultReal = nullptr;
    double* resultImag = nullptr;
    std::vector<void*> forwardPlans;  // index k: 2^k points
    std::vector<void*> backwardPlans; // same, with real and imaginary arrays swapped
};
