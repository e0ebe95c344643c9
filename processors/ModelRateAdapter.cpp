#include "processors/ModelRateAdapter.h"

#include "engine/Vocaform.h"

#include <algorithm>
#include <cmath>

namespace tessel
{

namespace
{
/** The Lagrange interpolator's own delay in input samples at a speed ratio, once it runs in step
    with whole blocks: its five-sample history puts the output two samples late, and the first
    block, which starts at a read position of 1, leaves ceil(ratio − 1) input samples unread above
    a ratio of 1, which later blocks never catch up. */
double interpolatorDelay(double ratio) noexcept
{
    return 2.0 - std::max(0.0, std::ceil(ratio - 1.0));
}
} // namespace

ModelRateAdapter::ModelRateAdapter() = default;

ModelRateAdapter::~ModelRateAdapter() = default;

void ModelRateAdapter::prepare(double deviceRate, double modelRate, int maxBlockSize)
{
    prepared = deviceRate > 0.0 && modelRate > 0.0 && maxBlockSize > 0;
    deviceSampleRate = prepared ? deviceRate : 0.0;
    modelSampleRate = prepared ? modelRate : 0.0;
    maxBlock = prepared ? maxBlockSize : 0;
    reset();
    if (!prepared)
        return;
    const int modelSamples = std::max(1, modelSamplesFor(maxBlockSize));
    downBuffer.setSize(1, modelSamples);
    modelBuffer.setSize(1, modelSamples);
    convertedBuffer.setSize(1, modelSamples);
    upBuffer.setSize(1, maxBlockSize);
    downBuffer.clear();
    modelBuffer.clear();
    convertedBuffer.clear();
    upBuffer.clear();
}

void ModelRateAdapter::reset() noexcept
{
    downInterpolator.reset();
    upInterpolator.reset();
}

int ModelRateAdapter::modelSamplesFor(int n) const noexcept
{
    if (!prepared || n <= 0)
        return 0;
    return static_cast<int>(static_cast<double>(n) * modelSampleRate / deviceSampleRate);
}

double ModelRateAdapter::latencySamples(std::int64_t facadeLatency, int n) const noexcept
{
    const int m = modelSamplesFor(n);
    if (m <= 0)
        return 0.0;
    const double down = static_cast<double>(n) / m;
    const double up = static_cast<double>(m) / n;
    return interpolatorDelay(down) + (static_cast<double>(facadeLatency) + interpolatorDelay(up)) * down;
}

void ModelRateAdapter::process(float* samples, int n, Vocaform& facade) noexcept
{
    if (!prepared || samples == nullptr)
        return;
    // Blocks beyond the prepared size would need bigger buffers; pieces of the prepared size keep
    // the audio thread free of allocations.
    for (int done = 0; done < n; done += maxBlock)
        processBlock(samples + done, std::min(maxBlock, n - done), facade);
}

void ModelRateAdapter::processBlock(float* samples, int n, Vocaform& facade) noexcept
{
    const int m = modelSamplesFor(n);
    // Marked clear here; the up interpolator's writes unmark it. A block that gives no model
    // sample leaves it marked, and the block is cleared.
    upBuffer.clear();
    if (m > 0)
    {
        // The speed ratios in double precision: with M × ratio equal to N, each block consumes
        // exactly its N samples. The bounded form feeds zeros instead of reading past the block.
        const double downSpeed = static_cast<double>(n) / m;
        float* down = downBuffer.getWritePointer(0);
        downInterpolator.process(downSpeed, samples, down, m, n, 0);

        double* model = modelBuffer.getWritePointer(0);
        std::copy(down, down + m, model);
        facade.process(model, m);
        float* converted = convertedBuffer.getWritePointer(0);
        for (int i = 0; i < m; ++i)
            converted[i] = static_cast<float>(model[i]);

        const double upSpeed = static_cast<double>(m) / n;
        upInterpolator.process(upSpeed, converted, upBuffer.getWritePointer(0), n, m, 0);
    }

    if (upBuffer.hasBeenCleared())
        std::fill(samples, samples + n, 0.0f);
    else
        std::copy(upBuffer.getReadPointer(0), upBuffer.getReadPointer(0) + n, samples);
}

} // namespace tessel
