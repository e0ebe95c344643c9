#include "engine/Fft.h"

#include "engine/EngineError.h"

#include <cstdio>
#include <fftw3.h>
#include <mutex>

namespace
{
// FFTW's planner keeps global state (wisdom, the codelet registry): plan creation and
// destruction must not run on two threads at once. Executing a finished plan is thread-safe.
std::mutex& plannerMutex()
{
    static std::mutex mutex;
    return mutex;
}
} // namespace

FftSetup::~FftSetup()
{
    release();
}

void FftSetup::release() noexcept
{
    {
        std::lock_guard<std::mutex> lock(plannerMutex());
        for (void* plan : forwardPlans)
            if (plan != nullptr)
                fftw_destroy_plan(static_cast<fftw_plan>(plan));
        for (void* plan : backwardPlans)
            if (plan != nullptr)
                fftw_destroy_plan(static_cast<fftw_plan>(plan));
    }
    forwardPlans.clear();
    backwardPlans.clear();
    fftw_free(inputReal);
    inputReal = nullptr;
    inputImag = nullptr;
    resultReal = nullptr;
    resultImag = nullptr;
    log2Size = -1;
}

void FftSetup::reserve(int log2Points)
{
    if (log2Points <= log2Size)
        return;
    if (log2Points > 30)
        raiseEngineError(EngineError::Kind::invalidArgument, 1,
                         "fft error: %d-bit transform size too large\n", log2Points);
    release();

    const std::int64_t points = std::int64_t{1} << log2Points;
    // One aligned block for the four arrays. The plans are made for these very arrays and are
    // only ever executed on them, so alignment and the separation between real and imaginary
    // parts stay what the planner saw.
    auto* block = static_cast<double*>(fftw_malloc(sizeof(double) * static_cast<std::size_t>(4 * points)));
    if (block == nullptr)
        raiseEngineError(EngineError::Kind::outOfMemory, -1, "can't malloc %lld bytes\n",
                         static_cast<long long>(sizeof(double) * 4 * points));
    for (std::int64_t i = 0; i < 4 * points; ++i)
        block[i] = 0.0;
    inputReal = block;
    inputImag = block + points;
    resultReal = block + 2 * points;
    resultImag = block + 3 * points;

    forwardPlans.assign(static_cast<std::size_t>(log2Points) + 1, nullptr);
    backwardPlans.assign(static_cast<std::size_t>(log2Points) + 1, nullptr);
    bool planned = true;
    {
        std::lock_guard<std::mutex> lock(plannerMutex());
        for (int k = 1; k <= log2Points; ++k)
        {
            fftw_iodim dimension{static_cast<int>(std::int64_t{1} << k), 1, 1};
            // Out-of-place plans on aligned arrays: in-place and unaligned plans of these sizes
            // use buffered algorithms that allocate scratch memory on every execution.
            const unsigned flags = FFTW_ESTIMATE;
            forwardPlans[k] = fftw_plan_guru_split_dft(1, &dimension, 0, nullptr, inputReal, inputImag,
                                                       resultReal, resultImag, flags);
            // The split interface always uses the negative kernel; exchanging the real and
            // imaginary arrays turns it into the positive one.
            backwardPlans[k] = fftw_plan_guru_split_dft(1, &dimension, 0, nullptr, inputImag, inputReal,
                                                        resultImag, resultReal, flags);
            planned = planned && forwardPlans[k] != nullptr && backwardPlans[k] != nullptr;
        }
    }
    log2Size = log2Points;
    if (!planned)
    {
        release();
        raiseEngineError(EngineError::Kind::invalidArgument, 1,
                         "fft error: cannot plan %lld-point transforms\n", static_cast<long long>(points));
    }
    std::fprintf(stderr, "fft setup(n = %d)\n", log2Points);
}

namespace
{
int log2Exact(std::int64_t n) noexcept
{
    int k = 0;
    while ((std::int64_t{1} << k) < n)
        ++k;
    return k;
}
} // namespace

void FftSetup::forward(std::int64_t n) noexcept
{
    if (n < 2)
        return;
    fftw_execute(static_cast<fftw_plan>(forwardPlans[static_cast<std::size_t>(log2Exact(n))]));
}

void FftSetup::backward(std::int64_t n) noexcept
{
    if (n < 2)
        return;
    fftw_execute(static_cast<fftw_plan>(backwardPlans[static_cast<std::size_t>(log2Exact(n))]));
}
