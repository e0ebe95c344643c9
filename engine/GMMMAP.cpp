#include "engine/GMMMAP.h"

#include "engine/EngineError.h"
#include "engine/Kernel.h"
#include "engine/MemoryFile.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <new>
#include <utility>

namespace
{
constexpr double infinity = 1.0e38; // the engine's "no information" / "exact" marker

/** Inverse of a variance or precision with the generator's saturation: huge for (nearly) zero,
    zero for huge values. */
inline double finv(double v) noexcept
{
    if (std::fabs(v) <= 1.0e-19)
        return v < 0.0 ? -infinity : infinity;
    if (std::fabs(v) >= 1.0e19)
        return 0.0;
    return 1.0 / v;
}

std::int64_t firstNonFinite(const DoubleVector& v)
{
    for (std::int64_t i = 0; i < v.length; ++i)
        if (!std::isfinite(v.re[i]))
            return i;
    return -1;
}
} // namespace

PreparedGmm loadPreparedGmm(const char* parameters, std::int64_t n)
{
    if (n < 1)
        raiseEngineError(EngineError::Kind::invalidArgument, 1, "GMM dimension %lld: must be at least 1\n",
                         static_cast<long long>(n));
    const auto data = readVectorData(parameters, 0, false);
    if (!data)
        raiseEngineError(EngineError::Kind::corruptParameters, 1, "Error GMM parameter; %s\n",
                         printableName(parameters));
    const std::int64_t doubles = data->length;
    const std::int64_t perClass = 5 * n + 1;
    const std::int64_t K = doubles / perClass;
    if (K * perClass != doubles)
        raiseEngineError(EngineError::Kind::corruptParameters, 1,
                         "Error get_paramvec [%ld], class [%ld], dimension X[%ld] Y[%ld], all diag covs\n",
                         static_cast<long>(doubles), static_cast<long>(K), static_cast<long>(n),
                         static_cast<long>(n));
    if (const std::int64_t bad = firstNonFinite(*data); bad >= 0)
        raiseEngineError(EngineError::Kind::corruptParameters, 1,
                         "Error GMM parameter; %s: value %ld is not a finite number\n",
                         printableName(parameters), static_cast<long>(bad));

    PreparedGmm gmm;
    try
    {
        const auto size = static_cast<std::size_t>(K * n);
        gmm.classes = K;
        gmm.dimension = n;
        gmm.logWeight.resize(static_cast<std::size_t>(K));
        gmm.sourceMean.resize(size);
        gmm.targetMean.resize(size);
        gmm.sourcePrecision.resize(size);
        gmm.slope.resize(size);
        gmm.mappingPrecision.resize(size);
    }
    catch (const std::bad_alloc&)
    {
        raiseEngineError(EngineError::Kind::outOfMemory, -1, "can't malloc %lld bytes\n",
                         static_cast<long long>(sizeof(double) * 5 * K * n));
    }

    const double* weights = data->re;
    const double* meanX = weights + K;
    const double* meanY = meanX + K * n;
    const double* varX = meanY + K * n;
    const double* covYX = varX + K * n;
    const double* varY = covYX + K * n;
    for (std::int64_t k = 0; k < K; ++k)
    {
        double logDeterminant = 0.0;
        for (std::int64_t j = 0; j < n; ++j)
        {
            logDeterminant += std::log(varX[k * n + j]);
            if (logDeterminant < -infinity)
                logDeterminant = -infinity;
        }
        // A negative variance gives NaN here, which fails the test as a degenerate class should.
        gmm.logWeight[k] = (weights[k] > 0.0 && logDeterminant > -infinity)
                               ? std::log(weights[k]) - 0.5 * logDeterminant
                               : -infinity;
        for (std::int64_t j = 0; j < n; ++j)
        {
            const std::int64_t at = k * n + j;
            gmm.sourceMean[at] = meanX[at];
            gmm.targetMean[at] = meanY[at];
            gmm.sourcePrecision[at] = 1.0 / varX[at];
            const double a = covYX[at] / varX[at];
            gmm.slope[at] = a;
            const double conditional = varY[at] - a * covYX[at];
            gmm.mappingPrecision[at] = conditional > 0.0 ? 1.0 / conditional : infinity;
        }
    }
    return gmm;
}

DeltaWindows readDeltaWindows(const char* windows)
{
    if (!isMemoryFile(windows))
    {
        std::FILE* file = windows == nullptr ? nullptr : std::fopen(windows, "rb");
        if (file == nullptr)
            raiseEngineError(EngineError::Kind::corruptParameters, 1, "file %s not found\n",
                             printableName(windows));
        std::fclose(file);
    }
    const std::int64_t q = countRecords(windows, 1);
    const auto data = readVectorData(windows, 0, false);
    if (!data || data->length != q)
        raiseEngineError(EngineError::Kind::corruptParameters, 1, "Error: file format %s\n",
                         printableName(windows));
    if (const std::int64_t bad = firstNonFinite(*data); bad >= 0)
        raiseEngineError(EngineError::Kind::corruptParameters, 1,
                         "delta window %s: coefficient %ld is not a finite number\n", printableName(windows),
                         static_cast<long>(bad));

    DeltaWindows w;
    w.count = q;
    w.left = -(q / 2);
    w.right = (q % 2 == 0) ? q / 2 - 1 : q / 2;
    w.maxRight = std::max<std::int64_t>(0, w.right);
    w.coefficients.assign(data->re, data->re + q);
    return w;
}

TrajectoryGenerator::TrajectoryGenerator(DeltaWindows windows, std::int64_t dimension, std::int64_t lag)
    : deltaWindows(std::move(windows)), d(dimension), lagFrames(lag), ring(8), lagExtent(0), time(lag - 1)
{
    if (d < 1 || lagFrames < 0 || lagFrames > 64)
        raiseEngineError(EngineError::Kind::invalidArgument, 1,
                         "trajectory generator: dimension %lld, lag %lld not supported\n",
                         static_cast<long long>(d), static_cast<long long>(lagFrames));
    const std::int64_t left = deltaWindows.left;
    const std::int64_t maxRight = deltaWindows.maxRight;
    if (-left > lagFrames)
        raiseEngineError(
            EngineError::Kind::corruptParameters, 1,
            "delta window of %ld coefficients reaches %ld frames back, beyond the look-ahead of %ld "
            "frames\n",
            static_cast<long>(deltaWindows.count), static_cast<long>(-left), static_cast<long>(lagFrames));

    // A step touches frames t - lag .. t + maxRight; the ring must hold all of them at once.
    while (ring < lagFrames + maxRight + 1)
        ring *= 2;
    // Covariances are kept for lags -2 lag..2 lag, and at least as far as a step reads.
    lagExtent = std::max(2 * lagFrames, lagFrames + maxRight);

    try
    {
        const auto frames = static_cast<std::size_t>(ring);
        const auto dims = static_cast<std::size_t>(d);
        meanRing.assign(frames * 2 * dims, 0.0);
        precisionRing.assign(frames * 2 * dims, 0.0);
        output.assign(frames * dims, 0.0);
        covarianceStore.assign(static_cast<std::size_t>(2 * lagExtent + 1) * frames * dims, 0.0);
        for (std::int64_t s = 0; s < ring; ++s)
            for (std::int64_t i = 0; i < d; ++i)
                covariance(0, s, i) = infinity; // a frame not yet seen
        const auto rows = static_cast<std::size_t>(lagFrames + maxRight + 1);
        pi.assign(rows * dims, 0.0);
        gain.assign(rows * dims, 0.0);
        error.assign(dims, 0.0);
    }
    catch (const std::bad_alloc&)
    {
        raiseEngineError(EngineError::Kind::outOfMemory, 1, "Cannot Allocate Memory\n");
    }
}

const double* TrajectoryGenerator::step(const double* mean, const double* precision) noexcept
{
    const std::int64_t L = lagFrames;
    const std::int64_t left = deltaWindows.left;
    const std::int64_t right = deltaWindows.right;
    const std::int64_t maxRight = deltaWindows.maxRight;

    ++time;
    const std::int64_t t = time;
    const std::int64_t s = t + maxRight;
    for (std::int64_t u = -lagExtent; u <= lagExtent; ++u)
        std::fill_n(&covariance(u, s, 0), d, 0.0);
    std::copy(mean, mean + 2 * d, row(meanRing, s, 2 * d));
    std::copy(precision, precision + 2 * d, row(precisionRing, s, 2 * d));
    double* newest = row(output, s, d);
    for (std::int64_t i = 0; i < d; ++i)
    {
        newest[i] = mean[i];
        covariance(0, s, i) = finv(precision[i]);
    }

    // The delta window is applied once every frame it spans has been seen.
    const double* lambda = row(precisionRing, t, 2 * d) + d;
    bool apply = lambda[0] != 0.0;
    for (std::int64_t j = left; apply && j <= right; ++j)
        apply = covariance(0, t + j, 0) != infinity;
    if (apply)
    {
        const auto piRow = [&](std::int64_t u) { return pi.data() + (u + L) * d; };
        const auto gainRow = [&](std::int64_t u) { return gain.data() + (u + L) * d; };

        for (std::int64_t u = -L; u <= maxRight; ++u)
        {
            double* p = piRow(u);
            std::fill_n(p, d, 0.0);
            for (std::int64_t j = left; j <= right; ++j)
            {
                const double w = deltaWindows.coefficient(j);
                const double* c = &covariance(u - j, t + j, 0);
                for (std::int64_t i = 0; i < d; ++i)
                    p[i] += c[i] * w;
            }
        }
        // Kalman-style gain of the delta observation, per dimension.
        double* x = error.data();
        std::fill_n(x, d, 0.0);
        for (std::int64_t j = left; j <= right; ++j)
        {
            const double w = deltaWindows.coefficient(j);
            const double* p = piRow(j);
            for (std::int64_t i = 0; i < d; ++i)
                x[i] += w * p[i];
        }
        for (std::int64_t u = -L; u <= maxRight; ++u)
        {
            const double* p = piRow(u);
            double* g = gainRow(u);
            for (std::int64_t i = 0; i < d; ++i)
                g[i] = lambda[i] / (x[i] * lambda[i] + 1.0) * p[i];
        }
        for (std::int64_t u = -L; u <= maxRight; ++u)
        {
            const double* p = piRow(u);
            for (std::int64_t v = u; v <= maxRight; ++v)
            {
                const double* g = gainRow(v);
                double* c = &covariance(v - u, t + u, 0);
                for (std::int64_t i = 0; i < d; ++i)
                    c[i] -= g[i] * p[i];
                if (v != u)
                {
                    double* mirror = &covariance(u - v, t + v, 0);
                    for (std::int64_t i = 0; i < d; ++i)
                        mirror[i] = c[i];
                }
            }
        }
        // Innovation of the delta observation, then the update of every frame in reach.
        const double* deltaMean = row(meanRing, t, 2 * d) + d;
        double* e = error.data();
        std::fill_n(e, d, 0.0);
        for (std::int64_t j = left; j <= right; ++j)
        {
            const double w = deltaWindows.coefficient(j);
            const double* o = row(output, t + j, d);
            for (std::int64_t i = 0; i < d; ++i)
                e[i] += w * o[i];
        }
        for (std::int64_t i = 0; i < d; ++i)
            e[i] = deltaMean[i] - e[i];
        for (std::int64_t u = -L; u <= maxRight; ++u)
        {
            const double* g = gainRow(u);
            double* o = row(output, t + u, d);
            for (std::int64_t i = 0; i < d; ++i)
                o[i] += g[i] * e[i];
        }
    }
    return row(output, t - L, d);
}

GMMMAP::GMMMAP(std::int64_t order, std::int64_t lag, const char* parameters, const char* windows)
try : m(order), n(2 * order), gmm(loadPreparedGmm(parameters, 2 * order)),
    generator(readDeltaWindows(windows), order, lag), mappedMean(static_cast<std::size_t>(2 * order)),
    mappedPrecision(static_cast<std::size_t>(2 * order)), meanByDimension(gmm.sourceMean.size()),
    precisionByDimension(gmm.sourcePrecision.size()), scoreSums(static_cast<std::size_t>(gmm.classes))
{
    const std::int64_t K = gmm.classes;
    for (std::int64_t k = 0; k < K; ++k)
        for (std::int64_t j = 0; j < n; ++j)
        {
            meanByDimension[j * K + k] = gmm.sourceMean[k * n + j];
            precisionByDimension[j * K + k] = gmm.sourcePrecision[k * n + j];
        }
}
catch (const std::bad_alloc&)
{
    raiseEngineError(EngineError::Kind::outOfMemory, 1, "Cannot Allocate Memory\n");
}

GMMMAP::~GMMMAP()
{
    std::fputs("GMMMAP was destructed.\n", stderr);
}

std::int64_t GMMMAP::bestClass(const double* x) noexcept
{
    // Each class's sum runs over the dimensions in order, as sum_j p_kj (x_j - mu_kj)^2; taking
    // the classes side by side (dimension-major data) lets them advance together.
    const std::int64_t K = gmm.classes;
    double* sums = scoreSums.data();
    std::fill_n(sums, K, 0.0);
    for (std::int64_t j = 0; j < n; ++j)
    {
        const double xj = x[j];
        const double* mean = meanByDimension.data() + j * K;
        const double* precision = precisionByDimension.data() + j * K;
        for (std::int64_t k = 0; k < K; ++k)
        {
            const double diff = xj - mean[k];
            sums[k] += precision[k] * (diff * diff);
        }
    }
    std::int64_t best = 0;
    double bestScore = -HUGE_VAL;
    for (std::int64_t k = 0; k < K; ++k)
    {
        const double score = gmm.logWeight[k] - 0.5 * sums[k];
        if (score > bestScore)
        {
            bestScore = score;
            best = k;
        }
    }
    return best;
}

void GMMMAP::map(std::int64_t k, const double* x, double* out) noexcept
{
    const double* sourceMean = gmm.sourceMean.data() + k * n;
    const double* targetMean = gmm.targetMean.data() + k * n;
    const double* slope = gmm.slope.data() + k * n;
    const double* precision = gmm.mappingPrecision.data() + k * n;
    for (std::int64_t j = 0; j < n; ++j)
    {
        mappedMean[j] = (x[j] - sourceMean[j]) * slope[j] + targetMean[j];
        mappedPrecision[j] = precision[j];
    }
    const double* generated = generator.step(mappedMean.data(), mappedPrecision.data());
    std::copy(generated, generated + m, out + 1);
}
