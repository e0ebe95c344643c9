#include "engine/Vocaform.h"

#include "engine/AdaptiveLimiter.h"
#include "engine/Delay.h"
#include "engine/EngineError.h"
#include "engine/FEAT_CLASS.h"
#include "engine/MemoryFile.h"
#include "engine/NoiseGate.h"
#include "engine/PitchShifter.h"
#include "engine/RTVC_CLASS.h"
#include "package/Pupack.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <exception>
#include <new>
#include <string>
#include <vector>

namespace
{

/** The pipeline's settings for one engine rate (5 ms frame shift, one mel-cepstral iteration). */
struct EngineConfiguration
{
    double sampleRate;
    std::int64_t fftMin;
    std::int64_t order;
    std::int64_t lag;
    double frameMs;
    double alpha;
};

constexpr EngineConfiguration configurations[] = {
    {16000.0, 512, 24, 3, 25.0, 0.42},
    {44100.0, 1024, 60, 5, 20.0, 0.5},
    {48000.0, 1024, 65, 5, 20.0, 0.5},
};

constexpr double frameShiftMs = 5.0;

const EngineConfiguration* configurationFor(double rate)
{
    for (const EngineConfiguration& c : configurations)
        if (c.sampleRate == rate)
            return &c;
    return nullptr;
}

// The gate's settings, seconds.
constexpr double gateAttackSeconds = 0.001;
constexpr double gateHoldSeconds = 0.02;
constexpr double gateDecaySeconds = 0.05;

// The pitch shifter's detector: lag step in samples and the voice's pitch range in Hz.
constexpr int shifterLagStep = 2;
constexpr double shifterLowestFrequency = 60.0;
constexpr double shifterHighestFrequency = 400.0;

double clampedTrigger(double level)
{
    return std::clamp(level, 0.0, 1.0);
}

} // namespace

class Vocaform_private
{
public:
    double sampleRate = 44100.0;
    double gvCoefficient = 1.0;
    bool noiseGateEnabled = true;
    double noiseGateTrigger = 0.005;
    bool limiterEnabled = true;
    Pupack* package = nullptr;
    bool ready = false;
    std::int32_t mSilence = 0;
    std::int64_t blockSize = 0;
    /** 4 × blockSize: the block being collected (and the last processed block), then the work
        area (gate output, dry signal). */
    std::vector<double> blockBuffer;
    std::int64_t fill = 0;
    std::unique_ptr<RTVC_CLASS> engine;
    std::unique_ptr<zo::NoiseGate> noiseGate;
    std::unique_ptr<zo::Delay> dryDelay;
    std::unique_ptr<adaptiveLimiter> limiter;
    std::unique_ptr<zo::PitchShifter> pitchShifter;

    ResultCode prepare();
    void process(double* x, std::int32_t n) noexcept;

private:
    ResultCode buildEngine(const EngineConfiguration& configuration);
    void releaseStages() noexcept;
    void processBlock() noexcept;
};

void Vocaform_private::releaseStages() noexcept
{
    engine.reset();
    noiseGate.reset();
    dryDelay.reset();
    limiter.reset();
    pitchShifter.reset();
    fill = 0;
}

ResultCode Vocaform_private::prepare()
{
    ready = false;
    if (package == nullptr)
    {
        releaseStages();
        ready = true;
        return result::success;
    }

    const ResultCode loaded = package->load();
    if (loaded != result::success)
    {
        releaseStages();
        return loaded;
    }
    const EngineConfiguration* configuration = configurationFor(sampleRate);
    if (configuration == nullptr || !package->supportsSampleRate(sampleRate))
    {
        releaseStages();
        return result::invalidArgument;
    }

    ResultCode code = result::wrongState;
    try
    {
        code = buildEngine(*configuration);
    }
    catch (const EngineError&)
    {
        // The engine has written what it refused to the error stream.
        code = result::wrongState;
    }
    catch (const std::bad_alloc&)
    {
        std::fprintf(stderr, "Vocaform: out of memory while building the engine\n");
        code = result::wrongState;
    }
    catch (const std::exception& e)
    {
        std::fprintf(stderr, "Vocaform: cannot build the engine: %s\n", e.what());
        code = result::wrongState;
    }
    if (code != result::success)
    {
        releaseStages();
        return code;
    }

    ready = true;
    mSilence = Vocaform::silentBlocksAfterPrepare;
    std::printf("mSilence = %d\n", mSilence);
    return result::success;
}

ResultCode Vocaform_private::buildEngine(const EngineConfiguration& configuration)
{
    engine.reset();

    std::vector<std::uint8_t> bytes;
    ResultCode code = package->readPackageMember("dyn.win", bytes);
    if (code == result::missingMember)
        return result::missingWindows;
    if (code != result::success)
        return code;
    const MemoryFile windows(bytes);

    const auto readRate = [&](const char* extension, MemoryFile& image)
    {
        const ResultCode read = package->readRateMember(extension, sampleRate, bytes);
        if (read == result::success)
            image = MemoryFile(bytes);
        return read;
    };
    MemoryFile classGmm, intraGmm, diffGmm, postFilter;
    for (auto [extension, image] : {std::pair<const char*, MemoryFile*>{".gmm", &classGmm},
                                    {".intragmm", &intraGmm},
                                    {".diffgmm", &diffGmm},
                                    {".gvpf", &postFilter}})
        if ((code = readRate(extension, *image)) != result::success)
            return code;

    const double volume = package->volume();
    const double pitch = package->pitch();

    auto newEngine =
        std::make_unique<RTVC_CLASS>(configuration.fftMin, configuration.order, configuration.lag,
                                     windows.name(), configuration.sampleRate, configuration.frameMs,
                                     frameShiftMs, configuration.alpha, FEAT_CLASS::oneIteration);
    newEngine->setGmm(classGmm.name());
    newEngine->setIntraGmm(intraGmm.name());
    newEngine->setDiffGmm(diffGmm.name());
    newEngine->setGvPostfilter(postFilter.name());
    newEngine->setClippingLimiter(true);
    newEngine->setGain(volume);
    newEngine->setGvCoefficient(gvCoefficient * 100.0);

    blockSize = std::llround(5.0 * sampleRate / 1000.0);
    if (newEngine->frameShift() != blockSize)
        raiseEngineError(EngineError::Kind::invalidArgument, 1,
                         "Vocaform: engine frame shift %lld differs from the block of %lld samples\n",
                         static_cast<long long>(newEngine->frameShift()), static_cast<long long>(blockSize));
    blockBuffer.assign(static_cast<std::size_t>(4 * blockSize), 0.0);
    fill = 0;

    noiseGate.reset();
    if (noiseGateEnabled)
        noiseGate = std::make_unique<zo::NoiseGate>(1, sampleRate, clampedTrigger(noiseGateTrigger),
                                                    gateAttackSeconds, gateHoldSeconds, gateDecaySeconds);

    dryDelay.reset();
    limiter.reset();
    if (limiterEnabled)
    {
        dryDelay = std::make_unique<zo::Delay>(Vocaform::dryDelaySamples);
        limiter =
            std::make_unique<adaptiveLimiter>(static_cast<std::int32_t>(2.0 * sampleRate),
                                              Vocaform::limiterDelaySamples, Vocaform::limiterWindowSamples);
        dryDelay->clear();
        limiter->reset();
    }

    pitchShifter.reset();
    if (static_cast<float>(pitch) != 1.0f)
        pitchShifter =
            std::make_unique<zo::PitchShifter>(static_cast<int>(blockSize), shifterLagStep, sampleRate, pitch,
                                               shifterLowestFrequency, shifterHighestFrequency);

    engine = std::move(newEngine);
    return result::success;
}

void Vocaform_private::process(double* x, std::int32_t n) noexcept
{
    double* const block = blockBuffer.data();
    double* const work = block + blockSize;
    while (n > 0)
    {
        const auto len = static_cast<std::int32_t>(std::min<std::int64_t>(n, blockSize - fill));
        if (noiseGate)
        {
            // The gate clamps (with a printed line) what lies outside 0..1; compare the clamped
            // value so an out-of-range parameter is applied once, not on every call.
            const double trigger = clampedTrigger(noiseGateTrigger);
            if (trigger != noiseGate->triggerLevel())
                noiseGate->setTriggerLevel(trigger);
            noiseGate->process(work, 1, x, 1, len);
        }
        else
        {
            std::copy(x, x + len, work);
        }
        std::copy(block + fill, block + fill + len, x);
        std::copy(work, work + len, block + fill);
        x += len;
        fill += len;
        if (fill == blockSize)
            processBlock();
        n -= len;
    }
}

void Vocaform_private::processBlock() noexcept
{
    double* const block = blockBuffer.data();
    double* const dry = block + blockSize;
    const auto count = static_cast<std::int32_t>(blockSize);

    if (pitchShifter)
        pitchShifter->process(block, 1, block, 1, count);
    if (limiter)
        dryDelay->process(dry, 1, block, 1, count);
    engine->pushSamples(block);
    for (std::int32_t i = 0; i < count; ++i)
        block[i] = engine->popSample();
    if (limiter)
        limiter->process(block, dry, block, count);
    if (mSilence > 0)
    {
        std::fill(block, block + count, 0.0);
        --mSilence;
    }
    fill = 0;
}

Vocaform::Vocaform() : impl(std::make_unique<Vocaform_private>()) {}

Vocaform::~Vocaform() = default;

ResultCode Vocaform::setSampleRate(double rate)
{
    if (configurationFor(rate) == nullptr)
        return result::invalidArgument;
    impl->sampleRate = rate;
    return result::success;
}

double Vocaform::sampleRate() const
{
    return impl->sampleRate;
}

ResultCode Vocaform::setPupack(Pupack* package)
{
    impl->package = package;
    impl->ready = false;
    return result::success;
}

ResultCode Vocaform::getParameter(std::int32_t id, double& value) const
{
    switch (id)
    {
        case ParamGvCoefficient:
            value = impl->gvCoefficient;
            return result::success;
        case ParamNoiseGateTrigger:
            value = impl->noiseGateTrigger;
            return result::success;
        default:
            return result::unknownParameter;
    }
}

ResultCode Vocaform::getParameter(std::int32_t id, bool& value) const
{
    switch (id)
    {
        case ParamNoiseGateEnabled:
            value = impl->noiseGateEnabled;
            return result::success;
        case ParamLimiterEnabled:
            value = impl->limiterEnabled;
            return result::success;
        default:
            return result::unknownParameter;
    }
}

ResultCode Vocaform::setParameter(std::int32_t id, double value)
{
    if (id != ParamGvCoefficient && id != ParamNoiseGateTrigger)
        return result::unknownParameter;
    // A NaN would pass any clamp and disable the gate or reach the engine as its coefficient.
    if (!std::isfinite(value))
        return result::invalidArgument;
    if (id == ParamNoiseGateTrigger)
    {
        impl->noiseGateTrigger = value;
        return result::success;
    }
    impl->gvCoefficient = std::clamp(value, 0.0, 1.0);
    if (impl->engine)
        impl->engine->setGvCoefficient(impl->gvCoefficient * 100.0);
    return result::success;
}

ResultCode Vocaform::setParameter(std::int32_t id, bool value)
{
    switch (id)
    {
        case ParamNoiseGateEnabled:
            impl->noiseGateEnabled = value;
            return result::success;
        case ParamLimiterEnabled:
            impl->limiterEnabled = value;
            return result::success;
        default:
            return result::unknownParameter;
    }
}

ResultCode Vocaform::prepare()
{
    return impl->prepare();
}

ResultCode Vocaform::process(double* samples, std::int32_t count)
{
    if (!impl->ready || impl->package == nullptr || !impl->engine || count <= 0)
        return result::success;
    if (samples == nullptr)
        return result::invalidArgument;
    impl->process(samples, count);
    return result::success;
}

bool Vocaform::isReady() const
{
    return impl->ready;
}

bool Vocaform::hasNoiseGate() const
{
    return impl->ready && impl->noiseGate != nullptr;
}

bool Vocaform::hasPitchShifter() const
{
    return impl->ready && impl->pitchShifter != nullptr;
}

bool Vocaform::hasLimiter() const
{
    return impl->ready && impl->limiter != nullptr;
}

std::int64_t Vocaform::blockSize() const
{
    return impl->ready && impl->engine ? impl->blockSize : 0;
}

std::int64_t Vocaform::latencySamples() const
{
    const Vocaform_private& p = *impl;
    if (!p.ready || p.package == nullptr || !p.engine)
        return 0;
    std::int64_t latency = p.blockSize + p.engine->delaySamples();
    if (p.noiseGate)
        latency += p.noiseGate->attackSamples();
    if (p.limiter)
        latency += limiterDelaySamples;
    if (p.pitchShifter)
        latency += p.pitchShifter->averageDelaySamples();
    return latency;
}

const char* Vocaform::version()
{
    return "2.1.0";
}
