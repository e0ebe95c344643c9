#include "library/AudioServicePupackTarget.h"

#include "audio/OstrelAudioService.h"
#include "processors/VocaformProcessor.h"

namespace tessel
{

AudioServicePupackTarget::AudioServicePupackTarget(std::weak_ptr<OstrelAudioService> audioService)
    : service(std::move(audioService))
{
}

void AudioServicePupackTarget::setModel(Pupack* model)
{
    if (const auto audio = service.lock())
        audio->setModel(model);
}

void AudioServicePupackTarget::setOffsetDecibel(float decibels)
{
    if (const auto audio = service.lock())
        audio->setOffsetDecibel(decibels);
}

void AudioServicePupackTarget::setCoefficientGV(float coefficient)
{
    const auto audio = service.lock();
    if (audio == nullptr)
        return;

    // A rebuild replaces every processor; the graph lock keeps this one alive while it is set.
    const juce::ScopedLock sl(audio->getGraphLock());
    auto* conversion = audio->getVocaform();
    if (conversion == nullptr)
        return;
    const auto& parameters = conversion->getParameters();
    if (auto* parameter =
            dynamic_cast<juce::RangedAudioParameter*>(parameters[VocaformProcessor::gvCoefficientIndex]))
        parameter->setValue(juce::jlimit(0.0f, 1.0f, parameter->convertTo0to1(coefficient)));
}

} // namespace tessel
