#include "audio/AudioRecorderProcessor.h"
#include "processors/DuckingProcessor.h"
#include "processors/GainProcessor.h"
#include "processors/LevelMeterProcessor.h"
#include "processors/MixerProcessor.h"
#include "processors/MonoToStereoProcessor.h"
#include "processors/MuteProcessor.h"
#include "processors/NoiseGateProcessor.h"
#include "processors/ReverbProcessor.h"
#include "support/JuceTestEnvironment.h"

#include <functional>
#include <memory>

namespace
{
struct Stage
{
    const char* name;
    std::function<std::unique_ptr<ProcessorBase>()> create;
    int inputs;
    int outputs;
    int programs;
};

template <typename Processor> std::unique_ptr<ProcessorBase> make()
{
    return std::make_unique<Processor>();
}

const std::vector<Stage>& stages()
{
    static const std::vector<Stage> table = {
        {"Gain", make<GainProcessor>, 1, 1, 0},
        {"Mute", make<MuteProcessor>, 2, 2, 0},
        {"MonoToStereo", make<MonoToStereoProcessor>, 1, 2, 0},
        {"Mixer", make<MixerProcessor>, 4, 2, 0},
        {"Ducking", make<DuckingProcessor>, 3, 2, 0},
        {"NoiseGate", make<tessel::NoiseGateProcessor>, 1, 1, 0},
        {"Reverb", make<ReverbProcessor>, 2, 2, 6},
        {"LevelMeter", make<tessel::LevelMeterProcessor>, 2, 0, 0},
        {"AudioRecorder", make<AudioRecorderProcessor>, 2, 0, 0},
    };
    return table;
}
} // namespace

TEST(ProcessorFramework, EveryStageReportsNoEditorMidiTailOrStateAndAcceptsItsChannelCounts)
{
    for (const auto& stage : stages())
    {
        SCOPED_TRACE(stage.name);
        auto processor = stage.create();
        EXPECT_EQ(processor->getName(), stage.name);
        EXPECT_FALSE(processor->hasEditor());
        EXPECT_EQ(processor->createEditor(), nullptr);
        EXPECT_FALSE(processor->acceptsMidi());
        EXPECT_FALSE(processor->producesMidi());
        EXPECT_EQ(processor->getTailLengthSeconds(), 0.0);
        EXPECT_EQ(processor->getNumPrograms(), stage.programs);
        EXPECT_FALSE(processor->supportsDoublePrecisionProcessing());

        processor->enableAllBuses();
        processor->setPlayConfigDetails(stage.inputs, stage.outputs, 44100.0, 512);
        EXPECT_EQ(processor->getTotalNumInputChannels(), stage.inputs);
        EXPECT_EQ(processor->getTotalNumOutputChannels(), stage.outputs);

        // State goes through the audio service's settings, never through JUCE's state calls.
        juce::MemoryBlock state;
        processor->getStateInformation(state);
        EXPECT_EQ(state.getSize(), 0u);
        const auto& parameters = processor->getParameters();
        std::vector<float> before;
        for (auto* parameter : parameters)
        {
            parameter->setValue(0.25f);
            before.push_back(parameter->getValue());
        }
        const char junk[] = "<PROCESSOR a=\"1\"/>";
        processor->setStateInformation(junk, static_cast<int>(sizeof(junk)));
        for (int i = 0; i < parameters.size(); ++i)
            EXPECT_EQ(parameters[i]->getValue(), before[static_cast<size_t>(i)]);

        juce::AudioBuffer<double> doubles(2, 16);
        for (int i = 0; i < 16; ++i)
            doubles.setSample(0, i, 0.5), doubles.setSample(1, i, -0.5);
        juce::MidiBuffer midi;
        processor->processBlock(doubles, midi);
        EXPECT_EQ(doubles.getSample(0, 7), 0.5);
        EXPECT_EQ(doubles.getSample(1, 15), -0.5);
    }
}

namespace
{
struct ParameterRow
{
    const char* stage;
    std::function<std::unique_ptr<ProcessorBase>()> create;
    int index;
    const char* id;
    const char* name;
    float minimum;
    float maximum;
    float defaultValue;
    juce::StringArray choices;
};
} // namespace

TEST(ProcessorFramework, ParametersHaveTheirIndexIdNameRangeAndDefault)
{
    const std::vector<ParameterRow> rows = {
        {"Mute", make<MuteProcessor>, 0, "Enable", "Mute Enable", 0, 1, 0, {}},
        {"Reverb", make<ReverbProcessor>, 0, "REVERB_DRY_LEVEL", "Dry Level", 0, 1, 1, {}},
        {"Reverb", make<ReverbProcessor>, 1, "REVERB_WET_LEVEL", "Wet Level", 0, 1, 0.3f, {}},
        {"Reverb", make<ReverbProcessor>, 2, "REVERB_ROOM_SIZE", "Room Size", 0, 1, 0.5f, {}},
        {"Reverb", make<ReverbProcessor>, 3, "REVERB_DAMPING", "Damping", 0, 1, 0.3f, {}},
        {"Reverb", make<ReverbProcessor>, 4, "REVERB_WIDTH", "Width", 0, 1, 0.3f, {}},
        {"Reverb", make<ReverbProcessor>, 5, "REVERB_FREEZE_MODE", "Freeze Mode", 0, 1, 0, {}},
        {"NoiseGate",
         make<tessel::NoiseGateProcessor>,
         0,
         "TriggerLevel",
         "Noise Gate Trigger Level",
         0,
         1,
         0.5f,
         {}},
        {"Gain", make<GainProcessor>, 0, "Offset Decibel", "Offset Decibel", -12, 12, 0, {}},
        {"Ducking",
         make<DuckingProcessor>,
         0,
         "Ducking Level",
         "Ducking Level",
         0,
         2,
         0,
         {"OFF", "WEAK", "STRONG"}},
        {"Mixer", make<MixerProcessor>, 0, "Channel A Gain", "Channel A Gain", 0, 1, 1, {}},
        {"Mixer", make<MixerProcessor>, 1, "Channel B Gain", "Channel B Gain", 0, 1, 1, {}},
        {"Mixer", make<MixerProcessor>, 2, "Output Gain", "Output Gain", 0, 1, 1, {}},
    };

    for (const auto& row : rows)
    {
        SCOPED_TRACE(juce::String(row.stage) + " " + row.id);
        auto processor = row.create();
        const auto& parameters = processor->getParameters();
        ASSERT_LT(row.index, parameters.size());
        auto* parameter = dynamic_cast<juce::RangedAudioParameter*>(parameters[row.index]);
        ASSERT_NE(parameter, nullptr);
        EXPECT_EQ(parameter->paramID, row.id);
        EXPECT_EQ(parameter->getName(100), row.name);
        const auto& range = parameter->getNormalisableRange();
        EXPECT_FLOAT_EQ(range.start, row.minimum);
        EXPECT_FLOAT_EQ(range.end, row.maximum);
        EXPECT_FLOAT_EQ(parameter->convertFrom0to1(parameter->getDefaultValue()), row.defaultValue);
        EXPECT_FLOAT_EQ(parameter->convertFrom0to1(parameter->getValue()), row.defaultValue);
        if (!row.choices.isEmpty())
        {
            auto* choice = dynamic_cast<juce::AudioParameterChoice*>(parameter);
            ASSERT_NE(choice, nullptr);
            EXPECT_EQ(choice->choices, row.choices);
        }
    }

    // Stages without parameters.
    EXPECT_TRUE(MonoToStereoProcessor().getParameters().isEmpty());
    EXPECT_TRUE(tessel::LevelMeterProcessor().getParameters().isEmpty());
    EXPECT_TRUE(AudioRecorderProcessor().getParameters().isEmpty());
    EXPECT_EQ(MixerProcessor().getParameters().size(), 3);
    EXPECT_EQ(ReverbProcessor().getParameters().size(), 6);
}
