#pragma once

#include <cstdint>
#include <vector>

/** Keeps a processed (wet) signal from getting louder than the time-aligned original (dry).

    Over a sliding window of `window` samples it compares the energies of dry and wet and scales
    each wet sample by sqrt(dryEnergy / wetEnergy) as computed when the sample entered, capped at 1:
    it never amplifies. The output is the wet signal delayed by `delay` samples, so that the gain
    has seen `delay` samples of what follows. Loud passages (dry energy above window × 0.0004) feed
    a running average of the gain ratio, written to standard output as
    "AdaptiveLimiter ratio average = %f" every `statisticsPeriod` loud samples. All buffers are
    allocated at construction; `process` never allocates. */
class adaptiveLimiter
{
public:
    /** @param statisticsPeriod loud samples per statistics report (at least 1)
        @param delay            samples between wet input and output, 0 .. window − 1
        @param window           length of the energy window in samples (at least 1)
        Other values throw EngineError. */
    adaptiveLimiter(std::int32_t statisticsPeriod, std::int32_t delay, std::int32_t window);
    virtual ~adaptiveLimiter();

    /** Returns to the state after construction: unity gains, empty rings, zero energies, no
        statistics. */
    void reset();

    /** Limits count samples: output[j] = min(ratio, 1) × wet[j − delay]. output may be the same
        array as wet (not as dry). */
    void process(double* output, const double* dry, const double* wet, std::int32_t count) noexcept;

    /** The statistics sum over statisticsPeriod after the last block (0.001 after a reset). */
    double ratioAverage() const noexcept { return averageRatio; }

private:
    std::int32_t delaySamples;
    std::int32_t windowSamples;
    std::int32_t statisticsPeriod;
    std::vector<double> ratioRing;
    std::vector<double> dryRing;
    std::vector<double> wetRing;
    std::vector<double> statistics;
    double dryEnergy = 0.0;
    double wetEnergy = 0.0;
    std::int32_t writeIndex = 0;
    std::int32_t readIndex = 0;
    double statisticsSum = 0.0;
    std::int32_t statisticsIndex = 0;
    double loudThreshold = 0.0;
    double averageRatio = 0.001;
};
