#include "processors/VocaformProcessor.h"
#include "harness/OfflineProcessorRunner.h"
#include "models/TestPackage.h"
#include "package/Pupack.h"
#include "support/AllocationCounter.h"
#include "support/JuceTestEnvironment.h"

#include <atomic>
#include <cmath>
#include <cstring>
#include <limits>
#include <thread>

using tessel::VocaformProcessor;
using testing_harness::OfflineProcessorRunner;

namespace
{
std::unique_ptr<Pupack> makePackage(const test_models::TestPackageOptions& options)
{
    const auto bytes = test_models::testPackageBytes(options);
    return std::make_unique<Pupack>(bytes.data(), bytes.size());
}

test_models::TestPackageOptions rates(std::vector<double> list, bool zeroDifference = false)
{
    test_models::TestPackageOptions options;
    options.rates = std::move(list);
    options.zeroDifference = zeroDifference;
    return options;
}

/** A package whose data the engine refuses: a post-filter value that is not finite. */
std::unique_ptr<Pupack> makeRefusedPackage()
{
    auto members = test_models::testPackageMembers(rates({44100.0}));
    auto* postFilter = test_models::findMember(members, "44100.gvpf");
    const double nan = std::numeric_limits<double>::quiet_NaN();
    std::memcpy(postFilter->bytes.data() + 8 * 3, &nan, sizeof nan);
    const auto bytes = test_models::packageBytes(members);
    return std::make_unique<Pupack>(bytes.data(), bytes.size());
}

float parameter(const VocaformProcessor& processor, int index)
{
    return processor.getParameters()[index]->getValue();
}

juce::AudioBuffer<float> sine(int numSamples, double rate, double hz, float amplitude)
{
    return testing_harness::makeSine(1, numSamples, rate, hz, amplitude);
}
} // namespace

TEST(VocaformProcessor, ConversionRateAndLimiterFollowTheModel)
{
    struct Case
    {
        const char* what;
        std::vector<double> modelRates; // empty: no model
        double conversionRate;
        bool limiter;
    };
    const std::vector<Case> cases = {
        {"no model", {}, 44100.0, true},           {"44100 only", {44100.0}, 44100.0, true},
        {"16000 only", {16000.0}, 16000.0, false}, {"16000 and 44100", {16000.0, 44100.0}, 16000.0, false},
        {"48000 only", {48000.0}, 44100.0, true},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        VocaformProcessor processor;
        OfflineProcessorRunner runner(processor, 1, 1);
        runner.prepare(44100.0, 512);
        auto package = c.modelRates.empty() ? nullptr : makePackage(rates(c.modelRates));
        processor.setModel(package.get());
        EXPECT_EQ(processor.getModel(), package.get());
        EXPECT_EQ(processor.getConversionRate(), c.conversionRate);
        EXPECT_EQ(parameter(processor, VocaformProcessor::adaptiveLimiterOnOffIndex),
                  c.limiter ? 1.0f : 0.0f);
    }
}

TEST(VocaformProcessor, SamplesPerBlockAtTheModelRate)
{
    struct Case
    {
        double deviceRate;
        int preparedBlock, block;
        double modelRate;
        int engineSamples;
    };
    const std::vector<Case> cases = {
        {48000.0, 480, 480, 44100.0, 441},
        {44100.0, 512, 512, 16000.0, 185}, // 185.76, truncated
        {44100.0, 512, 512, 44100.0, 512},
        {48000.0, 480, 100, 44100.0, 91}, // a shorter block keeps its own count
        {48000.0, 480, 480, 16000.0, 160},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(testing::Message()
                     << c.deviceRate << " Hz, " << c.block << "-sample blocks, model " << c.modelRate);
        VocaformProcessor processor;
        OfflineProcessorRunner runner(processor, 1, 1);
        runner.prepare(c.deviceRate, c.preparedBlock);
        auto package = makePackage(rates({c.modelRate}));
        processor.setModel(package.get());

        auto signal = sine(c.block * 20, c.deviceRate, 200.0, 0.3f);
        runner.process(signal, {c.block});
        EXPECT_EQ(processor.getLastEngineBlockSamples(), c.engineSamples);
        EXPECT_EQ(VocaformProcessor::conversionSamplesFor(c.block, c.deviceRate, c.modelRate),
                  c.engineSamples);
        for (int i = 0; i < signal.getNumSamples(); ++i)
            ASSERT_TRUE(std::isfinite(signal.getSample(0, i)));
    }
}

TEST(VocaformProcessor, ZeroDifferenceModelGivesTheVoiceBackDelayedByTheEngineLatency)
{
    VocaformProcessor processor;
    OfflineProcessorRunner runner(processor, 1, 1);
    runner.prepare(44100.0, 256);
    auto package = makePackage(rates({44100.0}, true));
    processor.setModel(package.get());
    const auto latency = processor.getEngineLatencySamples();
    EXPECT_EQ(latency, 2141) << "gate, one block, pipeline and limiter at 44100 Hz";

    const auto input = sine(44100, 44100.0, 220.0, 0.3f);
    auto output = input;
    runner.process(output);

    // After the silent start, the output follows the input 2141 samples late, plus two samples
    // for each of the two resampling passes.
    const int delay = static_cast<int>(latency) + 4;
    double error = 0.0, level = 0.0;
    for (int i = 22050; i < 44100; ++i)
    {
        const double expected = input.getSample(0, i - delay);
        error = std::max(error, std::abs(output.getSample(0, i) - expected));
        level = std::max(level, std::abs(static_cast<double>(output.getSample(0, i))));
    }
    EXPECT_NEAR(level, 0.3, 0.03);
    EXPECT_LT(error, 0.01);
    EXPECT_EQ(output.getMagnitude(0, 0, 2000), 0.0f) << "silent while the engine settles";
}

TEST(VocaformProcessor, AModelTheFacadeCannotUseLeavesTheVoiceUnconverted)
{
    struct Case
    {
        const char* what;
        std::function<std::unique_ptr<Pupack>()> make;
    };
    const std::vector<Case> cases = {
        {"data the engine refuses", [] { return makeRefusedPackage(); }},
        {"no delta window",
         []
         {
             auto o = rates({44100.0});
             o.withWindows = false;
             return makePackage(o);
         }},
        {"only a rate the device cannot use", [] { return makePackage(rates({48000.0})); }},
        {"not a package",
         []
         {
             static const char text[] = "not a tar archive";
             return std::make_unique<Pupack>(text, sizeof text);
         }},
        {"no model", [] { return std::unique_ptr<Pupack>(); }},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        VocaformProcessor processor;
        OfflineProcessorRunner runner(processor, 1, 1);
        runner.prepare(44100.0, 512);
        auto package = c.make();
        processor.setModel(package.get());

        const auto input = sine(8192, 44100.0, 300.0, 0.4f);
        auto output = input;
        runner.process(output);
        // At 44100 Hz on a 44100-Hz device both resampling passes give the samples back, each
        // pass two samples late (the interpolator's own latency).
        const int passDelay = 4;
        EXPECT_EQ(output.getMagnitude(0, 0, passDelay), 0.0f);
        for (int i = passDelay; i < output.getNumSamples(); ++i)
            ASSERT_NEAR(output.getSample(0, i), input.getSample(0, i - passDelay), 1e-6f) << "sample " << i;
    }
}

TEST(VocaformProcessor, ConvertingAllocatesNothingAfterWarmUp)
{
    if (!testing_support::AllocationCounter::available())
        GTEST_SKIP() << "allocation counting is not available in this build";

    struct Case
    {
        double deviceRate;
        int block;
        double modelRate;
    };
    for (const auto& c :
         std::vector<Case>{{48000.0, 480, 44100.0}, {44100.0, 512, 16000.0}, {48000.0, 128, 16000.0}})
    {
        SCOPED_TRACE(testing::Message() << c.deviceRate << "/" << c.block << ", model " << c.modelRate);
        VocaformProcessor processor;
        OfflineProcessorRunner runner(processor, 1, 1);
        runner.prepare(c.deviceRate, c.block);
        auto package = makePackage(rates({c.modelRate}));
        processor.setModel(package.get());

        auto warmUp = sine(c.block * 50, c.deviceRate, 180.0, 0.3f);
        runner.process(warmUp);
        auto signal = sine(c.block * 400, c.deviceRate, 180.0, 0.3f);
        // Shorter blocks and a changed coefficient on the way.
        const std::vector<int> blocks = {c.block, c.block / 2, c.block};
        processor.getParameters()[VocaformProcessor::gvCoefficientIndex]->setValue(0.4f);
        testing_support::AllocationCounter counter;
        runner.process(signal, blocks);
        EXPECT_EQ(counter.allocations(), 0);
    }
}

TEST(VocaformProcessor, ModelSwapsWhileBlocksRunNeverGiveGarbage)
{
    // One thread converts blocks as the audio thread does, another swaps models as the message
    // thread does. Every block must be finite and no louder than the voice (the limiter and the
    // zero-difference models keep the level); blocks that meet a swap pass unconverted.
    VocaformProcessor processor;
    OfflineProcessorRunner runner(processor, 1, 1);
    runner.prepare(44100.0, 512);

    std::vector<std::unique_ptr<Pupack>> models;
    models.push_back(makePackage(rates({44100.0}, true)));
    models.push_back(makePackage(rates({16000.0}, true)));
    models.push_back(makeRefusedPackage());
    models.push_back(nullptr);
    processor.setModel(models[0].get());

    std::atomic<bool> done{false};
    std::atomic<int> swaps{0};
    std::thread swapper(
        [&]
        {
            for (int i = 0; i < 12; ++i)
            {
                processor.setModel(models[static_cast<size_t>(i) % models.size()].get());
                ++swaps;
                std::this_thread::sleep_for(std::chrono::milliseconds(15));
            }
            done = true;
        });

    const auto source = sine(512, 44100.0, 344.53125, 0.3f); // whole cycles per block
    int blocks = 0, unconverted = 0;
    float loudest = 0.0f;
    bool finite = true;
    while (!done || blocks < 200)
    {
        auto block = source;
        runner.process(block);
        ++blocks;
        // Unconverted means the voice itself: as it came (a block that met a swap) or as the
        // resampling passes it on without a model, four samples late (whole cycles per block, so
        // the delayed block is the source rotated).
        bool same = true, delayed = true;
        for (int i = 0; i < 512; ++i)
        {
            const float v = block.getSample(0, i);
            finite = finite && std::isfinite(v);
            loudest = std::max(loudest, std::abs(v));
            same = same && v == source.getSample(0, i);
            delayed = delayed && v == source.getSample(0, (i + 512 - 4) % 512);
        }
        unconverted += (same || delayed) ? 1 : 0;
    }
    swapper.join();
    EXPECT_EQ(swaps, 12);
    EXPECT_TRUE(finite);
    EXPECT_LT(loudest, 0.36f);
    EXPECT_GT(unconverted, 0) << "the refused model and no model pass the voice through";
}
