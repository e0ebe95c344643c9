#include "engine/EngineError.h"
#include "engine/RTVC_CLASS.h"

#include "EngineFixtures.h"
#include "support/AllocationCounter.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <string>
#include <thread>
#include <vector>

namespace
{
using namespace engine_fixtures;
using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

TEST(ConversionPipeline, ZeroMappingDelaysTheVoiceExactly)
{
    for (const RateConfig* rate : {&rate16000, &rate44100, &rate48000})
    {
        SCOPED_TRACE(rate->sampleRate);
        const auto model = zeroModel(*rate);
        auto engine = makeEngine(*rate, model);
        EXPECT_EQ(engine->delaySamples(), rate->delay);
        const auto shift = static_cast<std::size_t>(engine->frameShift());
        const auto input = noise(60 * shift, 20000.0, 1);

        // The first push yields silence and consumes nothing from the output ring.
        engine->pushSamples(input.data());
        for (std::size_t i = 0; i < shift; ++i)
            ASSERT_EQ(engine->popSample(), 0.0);
        std::vector<double> output(shift, 0.0);
        for (std::size_t at = shift; at + shift <= input.size(); at += shift)
        {
            engine->pushSamples(input.data() + at);
            for (std::size_t i = 0; i < shift; ++i)
                output.push_back(engine->popSample());
        }
        for (std::size_t n = 0; n < output.size(); ++n)
        {
            const double expected = n >= static_cast<std::size_t>(rate->delay) ? input[n - rate->delay] : 0.0;
            ASSERT_EQ(output[n], expected) << "sample " << n;
        }
    }
}

TEST(ConversionPipeline, ConvertedEnvelopeArrivesLagPlusLookAheadFramesLate)
{
    // A diff GMM that maps every frame to 0.05: the difference is 0 for the first lag + 1
    // pushes (lag 3, one frame of window look-ahead) and 0.05 from then on. A 10 ms frame keeps
    // the delay (280 samples) shorter than those pushes, so the filtered input shows when the
    // envelope arrives.
    const RateConfig& rate = rate16000;
    ModelImages model = zeroModel(rate);
    model.diffGmm = MemoryFile(test_models::constantMappingGmm(rate.order, 4, 3, 0.05).bytes());
    const MemoryFile windows(test_models::deltaWindows());
    RTVC_CLASS engine(rate.fftMin, rate.order, rate.lag, windows.name(), rate.sampleRate, 10.0, 5.0,
                      rate.alpha, 1);
    engine.setGmm(model.classGmm.name());
    engine.setIntraGmm(model.intraGmm.name());
    engine.setDiffGmm(model.diffGmm.name());
    engine.setGvPostfilter(model.postFilter.name());
    ASSERT_EQ(engine.delaySamples(), 280);
    const std::size_t shift = 80;
    const auto input = noise(30 * shift, 20000.0, 2);
    const auto output = run(engine, input);

    FEAT_CLASS reference(rate.fftMin, rate.order, rate.sampleRate, 10.0, 5.0, rate.alpha);
    std::vector<double> centre(shift);
    std::vector<double> filtered(shift);
    for (std::size_t j = 0; j < 30; ++j)
    {
        std::vector<double> mc(static_cast<std::size_t>(rate.order + 1), j >= 4 ? 0.05 : 0.0);
        mc[0] = 0.0;
        for (std::size_t i = 0; i < shift; ++i)
        {
            const auto n = static_cast<std::int64_t>(j * shift + i) - 280;
            centre[i] = n >= 0 ? input[static_cast<std::size_t>(n)] : 0.0;
        }
        const int produced = reference.synthesizeFrame(centre.data(), mc.data(), filtered.data());
        for (std::size_t i = 0; i < shift; ++i)
            ASSERT_EQ(output[j * shift + i], produced == 0 ? 0.0 : filtered[i])
                << "push " << j << " sample " << i;
    }
}

TEST(ConversionPipeline, PostFilterShapesTheDifferenceByItsCoefficient)
{
    // With zero mappings the converted envelope and the difference are 0, so the post-filter
    // makes the difference gamma x offset in every coefficient: the output is the delayed input
    // through an MLSA filter of that constant envelope.
    const RateConfig& rate = rate16000;
    const double offset = 0.05;
    struct Case
    {
        double percent;
        double envelope;
    };
    for (const Case c : {Case{100.0, offset}, Case{50.0, 0.5 * offset}, Case{0.0, 0.0}})
    {
        SCOPED_TRACE(c.percent);
        ModelImages model = zeroModel(rate);
        model.postFilter = MemoryFile(test_models::postFilter(rate.order, 1.0, offset));
        auto engine = makeEngine(rate, model);
        engine->setGvCoefficient(c.percent);
        const auto shift = static_cast<std::size_t>(engine->frameShift());
        const auto input = noise(40 * shift, 20000.0, 3);
        const auto output = run(*engine, input);

        FEAT_CLASS reference(rate.fftMin, rate.order, rate.sampleRate, rate.frameMs, 5.0, rate.alpha);
        std::vector<double> mc(static_cast<std::size_t>(rate.order + 1), c.envelope);
        mc[0] = 0.0;
        std::vector<double> centre(shift);
        std::vector<double> filtered(shift);
        for (std::size_t j = 0; j * shift < output.size(); ++j)
        {
            for (std::size_t i = 0; i < shift; ++i)
            {
                const auto n = static_cast<std::int64_t>(j * shift + i) - rate.delay;
                centre[i] = n >= 0 ? input[static_cast<std::size_t>(n)] : 0.0;
            }
            const int produced = reference.synthesizeFrame(centre.data(), mc.data(), filtered.data());
            for (std::size_t i = 0; i < shift; ++i)
                ASSERT_EQ(output[j * shift + i], produced == 0 ? 0.0 : filtered[i])
                    << "push " << j << " sample " << i;
        }
    }
}

TEST(ConversionPipeline, GainAndClipping)
{
    const RateConfig& rate = rate16000;
    const auto model = zeroModel(rate);
    const auto shift = static_cast<std::size_t>(80);
    auto loud = noise(30 * shift, 100.0, 4);
    for (std::size_t n = 0; n < loud.size(); n += 3)
    {
        loud[n] = 40000.0;
        loud[n + 1] = -40000.0;
    }
    const auto plain = run(*makeEngine(rate, model), loud);

    struct Case
    {
        double gain;
        bool clipping;
        double expectedGain;
    };
    const Case cases[] = {{8.0, false, 5.0}, {0.5, false, 0.5}, {1.0, true, 1.0}, {-2.0, false, -2.0}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE("gain " + std::to_string(c.gain) + (c.clipping ? " clipping" : ""));
        auto engine = makeEngine(rate, model);
        engine->setGain(c.gain);
        engine->setClippingLimiter(c.clipping);
        EXPECT_EQ(engine->gain(), c.expectedGain);
        const auto output = run(*engine, loud);
        for (std::size_t n = 0; n < output.size(); ++n)
        {
            double expected = plain[n] * c.expectedGain;
            if (c.clipping)
                expected = std::clamp(expected, -32767.0, 32767.0);
            ASSERT_EQ(output[n], expected) << n;
        }
    }
    // Without clipping, full-scale excursions pass.
    EXPECT_EQ(plain[rate.delay], 40000.0);
    EXPECT_EQ(plain[rate.delay + 1], -40000.0);
}

TEST(ConversionPipeline, DiagnosticLinesOfConfiguration)
{
    const RateConfig& rate = rate16000;
    const auto model = zeroModel(rate);
    const MemoryFile windows(test_models::deltaWindows());
    CaptureStderr();
    auto engine = std::make_unique<RTVC_CLASS>(rate.fftMin, rate.order, rate.lag, windows.name(),
                                               rate.sampleRate, rate.frameMs, 5.0, rate.alpha, 1);
    std::string lines = GetCapturedStderr();
    EXPECT_EQ(lines, "fftl = 512, framel = 400, shiftl = 80\nfft setup(n = 9)\nConstractor has been done!\n");

    CaptureStderr();
    engine->setGmm(model.classGmm.name());
    engine->setIntraGmm(model.intraGmm.name());
    engine->setDiffGmm(model.diffGmm.name());
    engine->setGvPostfilter(model.postFilter.name());
    engine->setClippingLimiter(true);
    engine->setClippingLimiter(false);
    EXPECT_EQ(GetCapturedStderr(), "GMM parameter changed into mmp\n"
                                   "Intra GMM parameter changed into mmp\n"
                                   "DIFFGMM parameter changed into mmp\n"
                                   "GV is change into mmp\n"
                                   "Clipping limitter enables.\n"
                                   "Clipping limitter disables.\n");

    // A replacement says nothing but destroys the one it replaces.
    CaptureStderr();
    engine->setGmm(model.classGmm.name());
    engine->setIntraGmm(model.intraGmm.name());
    EXPECT_EQ(GetCapturedStderr(), "GMMMAP was destructed.\nGMMMAP was destructed.\n");

    CaptureStderr();
    engine.reset();
    lines = GetCapturedStderr();
    EXPECT_EQ(lines.substr(0, lines.find('\n') + 1), "RTVC_CLASS was destructed.\n");
    EXPECT_NE(lines.find("FEAT_CLASS was destructed.\n"), std::string::npos);
}

TEST(ConversionPipeline, WindowDescriptionsUpToTheCopyBufferAreAccepted)
{
    // 244 data bytes fill the 256-byte copy exactly; one byte more is refused.
    const std::vector<unsigned char> fits(244, 0);
    const MemoryFile fitting(fits);
    EXPECT_NO_THROW(RTVC_CLASS(512, 24, 3, fitting.name(), 16000, 25, 5, 0.42, 1));
    const std::vector<unsigned char> tooLong(245, 0);
    const MemoryFile oversized(tooLong);
    EXPECT_THROW(RTVC_CLASS(512, 24, 3, oversized.name(), 16000, 25, 5, 0.42, 1), EngineError);
}

TEST(ConversionPipeline, MappingGmmsMustHaveEveryClassOfTheClassGmm)
{
    const RateConfig& rate = rate16000;
    const MemoryFile eight(test_models::gmmParameters(rate.order, 8, 1));
    const MemoryFile four(test_models::gmmParameters(rate.order, 4, 2));
    auto engine = makeEngine(rate);
    engine->setIntraGmm(four.name());
    EXPECT_THROW(engine->setGmm(eight.name()), EngineError);
    EXPECT_EQ(engine->classGmm(), nullptr);
    engine->setGmm(four.name());
    EXPECT_THROW(engine->setDiffGmm(MemoryFile(test_models::gmmParameters(rate.order, 3, 3)).name()),
                 EngineError);
    EXPECT_EQ(engine->diffGmm(), nullptr);
    engine->setDiffGmm(eight.name()); // more classes than chosen from is fine
    EXPECT_EQ(engine->diffGmm()->classes(), 8);
}

TEST(ConversionPipeline, WithoutModelTheOutputIsSilent)
{
    auto engine = makeEngine(rate16000);
    const auto output = run(*engine, noise(20 * 80, 20000.0, 5));
    EXPECT_EQ(output, std::vector<double>(output.size(), 0.0));
}

TEST(ConversionPipeline, NonFiniteAnalysisOrInputNeverReachesTheOutput)
{
    // A tone at the Nyquist frequency windowed by the symmetric window has an exact zero at DC,
    // whose logarithm is not finite; samples that are not numbers can come from a faulty source.
    // Either would otherwise stay in the generators' and the filter's memories for good.
    const RateConfig& rate = rate16000;
    const auto model = randomModel(rate, 8);
    auto engine = makeEngine(rate, model);
    auto input = speechAt(rate.sampleRate);
    input.resize(200 * 80);
    for (std::size_t n = 40 * 80; n < 60 * 80; ++n)
        input[n] = n % 2 == 0 ? 10000.0 : -10000.0;
    input[70 * 80 + 3] = std::nan("");
    input[71 * 80 + 5] = HUGE_VAL;
    input[72 * 80 + 7] = -HUGE_VAL;
    const auto output = run(*engine, input);
    double late = 0.0;
    for (std::size_t n = 0; n < output.size(); ++n)
    {
        ASSERT_TRUE(std::isfinite(output[n])) << n;
        if (n >= 100 * 80)
            late = std::max(late, std::fabs(output[n]));
    }
    EXPECT_GT(late, 100.0); // still converting afterwards
}

TEST(ConversionPipeline, SteadyStateAllocatesNothing)
{
    if (!testing_support::AllocationCounter::available())
        GTEST_SKIP() << "allocation counting is off in this build";
    struct Case
    {
        const RateConfig* rate;
        int classes;
    };
    for (const Case c : {Case{&rate16000, 32}, Case{&rate44100, 128}})
    {
        SCOPED_TRACE(c.rate->sampleRate);
        const auto model = randomModel(*c.rate, c.classes);
        auto engine = makeEngine(*c.rate, model);
        const auto speech = speechAt(c.rate->sampleRate);
        const auto shift = static_cast<std::size_t>(engine->frameShift());
        std::vector<double> silence(shift, 0.0); // also runs the dither path
        std::size_t at = 0;
        double sum = 0.0;
        const auto frame = [&](int k)
        {
            engine->pushSamples(k % 50 == 7 ? silence.data() : speech.data() + at);
            at = (at + shift) % (speech.size() - shift);
            for (std::size_t i = 0; i < shift; ++i)
                sum += engine->popSample();
        };
        for (int k = 0; k < 50; ++k)
            frame(k);
        testing_support::AllocationCounter counter;
        for (int k = 0; k < 400; ++k)
            frame(k);
        EXPECT_EQ(counter.allocations(), 0);
        EXPECT_TRUE(std::isfinite(sum));
    }
}

TEST(ConversionPipeline, EnginesAreIndependentOfEachOther)
{
    // Each engine owns its work buffers, transforms and noise source: an engine gives the same
    // output whether or not other engines are built, run and destroyed meanwhile on another
    // thread.
    const RateConfig& rate = rate44100;
    const auto model = randomModel(rate, 16);
    const auto speech = speechAt(rate.sampleRate);
    std::vector<double> input(speech.begin(), speech.begin() + 300 * 221);
    std::fill(input.begin() + 100 * 221, input.begin() + 110 * 221, 0.0); // dithered stretch
    const auto alone = run(*makeEngine(rate, model), input);

    std::atomic<bool> done{false};
    std::thread others(
        [&]
        {
            const auto otherModel = randomModel(rate16000, 8);
            const auto otherInput = speechAt(16000.0);
            while (!done.load())
            {
                auto other = makeEngine(rate16000, otherModel);
                run(*other, std::vector<double>(otherInput.begin(), otherInput.begin() + 40 * 80));
            }
        });
    std::vector<double> sideBySide;
    for (int repeat = 0; repeat < 3; ++repeat)
    {
        sideBySide = run(*makeEngine(rate, model), input);
        if (sideBySide != alone)
            break;
    }
    done = true;
    others.join();
    EXPECT_EQ(sideBySide, alone);

    // Two engines of the same model interleaved frame by frame on one thread.
    auto a = makeEngine(rate, model);
    auto b = makeEngine(rate, model);
    std::vector<double> outA;
    std::vector<double> outB;
    for (std::size_t at = 0; at + 221 <= input.size(); at += 221)
    {
        a->pushSamples(input.data() + at);
        b->pushSamples(input.data() + at);
        for (int i = 0; i < 221; ++i)
        {
            outA.push_back(a->popSample());
            outB.push_back(b->popSample());
        }
    }
    EXPECT_EQ(outA, alone);
    EXPECT_EQ(outB, alone);
}

} // namespace
