#include "tests/ui/TestChain.h"

#include "processors/DuckingProcessor.h"
#include "processors/GainProcessor.h"
#include "processors/LevelMeterProcessor.h"
#include "processors/MixerProcessor.h"
#include "processors/MuteProcessor.h"
#include "processors/NoiseGateProcessor.h"
#include "processors/ReverbProcessor.h"

namespace tessel::test
{
struct TestChain::Runner
{
    Runner(const NodePtr& n, int inputs, int outputs) : node(n), runner(*n->getProcessor(), inputs, outputs)
    {
        runner.prepare(44100.0, 512);
    }

    NodePtr node;
    testing_harness::OfflineProcessorRunner runner;
};

TestChain::TestChain()
{
    auto add = [this](std::unique_ptr<juce::AudioProcessor> processor, int inputs, int outputs)
    {
        auto node = graph.addNode(std::move(processor));
        runners.push_back(std::make_unique<Runner>(node, inputs, outputs));
        return node;
    };

    inputMeterNode = add(std::make_unique<LevelMeterProcessor>(), 1, 1);
    voiceMuteNode = add(std::make_unique<MuteProcessor>(), 1, 1);
    reverbNode = add(std::make_unique<ReverbProcessor>(), 2, 2);
    noiseGateNode = add(std::make_unique<NoiseGateProcessor>(), 1, 1);
    gainNode = add(std::make_unique<GainProcessor>(), 1, 1);
    duckingNode = add(std::make_unique<DuckingProcessor>(), 3, 2);
    bgmMuteNode = add(std::make_unique<MuteProcessor>(), 2, 2);
    mixerNode = add(std::make_unique<MixerProcessor>(), 4, 2);
    outputMeterNode = add(std::make_unique<LevelMeterProcessor>(), 2, 0);
}

TestChain::~TestChain() = default;

void TestChain::feed(const NodePtr& node, juce::AudioBuffer<float>& signal)
{
    for (auto& r : runners)
        if (r->node == node)
        {
            r->runner.process(signal);
            return;
        }
}

juce::AudioBuffer<float> constantSignal(int numChannels, int numSamples, float value)
{
    juce::AudioBuffer<float> buffer(numChannels, numSamples);

    for (int c = 0; c < numChannels; ++c)
        juce::FloatVectorOperations::fill(buffer.getWritePointer(c), value, numSamples);

    return buffer;
}
} // namespace tessel::test
