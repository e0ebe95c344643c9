// The model-rate adapter between the device's rate and the facade's: samples per block, exact
// pass-through at equal rates, the delay it reports against a measured one, and blocks that are
// tiny or longer than prepared, all without allocating.

#include "processors/ModelRateAdapter.h"

#include "engine/Vocaform.h"
#include "models/SpeechFile.h"
#include "models/TestPackage.h"
#include "package/Pupack.h"
#include "support/AllocationCounter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace
{
using testing::internal::CaptureStderr;
using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStderr;
using testing::internal::GetCapturedStdout;

/** A facade at the model rate with a zero difference mapping (a pure delay), gate and limiter
    off; or, without a package, one that leaves every sample as it is. */
struct DelayFacade
{
    explicit DelayFacade(double modelRate, bool withModel = true)
    {
        if (withModel)
        {
            test_models::TestPackageOptions options;
            options.rates = {modelRate};
            options.zeroDifference = true;
            const auto bytes = test_models::testPackageBytes(options);
            package = std::make_unique<Pupack>(bytes.data(), bytes.size());
            facade.setPupack(package.get());
        }
        facade.setSampleRate(modelRate);
        facade.setParameter(Vocaform::ParamNoiseGateEnabled, false);
        facade.setParameter(Vocaform::ParamLimiterEnabled, false);
        CaptureStdout();
        CaptureStderr();
        code = facade.prepare();
        GetCapturedStderr();
        GetCapturedStdout();
    }

    std::unique_ptr<Pupack> package;
    Vocaform facade;
    ResultCode code = -1;
};

std::vector<float> run(tessel::ModelRateAdapter& adapter, Vocaform& facade, std::vector<float> samples,
                       int block)
{
    for (std::size_t at = 0; at < samples.size(); at += static_cast<std::size_t>(block))
        adapter.process(samples.data() + at,
                        static_cast<int>(std::min<std::size_t>(block, samples.size() - at)), facade);
    return samples;
}

/** Speech (-1..1) at the rate, repeated to at least `seconds`. */
std::vector<float> speechAt(double rate, double seconds)
{
    const auto speech =
        test_models::readSpeech(std::string(TAVILO_TEST_DATA_DIR) + "/speech/vcc2016_TF1_100001.wav");
    const auto resampled = test_models::resampleLinear(speech.samples, speech.sampleRate, rate);
    std::vector<float> samples;
    while (static_cast<double>(samples.size()) < seconds * rate)
        for (const double s : resampled)
            samples.push_back(static_cast<float>(s / 32768.0));
    return samples;
}

/** Delay of b against a in samples, to a fraction of a sample: the cross-correlation peak within
    from..to, refined by a parabola through its neighbours. */
double measuredDelay(const std::vector<float>& a, const std::vector<float>& b, int from, int to,
                     std::size_t skip)
{
    std::vector<double> scores;
    for (int lag = from; lag <= to; ++lag)
    {
        double sum = 0.0;
        for (std::size_t i = skip; i < b.size(); ++i)
            if (i >= static_cast<std::size_t>(lag))
                sum += static_cast<double>(a[i - static_cast<std::size_t>(lag)]) * b[i];
        scores.push_back(sum);
    }
    std::size_t best = 1;
    for (std::size_t i = 1; i + 1 < scores.size(); ++i)
        if (scores[i] > scores[best])
            best = i;
    const double left = scores[best - 1], centre = scores[best], right = scores[best + 1];
    const double offset = 0.5 * (left - right) / (left - 2.0 * centre + right);
    return from + static_cast<double>(best) + offset;
}

} // namespace

TEST(ModelRateAdapter, ModelSamplesPerBlockAreTruncated)
{
    struct Case
    {
        double deviceRate;
        double modelRate;
        int block;
        int modelSamples;
    };
    for (const Case c : {Case{48000.0, 44100.0, 480, 441},
                         {44100.0, 16000.0, 512, 185},
                         {44100.0, 44100.0, 512, 512},
                         {16000.0, 44100.0, 160, 441},
                         {48000.0, 16000.0, 256, 85},
                         {44100.0, 16000.0, 2, 0}})
    {
        SCOPED_TRACE(testing::Message() << c.deviceRate << " -> " << c.modelRate << ", " << c.block);
        tessel::ModelRateAdapter adapter;
        adapter.prepare(c.deviceRate, c.modelRate, c.block);
        EXPECT_EQ(adapter.modelSamplesFor(c.block), c.modelSamples);
    }

    tessel::ModelRateAdapter unprepared;
    unprepared.prepare(0.0, 44100.0, 512);
    EXPECT_FALSE(unprepared.isPrepared());
    EXPECT_EQ(unprepared.modelSamplesFor(512), 0);
    DelayFacade facade(44100.0);
    std::vector<float> samples(512, 0.25f);
    unprepared.process(samples.data(), 512, facade.facade);
    EXPECT_EQ(samples, std::vector<float>(512, 0.25f));
}

// At equal rates both interpolators copy, two samples late each: a facade that leaves the samples
// as they are gives the input back exactly, four samples late.
TEST(ModelRateAdapter, EqualRatesPassTheSamplesThroughExactly)
{
    for (const double rate : {16000.0, 44100.0})
    {
        SCOPED_TRACE(rate);
        DelayFacade untouched(rate, false);
        ASSERT_EQ(untouched.code, 0);
        tessel::ModelRateAdapter adapter;
        adapter.prepare(rate, rate, 256);
        std::mt19937 random(3);
        std::uniform_real_distribution<float> uniform(-1.0f, 1.0f);
        std::vector<float> input(20000);
        for (float& s : input)
            s = uniform(random);
        const auto output = run(adapter, untouched.facade, input, 256);
        EXPECT_EQ(adapter.latencySamples(0, 256), 4.0);
        for (std::size_t n = 0; n < output.size(); ++n)
            ASSERT_EQ(output[n], n >= 4 ? input[n - 4] : 0.0f) << "sample " << n;
    }
}

// The reported delay, facade included, against the cross-correlation of speech through a facade
// that is a pure delay, for device and model rates the application meets, and block sizes whose
// ratio is whole, fractional, below and above 1.
TEST(ModelRateAdapter, ReportedDelayMatchesTheMeasuredOne)
{
    struct Case
    {
        double deviceRate;
        double modelRate;
        int block;
    };
    for (const Case c : {Case{44100.0, 16000.0, 512},
                         {48000.0, 44100.0, 480},
                         {48000.0, 16000.0, 256},
                         {16000.0, 44100.0, 160},
                         {32000.0, 16000.0, 512},
                         {96000.0, 44100.0, 1024},
                         {22050.0, 16000.0, 128},
                         {44100.0, 44100.0, 333}})
    {
        SCOPED_TRACE(testing::Message()
                     << c.deviceRate << " Hz device, " << c.modelRate << " Hz model, blocks of " << c.block);
        DelayFacade delay(c.modelRate);
        ASSERT_EQ(delay.code, 0);
        tessel::ModelRateAdapter adapter;
        adapter.prepare(c.deviceRate, c.modelRate, c.block);
        const auto input = speechAt(c.deviceRate, 3.0);
        const auto output = run(adapter, delay.facade, input, c.block);

        const double reported = adapter.latencySamples(delay.facade.latencySamples(), c.block);
        // Past the facade's silent start (26 blocks of 5 ms).
        const auto skip = static_cast<std::size_t>(0.2 * c.deviceRate);
        const auto centre = static_cast<int>(std::lround(reported));
        EXPECT_NEAR(measuredDelay(input, output, centre - 20, centre + 20, skip), reported, 0.25);
    }
}

TEST(ModelRateAdapter, BlocksOfAnyLengthAllocateNothing)
{
    DelayFacade delay(16000.0);
    ASSERT_EQ(delay.code, 0);
    tessel::ModelRateAdapter adapter;
    adapter.prepare(44100.0, 16000.0, 512);
    auto input = speechAt(44100.0, 2.0);
    run(adapter, delay.facade, std::vector<float>(input.begin(), input.begin() + 20000), 512);

    // A block too short for one model sample comes back silent, at once.
    std::vector<float> tiny = {0.5f, -0.5f};
    adapter.process(tiny.data(), 2, delay.facade);
    EXPECT_EQ(tiny, std::vector<float>(2, 0.0f));

    if (!testing_support::AllocationCounter::available())
        GTEST_SKIP() << "allocation counting is not available in this build";
    std::int64_t allocations = 0;
    {
        testing_support::AllocationCounter counter;
        std::size_t at = 20000;
        for (const int n : {512, 512, 100, 1, 2, 3, 2000, 512, 37, 512})
        {
            adapter.process(input.data() + at, n, delay.facade);
            at += static_cast<std::size_t>(n);
        }
        allocations = counter.allocations();
    }
    EXPECT_EQ(allocations, 0);
}
