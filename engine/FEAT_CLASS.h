#pragma once

#include "engine/Fft.h"
#include "engine/Kernel.h"

#include <cstdint>
#include <vector>

/** Memory and coefficients of the mel log spectrum approximation (MLSA) synthesis filter.

    The filter is a cascade of two stages with a 5th-order Pade approximation of the exponential;
    stage 1 uses coefficient beta[1], stage 2 beta[2..m]. Coefficients move linearly from one
    frame's values to the next over the samples of a frame. */
struct SynthesisFilterState
{
    int framePeriod = 0;         ///< samples produced per frame (the frame shift)
    int interpolationPeriod = 1; ///< coefficients move every sample
    int padeOrder = 5;
    bool started = false;                 ///< false until the first frame has been seen
    double padeTable[21] = {};            ///< Pade rows for orders 0 to 5; the order-5 row is used
    double* coefficients = nullptr;       ///< m + 1 filter coefficients in use
    double* targetCoefficients = nullptr; ///< m + 1 coefficients of the newest frame
    double* increments = nullptr;         ///< m + 1 per-sample steps toward the target
    double* delay = nullptr;              ///< 3 (p + 1) + p (m + 2) doubles of filter memory
    std::vector<double> block;            ///< owns all four arrays: 8m + 31 doubles, zero at start
};

/** The engine's spectral front and back end.

    Analysis turns each frame of `frameLength` samples into a mel-cepstrum c0..cm: the frame is
    weighted by a unit-energy Blackman window, transformed, weighted by the magnitude response of
    a 70 Hz high-pass, and analysed by the iterative mel-cepstral method (a Newton step that
    solves a Toeplitz-plus-Hankel system). Synthesis filters `frameShift` waveform samples per
    call through an MLSA filter whose coefficients come from a mel-cepstrum (c0 is not used, so
    no gain is applied).

    One object per engine. Every work buffer, the transform setup and the noise source belong to
    the object and are sized at construction for its own frame, so the per-frame operations
    allocate nothing; two objects can run on different threads. An object itself is not
    thread-safe. */
class FEAT_CLASS
{
public:
    /** Iteration settings of `analyzeMelCepstrum`: (minimum, maximum) iterations (0, 0), (1, 1)
        and (2, 30). */
    enum IterationMode : int
    {
        noIteration = 0,
        oneIteration = 1,
        fullIteration = 2
    };

    /** Derives frameLength = round(sampleRate x frameMs / 1000) and frameShift likewise (halves
        away from zero), fftLength = 2^ceilLog2(max(frameLength, fftMin)), writes
        "fftl = %ld, framel = %ld, shiftl = %ld\n" to the error stream and builds the window, the
        high-pass response, the spectrum buffer, the filter state and the work buffers.
        @param order mel-cepstral order m (vectors have m + 1 coefficients)
        @param sampleRate Hz
        @param alpha frequency-warping factor, |alpha| < 1
        Raises EngineError for sizes the analysis cannot work with (frame shorter than 3 samples,
        shift not in 1..frameLength, order below 1, non-finite settings) or when memory runs
        out. */
    FEAT_CLASS(std::int64_t fftMin, std::int64_t order, double sampleRate, double frameMs, double shiftMs,
               double alpha);

    /** Writes "FEAT_CLASS was destructed.\n" to the error stream. */
    ~FEAT_CLASS();

    FEAT_CLASS(const FEAT_CLASS&) = delete;
    FEAT_CLASS& operator=(const FEAT_CLASS&) = delete;

    /** If every one of the frameLength samples is exactly 0.0, replaces the frame in place by
        Gaussian noise of standard deviation 1/131070 (low-level dither that keeps the analysis
        defined); any other frame is left alone. */
    void ditherSilentFrame(double* frame) noexcept;

    /** Fills `spectrum` (fftLength points) with the high-pass-weighted amplitude spectrum of
        frameLength samples. */
    void analyzeSpectrum(const double* frame) noexcept;

    /** Writes the m + 1 mel-cepstral coefficients of `spectrum` into out (`mcep` with the
        object's order and alpha, end condition 0.001, floor 0). Returns 0, or -1 when the Newton
        system was singular: out then holds the analysis before the failed step. */
    int analyzeMelCepstrum(double* out, int iterationMode) noexcept;

    /** Filters frameShift samples of input into output through the MLSA filter of melCepstrum
        (m + 1 coefficients, c0 ignored), the coefficients moving per sample from the previous
        frame's. The first call only takes the coefficients and returns 0 (nothing written);
        later calls return frameShift. */
    int synthesizeFrame(const double* input, const double* melCepstrum, double* output) noexcept;

    /** Mel-cepstral analysis of an amplitude spectrum of n points (n a power of two, at least 2)
        into mc[0..m].
        @param minIterations, maxIterations iteration limits; maxIterations 0 gives the
               non-iterative warped cepstrum
        @param endCondition relative change of the refined r[0] that ends the iteration
        @param floor small value added to the power spectrum before the logarithm
        Returns 0, or -1 after writing "mcep : Error in theq() at %dth iteration !\n" when a
        Newton system is singular (mc then holds the analysis before that step). Grows the work
        buffers (allocating) only when n or m exceed the object's own sizes. */
    int mcep(const double* amplitude, std::int64_t n, double* mc, std::int64_t m, double alpha,
             int minIterations, int maxIterations, double endCondition, double floor);

    /** Frequency warping of a cepstrum c1[0..m1] into c2[0..m2] by the all-pass constant a (the
        recursion of the first-order all-pass, with its special first-order term). c2 may be c1
        (it is written only at the end). */
    void warpCepstrum(const double* c1, std::int64_t m1, double* c2, std::int64_t m2, double a);

    /** Frequency warping of an autocorrelation r1[0..m1] into r2[0..m2] by the all-pass constant
        a. */
    void warpAutocorrelation(const double* c1, std::int64_t m1, double* c2, std::int64_t m2, double a);

    /** Solves (T + H) d = b for n unknowns, T[i][k] = t[|i - k|] (t has n values) and
        H[i][k] = h[i + k] (h has 2n - 1 values), by the block Levinson method on 2 x 2 blocks.
        A negative eps means 1e-6. Returns 0, or -1 when a 2 x 2 block has |determinant| < eps. */
    int theq(const double* t, const double* h, double* d, const double* b, std::int64_t n, double eps);

    double sampleRate;
    std::int64_t frameLength; ///< framel, samples
    std::int64_t frameShift;  ///< shiftl, samples
    std::int64_t fftLength;   ///< fftl, points
    std::int64_t order;       ///< m
    double alpha;
    VectorPtr window;           ///< unit-energy Blackman window, frameLength points
    VectorPtr highpassResponse; ///< magnitude response of the 70 Hz high-pass, fftLength points
    VectorPtr spectrum;         ///< amplitude spectrum of the last analysed frame, fftLength points
    SynthesisFilterState filter;

private:
    void reserveMcep(std::int64_t n, std::int64_t m);
    void reserveWarp(std::int64_t m2);
    void reserveTheq(std::int64_t n);
    double mlsaSample(double x) noexcept;

    FftSetup fft;
    GaussianNoise noise;

    // mcep work buffers
    std::vector<double> power;         // n: |X|^2
    std::vector<double> cepstrum;      // n/2 + 1
    std::vector<double> autocorr;      // n/2 + 1
    std::vector<double> refined;       // 2m + 1: r
    std::vector<double> hankel;        // 2m + 1: y
    std::vector<double> rhs;           // m + 1: b
    std::vector<double> step;          // m + 1: d
    std::vector<double> allPassPowers; // m + 1: (-alpha)^i
    std::vector<double> warpWork;      // longest warped sequence + 1

    // theq blocks: R, X, previous X (2 x 2 each) and P (2 each), n of each
    std::vector<double> theqR, theqX, theqXOld, theqP;
};
