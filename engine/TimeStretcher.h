#pragma once

#include "engine/PitchDetector.h"

#include <cstdint>
#include <vector>

namespace zo
{

/** Changes the duration of a mono signal by whole pitch periods, keeping its pitch.

    Output over input is 1/ratio in the long run. With ratio < 1 (a longer signal) each cycle
    crossfades from the current position back to one period earlier, repeating a period; with
    ratio > 1 (a shorter signal) it crossfades forward into the next period and drops one. Between
    crossfades the signal is copied, for as long as makes the cycle's output match 1/ratio. Periods
    come from a PitchDetector run on the buffered input. Ratios within 1e−5 of 1 make the stretcher
    a plain sample ring.

    The input ring holds blockSize + 2 × window + 65535 samples and starts with `window` zeros
    (window = 2 × the detector's longest period), which is the stretcher's latency. All buffers are
    allocated at construction; `write` and `read` never allocate. */
class TimeStretcher
{
public:
    /** @param blockSize         samples per call the stretcher is planned for (at least 1)
        @param lagStep           the detector's lag step in samples
        @param sampleRate        Hz
        @param ratio             input duration over output duration, 0.5..2 (a period at most is
                                 dropped or repeated per cycle); outside that range, or not
                                 finite, EngineError is thrown
        @param lowestFrequency   lowest pitch the detector looks for, Hz
        @param highestFrequency  highest pitch the detector looks for, Hz
        @param exactRatio        carry each cycle's rounding of the copy length into the next
                                 cycle, so that the long-run ratio is exact for any period (without
                                 it a steady period whose copy length rounds one way makes the
                                 buffered input drift) */
    TimeStretcher(int blockSize, int lagStep, double sampleRate, double ratio, double lowestFrequency,
                  double highestFrequency, bool exactRatio = false);
    virtual ~TimeStretcher();

    /** Appends count samples (samples[j × stride]) to the input ring, as many as fit.
        @return the samples accepted */
    int write(const double* samples, int stride, int count) noexcept;

    /** Produces up to count samples into output[j × stride]; fewer when the buffered input runs
        short. @return the samples produced */
    int read(double* output, int stride, int count) noexcept;

    /** The ratio in use (exactly 1 when the requested one was within 1e−5 of 1). */
    double ratio() const noexcept { return stretchRatio; }

    /** Samples the detector analyses: 2 × its longest period. */
    int windowLength() const noexcept { return window; }

    /** Input samples waiting in the ring. */
    int buffered() const noexcept;

    /** Capacity of the input ring in samples. */
    int capacity() const noexcept { return ringCapacity; }

private:
    int peek(int offset, double* destination, int count) const noexcept;
    void consume(int count) noexcept;
    bool startCrossfade() noexcept;
    void startCopying() noexcept;

    double stretchRatio;
    bool exact;
    double lengthCarry = 0.0; // rounding of the copy lengths so far, with exactRatio
    PitchDetector detector;
    int window;
    int half;
    int blockSize;

    int ringCapacity;
    std::vector<double> ring; // ringCapacity + 1 slots: one stays free to tell full from empty
    int readPosition = 0;
    int writePosition = 0;

    std::vector<double> analysis;
    std::vector<double> segmentA;
    std::vector<double> segmentB;

    bool copying = false;
    int segmentLength = 0;
    int segmentPosition = 0;
    int offsetA = 0;
    int offsetB = 0;
};

} // namespace zo
