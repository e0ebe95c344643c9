#include "engine/PitchShifter.h"

#include "engine/EngineError.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace zo
{

namespace
{
double checkedPitchRatio(double pitchRatio)
{
    if (!std::isfinite(pitchRatio) || pitchRatio < PitchShifter::lowestRatio ||
        pitchRatio > PitchShifter::highestRatio)
        raiseEngineError(EngineError::Kind::invalidArgument, 1,
                         "PitchShifter: pitch ratio %f outside 0.25..4\n", pitchRatio);
    return pitchRatio;
}

int checkedBlockSize(int blockSize)
{
    if (blockSize < 1 || blockSize > Resampler::maximumProcSamples)
        raiseEngineError(EngineError::Kind::invalidArgument, 1, "PitchShifter: block size %d outside 1..%d\n",
                         blockSize, Resampler::maximumProcSamples);
    return blockSize;
}

bool needsTwoStages(double pitchRatio)
{
    return pitchRatio < 0.5 || pitchRatio > 2.0;
}

/** The ratio of each stage: the whole ratio for one stage, its square root for two. */
double stageRatio(double pitchRatio)
{
    return needsTwoStages(pitchRatio) ? std::sqrt(pitchRatio) : pitchRatio;
}
} // namespace

PitchShifter::Stage::Stage(int blockSize, int lagStep, double sampleRate, double pitchRatio,
                           double lowestFrequency, double highestFrequency, bool exactRatio)
    : ratio(pitchRatio), stretcher(blockSize, lagStep, sampleRate, 1.0 / pitchRatio, lowestFrequency,
                                   highestFrequency, exactRatio),
      resampler(1, blockSize, Resampler::linear, 21, 1.0 / pitchRatio)
{
    // A block consumes at most ceil(blockSize × step / 2^32) stretched samples: 2 × blockSize at a
    // ratio of 2.
    const std::int64_t mostNeeded = static_cast<std::int64_t>(
        (static_cast<std::uint64_t>(blockSize) * resampler.step() + 0xffffffffu) >> 32);
    intermediate.assign(static_cast<std::size_t>(std::max<std::int64_t>(2 * blockSize, mostNeeded)), 0.0);
}

int PitchShifter::Stage::process(double* output, int outputStride, const double* input, int inputStride,
                                 int count) noexcept
{
    int result = resultOk;
    const int needed = static_cast<int>(resampler.inputNeeded(count));

    if (stretcher.write(input, inputStride, count) < count)
    {
        std::printf("buffer overrun\n");
        result = resultOverrun;
    }

    const int produced = stretcher.read(intermediate.data(), 1, needed);
    if (produced < needed)
    {
        std::printf("buffer underrun\n");
        result = resultUnderrun;
        // The resampler still reads `needed` samples. The shortfall is a sample or a few; holding
        // the last sample produced bridges it more quietly than silence or the previous block's
        // samples left in the buffer would.
        const double hold =
            produced > 0 ? intermediate[static_cast<std::size_t>(produced - 1)] : lastStretched;
        std::fill(intermediate.begin() + produced, intermediate.begin() + needed, hold);
    }

    if (needed > 0)
        lastStretched = intermediate[static_cast<std::size_t>(needed - 1)];
    resampler.process(output, outputStride, intermediate.data(), 1, count);
    return result;
}

std::int64_t PitchShifter::Stage::averageDelaySamples(bool alone) const noexcept
{
    const auto window = static_cast<std::int64_t>(stretcher.windowLength());
    if (ratio >= 1.0)
        return window * 5 / 8;
    // Measured on speech, a lowering stage delays by 0.95 .. 1.01 W near ratios of 0.5 .. 0.7. A
    // single stage keeps the 7/8 W it has always reported (within W/8 of that); in two stages
    // the shortfall would add up, so each counts its whole window.
    return alone ? window * 7 / 8 : window;
}

PitchShifter::PitchShifter(int blockSize, int lagStep, double sampleRate, double pitchRatio,
                           double lowestFrequency, double highestFrequency)
    : rate(sampleRate), ratio(checkedPitchRatio(pitchRatio)), block(checkedBlockSize(blockSize)),
      first(blockSize, lagStep, sampleRate, stageRatio(pitchRatio), lowestFrequency, highestFrequency,
            needsTwoStages(pitchRatio))
{
    // The second stage hears the voice already moved by the first, so it looks for the pitch in
    // the range moved as well.
    if (needsTwoStages(pitchRatio))
    {
        const double step = stageRatio(pitchRatio);
        second.emplace(blockSize, lagStep, sampleRate, step, lowestFrequency * step, highestFrequency * step,
                       true);
    }
}

PitchShifter::~PitchShifter() = default;

std::int64_t PitchShifter::averageDelaySamples() const noexcept
{
    return second ? first.averageDelaySamples(false) + second->averageDelaySamples(false)
                  : first.averageDelaySamples(true);
}

int PitchShifter::process(double* output, int outputStride, const double* input, int inputStride,
                          int count) noexcept
{
    int result = resultOk;
    for (int done = 0; done < count; done += block)
    {
        const int n = std::min(block, count - done);
        const int code =
            processBlock(output + static_cast<std::ptrdiff_t>(done) * outputStride, outputStride,
                         input + static_cast<std::ptrdiff_t>(done) * inputStride, inputStride, n);
        if (code != resultOk)
            result = code;
    }
    return result;
}

int PitchShifter::processBlock(double* output, int outputStride, const double* input, int inputStride,
                               int count) noexcept
{
    int result = first.process(output, outputStride, input, inputStride, count);
    if (second)
    {
        // In place on the first stage's output: a stage reads all its input before writing.
        const int code = second->process(output, outputStride, output, outputStride, count);
        if (code != resultOk)
            result = code;
    }
    return result;
}

} // namespace zo
