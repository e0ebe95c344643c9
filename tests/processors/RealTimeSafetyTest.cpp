#include "audio/AudioRecorderProcessor.h"
#include "harness/OfflineProcessorRunner.h"
#include "processors/DuckingProcessor.h"
#include "processors/GainProcessor.h"
#include "processors/LevelMeterProcessor.h"
#include "processors/MixerProcessor.h"
#include "processors/MonoToStereoProcessor.h"
#include "processors/MuteProcessor.h"
#include "processors/NoiseGateProcessor.h"
#include "processors/ReverbProcessor.h"
#include "support/AllocationCounter.h"
#include "support/JuceTestEnvironment.h"

#include <functional>
#include <memory>

using testing_harness::OfflineProcessorRunner;

namespace
{
struct Case
{
    const char* name;
    std::function<std::unique_ptr<juce::AudioProcessor>()> create;
    int inputs;
    int outputs;
    std::function<void(juce::AudioProcessor&)> configure;
    /** Changes a parameter right before counting, so that the change is handled while counted. */
    std::function<void(juce::AudioProcessor&)> touch = nullptr;
};

void setNormalised(juce::AudioProcessor& processor, int index, float value)
{
    processor.getParameters()[index]->setValue(value);
}
} // namespace

TEST(RealTimeSafety, NoStageAllocatesWhileProcessing)
{
    if (!testing_support::AllocationCounter::available())
        GTEST_SKIP() << "allocation counting is not available in this build";

    const auto recording = juce::File::createTempFile(".wav");
    const std::vector<Case> cases = {
        {"gain +6 dB", [] { return std::make_unique<GainProcessor>(); }, 1, 1,
         [](auto& p) { setNormalised(p, 0, 0.75f); }},
        {"mute on", [] { return std::make_unique<MuteProcessor>(); }, 2, 2,
         [](auto& p) { setNormalised(p, 0, 1.0f); }},
        {"mono to stereo", [] { return std::make_unique<MonoToStereoProcessor>(); }, 1, 2, nullptr},
        {"mixer", [] { return std::make_unique<MixerProcessor>(); }, 4, 2,
         [](auto& p) { setNormalised(p, 1, 0.5f); }},
        {"ducking strong then weak", [] { return std::make_unique<DuckingProcessor>(); }, 3, 2,
         [](auto& p) { setNormalised(p, 0, 1.0f); }, [](auto& p) { setNormalised(p, 0, 0.5f); }},
        {"noise gate with a new level", [] { return std::make_unique<tessel::NoiseGateProcessor>(); }, 1, 1,
         nullptr, [](auto& p) { setNormalised(p, 0, 0.37f); }},
        {"reverb", [] { return std::make_unique<ReverbProcessor>(); }, 2, 2, nullptr},
        {"input meter", [] { return std::make_unique<tessel::LevelMeterProcessor>(); }, 1, 1, nullptr},
        {"recorder", [] { return std::make_unique<AudioRecorderProcessor>(); }, 2, 0,
         [&](auto& p) { ASSERT_TRUE(dynamic_cast<AudioRecorderProcessor&>(p).startRecording(recording)); }},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        auto processor = c.create();
        OfflineProcessorRunner runner(*processor, c.inputs, c.outputs);
        runner.prepare(48000.0, 480);
        if (c.configure)
            c.configure(*processor);

        auto signal = testing_harness::makeSine(runner.getNumChannels(), 48000, 48000.0, 220.0, 0.5f);
        runner.process(signal); // warm-up

        // Full blocks, shorter blocks and one longer than prepared.
        auto again = testing_harness::makeSine(runner.getNumChannels(), 48000, 48000.0, 220.0, 0.5f);
        const std::vector<int> blockSizes = {480, 480, 100, 480, 37, 960};
        if (c.touch)
            c.touch(*processor);
        testing_support::AllocationCounter counter;
        runner.process(again, blockSizes);
        EXPECT_EQ(counter.allocations(), 0);
    }
    recording.deleteFile();
}
