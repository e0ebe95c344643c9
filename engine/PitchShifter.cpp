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
    if (!std::isfinite(pitchRatio) || pitchRatio < 0.5 || pitchRatio > 2.0)
        raiseEngineError(EngineError::Kind::invalidArgument, 1,
                         "PitchShifter: pitch ratio %f outside 0.5..2\n", pitchRatio);
    return pitchRatio;
}

int checkedBlockSize(int blockSize)
{
    if (blockSize < 1 || blockSize > Resampler::maximumProcSamples)
        raiseEngineError(EngineError::Kind::invalidArgument, 1, "PitchShifter: block size %d outside 1..%d\n",
                         blockSize, Resampler::maximumProcSamples);
    return blockSize;
}
} // namespace

PitchShifter::PitchShifter(int blockSize, int lagStep, double sampleRate, double pitchRatio,
                           double lowestFrequency, double highestFrequency)
    : rate(sampleRate), ratio(checkedPitchRatio(pitchRatio)), block(checkedBlockSize(blockSize)),
      stretcher(blockSize, lagStep, sampleRate, 1.0 / pitchRatio, lowestFrequency, highestFrequency),
      resampler(1, blockSize, Resampler::linear, 21, 1.0 / pitchRatio)
{
    // A block consumes at most ceil(blockSize × step / 2^32) stretched samples: 2 × blockSize at a
    // ratio of 2.
    const std::int64_t mostNeeded = static_cast<std::int64_t>(
        (static_cast<std::uint64_t>(blockSize) * resampler.step() + 0xffffffffu) >> 32);
    intermediate.assign(static_cast<std::size_t>(std::max<std::int64_t>(2 * blockSize, mostNeeded)), 0.0);
}

PitchShifter::~PitchShifter() = default;

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

} // namespace zo
