#include "engine/RTVC_CLASS.h"

#include "engine/EngineError.h"
#include "engine/MemoryFile.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>

namespace
{
constexpr double clipLimit = 32767.0;

std::array<char, RTVC_CLASS::windowsCopySize> copyWindowDescription(const char* windows)
{
    std::array<char, RTVC_CLASS::windowsCopySize> copy{};
    if (windows == nullptr)
        raiseEngineError(EngineError::Kind::invalidArgument, 1, "RTVC_CLASS: no delta window description\n");
    if (isMemoryFile(windows))
    {
        const std::int64_t length = memoryFileLength(windows);
        const auto capacity = static_cast<std::int64_t>(copy.size() - MemoryFile::headerSize);
        if (length < 0 || length > capacity)
            raiseEngineError(EngineError::Kind::corruptParameters, 1,
                             "delta window description of %lld bytes does not fit the %lld bytes the engine "
                             "keeps\n",
                             static_cast<long long>(length), static_cast<long long>(capacity));
        std::memcpy(copy.data(), windows, MemoryFile::headerSize + static_cast<std::size_t>(length));
    }
    else
    {
        const std::size_t length = std::strlen(windows);
        if (length >= copy.size())
            raiseEngineError(EngineError::Kind::invalidArgument, 1,
                             "delta window path of %zu characters is longer than %zu\n", length,
                             copy.size() - 1);
        std::memcpy(copy.data(), windows, length + 1);
    }
    return copy;
}

std::int64_t checkedLag(std::int64_t lag)
{
    if (lag < 0 || lag >= RTVC_CLASS::delayLineSlots)
        raiseEngineError(EngineError::Kind::invalidArgument, 1, "RTVC_CLASS: lag %lld outside 0..%d frames\n",
                         static_cast<long long>(lag), RTVC_CLASS::delayLineSlots - 1);
    return lag;
}

int checkedIterations(int iterations)
{
    if (iterations < FEAT_CLASS::noIteration || iterations > FEAT_CLASS::fullIteration)
        raiseEngineError(EngineError::Kind::invalidArgument, 1,
                         "RTVC_CLASS: iteration mode %d outside 0..2\n", iterations);
    return iterations;
}
} // namespace

RTVC_CLASS::RTVC_CLASS(std::int64_t fftMin, std::int64_t order, std::int64_t lag, const char* windows,
                       double sampleRate, double frameMs, double shiftMs, double alpha, int iterations)
try : windowsCopy(copyWindowDescription(windows)), m(order), lagFrames(checkedLag(lag)),
    iterationMode(checkedIterations(iterations)),
    features(fftMin, order, sampleRate, frameMs, shiftMs, alpha), framel(features.frameLength),
    shiftl(features.frameShift)
{
    const auto cepstrumSize = static_cast<std::size_t>(m + 1);
    frame.assign(static_cast<std::size_t>(framel), 0.0);
    previousFrame.assign(static_cast<std::size_t>(framel), 0.0);
    centre.assign(static_cast<std::size_t>(shiftl), 0.0);
    melCepstrum.assign(cepstrumSize, 0.0);
    previousMelCepstrum.assign(cepstrumSize, 0.0);
    featureVector.assign(static_cast<std::size_t>(2 * m), 0.0);
    converted.assign(cepstrumSize, 0.0);
    difference.assign(cepstrumSize, 0.0);
    delayCepstra.assign(delayLineSlots * cepstrumSize, 0.0);
    delayWaves.assign(static_cast<std::size_t>(delayLineSlots * shiftl), 0.0);
    writeSlot = 0;
    readSlot = static_cast<int>((delayLineSlots - lagFrames) % delayLineSlots);
    output.assign(static_cast<std::size_t>(shiftl), 0.0);
    ringLength = 512;
    while (ringLength < 4 * shiftl)
        ringLength *= 2;
    outputRing.assign(static_cast<std::size_t>(ringLength), 0.0);
    std::fputs("Constractor has been done!\n", stderr);
}
catch (const std::bad_alloc&)
{
    raiseEngineError(EngineError::Kind::outOfMemory, -1, "can't malloc the conversion buffers\n");
}

RTVC_CLASS::~RTVC_CLASS()
{
    // Members go after this line; the GMMs and the analysis write their own lines then.
    std::fputs("RTVC_CLASS was destructed.\n", stderr);
}

void RTVC_CLASS::checkClassCounts(const GMMMAP* classes, const GMMMAP* intra, const GMMMAP* diff) const
{
    // The class chosen by the class GMM indexes the other two: they must have that class.
    if (classes == nullptr)
        return;
    const GMMMAP* others[2] = {intra, diff};
    for (const GMMMAP* other : others)
        if (other != nullptr && other->classes() < classes->classes())
            raiseEngineError(
                EngineError::Kind::corruptParameters, 1,
                "GMM class counts do not match: the class GMM has %ld classes, a mapping GMM %ld\n",
                static_cast<long>(classes->classes()), static_cast<long>(other->classes()));
}

void RTVC_CLASS::replaceGmm(std::unique_ptr<GMMMAP>& slot, const char* name, const char* firstMessage)
{
    std::unique_ptr<GMMMAP> replacement;
    try
    {
        replacement = std::make_unique<GMMMAP>(m, lagFrames, name, windowsCopy.data());
    }
    catch (const std::bad_alloc&)
    {
        raiseEngineError(EngineError::Kind::outOfMemory, 1, "Cannot Allocate Memory\n");
    }
    const GMMMAP* classes = &slot == &classMap ? replacement.get() : classMap.get();
    const GMMMAP* intra = &slot == &intraMap ? replacement.get() : intraMap.get();
    const GMMMAP* diff = &slot == &diffMap ? replacement.get() : diffMap.get();
    checkClassCounts(classes, intra, diff);
    const bool first = slot == nullptr;
    slot = std::move(replacement);
    if (first)
        std::fprintf(stderr, firstMessage, printableName(name));
}

void RTVC_CLASS::setGmm(const char* name)
{
    replaceGmm(classMap, name, "GMM parameter changed into %s\n");
}

void RTVC_CLASS::setIntraGmm(const char* name)
{
    replaceGmm(intraMap, name, "Intra GMM parameter changed into %s\n");
}

void RTVC_CLASS::setDiffGmm(const char* name)
{
    replaceGmm(diffMap, name, "DIFFGMM parameter changed into %s\n");
}

void RTVC_CLASS::setGvPostfilter(const char* name)
{
    MatrixPtr replacement;
    if (name != nullptr && name[0] != '\0')
    {
        const MatrixPtr read = readMatrixData(name, m, false);
        if (!read)
            raiseEngineError(EngineError::Kind::corruptParameters, 1, "Can't read GV postfilter file: %s\n",
                             printableName(name));
        if (read->rows < 2)
            raiseEngineError(EngineError::Kind::corruptParameters, 1,
                             "GV postfilter %s holds %ld row of %ld values; it needs scales and offsets\n",
                             printableName(name), static_cast<long>(read->rows), static_cast<long>(m));
        for (std::int64_t r = 0; r < 2; ++r)
            for (std::int64_t i = 0; i < m; ++i)
                if (!std::isfinite(read->re[r][i]))
                    raiseEngineError(EngineError::Kind::corruptParameters, 1,
                                     "GV postfilter %s: value %ld is not a finite number\n",
                                     printableName(name), static_cast<long>(r * m + i));
        replacement = copyMatrix(*read);
    }
    std::fprintf(stderr, "GV is change into %s\n", name == nullptr ? "" : printableName(name));
    gvPostfilter = std::move(replacement);
}

void RTVC_CLASS::setGvCoefficient(double percent)
{
    if (!std::isfinite(percent))
        raiseEngineError(EngineError::Kind::invalidArgument, 1, "GV coefficient %f is not a finite number\n",
                         percent);
    gamma = percent / 100.0;
    std::printf("GV coefficient is set to %lf\n", gamma);
}

void RTVC_CLASS::setClippingLimiter(bool on)
{
    clipping = on;
    std::fputs(on ? "Clipping limitter enables.\n" : "Clipping limitter disables.\n", stderr);
}

void RTVC_CLASS::setGain(double g)
{
    if (std::isnan(g))
        raiseEngineError(EngineError::Kind::invalidArgument, 1, "output gain is not a number\n");
    outputGain = std::min(g, 5.0);
}

void RTVC_CLASS::pushSamples(const double* samples) noexcept
{
    const std::int64_t keep = framel - shiftl;
    std::copy(previousFrame.begin() + shiftl, previousFrame.end(), frame.begin());
    // A sample that is not a number would stay in the filter memory for good: take it as 0.
    for (std::int64_t i = 0; i < shiftl; ++i)
        frame[keep + i] = std::isfinite(samples[i]) ? samples[i] : 0.0;
    std::copy(frame.begin(), frame.end(), previousFrame.begin());
    runFrame();
}

void RTVC_CLASS::runFrame() noexcept
{
    const auto cepstrumSize = static_cast<std::size_t>(m + 1);
    features.ditherSilentFrame(frame.data());
    const std::int64_t centreStart = framel / 2 - shiftl / 2;
    std::copy(frame.begin() + centreStart, frame.begin() + centreStart + shiftl, centre.begin());

    // A singular Newton system leaves the unrefined analysis in melCepstrum; go on with it.
    features.analyzeSpectrum(frame.data());
    features.analyzeMelCepstrum(melCepstrum.data(), iterationMode);
    // A spectrum with an exact zero (a tone at the Nyquist frequency, say) has no logarithm:
    // keep the previous frame's envelope rather than let the result into the generators and
    // the filter, whose memories would never recover.
    if (!std::all_of(melCepstrum.begin(), melCepstrum.end(), [](double c) { return std::isfinite(c); }))
        std::copy(previousMelCepstrum.begin(), previousMelCepstrum.end(), melCepstrum.begin());

    std::copy(melCepstrum.begin(), melCepstrum.end(), delayCepstra.begin() + writeSlot * cepstrumSize);
    std::copy(centre.begin(), centre.end(), delayWaves.begin() + writeSlot * shiftl);
    writeSlot = (writeSlot + 1) % delayLineSlots;

    for (std::int64_t i = 0; i < m; ++i)
    {
        featureVector[i] = melCepstrum[i + 1];
        featureVector[m + i] = 0.5 * (melCepstrum[i + 1] - previousMelCepstrum[i + 1]);
    }
    std::copy(melCepstrum.begin(), melCepstrum.end(), previousMelCepstrum.begin());

    const bool configured = classMap && intraMap && diffMap;
    if (configured)
    {
        const std::int64_t k = classMap->bestClass(featureVector.data());
        intraMap->map(k, featureVector.data(), converted.data());
        diffMap->map(k, featureVector.data(), difference.data());
    }

    std::copy(delayCepstra.begin() + readSlot * cepstrumSize,
              delayCepstra.begin() + (readSlot + 1) * cepstrumSize, melCepstrum.begin());
    std::copy(delayWaves.begin() + readSlot * shiftl, delayWaves.begin() + (readSlot + 1) * shiftl,
              centre.begin());
    readSlot = (readSlot + 1) % delayLineSlots;

    std::int64_t produced = 0;
    if (configured)
    {
        if (gvPostfilter)
        {
            const double* scale = gvPostfilter->re[0];
            const double* offset = gvPostfilter->re[1];
            for (std::int64_t i = 1; i <= m; ++i)
            {
                const double z = converted[i] + difference[i];
                const double shaped = (1.0 - gamma) * z + gamma * (scale[i - 1] * z + offset[i - 1]);
                difference[i] = shaped - converted[i];
            }
        }
        produced = features.synthesizeFrame(centre.data(), difference.data(), output.data());
    }
    else
    {
        // No model: silence, with the same timing as a converted voice.
        std::fill(output.begin(), output.end(), 0.0);
        produced = framesRun > 0 ? shiftl : 0;
    }
    ++framesRun;

    if (outputGain != 1.0)
        for (double& sample : output)
            sample *= outputGain;
    if (clipping)
        for (double& sample : output)
            sample = std::clamp(sample, -clipLimit, clipLimit);

    for (std::int64_t i = 0; i < produced; ++i)
    {
        outputRing[static_cast<std::size_t>(writeCount & (ringLength - 1))] = output[i];
        ++writeCount;
    }
    if (produced > 0)
        outputState = 0;
}

double RTVC_CLASS::popSample() noexcept
{
    if (outputState == -1)
        return 0.0;
    const double sample = outputRing[static_cast<std::size_t>(readCount & (ringLength - 1))];
    ++readCount;
    return sample;
}
