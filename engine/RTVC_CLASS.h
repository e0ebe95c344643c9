#pragma once

#include "engine/FEAT_CLASS.h"
#include "engine/GMMMAP.h"
#include "engine/Kernel.h"

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

/** The real-time voice conversion pipeline.

    Takes the voice one frame shift at a time, analyses overlapping frames into mel-cepstra,
    picks a mixture class per frame with the class GMM, converts the frame with the intra GMM
    (converted envelope) and the diff GMM (envelope difference), post-filters the result toward
    the target's global variance, and filters the input waveform, delayed by `lag` frames, through
    an MLSA filter driven by the difference. Output comes back one sample at a time.

    Timing: output sample s after push j is the filtered centre sample of frame j - lag, so the
    voice is delayed by lag x shift + (frameLength - shift) - (frameLength / 2 - shift / 2)
    samples: 1435 at 44100 Hz (shift 221, frame 882, lag 5), 1560 at 48000, 400 at 16000 (shift
    80, frame 400, lag 3). The envelopes used at frame j are those of frame j - lag - maxRight.

    Samples are doubles in any scale; only the clipping limiter assumes 16-bit full scale
    (+-32767). Configure (three GMMs, post-filter, coefficient, gain, clipping) before the first
    push; afterwards only `setGvCoefficient` may be called between pushes. `pushSamples` and
    `popSample` allocate nothing and never throw. Each object owns all its state; objects are
    independent of each other, but one object is not thread-safe. */
class RTVC_CLASS
{
public:
    /** Size of the buffer that keeps the delta-window description: a memory image of at most
        244 data bytes, or a path of at most 255 characters. */
    static constexpr std::size_t windowsCopySize = 256;

    /** Slots of the delay line for mel-cepstra and waveform; the lag must be smaller. */
    static constexpr int delayLineSlots = 20;

    /** Builds the pipeline and writes "Constractor has been done!\n" to the error stream.
        @param fftMin smallest analysis FFT length
        @param order mel-cepstral order m
        @param lag look-ahead of the trajectory generators and delay of the waveform, in frames
               (0..19)
        @param windows delta-window description (path or memory image) for the generators
        @param sampleRate Hz
        @param frameMs, shiftMs analysis frame length and frame shift, milliseconds
        @param alpha frequency-warping factor
        @param iterations mel-cepstral iteration mode of FEAT_CLASS (0 none, 1 one, 2 full)
        Raises EngineError when the window description does not fit its buffer, for settings
        outside the ranges above, or when memory runs out. */
    RTVC_CLASS(std::int64_t fftMin, std::int64_t order, std::int64_t lag, const char* windows,
               double sampleRate, double frameMs, double shiftMs, double alpha, int iterations);

    /** Writes "RTVC_CLASS was destructed.\n" to the error stream. */
    ~RTVC_CLASS();

    RTVC_CLASS(const RTVC_CLASS&) = delete;
    RTVC_CLASS& operator=(const RTVC_CLASS&) = delete;

    /** Loads the class GMM (path or memory image) and replaces the previous one. The first one
        writes "GMM parameter changed into %s\n". Raises EngineError (the previous GMM stays) for
        unusable data, or when the intra or diff GMM already set has fewer classes. */
    void setGmm(const char* name);

    /** Loads the intra GMM (converted envelope); "Intra GMM parameter changed into %s\n" the
        first time. Raises EngineError for unusable data or fewer classes than the class GMM. */
    void setIntraGmm(const char* name);

    /** Loads the diff GMM (envelope difference); "DIFFGMM parameter changed into %s\n" the first
        time. Raises EngineError for unusable data or fewer classes than the class GMM. */
    void setDiffGmm(const char* name);

    /** Loads the global-variance post-filter: m scale factors r followed by m offsets s (further
        rows are ignored), and writes "GV is change into %s\n". An empty name removes the
        post-filter (the identity). Raises EngineError, keeping the previous post-filter, after
        "Can't read GV postfilter file: %s\n" when the data cannot be read as rows of m doubles,
        or when it holds fewer than two rows or a value that is not finite. */
    void setGvPostfilter(const char* name);

    /** Strength of the post-filter: gamma = percent / 100 (0 leaves the difference unchanged, 1
        applies r z + s fully). Writes "GV coefficient is set to %lf\n" (gamma) to standard
        output. Raises EngineError for a value that is not finite. */
    void setGvCoefficient(double percent);

    /** Clamps every output sample to -32767..32767 when on. Writes
        "Clipping limitter enables.\n" or "Clipping limitter disables.\n" to the error stream. */
    void setClippingLimiter(bool on);

    /** Output gain min(g, 5); there is no lower bound. Raises EngineError for NaN. */
    void setGain(double g);

    /** Runs one frame on exactly frameShift() new input samples. The first push produces no
        output; every later push makes frameShift() samples available to `popSample`. Without
        all three GMMs the frames produce silence. Samples that are not finite are taken as 0,
        and a frame whose analysis is not finite keeps the previous frame's envelope. */
    void pushSamples(const double* samples) noexcept;

    /** The next output sample; 0.0 (consuming nothing) until the first samples were produced.
        Pop exactly frameShift() samples after each push. */
    double popSample() noexcept;

    std::int64_t frameLength() const noexcept { return framel; }
    std::int64_t frameShift() const noexcept { return shiftl; }
    std::int64_t order() const noexcept { return m; }
    std::int64_t lag() const noexcept { return lagFrames; }
    double gain() const noexcept { return outputGain; }
    double gvCoefficient() const noexcept { return gamma; }
    bool clippingLimiter() const noexcept { return clipping; }
    std::int64_t outputRingLength() const noexcept { return ringLength; }

    /** Delay of the voice through the pipeline, in samples. */
    std::int64_t delaySamples() const noexcept
    {
        return lagFrames * shiftl + (framel - shiftl) - (framel / 2 - shiftl / 2);
    }

    /** The analysis and synthesis object. */
    const FEAT_CLASS& analysis() const noexcept { return features; }

    const GMMMAP* classGmm() const noexcept { return classMap.get(); }
    const GMMMAP* intraGmm() const noexcept { return intraMap.get(); }
    const GMMMAP* diffGmm() const noexcept { return diffMap.get(); }

private:
    void runFrame() noexcept;
    void replaceGmm(std::unique_ptr<GMMMAP>& slot, const char* name, const char* firstMessage);
    void checkClassCounts(const GMMMAP* classes, const GMMMAP* intra, const GMMMAP* diff) const;

    std::array<char, windowsCopySize> windowsCopy{};
    std::int64_t m;
    std::int64_t lagFrames;
    int iterationMode;
    FEAT_CLASS features;
    std::int64_t framel;
    std::int64_t shiftl;

    std::vector<double> frame;
    std::vector<double> previousFrame;
    std::vector<double> centre;
    std::vector<double> melCepstrum;
    std::vector<double> previousMelCepstrum;
    std::vector<double> featureVector; // [static, delta], 2m
    std::vector<double> converted;
    std::vector<double> difference;

    std::vector<double> delayCepstra; // slots x (m + 1)
    std::vector<double> delayWaves;   // slots x shift
    int writeSlot = 0;
    int readSlot = 0;

    std::vector<double> output;
    std::vector<double> outputRing;
    std::int64_t ringLength = 0;
    std::int64_t writeCount = 0;
    std::int64_t readCount = 0;
    int outputState = -1;
    std::int64_t framesRun = 0;

    std::unique_ptr<GMMMAP> classMap;
    std::unique_ptr<GMMMAP> intraMap;
    std::unique_ptr<GMMMAP> diffMap;
    MatrixPtr gvPostfilter;
    double gamma = 1.0;
    double outputGain = 1.0;
    bool clipping = false;
};
