#include "engine/FEAT_CLASS.h"

#include "engine/EngineError.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <new>
#include <utility>

namespace
{
// Pade approximation of exp() for orders 0 to 5, row after row.
// clang-format off
constexpr double padeRows[21] = {1.0,
                                 1.0, 0.0,
                                 1.0, 0.0, 0.0,
                                 1.0, 0.0, 0.0, 0.0,
                                 1.0, 0.4999273, 0.1067005, 0.01170221, 0.0005656279,
                                 1.0, 0.4999391, 0.1107098, 0.01369984, 0.0009564853, 0.00003041721};
// clang-format on
constexpr int padeRowStart[6] = {0, 1, 3, 6, 10, 15};

constexpr double ditherScale = 7.629510948348211e-06; // 1 / 131070

constexpr int warpLanes = 16; // passes of a warping recursion run side by side

std::int64_t roundHalfAway(double x)
{
    return static_cast<std::int64_t>(std::round(x));
}

void invalid(const char* what)
{
    raiseEngineError(EngineError::Kind::invalidArgument, 1, "FEAT_CLASS: %s\n", what);
}

// 2 x 2 blocks [p0 p1; p2 p3] for the Toeplitz-plus-Hankel solver.
struct Block
{
    double p0, p1, p2, p3;
};

inline Block load(const double* b)
{
    return {b[0], b[1], b[2], b[3]};
}

inline void store(double* b, const Block& x)
{
    b[0] = x.p0;
    b[1] = x.p1;
    b[2] = x.p2;
    b[3] = x.p3;
}

inline Block multiply(const Block& a, const Block& b)
{
    return {a.p0 * b.p0 + a.p1 * b.p2, a.p0 * b.p1 + a.p1 * b.p3, a.p2 * b.p0 + a.p3 * b.p2,
            a.p2 * b.p1 + a.p3 * b.p3};
}

inline void multiplyVector(const Block& a, const double* v, double* out)
{
    const double v0 = v[0];
    const double v1 = v[1];
    out[0] = a.p0 * v0 + a.p1 * v1;
    out[1] = a.p2 * v0 + a.p3 * v1;
}

inline Block cross(const Block& a)
{
    return {a.p3, a.p2, a.p1, a.p0};
}

inline bool invert(const Block& a, double eps, Block& inverse)
{
    const double det = a.p0 * a.p3 - a.p1 * a.p2;
    if (std::fabs(det) < eps)
        return false;
    inverse = {a.p3 / det, -a.p1 / det, -a.p2 / det, a.p0 / det};
    return true;
}
} // namespace

FEAT_CLASS::FEAT_CLASS(std::int64_t fftMin, std::int64_t order_, double sampleRate_, double frameMs,
                       double shiftMs, double alpha_)
try : sampleRate(sampleRate_), frameLength(0), frameShift(0), fftLength(0), order(order_), alpha(alpha_)
{
    if (!(std::isfinite(sampleRate) && sampleRate > 0.0 && std::isfinite(frameMs) && std::isfinite(shiftMs)))
        invalid("sample rate, frame length and frame shift must be positive and finite");
    if (!(std::fabs(alpha) < 1.0))
        invalid("the warping factor must lie strictly between -1 and 1");
    if (order < 1 || order > 4096)
        invalid("the mel-cepstral order must lie in 1..4096");
    const double framelExact = sampleRate * frameMs / 1000.0;
    const double shiftlExact = sampleRate * shiftMs / 1000.0;
    if (!(framelExact >= 2.5 && framelExact < 1048576.0) || !(shiftlExact >= 0.5) ||
        shiftlExact > framelExact || fftMin > 1048576)
        invalid("frame and shift must give 3 or more samples per frame and 1..frame length per shift");
    frameLength = roundHalfAway(framelExact);
    frameShift = roundHalfAway(shiftlExact);
    fftLength = std::int64_t{1} << ceilLog2(std::max(frameLength, fftMin));
    std::fprintf(stderr, "fftl = %ld, framel = %ld, shiftl = %ld\n", static_cast<long>(fftLength),
                 static_cast<long>(frameLength), static_cast<long>(frameShift));

    fft.reserve(ceilLog2(fftLength));
    window = blackmanWindow(frameLength);

    // The 70 Hz high-pass is the complement of a windowed-sinc low-pass of the same length.
    const std::int64_t half = (fftLength - 2) / 2;
    auto h = lowpassSinc(2 * half, 70.0 / (sampleRate / 2.0));
    h->re[half] -= 1.0;
    dvscoper(*h, "*", -1.0);
    highpassResponse = magnitudeSpectrum(fft, *h, fftLength);
    spectrum = newRangeVector(0.0, 0.0, static_cast<double>(fftLength));

    filter.framePeriod = static_cast<int>(frameShift);
    filter.interpolationPeriod = 1;
    filter.padeOrder = 5;
    filter.started = false;
    std::copy(std::begin(padeRows), std::end(padeRows), filter.padeTable);
    filter.block.assign(static_cast<std::size_t>(8 * order + 31), 0.0);
    double* block = filter.block.data();
    filter.coefficients = block;
    filter.targetCoefficients = block + (order + 1);
    filter.increments = block + 2 * (order + 1);
    filter.delay = block + 3 * (order + 1);

    reserveMcep(fftLength, order);
}
catch (const std::bad_alloc&)
{
    raiseEngineError(EngineError::Kind::outOfMemory, 3, "Memory allocation error !\n");
}

FEAT_CLASS::~FEAT_CLASS()
{
    std::fputs("FEAT_CLASS was destructed.\n", stderr);
}

void FEAT_CLASS::reserveMcep(std::int64_t n, std::int64_t m)
{
    const auto grow = [](std::vector<double>& v, std::int64_t size)
    {
        if (static_cast<std::int64_t>(v.size()) < size)
            v.assign(static_cast<std::size_t>(size), 0.0);
    };
    if (fft.empty() || (std::int64_t{1} << fft.log2Points()) < n)
        fft.reserve(ceilLog2(n));
    grow(power, n);
    grow(cepstrum, n / 2 + 1);
    grow(autocorr, n / 2 + 1);
    grow(refined, 2 * m + 1);
    grow(hankel, 2 * m + 1);
    grow(rhs, m + 1);
    grow(step, m + 1);
    grow(allPassPowers, m + 1);
    reserveWarp(std::max(n / 2, 2 * m));
    reserveTheq(m + 1);
}

void FEAT_CLASS::reserveWarp(std::int64_t m2)
{
    // Room for the padding the wavefront of the warping reads past the end.
    if (static_cast<std::int64_t>(warpWork.size()) < m2 + 1 + warpLanes)
        warpWork.assign(static_cast<std::size_t>(m2 + 1 + warpLanes), 0.0);
}

void FEAT_CLASS::reserveTheq(std::int64_t n)
{
    if (static_cast<std::int64_t>(theqP.size()) < 2 * n)
    {
        theqR.assign(static_cast<std::size_t>(4 * n), 0.0);
        theqX.assign(static_cast<std::size_t>(4 * n), 0.0);
        theqXOld.assign(static_cast<std::size_t>(4 * n), 0.0);
        theqP.assign(static_cast<std::size_t>(2 * n), 0.0);
    }
}

void FEAT_CLASS::ditherSilentFrame(double* frame) noexcept
{
    for (std::int64_t i = 0; i < frameLength; ++i)
        if (frame[i] != 0.0)
            return;
    for (std::int64_t i = 0; i < frameLength; ++i)
        frame[i] = gaussianRandom(noise, 1.0) * ditherScale;
}

void FEAT_CLASS::analyzeSpectrum(const double* frame) noexcept
{
    double* re = fft.real();
    double* im = fft.imag();
    const double* w = window->re;
    for (std::int64_t i = 0; i < frameLength; ++i)
        re[i] = frame[i] * w[i];
    std::fill(re + frameLength, re + fftLength, 0.0);
    std::fill(im, im + fftLength, 0.0);
    fft.forward(fftLength);
    const double* fre = fft.outputReal();
    const double* fim = fft.outputImag();
    double* s = spectrum->re;
    const double* hp = highpassResponse->re;
    for (std::int64_t k = 0; k < fftLength; ++k)
        s[k] = std::sqrt(fre[k] * fre[k] + fim[k] * fim[k]) * hp[k];
    completeConjugateSymmetric(*spectrum);
}

int FEAT_CLASS::analyzeMelCepstrum(double* out, int iterationMode) noexcept
{
    int minIterations = 0;
    int maxIterations = 0;
    if (iterationMode == oneIteration)
    {
        minIterations = 1;
        maxIterations = 1;
    }
    else if (iterationMode == fullIteration)
    {
        minIterations = 2;
        maxIterations = 30;
    }
    // The buffers were sized for (fftLength, order) at construction, so this cannot allocate.
    return mcep(spectrum->re, fftLength, out, order, alpha, minIterations, maxIterations, 0.001, 0.0);
}

int FEAT_CLASS::mcep(const double* x, std::int64_t n, double* mc, std::int64_t m, double a, int itr1,
                     int itr2, double dd, double e)
{
    if (n < 2 || (n & (n - 1)) != 0 || m < 0)
        raiseEngineError(EngineError::Kind::invalidArgument, 1,
                         "mcep: %lld points, order %lld: not supported\n", static_cast<long long>(n),
                         static_cast<long long>(m));
    reserveMcep(n, m);
    const std::int64_t half = n / 2;
    const double points = static_cast<double>(n);
    double* re = fft.real();
    double* im = fft.imag();
    const double* outRe = fft.outputReal();
    double* p = power.data();
    double* c = cepstrum.data();

    // Cepstrum of the log power spectrum.
    for (std::int64_t k = 0; k < n; ++k)
    {
        p[k] = x[k] * x[k];
        re[k] = std::log(x[k] * x[k] + e);
        im[k] = 0.0;
    }
    fft.backward(n);
    for (std::int64_t k = 0; k <= half; ++k)
        c[k] = outRe[k] / points;
    c[0] /= 2.0;
    c[half] /= 2.0;
    warpCepstrum(c, half, mc, m, a);
    if (itr2 <= 0)
        return 0;

    double s = c[0];
    double* al = allPassPowers.data();
    al[0] = 1.0;
    for (std::int64_t i = 1; i <= m; ++i)
        al[i] = -a * al[i - 1];

    double* r = refined.data();
    double* y = hankel.data();
    double* b = rhs.data();
    double* d = step.data();
    double* rr = autocorr.data();
    for (int j = 1; j <= itr2; ++j)
    {
        // Power spectrum of the current estimate's inverse, back to a warped autocorrelation.
        warpCepstrum(mc, m, c, half, -a);
        std::copy(c, c + half + 1, re);
        std::fill(re + half + 1, re + n, 0.0);
        std::fill(im, im + n, 0.0);
        fft.forward(n);
        for (std::int64_t k = 0; k < n; ++k)
            re[k] = p[k] / std::exp(2.0 * outRe[k]);
        // The imaginary input is still all zero: the transforms leave their input alone.
        fft.backward(n);
        for (std::int64_t k = 0; k <= half; ++k)
            rr[k] = outRe[k] / points;
        warpAutocorrelation(rr, half, r, 2 * m, a);

        const double t = r[0];
        if (j >= itr1)
        {
            if (std::fabs((t - s) / t) < dd)
                break;
            s = t;
        }

        // Newton step: (T + H) d = r - a.
        for (std::int64_t i = 0; i <= m; ++i)
            b[i] = r[i] - al[i];
        for (std::int64_t i = 0; i <= 2 * m; ++i)
            y[i] = r[i];
        for (std::int64_t i = 0; i <= 2 * m; i += 2)
            y[i] -= r[0];
        for (std::int64_t i = 2; i <= m; i += 2)
            r[i] += r[0];
        r[0] += r[0];
        if (theq(r, y, d, b, m + 1, -1.0) != 0)
        {
            std::fprintf(stderr, "mcep : Error in theq() at %dth iteration !\n", j);
            return -1;
        }
        for (std::int64_t i = 0; i <= m; ++i)
            mc[i] += d[i];
    }
    return 0;
}

namespace
{
/** Runs Lanes consecutive passes of a warping recursion over g[0..m2] in place, lane q doing the
    pass of input c1[firstK - q].

    Each pass turns the previous pass's values ("old") into new ones:
        new[j] = old[j - 1] + a (old[j] - new[j - 1])            (j >= 1, or j >= 2 for the cepstrum)
    with new[0] = c1[k] (+ a old[0] for the cepstrum) and, for the cepstrum,
    new[1] = (1 - a^2) old[0] + a old[1]. Within a pass every element waits for the one before,
    so one pass at a time runs at the latency of that chain. The passes are independent enough to
    run as a wavefront: lane q works on element s - q at step s, taking its old values from lane
    q - 1 one step earlier. Every value is computed by the same operations in the same order as
    pass after pass, so the result is bit-identical; only the schedule differs. */
/** One pass of a warping recursion over g[0..m2] in place, for input value c1k:
        new[0] = c1k (+ a old[0] for the cepstrum),
        new[1] = (1 - a^2) old[0] + a old[1] (cepstrum only),
        new[j] = old[j - 1] + a (old[j] - new[j - 1]) for the other j,
    where old is g before the pass. */
template <bool cepstrum> void warpPass(double c1k, double* g, std::int64_t m2, double a, double b) noexcept
{
    const double d0 = g[0];
    g[0] = cepstrum ? c1k + a * d0 : c1k;
    double previous = d0; // the value of g[j - 1] before this pass
    std::int64_t j = 1;
    if (cepstrum && m2 >= 1)
    {
        previous = g[1];
        g[1] = b * d0 + a * previous;
        j = 2;
    }
    for (; j <= m2; ++j)
    {
        const double old = g[j];
        g[j] = previous + a * (old - g[j - 1]);
        previous = old;
    }
}

/** Element j = S - Q of lane Q at start-up step S of `warpGroup` (nothing while j < 0). */
template <int Lanes, bool cepstrum, int S, int Q>
[[gnu::always_inline]] inline void startElement(double (&previousOld)[Lanes], double (&previousNew)[Lanes],
                                                const double* c1, std::int64_t firstK, double* g, double a,
                                                double b) noexcept
{
    constexpr int j = S - Q;
    if constexpr (j >= 0)
    {
        const double old = Q == 0 ? g[j] : previousNew[Q > 0 ? Q - 1 : 0];
        double value;
        if constexpr (j == 0)
            value = cepstrum ? c1[firstK - Q] + a * old : c1[firstK - Q];
        else if constexpr (cepstrum && j == 1)
            value = b * previousOld[Q] + a * old;
        else
            value = previousOld[Q] + a * (old - previousNew[Q]);
        previousOld[Q] = old;
        previousNew[Q] = value;
        if constexpr (Q == Lanes - 1)
            g[j] = value;
    }
}

template <int Lanes, bool cepstrum, int S, int... Q>
[[gnu::always_inline]] inline void startStep(double (&previousOld)[Lanes], double (&previousNew)[Lanes],
                                             const double* c1, std::int64_t firstK, double* g, double a,
                                             double b, std::integer_sequence<int, Q...>) noexcept
{
    // From the last lane to the first, so that each reads its neighbour's value of the step
    // before.
    (startElement<Lanes, cepstrum, S, Lanes - 1 - Q>(previousOld, previousNew, c1, firstK, g, a, b), ...);
}

template <int Lanes, bool cepstrum, int... S>
[[gnu::always_inline]] inline void startSteps(double (&previousOld)[Lanes], double (&previousNew)[Lanes],
                                              const double* c1, std::int64_t firstK, double* g, double a,
                                              double b, std::integer_sequence<int, S...>) noexcept
{
    (startStep<Lanes, cepstrum, S>(previousOld, previousNew, c1, firstK, g, a, b,
                                   std::make_integer_sequence<int, Lanes>{}),
     ...);
}

/** Lanes consecutive passes of a warping recursion (see warpPass) over g[0..m2] in place, lane q
    doing the pass of input c1[firstK - q]. Needs m2 >= Lanes + 1 and Lanes elements of padding
    after g[m2].

    Within a pass every element waits for the one before, so one pass at a time runs at the
    latency of that chain. The passes can run as a wavefront instead: lane q works on element
    s - q at step s and takes its old values from lane q - 1 one step earlier. Every value is
    computed by the same operations in the same order as pass after pass, so the result is
    bit-identical; only the schedule differs. All lane indices are constants, so the lane state
    stays in registers. */
template <int Lanes, bool cepstrum>
void warpGroup(const double* c1, std::int64_t firstK, double* g, std::int64_t m2, double a, double b) noexcept
{
    double previousOld[Lanes] = {};           // old[j - 1] of each lane's pass
    double previousNew[Lanes] = {};           // new[j - 1] of each lane's pass
    constexpr int generic = cepstrum ? 2 : 1; // first element of the general form

    // Start-up: steps in which some lane is at an element of its own form.
    startSteps<Lanes, cepstrum>(previousOld, previousNew, c1, firstK, g, a, b,
                                std::make_integer_sequence<int, Lanes - 1 + generic>{});

    // Every lane in the general form. At the end, lanes past m2 compute values nobody reads
    // (lane 0 reads the padding there); the last lane is always within the sequence. Lanes go
    // in pairs into two-element vectors: vector v holds lanes 2v and 2v + 1, whose old values
    // are the neighbours' new ones of the step before, {new[2v - 1], new[2v]}.
    static_assert(Lanes % 2 == 0);
    constexpr int vectors = Lanes / 2;
    using Pair = double __attribute__((vector_size(16)));
    Pair po[vectors];
    Pair pn[vectors];
    for (int v = 0; v < vectors; ++v)
    {
        po[v] = Pair{previousOld[2 * v], previousOld[2 * v + 1]};
        pn[v] = Pair{previousNew[2 * v], previousNew[2 * v + 1]};
    }
    const std::int64_t lastStep = m2 + Lanes - 1;
    for (std::int64_t s = Lanes - 1 + generic; s <= lastStep; ++s)
    {
        Pair old[vectors];
        old[0] = Pair{g[s], pn[0][0]};
#pragma GCC unroll 16
        for (int v = 1; v < vectors; ++v)
            old[v] = Pair{pn[v - 1][1], pn[v][0]};
#pragma GCC unroll 16
        for (int v = 0; v < vectors; ++v)
        {
            const Pair value = po[v] + a * (old[v] - pn[v]);
            po[v] = old[v];
            pn[v] = value;
        }
        g[s - (Lanes - 1)] = pn[vectors - 1][1];
    }
}

template <bool cepstrum>
void warp(const double* c1, std::int64_t m1, double* g, std::int64_t m2, double a) noexcept
{
    const double b = 1.0 - a * a;
    std::fill(g, g + m2 + 1 + warpLanes, 0.0);
    std::int64_t k = m1;
    // Wide groups of passes first, then narrower ones for the rest.
    const auto groups = [&]<int lanes>()
    {
        if (m2 >= lanes + 1)
            for (; k - (lanes - 1) >= 0; k -= lanes)
                warpGroup<lanes, cepstrum>(c1, k, g, m2, a, b);
    };
    groups.template operator()<warpLanes>();
    groups.template operator()<8>();
    groups.template operator()<4>();
    groups.template operator()<2>();
    for (; k >= 0; --k)
        warpPass<cepstrum>(c1[k], g, m2, a, b);
}
} // namespace

void FEAT_CLASS::warpCepstrum(const double* c1, std::int64_t m1, double* c2, std::int64_t m2, double a)
{
    reserveWarp(m2);
    double* g = warpWork.data();
    warp<true>(c1, m1, g, m2, a);
    std::copy(g, g + m2 + 1, c2);
}

void FEAT_CLASS::warpAutocorrelation(const double* c1, std::int64_t m1, double* c2, std::int64_t m2, double a)
{
    reserveWarp(m2);
    double* g = warpWork.data();
    warp<false>(c1, m1, g, m2, a);
    std::copy(g, g + m2 + 1, c2);
}

int FEAT_CLASS::theq(const double* t, const double* h, double* d, const double* b, std::int64_t n, double eps)
{
    if (n < 1)
        return 0;
    if (eps < 0.0)
        eps = 1.0e-6;
    reserveTheq(n);
    double* R = theqR.data();
    double* X = theqX.data();
    double* XOld = theqXOld.data();
    double* P = theqP.data();

    for (std::int64_t i = 0; i < n; ++i)
        store(R + 4 * i, {t[i], h[n - 1 + i], h[n - 1 - i], t[i]});

    store(X, {1.0, 0.0, 0.0, 1.0});
    Block inverse{};
    if (!invert(load(R), eps, inverse))
        return -1;
    const double first[2] = {b[0], b[n - 1]};
    multiplyVector(inverse, first, P);
    Block V = load(R);

    for (std::int64_t i = 1; i < n; ++i)
    {
        Block E{0.0, 0.0, 0.0, 0.0};
        double e[2] = {0.0, 0.0};
        for (std::int64_t j = 0; j < i; ++j)
        {
            const Block Rij = load(R + 4 * (i - j));
            const Block term = multiply(Rij, load(X + 4 * j));
            E = {E.p0 + term.p0, E.p1 + term.p1, E.p2 + term.p2, E.p3 + term.p3};
            double v[2];
            multiplyVector(Rij, P + 2 * j, v);
            e[0] += v[0];
            e[1] += v[1];
        }

        if (!invert(cross(V), eps, inverse))
            return -1;
        const Block B = multiply(inverse, E);

        for (std::int64_t j = 1; j < i; ++j)
        {
            const Block update = multiply(cross(load(XOld + 4 * (i - j))), B);
            const Block x = load(X + 4 * j);
            store(X + 4 * j, {x.p0 - update.p0, x.p1 - update.p1, x.p2 - update.p2, x.p3 - update.p3});
        }
        for (std::int64_t j = 1; j < i; ++j)
            store(XOld + 4 * j, load(X + 4 * j));
        const Block negB{-B.p0, -B.p1, -B.p2, -B.p3};
        store(X + 4 * i, negB);
        store(XOld + 4 * i, negB);

        const Block vUpdate = multiply(cross(E), B);
        V = {V.p0 - vUpdate.p0, V.p1 - vUpdate.p1, V.p2 - vUpdate.p2, V.p3 - vUpdate.p3};

        if (!invert(cross(V), eps, inverse))
            return -1;
        const double residual[2] = {b[i] - e[0], b[n - 1 - i] - e[1]};
        double g[2];
        multiplyVector(inverse, residual, g);

        for (std::int64_t j = 0; j < i; ++j)
        {
            double v[2];
            multiplyVector(cross(load(X + 4 * (i - j))), g, v);
            P[2 * j] += v[0];
            P[2 * j + 1] += v[1];
        }
        P[2 * i] = g[0];
        P[2 * i + 1] = g[1];
    }

    for (std::int64_t i = 0; i < n; ++i)
        d[i] = P[2 * i];
    return 0;
}

double FEAT_CLASS::mlsaSample(double x) noexcept
{
    const std::int64_t m = order;
    constexpr int pd = 5; // filter.padeOrder, fixed: stage 2 below runs its five sections side by side
    const double* ppade = filter.padeTable + padeRowStart[pd];
    const double* beta = filter.coefficients;
    const double a = alpha;
    const double aa = 1.0 - a * a;
    double* d = filter.delay;

    // Stage 1: beta[1] only.
    double out = 0.0;
    double* pt = d + pd + 1;
    for (int i = pd; i >= 1; --i)
    {
        d[i] = aa * pt[i - 1] + a * d[i];
        pt[i] = d[i] * beta[1];
        const double v = pt[i] * ppade[i];
        x += (i & 1) ? v : -v;
        out += v;
    }
    pt[0] = x;
    x = out + x;

    // Stage 2: beta[2..m] through p sections, each an all-pass chain with an FIR tap sum:
    //     f[0] = u; f[1] = aa f[0] + a f[1];
    //     f[k] += a (f[k + 1] - f[k - 1]) and y += f[k] beta[k] for k = 2..m;
    //     then f shifts up by one (f[k] = f[k - 1] for k = m + 1 down to 2).
    // Section i takes its input from T2[i - 1] of the previous sample, so the sections do not
    // depend on each other within a sample: they run side by side, and the shift is folded into
    // the same pass. Each section's values are computed exactly as written above.
    double* d2 = d + 2 * (pd + 1);
    pt = d2 + pd * (m + 2);
    constexpr int sections = 5;
    double* f[sections];
    double previousNew[sections]; // new f[k - 1]
    double current[sections];     // old f[k]
    double y[sections];
    for (int i = 0; i < sections; ++i)
    {
        f[i] = d2 + i * (m + 2);
        f[i][0] = pt[i];
        f[i][1] = aa * f[i][0] + a * f[i][1];
        previousNew[i] = f[i][1];
        current[i] = f[i][2];
        y[i] = 0.0;
    }
    for (std::int64_t k = 2; k <= m; ++k)
    {
        const double bk = beta[k];
#pragma GCC unroll 5
        for (int i = 0; i < sections; ++i)
        {
            const double next = f[i][k + 1];
            const double value = current[i] + a * (next - previousNew[i]);
            y[i] += value * bk;
            f[i][k] = previousNew[i]; // the shift: f[k] takes the new f[k - 1]
            previousNew[i] = value;
            current[i] = next;
        }
    }
    for (int i = 0; i < sections; ++i)
        f[i][m + 1] = previousNew[i];

    out = 0.0;
    for (int i = pd; i >= 1; --i)
    {
        pt[i] = y[i - 1];
        const double v = pt[i] * ppade[i];
        x += (i & 1) ? v : -v;
        out += v;
    }
    pt[0] = x;
    return out + x;
}

int FEAT_CLASS::synthesizeFrame(const double* input, const double* mc, double* output) noexcept
{
    const std::int64_t m = order;
    double* target = filter.targetCoefficients;
    target[m] = mc[m];
    for (std::int64_t i = m - 1; i >= 0; --i)
        target[i] = mc[i] - alpha * target[i + 1];

    double* coefficients = filter.coefficients;
    if (!filter.started)
    {
        std::copy(target, target + m + 1, coefficients);
        filter.started = true;
        return 0;
    }
    double* increments = filter.increments;
    const double period = static_cast<double>(filter.framePeriod);
    for (std::int64_t i = 0; i <= m; ++i)
        increments[i] =
            (target[i] - coefficients[i]) * static_cast<double>(filter.interpolationPeriod) / period;
    for (std::int64_t s = 0; s < frameShift; ++s)
    {
        output[s] = mlsaSample(input[s]);
        for (std::int64_t i = 0; i <= m; ++i)
            coefficients[i] += increments[i];
    }
    std::copy(target, target + m + 1, coefficients);
    return static_cast<int>(frameShift);
}
