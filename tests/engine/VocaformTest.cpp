// The facade: result codes, parameters, block buffering, the order of its stages, its silence at
// start, its delay, and that it allocates nothing while processing.

#include "engine/Vocaform.h"

#include "EngineFixtures.h"
#include "engine/AdaptiveLimiter.h"
#include "engine/Delay.h"
#include "engine/NoiseGate.h"
#include "engine/PitchShifter.h"
#include "models/TestPackage.h"
#include "package/Pupack.h"
#include "support/AllocationCounter.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <numbers>
#include <string>
#include <thread>
#include <vector>

namespace
{
using test_models::TestPackageOptions;
using testing::internal::CaptureStderr;
using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStderr;
using testing::internal::GetCapturedStdout;
using Members = std::vector<zo::PackageWriter::Member>;

std::unique_ptr<Pupack> openPackage(const Members& members)
{
    const auto bytes = test_models::packageBytes(members);
    return std::make_unique<Pupack>(bytes.data(), bytes.size());
}

std::unique_ptr<Pupack> openPackage(const TestPackageOptions& options = {})
{
    return openPackage(test_models::testPackageMembers(options));
}

/** The facade's switches for a test. */
struct Switches
{
    bool gate = true;
    bool limiter = true;
};

/** A prepared facade at the rate; the engine's chatter is swallowed. Expects prepare to give 0. */
std::unique_ptr<Vocaform> preparedFacade(Pupack& package, double rate, Switches switches = {})
{
    auto facade = std::make_unique<Vocaform>();
    EXPECT_EQ(facade->setPupack(&package), 0);
    EXPECT_EQ(facade->setSampleRate(rate), 0);
    EXPECT_EQ(facade->setParameter(Vocaform::ParamNoiseGateEnabled, switches.gate), 0);
    EXPECT_EQ(facade->setParameter(Vocaform::ParamLimiterEnabled, switches.limiter), 0);
    CaptureStdout();
    CaptureStderr();
    const ResultCode code = facade->prepare();
    GetCapturedStderr();
    GetCapturedStdout();
    EXPECT_EQ(code, 0);
    return facade;
}

/** Runs the input through the facade in calls of `chunk` samples. */
std::vector<double> run(Vocaform& facade, std::vector<double> samples, std::size_t chunk)
{
    CaptureStdout(); // the limiter's statistics lines
    for (std::size_t at = 0; at < samples.size(); at += chunk)
    {
        const auto n = static_cast<std::int32_t>(std::min(chunk, samples.size() - at));
        EXPECT_EQ(facade.process(samples.data() + at, n), 0);
    }
    GetCapturedStdout();
    return samples;
}

/** Speech in -1..1 at the rate. */
std::vector<double> speech(double rate, const char* file = "vcc2016_SM1_100001.wav")
{
    auto samples = engine_fixtures::speechAt(rate, file);
    for (double& s : samples)
        s /= 32768.0;
    return samples;
}

/** The lag (minLag..maxLag) at which b best matches a, by normalised cross-correlation. */
std::int64_t bestLag(const std::vector<double>& a, const std::vector<double>& b, std::int64_t minLag,
                     std::int64_t maxLag)
{
    std::int64_t best = -1;
    double bestScore = -2.0;
    for (std::int64_t lag = minLag; lag <= maxLag; ++lag)
    {
        double ab = 0.0, aa = 0.0, bb = 0.0;
        for (std::size_t i = static_cast<std::size_t>(lag); i < b.size() && i - lag < a.size(); ++i)
        {
            ab += a[i - lag] * b[i];
            aa += a[i - lag] * a[i - lag];
            bb += b[i] * b[i];
        }
        const double score = aa > 0.0 && bb > 0.0 ? ab / std::sqrt(aa * bb) : 0.0;
        if (score > bestScore)
        {
            bestScore = score;
            best = lag;
        }
    }
    return best;
}

} // namespace

TEST(Vocaform, RatesAndParameters)
{
    Vocaform facade;
    EXPECT_STREQ(Vocaform::version(), "2.1.0");
    EXPECT_EQ(facade.sampleRate(), 44100.0);
    EXPECT_EQ(facade.setSampleRate(22050.0), 1);
    EXPECT_EQ(facade.sampleRate(), 44100.0);
    EXPECT_EQ(facade.setSampleRate(16000.0), 0);
    EXPECT_EQ(facade.setSampleRate(48000.0), 0);
    EXPECT_EQ(facade.setSampleRate(44100.5), 1);
    EXPECT_EQ(facade.sampleRate(), 48000.0);

    double value = -1.0;
    bool flag = false;
    EXPECT_EQ(facade.getParameter(Vocaform::ParamGvCoefficient, value), 0);
    EXPECT_EQ(value, 1.0);
    EXPECT_EQ(facade.getParameter(Vocaform::ParamNoiseGateTrigger, value), 0);
    EXPECT_EQ(value, 0.005);
    EXPECT_EQ(facade.getParameter(Vocaform::ParamNoiseGateEnabled, flag), 0);
    EXPECT_TRUE(flag);
    EXPECT_EQ(facade.getParameter(Vocaform::ParamLimiterEnabled, flag), 0);
    EXPECT_TRUE(flag);

    struct DoubleCase
    {
        std::int32_t id;
        double set;
        ResultCode code;
        double stored;
    };
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double infinity = std::numeric_limits<double>::infinity();
    for (const DoubleCase c : {DoubleCase{0, 1.5, 0, 1.0},
                               {0, -0.2, 0, 0.0},
                               {0, 0.25, 0, 0.25},
                               {0, nan, 1, 0.25},
                               {0, infinity, 1, 0.25},
                               {2, 1.7, 0, 1.7},
                               {2, -3.0, 0, -3.0},
                               {2, nan, 1, -3.0}})
    {
        SCOPED_TRACE(testing::Message() << "id " << c.id << " = " << c.set);
        EXPECT_EQ(facade.setParameter(c.id, c.set), c.code);
        EXPECT_EQ(facade.getParameter(c.id, value), 0);
        EXPECT_EQ(value, c.stored);
    }

    // Ids of the other type, and ids that do not exist.
    for (const std::int32_t id : {1, 3, 4, -1})
    {
        EXPECT_EQ(facade.getParameter(id, value), 4) << id;
        EXPECT_EQ(facade.setParameter(id, 0.5), 4) << id;
    }
    for (const std::int32_t id : {0, 2, 4, -1})
    {
        EXPECT_EQ(facade.getParameter(id, flag), 4) << id;
        EXPECT_EQ(facade.setParameter(id, true), 4) << id;
    }
    EXPECT_EQ(facade.setParameter(Vocaform::ParamLimiterEnabled, false), 0);
    EXPECT_EQ(facade.getParameter(Vocaform::ParamLimiterEnabled, flag), 0);
    EXPECT_FALSE(flag);
}

// Whatever prevents conversion, the facade reports it and leaves the audio as it came: the voice
// is heard unconverted and the process goes on.
TEST(Vocaform, PrepareResultsAndUntouchedAudioAfterFailure)
{
    const auto corruptMember = [](const char* name, auto edit)
    {
        Members members = test_models::testPackageMembers();
        edit(test_models::findMember(members, name)->bytes);
        return members;
    };
    const auto nonFinite = [](std::size_t index)
    {
        return [index](std::vector<std::uint8_t>& bytes)
        {
            const double value = std::numeric_limits<double>::infinity();
            std::memcpy(bytes.data() + index * sizeof(double), &value, sizeof value);
        };
    };
    const auto nanAt = [](std::size_t index)
    {
        return [index](std::vector<std::uint8_t>& bytes)
        {
            const double value = std::numeric_limits<double>::quiet_NaN();
            std::memcpy(bytes.data() + index * sizeof(double), &value, sizeof value);
        };
    };
    const auto withoutMember = [](const char* name)
    {
        Members members = test_models::testPackageMembers();
        test_models::removeMember(members, name);
        return members;
    };
    const auto withDescription = [](const std::string& json)
    {
        Members members = test_models::testPackageMembers();
        test_models::findMember(members, "model.json")->bytes.assign(json.begin(), json.end());
        return members;
    };
    TestPackageOptions only16000;
    only16000.rates = {16000.0};

    struct Case
    {
        const char* what;
        Members members;
        ResultCode expected;
    };
    const Case cases[] = {
        {"no dyn.win", withoutMember("dyn.win"), 7},
        {"no 44100.gvpf: the rate is not offered", withoutMember("44100.gvpf"), 1},
        {"a 16000-Hz model", test_models::testPackageMembers(only16000), 1},
        {"no model.json", withoutMember("model.json"), 10},
        {"description not JSON", withDescription("{ not json"), 10},
        {"class GMM cut short", corruptMember("44100.gmm", [](auto& b) { b.resize(b.size() - 8); }), 3},
        {"diff GMM with fewer classes",
         corruptMember("44100.diffgmm", [](auto& b) { b.resize(b.size() / 2); }), 3},
        {"infinite GMM weight", corruptMember("44100.gmm", nonFinite(0)), 3},
        {"NaN in the intra GMM", corruptMember("44100.intragmm", nanAt(100)), 3},
        {"NaN in the post-filter", corruptMember("44100.gvpf", nanAt(3)), 3},
        {"infinite delta window", corruptMember("dyn.win", nonFinite(1)), 3},
        {"delta window too long for the engine",
         corruptMember("dyn.win", [](auto& b) { b.resize(8 * 40, 0); }), 3},
        {"empty post-filter", corruptMember("44100.gvpf", [](auto& b) { b.clear(); }), 3},
    };

    const auto input = speech(44100.0);
    const std::vector<double> piece(input.begin() + 20000, input.begin() + 20000 + 40 * 221);
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        auto package = openPackage(c.members);
        Vocaform facade;
        facade.setPupack(package.get());
        CaptureStdout();
        CaptureStderr();
        const ResultCode code = facade.prepare();
        GetCapturedStderr();
        GetCapturedStdout();
        EXPECT_EQ(code, c.expected);
        EXPECT_FALSE(facade.isReady());
        EXPECT_EQ(facade.latencySamples(), 0);
        EXPECT_EQ(run(facade, piece, 221), piece);
    }

    // A package that is not an archive at all gives the package's own code.
    const std::vector<std::uint8_t> garbage(3000, 0x41);
    Pupack broken(garbage.data(), garbage.size());
    Vocaform facade;
    facade.setPupack(&broken);
    EXPECT_EQ(facade.prepare(), broken.status());
    EXPECT_NE(broken.status(), 0);

    // A failed prepare after a good one leaves no engine behind.
    auto good = openPackage();
    auto bad = openPackage(corruptMember("44100.gvpf", nanAt(0)));
    auto ready = preparedFacade(*good, 44100.0);
    ready->setPupack(bad.get());
    CaptureStderr();
    const ResultCode code = ready->prepare();
    GetCapturedStderr();
    EXPECT_EQ(code, 3);
    EXPECT_EQ(run(*ready, piece, 100), piece);
}

TEST(Vocaform, UntouchedBeforePrepareAndWithoutPackage)
{
    auto package = openPackage();
    const auto input = speech(44100.0);
    const std::vector<double> piece(input.begin() + 20000, input.begin() + 20000 + 30 * 221);

    Vocaform unprepared;
    unprepared.setPupack(package.get());
    EXPECT_EQ(run(unprepared, piece, 221), piece);

    Vocaform withoutPackage;
    EXPECT_EQ(withoutPackage.prepare(), 0);
    EXPECT_TRUE(withoutPackage.isReady());
    EXPECT_EQ(run(withoutPackage, piece, 97), piece);

    // setPupack leaves a ready facade unprepared until the next prepare.
    auto facade = preparedFacade(*package, 44100.0);
    facade->setPupack(package.get());
    EXPECT_FALSE(facade->isReady());
    EXPECT_EQ(run(*facade, piece, 221), piece);

    EXPECT_EQ(facade->process(nullptr, 0), 0);
}

// With a zero difference mapping the conversion is a pure delay, so the output must be the input
// moved by exactly the documented latency, after 26 silent blocks: the zeroed first block and the
// 25 silenced ones.
TEST(Vocaform, OutputIsTheInputDelayedByTheLatencyAfterTheSilentStart)
{
    struct Case
    {
        double rate;
        Switches switches;
        std::int64_t latency;
    };
    const Case cases[] = {
        {44100.0, {true, true}, 2141},   // gate 44 + block 221 + engine 1435 + limiter 441
        {44100.0, {false, false}, 1656}, // block + engine
        {44100.0, {true, false}, 1700},  {16000.0, {true, false}, 496}, // gate 16 + block 80 + engine 400
        {16000.0, {false, false}, 480},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(testing::Message()
                     << c.rate << " Hz, gate " << c.switches.gate << ", limiter " << c.switches.limiter);
        TestPackageOptions options;
        options.rates = {c.rate};
        options.zeroDifference = true;
        auto package = openPackage(options);
        auto facade = preparedFacade(*package, c.rate, c.switches);
        const auto block = static_cast<std::size_t>(facade->blockSize());
        EXPECT_EQ(block, c.rate == 16000.0 ? 80u : 221u);
        EXPECT_EQ(facade->latencySamples(), c.latency);
        EXPECT_EQ(facade->hasNoiseGate(), c.switches.gate);
        EXPECT_EQ(facade->hasLimiter(), c.switches.limiter);

        // Noise that crosses the trigger often enough to keep the gate open after its first ramp.
        const auto input = engine_fixtures::noise(200 * block, 0.5, 7);
        const auto output = run(*facade, input, block);
        const std::size_t silent = 26 * block;
        for (std::size_t n = 0; n < silent; ++n)
            ASSERT_EQ(output[n], 0.0) << "sample " << n;
        const auto latency = static_cast<std::size_t>(c.latency);
        ASSERT_GT(silent, latency + 100);
        for (std::size_t n = silent; n < output.size(); ++n)
            ASSERT_EQ(output[n], input[n - latency]) << "sample " << n;
    }
}

// The chain is gate, pitch shifter, engine, limiter (against the pitch-shifted input delayed by
// 1435 samples), then the silence of the first blocks: the same stages built by hand and run in
// that order give the same samples, with the limiter on and off. Calls of any length give the
// same output as whole blocks.
TEST(Vocaform, StagesRunInOrderAndCallLengthsDoNotMatter)
{
    const double rate = 44100.0;
    const int block = 221;
    const auto input = speech(rate);
    const std::vector<double> piece(input.begin(), input.begin() + 300 * block);

    for (const bool limiterOn : {true, false})
    {
        SCOPED_TRACE(limiterOn ? "limiter on" : "limiter off");
        TestPackageOptions options;
        options.pitch = 1.2;
        options.volume = 1.5;
        options.classes = 8;
        const Members members = test_models::testPackageMembers(options);
        auto package = openPackage(members);
        auto facade = preparedFacade(*package, rate, {true, limiterOn});
        ASSERT_TRUE(facade->hasPitchShifter());
        const auto whole = run(*facade, piece, block);

        // The reference chain.
        const auto image = [&](const char* name)
        {
            auto* member = test_models::findMember(const_cast<Members&>(members), name);
            return MemoryFile(std::vector<unsigned char>(member->bytes.begin(), member->bytes.end()));
        };
        const engine_fixtures::ModelImages model{image("44100.gmm"), image("44100.intragmm"),
                                                 image("44100.diffgmm"), image("44100.gvpf")};
        CaptureStderr();
        CaptureStdout();
        auto engine = engine_fixtures::makeEngine(engine_fixtures::rate44100, model);
        engine->setClippingLimiter(true);
        engine->setGain(1.5);
        engine->setGvCoefficient(100.0);
        zo::NoiseGate gate(1, rate, 0.005, 0.001, 0.02, 0.05);
        zo::PitchShifter shifter(block, 2, rate, 1.2, 60.0, 400.0);
        zo::Delay dryDelay(1435);
        adaptiveLimiter limiter(static_cast<std::int32_t>(2 * rate), 441, 882);
        std::vector<double> expected(piece.size(), 0.0);
        std::vector<double> current(block), dry(block);
        for (std::size_t k = 0; (k + 1) * block <= piece.size(); ++k)
        {
            gate.process(current.data(), 1, piece.data() + k * block, 1, block);
            shifter.process(current.data(), 1, current.data(), 1, block);
            if (limiterOn)
                dryDelay.process(dry.data(), 1, current.data(), 1, block);
            engine->pushSamples(current.data());
            for (int i = 0; i < block; ++i)
                current[static_cast<std::size_t>(i)] = engine->popSample();
            if (limiterOn)
                limiter.process(current.data(), dry.data(), current.data(), block);
            if (k >= 25 && (k + 2) * block <= piece.size())
                std::copy(current.begin(), current.end(),
                          expected.begin() + static_cast<std::ptrdiff_t>((k + 1) * block));
        }
        GetCapturedStdout();
        GetCapturedStderr();
        EXPECT_EQ(whole, expected);

        for (const std::size_t chunk : {std::size_t{100}, std::size_t{1}, std::size_t{1000}})
        {
            auto again = preparedFacade(*package, rate, {true, limiterOn});
            EXPECT_EQ(run(*again, piece, chunk), whole) << "calls of " << chunk;
        }
    }
}

TEST(Vocaform, PitchOtherThanOneBuildsTheShifter)
{
    struct Case
    {
        double pitch;
        bool shifter;
        std::int64_t shifterDelay;
    };
    for (const Case c :
         {Case{1.0, false, 0}, {1.00000001, false, 0}, {1.2, true, 1470 * 5 / 8}, {0.7, true, 1470 * 7 / 8}})
    {
        SCOPED_TRACE(c.pitch);
        TestPackageOptions options;
        options.pitch = c.pitch;
        auto package = openPackage(options);
        auto facade = preparedFacade(*package, 44100.0);
        EXPECT_EQ(facade->hasPitchShifter(), c.shifter);
        EXPECT_EQ(facade->latencySamples(), 2141 + c.shifterDelay);
    }

    // A ratio the shifter cannot do refuses the model.
    TestPackageOptions options;
    options.pitch = 5.0;
    auto package = openPackage(options);
    Vocaform facade;
    facade.setPupack(package.get());
    CaptureStdout();
    CaptureStderr();
    const ResultCode code = facade.prepare();
    GetCapturedStderr();
    GetCapturedStdout();
    EXPECT_EQ(code, 3);
}

namespace
{
/** Short-time energy (sum of squares over the last `length` samples) at every `step`-th sample. */
std::vector<double> energyEnvelope(const std::vector<double>& x, std::size_t length, std::size_t step)
{
    std::vector<double> envelope;
    double sum = 0.0;
    for (std::size_t i = 0; i < x.size(); ++i)
    {
        sum += x[i] * x[i];
        if (i >= length)
            sum -= x[i - length] * x[i - length];
        if (i % step == 0)
            envelope.push_back(sum);
    }
    return envelope;
}
} // namespace

// A pitch-shifted voice cannot be matched sample by sample; its energy envelope arrives at the
// documented latency to within an eighth of the shifter's window.
TEST(Vocaform, PitchShiftedVoiceArrivesAtTheLatency)
{
    struct Case
    {
        double pitch;
        const char* recording;
    };
    // 2.5 and 0.3 run the shifter's two stages.
    for (const double rate : {16000.0, 44100.0})
        for (const Case c : {Case{0.7, "vcc2016_TF1_100001.wav"}, Case{1.2, "vcc2016_TF1_100001.wav"},
                             Case{2.5, "vcc2016_SM1_100001.wav"}, Case{0.3, "vcc2016_TF1_100001.wav"}})
        {
            SCOPED_TRACE(testing::Message() << rate << " Hz, pitch " << c.pitch);
            TestPackageOptions options;
            options.rates = {rate};
            options.pitch = c.pitch;
            options.zeroDifference = true;
            auto package = openPackage(options);
            auto facade = preparedFacade(*package, rate, {true, rate == 44100.0});
            const auto input = speech(rate, c.recording);
            const auto output = run(*facade, input, 256);
            const auto start = static_cast<std::ptrdiff_t>(30 * facade->blockSize());
            const auto length = static_cast<std::size_t>(rate / 50.0);
            // Envelopes every 4 samples, searched a quarter window either side of the figure (per
            // stage of the shifter).
            const std::size_t step = 4;
            const auto in =
                energyEnvelope(std::vector<double>(input.begin() + start, input.end()), length, step);
            const auto out =
                energyEnvelope(std::vector<double>(output.begin() + start, output.end()), length, step);
            const std::int64_t stages = c.pitch < 0.5 || c.pitch > 2.0 ? 2 : 1;
            const auto window = static_cast<std::int64_t>(2.0 * std::floor(rate / 60.0));
            const std::int64_t latency = facade->latencySamples();
            const std::int64_t lag =
                bestLag(in, out, (latency - stages * window / 4) / 4, (latency + stages * window / 4) / 4);
            EXPECT_NEAR(static_cast<double>(lag * 4), static_cast<double>(latency), stages * window / 8.0);
        }
}

// The trigger level reaches the gate at the next call; the switches only at the next prepare.
TEST(Vocaform, WhenParametersTakeEffect)
{
    const double rate = 44100.0;
    TestPackageOptions options;
    options.zeroDifference = true;
    auto package = openPackage(options);
    const auto tone = [&](std::size_t count)
    {
        std::vector<double> x(count);
        for (std::size_t i = 0; i < count; ++i)
            x[i] = 0.3 * std::sin(2.0 * std::numbers::pi * 200.0 * static_cast<double>(i) / rate);
        return x;
    };
    const auto energy = [](const std::vector<double>& x, std::size_t from, std::size_t to)
    {
        double sum = 0.0;
        for (std::size_t i = from; i < to; ++i)
            sum += x[i] * x[i];
        return sum;
    };

    // Trigger above anything the tone reaches (2 is clamped to 1 without the gate's clamping line):
    // the open gate holds for 20 ms, closes over 50 ms, and then nothing passes.
    auto facade = preparedFacade(*package, rate, {true, false});
    auto first = run(*facade, tone(100 * 221), 221);
    EXPECT_GT(energy(first, 90 * 221, 100 * 221), 80.0);
    CaptureStdout();
    EXPECT_EQ(facade->setParameter(Vocaform::ParamNoiseGateTrigger, 2.0), 0);
    std::vector<double> second = tone(60 * 221);
    for (std::size_t at = 0; at < second.size(); at += 221)
        facade->process(second.data() + at, 221);
    const std::string printed = GetCapturedStdout();
    EXPECT_EQ(printed.find("NoiseGate"), std::string::npos) << printed;
    const std::size_t closed = 882 + 2205 + static_cast<std::size_t>(facade->latencySamples());
    EXPECT_GT(energy(second, 0, 221), 5.0);
    EXPECT_LT(energy(second, closed, second.size()), 1e-5); // the engine's dither of silence

    // Switching the gate off changes nothing until the next prepare; then the tone passes again.
    EXPECT_EQ(facade->setParameter(Vocaform::ParamNoiseGateEnabled, false), 0);
    auto third = run(*facade, tone(30 * 221), 221);
    EXPECT_LT(energy(third, 0, third.size()), 1e-5);
    EXPECT_TRUE(facade->hasNoiseGate());
    CaptureStdout();
    EXPECT_EQ(facade->prepare(), 0);
    const std::string prepared = GetCapturedStdout();
    EXPECT_NE(prepared.find("mSilence = 25\n"), std::string::npos) << prepared;
    EXPECT_FALSE(facade->hasNoiseGate());
    EXPECT_EQ(facade->latencySamples(), 221 + 1435);
    auto fourth = run(*facade, tone(60 * 221), 221);
    EXPECT_GT(energy(fourth, 40 * 221, 60 * 221), 80.0);

    // The limiter switch likewise.
    EXPECT_EQ(facade->setParameter(Vocaform::ParamLimiterEnabled, true), 0);
    EXPECT_FALSE(facade->hasLimiter());
    CaptureStdout();
    EXPECT_EQ(facade->prepare(), 0);
    GetCapturedStdout();
    EXPECT_TRUE(facade->hasLimiter());
}

// The GV coefficient reaches a prepared engine at once and is kept for the next prepare.
TEST(Vocaform, GvCoefficientActsAtOnce)
{
    const double rate = 16000.0;
    TestPackageOptions options;
    options.rates = {rate};
    auto package = openPackage(options);
    const auto input = speech(rate);
    const std::vector<double> piece(input.begin(), input.begin() + 200 * 80);

    auto full = preparedFacade(*package, rate);
    const auto fullOutput = run(*full, piece, 80);
    auto weak = preparedFacade(*package, rate);
    CaptureStdout();
    EXPECT_EQ(weak->setParameter(Vocaform::ParamGvCoefficient, 0.0), 0);
    EXPECT_EQ(GetCapturedStdout(), "GV coefficient is set to 0.000000\n");
    EXPECT_NE(run(*weak, piece, 80), fullOutput);

    // Set before prepare: the same output as set after it.
    Vocaform early;
    early.setPupack(package.get());
    early.setSampleRate(rate);
    early.setParameter(Vocaform::ParamGvCoefficient, 0.0);
    CaptureStdout();
    CaptureStderr();
    ASSERT_EQ(early.prepare(), 0);
    GetCapturedStderr();
    GetCapturedStdout();
    auto weakAgain = preparedFacade(*package, rate);
    weakAgain->setParameter(Vocaform::ParamGvCoefficient, 0.0);
    EXPECT_EQ(run(early, piece, 80), run(*weakAgain, piece, 80));
}

// The documented latency against the delay measured by cross-correlation on speech through a
// model of random, valid parameters, with the stages the application uses at each rate.
TEST(Vocaform, LatencyMatchesTheMeasuredDelay)
{
    struct Case
    {
        double rate;
        Switches switches;
    };
    for (const Case c : {Case{16000.0, {true, false}},
                         {16000.0, {true, true}},
                         {44100.0, {true, true}},
                         {44100.0, {false, false}}})
    {
        SCOPED_TRACE(testing::Message() << c.rate << " Hz, limiter " << c.switches.limiter);
        TestPackageOptions options;
        options.rates = {c.rate};
        options.classes = 8;
        auto package = openPackage(options);
        auto facade = preparedFacade(*package, c.rate, c.switches);
        const auto input = speech(c.rate);
        const auto output = run(*facade, input, 512);
        // Skip the silent start, then compare the rest.
        const auto start = static_cast<std::size_t>(30 * facade->blockSize());
        const std::vector<double> in(input.begin() + static_cast<std::ptrdiff_t>(start), input.end());
        const std::vector<double> out(output.begin() + static_cast<std::ptrdiff_t>(start), output.end());
        // The converted envelope filters the voice (a minimum-phase filter that changes from frame to
        // frame), which moves the correlation peak by a few samples either way; the zero-difference
        // test above pins the figure exactly.
        EXPECT_NEAR(static_cast<double>(
                        bestLag(in, out, facade->latencySamples() - 100, facade->latencySamples() + 100)),
                    static_cast<double>(facade->latencySamples()), 5.0);
    }
}

TEST(Vocaform, ProcessAllocatesNothing)
{
    if (!testing_support::AllocationCounter::available())
        GTEST_SKIP() << "allocation counting is not available in this build";
    for (const double rate : {16000.0, 44100.0})
    {
        SCOPED_TRACE(rate);
        TestPackageOptions options;
        options.rates = {rate};
        options.pitch = 1.2;
        options.classes = 32;
        auto package = openPackage(options);
        auto facade = preparedFacade(*package, rate);
        facade->setParameter(Vocaform::ParamNoiseGateTrigger, 0.01);
        auto input = speech(rate);
        CaptureStdout();
        facade->process(input.data(), static_cast<std::int32_t>(input.size() / 4));
        std::int64_t allocations = 0;
        {
            testing_support::AllocationCounter counter;
            std::size_t at = input.size() / 4;
            for (std::size_t chunk = 1; at < input.size(); chunk = chunk * 3 % 1000 + 1)
            {
                const std::size_t n = std::min(chunk, input.size() - at);
                facade->process(input.data() + at, static_cast<std::int32_t>(n));
                facade->setParameter(Vocaform::ParamGvCoefficient, 0.5);
                facade->setParameter(Vocaform::ParamNoiseGateTrigger, at % 2 ? 0.02 : 0.01);
                at += n;
            }
            allocations = counter.allocations();
        }
        GetCapturedStdout();
        EXPECT_EQ(allocations, 0);
    }
}

// Each facade owns its engine and stages: two run side by side on two threads, and one is built
// and destroyed over and over while the other processes, without changing a sample of either.
TEST(Vocaform, FacadesRunAndAreDestroyedSideBySide)
{
    auto package44 = openPackage(TestPackageOptions{});
    TestPackageOptions options16;
    options16.rates = {16000.0};
    auto package16 = openPackage(options16);
    const auto input44 = speech(44100.0);
    const auto input16 = speech(16000.0);
    const auto alone44 = run(*preparedFacade(*package44, 44100.0), input44, 221);
    const auto alone16 = run(*preparedFacade(*package16, 16000.0), input16, 80);

    // Prepared here: the test helpers capture the standard streams, which is not for threads.
    auto a = preparedFacade(*package44, 44100.0);
    auto b = preparedFacade(*package16, 16000.0);
    std::vector<double> outA = input44, outB = input16;
    std::atomic<bool> done{false};
    CaptureStdout();
    CaptureStderr();
    std::thread other(
        [&]
        {
            for (std::size_t at = 0; at < outB.size(); at += 80)
                b->process(outB.data() + at,
                           static_cast<std::int32_t>(std::min<std::size_t>(80, outB.size() - at)));
            b.reset();
            const auto bytes = test_models::testPackageBytes(options16);
            Pupack local(bytes.data(), bytes.size());
            while (!done.load())
            {
                Vocaform churn;
                churn.setPupack(&local);
                churn.setSampleRate(16000.0);
                churn.prepare();
                std::vector<double> x(input16.begin(), input16.begin() + 4000);
                churn.process(x.data(), static_cast<std::int32_t>(x.size()));
            }
        });
    for (std::size_t at = 0; at < outA.size(); at += 221)
        a->process(outA.data() + at, static_cast<std::int32_t>(std::min<std::size_t>(221, outA.size() - at)));
    done = true;
    other.join();
    GetCapturedStderr();
    GetCapturedStdout();
    EXPECT_EQ(outA, alone44);
    EXPECT_EQ(outB, alone16);
}
