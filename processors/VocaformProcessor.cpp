#include "processors/VocaformProcessor.h"

#include "package/Pupack.h"

#include <algorithm>

namespace tessel
{

namespace
{
constexpr double modelRateLow = 16000.0;
constexpr double modelRateHigh = 44100.0;
} // namespace

VocaformProcessor::VocaformProcessor()
    : facade(std::make_unique<Vocaform>()),
      noiseGateOnOff(new juce::AudioParameterBool("NoiseGateOnOff", "Noise Gate Enable", true)),
      noiseGateLevel(new juce::AudioParameterFloat("NoiseGateLevel", "Noise Gate Level", 0.0f, 1.0f, 0.0f)),
      gvCoefficient(new juce::AudioParameterFloat("GVCoefficient", "GV coefficient", 0.0f, 1.0f, 1.0f)),
      adaptiveLimiterOnOff(
          new juce::AudioParameterBool("AdaptiveLimiterOnOff", "Adaptive Limiter Enable", true))
{
    addParameter(noiseGateOnOff);
    addParameter(noiseGateLevel);
    addParameter(gvCoefficient);
    addParameter(adaptiveLimiterOnOff);
}

VocaformProcessor::~VocaformProcessor()
{
    const juce::ScopedLock sl(lock);
    facade.reset();
}

const juce::String VocaformProcessor::getName() const
{
    return {};
}

int VocaformProcessor::conversionSamplesFor(int numSamples, double rate, double modelRate) noexcept
{
    if (rate <= 0.0 || numSamples <= 0)
        return 0;
    return static_cast<int>(static_cast<double>(numSamples) * modelRate / rate);
}

void VocaformProcessor::synchroniseParameters()
{
    // Only values that differ are written: a write of the coefficient reaches the engine at once.
    bool gateOn = true;
    if (facade->getParameter(Vocaform::ParamNoiseGateEnabled, gateOn) == 0 && gateOn != isOn(*noiseGateOnOff))
        facade->setParameter(Vocaform::ParamNoiseGateEnabled, isOn(*noiseGateOnOff));

    double trigger = 0.0;
    const double level = noiseGateLevel->get();
    if (facade->getParameter(Vocaform::ParamNoiseGateTrigger, trigger) == 0 && trigger != level)
        facade->setParameter(Vocaform::ParamNoiseGateTrigger, level);

    double coefficient = 0.0;
    const double wanted = gvCoefficient->get();
    if (facade->getParameter(Vocaform::ParamGvCoefficient, coefficient) == 0 && coefficient != wanted)
        facade->setParameter(Vocaform::ParamGvCoefficient, wanted);

    bool limiterOn = true;
    if (facade->getParameter(Vocaform::ParamLimiterEnabled, limiterOn) == 0 &&
        limiterOn != isOn(*adaptiveLimiterOnOff))
        facade->setParameter(Vocaform::ParamLimiterEnabled, isOn(*adaptiveLimiterOnOff));
}

void VocaformProcessor::resetResampling()
{
    // Sized for the largest block at the conversion rate (the high rate before the first model),
    // so that no block allocates.
    adapter.prepare(deviceRate, conversionRate > 0.0 ? conversionRate : modelRateHigh, blockSize);
}

void VocaformProcessor::prepareToPlay(double sampleRate, int maximumExpectedSamplesPerBlock)
{
    const juce::ScopedLock sl(lock);
    synchroniseParameters();
    if (sampleRate == 0.0 || maximumExpectedSamplesPerBlock == 0)
        return;

    deviceRate = sampleRate;
    blockSize = maximumExpectedSamplesPerBlock;
    resetResampling();
    if (conversionRate > 0.0)
        facade->setSampleRate(conversionRate);
    facade->prepare();
}

void VocaformProcessor::processBlock(juce::AudioBuffer<float>& buffer, juce::MidiBuffer&)
{
    // A model swap holds the lock while it builds the engine: this block passes unconverted
    // instead of holding up the device.
    const juce::ScopedTryLock sl(lock);
    if (!sl.isLocked() || deviceRate <= 0.0 || conversionRate <= 0.0 || blockSize <= 0 ||
        buffer.getNumChannels() < 1)
        return;

    synchroniseParameters();

    const int n = buffer.getNumSamples();
    adapter.process(buffer.getWritePointer(0), n, *facade);
    lastEngineBlockSamples = adapter.modelSamplesFor(std::min(n, blockSize));
}

void VocaformProcessor::processBlock(juce::AudioBuffer<double>& buffer, juce::MidiBuffer& midi)
{
    // Not used by the chain (it runs in single precision); kept for completeness, at the cost of
    // a conversion buffer of the block's size.
    juce::AudioBuffer<float> single;
    single.makeCopyOf(buffer);
    processBlock(single, midi);
    buffer.makeCopyOf(single);
}

void VocaformProcessor::setModel(Pupack* model)
{
    // Held from the new package to the prepared engine: the audio thread sees the old engine or
    // the new one, never one half-built.
    const juce::ScopedLock sl(lock);

    if (facade->setPupack(model) == 0)
        currentModel = model;

    bool lowRate = false;
    if (model != nullptr)
        for (const double rate : model->sampleRates())
            lowRate = lowRate || rate == modelRateLow;
    conversionRate = lowRate ? modelRateLow : modelRateHigh;

    const bool limiterOn = conversionRate != modelRateLow;
    facade->setParameter(Vocaform::ParamLimiterEnabled, limiterOn);
    static_cast<juce::AudioProcessorParameter*>(adaptiveLimiterOnOff)->setValue(limiterOn ? 1.0f : 0.0f);

    if (getSampleRate() > 0.0 && getBlockSize() > 0)
    {
        // prepareToPlay sets the rate and prepares the engine: preparing it here as well would
        // only build the same engine twice.
        prepareToPlay(getSampleRate(), getBlockSize());
    }
    else
    {
        facade->setSampleRate(conversionRate);
        facade->prepare();
    }
}

Pupack* VocaformProcessor::getModel() const
{
    const juce::ScopedLock sl(lock);
    return currentModel;
}

std::int64_t VocaformProcessor::getEngineLatencySamples() const
{
    const juce::ScopedLock sl(lock);
    return facade->latencySamples();
}

double VocaformProcessor::getConversionRate() const
{
    const juce::ScopedLock sl(lock);
    return conversionRate;
}

} // namespace tessel
