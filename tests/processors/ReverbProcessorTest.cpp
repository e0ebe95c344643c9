#include "processors/ReverbProcessor.h"
#include "harness/OfflineProcessorRunner.h"
#include "support/JuceTestEnvironment.h"

using testing_harness::OfflineProcessorRunner;

namespace
{
float valueOf(ReverbProcessor& reverb, int index)
{
    return reverb.getParameters()[index]->getValue();
}

enum
{
    dry = 0,
    wet = 1,
    room = 2,
    damping = 3,
    width = 4,
    freeze = 5
};
} // namespace

TEST(ReverbProcessor, OffersSixProgramsByPosition)
{
    ReverbProcessor reverb;
    EXPECT_EQ(reverb.getNumPrograms(), 6);
    const char* names[] = {"ROOM S", "ROOM M", "HALL S", "HALL M", "HALL L", "PLATE"};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(reverb.getProgramName(i), names[i]);
    EXPECT_EQ(reverb.getProgramName(6), "");
    EXPECT_EQ(reverb.getProgramName(-1), "");
    EXPECT_EQ(reverb.getCurrentProgram(), 0);
}

TEST(ReverbProcessor, ProgramsSetRoomDampingAndWidthOnly)
{
    const struct
    {
        int program;
        float room, damping, width;
    } cases[] = {{1, 0.6f, 0.1f, 0.8f},
                 {2, 0.7f, 0.3f, 0.8f},
                 {3, 0.8f, 0.3f, 1.0f},
                 {4, 0.95f, 0.3f, 1.0f},
                 {5, 0.8f, 0.0f, 1.0f}};

    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.program);
        ReverbProcessor reverb;
        reverb.getParameters()[wet]->setValue(0.7f);
        reverb.setCurrentProgram(c.program);
        EXPECT_EQ(reverb.getCurrentProgram(), c.program);
        EXPECT_FLOAT_EQ(valueOf(reverb, room), c.room);
        EXPECT_FLOAT_EQ(valueOf(reverb, damping), c.damping);
        EXPECT_FLOAT_EQ(valueOf(reverb, width), c.width);
        EXPECT_FLOAT_EQ(valueOf(reverb, wet), 0.7f);
        EXPECT_FLOAT_EQ(valueOf(reverb, dry), 1.0f);
        EXPECT_FLOAT_EQ(valueOf(reverb, freeze), 0.0f);
    }

    // Program 0 is "ROOM S" (0.4, 0.1, 0.5), reached from another program.
    ReverbProcessor reverb;
    reverb.setCurrentProgram(3);
    reverb.setCurrentProgram(0);
    EXPECT_FLOAT_EQ(valueOf(reverb, room), 0.4f);
    EXPECT_FLOAT_EQ(valueOf(reverb, damping), 0.1f);
    EXPECT_FLOAT_EQ(valueOf(reverb, width), 0.5f);
}

TEST(ReverbProcessor, SelectingTheCurrentOrAMissingProgramChangesNoParameter)
{
    ReverbProcessor reverb;
    reverb.setCurrentProgram(0); // already current: the defaults stay
    EXPECT_FLOAT_EQ(valueOf(reverb, room), 0.5f);
    EXPECT_FLOAT_EQ(valueOf(reverb, damping), 0.3f);
    EXPECT_FLOAT_EQ(valueOf(reverb, width), 0.3f);

    reverb.setCurrentProgram(9);
    EXPECT_EQ(reverb.getCurrentProgram(), 9);
    EXPECT_FLOAT_EQ(valueOf(reverb, room), 0.5f);
    reverb.setCurrentProgram(-1);
    EXPECT_EQ(reverb.getCurrentProgram(), -1);
    EXPECT_FLOAT_EQ(valueOf(reverb, width), 0.3f);
}

TEST(ReverbProcessor, ProcessesStereoAndMonoAndPassesOtherChannelCounts)
{
    // An impulse: with a wet level the reverb leaves a tail long after it.
    juce::AudioBuffer<float> impulse(4, 8192);
    impulse.clear();
    for (int c = 0; c < 4; ++c)
        impulse.setSample(c, 0, 1.0f);

    for (const int channels : {1, 2, 4})
    {
        SCOPED_TRACE(channels);
        ReverbProcessor reverb;
        OfflineProcessorRunner runner(reverb, channels, channels);
        runner.prepare(44100.0, 512);
        auto output = impulse;
        runner.process(output);
        const float tail = output.getMagnitude(0, 4000, 4000);
        if (channels == 4)
        {
            for (int c = 0; c < 4; ++c)
                EXPECT_EQ(output.getMagnitude(c, 1, 8191), 0.0f);
            EXPECT_EQ(output.getSample(0, 0), 1.0f);
        }
        else
        {
            EXPECT_GT(tail, 1e-4f);
            if (channels == 2)
            {
                EXPECT_GT(output.getMagnitude(1, 4000, 4000), 1e-4f);
            }
        }

        // reset() clears the tail: silence in gives silence out.
        reverb.reset();
        juce::AudioBuffer<float> silence(4, 2048);
        silence.clear();
        runner.process(silence);
        EXPECT_EQ(silence.getMagnitude(0, 0, 2048), 0.0f);
    }
}
