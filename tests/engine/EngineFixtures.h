#pragma once

// Shared pieces of the engine tests: the engine configuration per sample rate, speech input and
// pipelines built from synthetic model members.

#include "engine/MemoryFile.h"
#include "engine/RTVC_CLASS.h"

#include "models/SpeechFile.h"
#include "models/SyntheticModels.h"

#include <memory>
#include <random>
#include <string>
#include <vector>

namespace engine_fixtures
{

/** The engine's settings per sample rate, as the facade uses them, with the resulting delay. */
struct RateConfig
{
    double sampleRate;
    std::int64_t fftMin;
    int order;
    std::int64_t lag;
    double frameMs;
    double alpha;
    std::int64_t delay; ///< samples
};

inline const RateConfig rate16000{16000.0, 512, 24, 3, 25.0, 0.42, 400};
inline const RateConfig rate44100{44100.0, 1024, 60, 5, 20.0, 0.5, 1435};
inline const RateConfig rate48000{48000.0, 1024, 65, 5, 20.0, 0.5, 1560};

/** The members of a model at one rate, as memory images. */
struct ModelImages
{
    MemoryFile classGmm;
    MemoryFile intraGmm;
    MemoryFile diffGmm;
    MemoryFile postFilter;
};

/** A model whose mapping is exactly zero: the output is the input, delayed. */
inline ModelImages zeroModel(const RateConfig& rate, int classes = 4)
{
    return {MemoryFile(test_models::gmmParameters(rate.order, classes, 1)),
            MemoryFile(test_models::zeroMappingGmmParameters(rate.order, classes, 2)),
            MemoryFile(test_models::zeroMappingGmmParameters(rate.order, classes, 3)),
            MemoryFile(test_models::postFilter(rate.order))};
}

/** A model of random, valid GMMs. */
inline ModelImages randomModel(const RateConfig& rate, int classes)
{
    return {MemoryFile(test_models::gmmParameters(rate.order, classes, 1)),
            MemoryFile(test_models::gmmParameters(rate.order, classes, 2)),
            MemoryFile(test_models::gmmParameters(rate.order, classes, 3)),
            MemoryFile(test_models::postFilter(rate.order, 1.1, 0.01))};
}

/** A pipeline for the rate with the shipped delta window. */
inline std::unique_ptr<RTVC_CLASS> makeEngine(const RateConfig& rate)
{
    const MemoryFile windows(test_models::deltaWindows());
    return std::make_unique<RTVC_CLASS>(rate.fftMin, rate.order, rate.lag, windows.name(), rate.sampleRate,
                                        rate.frameMs, 5.0, rate.alpha, FEAT_CLASS::oneIteration);
}

/** A pipeline for the rate, configured with the model. */
inline std::unique_ptr<RTVC_CLASS> makeEngine(const RateConfig& rate, const ModelImages& model)
{
    auto engine = makeEngine(rate);
    engine->setGmm(model.classGmm.name());
    engine->setIntraGmm(model.intraGmm.name());
    engine->setDiffGmm(model.diffGmm.name());
    engine->setGvPostfilter(model.postFilter.name());
    return engine;
}

/** Real speech (16-bit scale) at the rate, resampled linearly from the 16 kHz recording. */
inline std::vector<double> speechAt(double sampleRate, const char* file = "vcc2016_SM1_100001.wav")
{
    const auto speech = test_models::readSpeech(std::string(TAVILO_TEST_DATA_DIR) + "/speech/" + file);
    return test_models::resampleLinear(speech.samples, speech.sampleRate, sampleRate);
}

/** Uniform noise in -amplitude..amplitude without a single exact zero. */
inline std::vector<double> noise(std::size_t count, double amplitude, unsigned seed)
{
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> uniform(-amplitude, amplitude);
    std::vector<double> samples(count);
    for (double& s : samples)
    {
        do
            s = uniform(random);
        while (s == 0.0);
    }
    return samples;
}

/** Pushes the input frame by frame and pops shift samples after each push; returns all pops. */
inline std::vector<double> run(RTVC_CLASS& engine, const std::vector<double>& input)
{
    const auto shift = static_cast<std::size_t>(engine.frameShift());
    std::vector<double> output;
    output.reserve(input.size());
    for (std::size_t at = 0; at + shift <= input.size(); at += shift)
    {
        engine.pushSamples(input.data() + at);
        for (std::size_t i = 0; i < shift; ++i)
            output.push_back(engine.popSample());
    }
    return output;
}

} // namespace engine_fixtures
