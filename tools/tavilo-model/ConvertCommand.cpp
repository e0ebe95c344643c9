// tavilo-model convert: a WAV file through a voice model, the way the application's conversion
// stage runs it: resampled block by block from the file's rate to the model's (16000 Hz when the
// model has it, else 44100 Hz) and back, through the conversion facade.

#include "CommandLine.h"
#include "Commands.h"

#include "engine/Vocaform.h"
#include "package/Pupack.h"
#include "processors/ModelRateAdapter.h"

#include <juce_audio_formats/juce_audio_formats.h>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace
{

const char* const usage =
    "Usage: tavilo-model convert --model FILE.ppc IN.wav OUT.wav [options]\n"
    "\n"
    "Converts the voice of a WAV file (mono, or the first channel) through a voice model, as the\n"
    "application does live: in blocks of the device's size, resampled from the file's rate to the\n"
    "model's rate (16000 Hz when the model has it, else 44100 Hz) and back. Writes a mono WAV file of\n"
    "the same rate, length and sample format (32-bit files are written as 32-bit float). The output\n"
    "keeps the conversion's latency, as a listener hears it live, and starts with 125 ms of silence\n"
    "while the engine settles. Prints the latency and the real-time factor (conversion time over\n"
    "the audio's duration); shows progress for files of three seconds and more.\n"
    "\n"
    "  --model FILE.ppc        the voice model package (required)\n"
    "  --gv <0..1>             strength of the global-variance post-filter (default 1)\n"
    "  --gate on|off           the engine's input noise gate (default on)\n"
    "  --gate-trigger <level>  the gate's trigger level, 0..1 (default 0.005)\n"
    "  --limiter on|off        the adaptive limiter (default as in the application: on when the\n"
    "                          model runs at 44100 Hz, off at 16000 Hz)\n"
    "  --trim-latency          shift the latency out of the output (zeros are fed at the end, so the\n"
    "                          length stays)\n"
    "  --block-size <N>        device block size in samples (default 512)\n"
    "  --verbose               show the engine's diagnostic lines\n"
    "\n"
    "Exit status: 0 when the file was converted, 1 when not, 2 for a usage error.\n";

/** Progress lines appear for inputs of at least this many seconds. */
constexpr double progressFromSeconds = 3.0;

std::string formatFixed(double value, int decimals)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

/** Reads count samples of the first channel from position into out, in -1..1. Integer samples are
    scaled by a power of two, so 8-, 16- and 24-bit values come through exactly. */
bool readFirstChannel(juce::AudioFormatReader& reader, juce::int64 position, int count, float* out,
                      std::vector<int>& scratch)
{
    if (reader.usesFloatingPointData)
    {
        float* channels[] = {out};
        return reader.read(channels, 1, position, count);
    }
    int* channels[] = {scratch.data()};
    if (!reader.read(channels, 1, position, count, false))
        return false;
    for (int i = 0; i < count; ++i)
        out[i] = static_cast<float>(scratch[static_cast<std::size_t>(i)] * (1.0 / 2147483648.0));
    return true;
}

/** Writes count samples, the inverse of readFirstChannel for integer formats (clipped to full
    scale). */
bool writeSamples(juce::AudioFormatWriter& writer, bool floatingPoint, const float* samples, int count,
                  std::vector<int>& scratch)
{
    if (floatingPoint)
    {
        const float* channels[] = {samples};
        return writer.writeFromFloatArrays(channels, 1, count);
    }
    for (int i = 0; i < count; ++i)
    {
        const double scaled =
            std::clamp(static_cast<double>(samples[i]) * 2147483648.0, -2147483648.0, 2147483647.0);
        scratch[static_cast<std::size_t>(i)] = static_cast<int>(std::llround(scaled));
    }
    const int* channels[] = {scratch.data(), nullptr};
    return writer.write(channels, count);
}

} // namespace

int runConvert(int argc, char** argv)
{
    using namespace model_tool;
    const std::string command = "convert";
    Arguments arguments;
    std::string error;
    if (!parseArguments(argc, argv,
                        {"--model", "--gv", "--gate", "--gate-trigger", "--limiter", "--block-size"},
                        {"--trim-latency", "--verbose"}, arguments, error))
        return usageError(command, error);
    if (arguments.has("--help"))
    {
        std::fputs(usage, stdout);
        return exitSuccess;
    }
    if (!arguments.has("--model"))
        return usageError(command, "which model? (--model FILE.ppc)");
    if (arguments.positional.size() != 2)
        return usageError(command, "needs an input and an output file (IN.wav OUT.wav)");

    double gv = 1.0;
    if (arguments.has("--gv") && (!parseNumber(arguments.value("--gv"), gv) || gv < 0.0 || gv > 1.0))
        return usageError(command, "--gv takes a number from 0 to 1, not '" + arguments.value("--gv") + "'");
    bool gate = true;
    if (arguments.has("--gate") && !parseSwitch(arguments.value("--gate"), gate))
        return usageError(command, "--gate takes on or off, not '" + arguments.value("--gate") + "'");
    double trigger = 0.005;
    if (arguments.has("--gate-trigger") &&
        (!parseNumber(arguments.value("--gate-trigger"), trigger) || trigger < 0.0 || trigger > 1.0))
        return usageError(command, "--gate-trigger takes a level from 0 to 1, not '" +
                                       arguments.value("--gate-trigger") + "'");
    bool limiterGiven = arguments.has("--limiter");
    bool limiter = true;
    if (limiterGiven && !parseSwitch(arguments.value("--limiter"), limiter))
        return usageError(command, "--limiter takes on or off, not '" + arguments.value("--limiter") + "'");
    long long blockSize = 512;
    if (arguments.has("--block-size") &&
        (!parseInteger(arguments.value("--block-size"), blockSize) || blockSize < 1 || blockSize > 65536))
        return usageError(command, "--block-size takes a whole number of samples from 1 to 65536, not '" +
                                       arguments.value("--block-size") + "'");
    const bool trim = arguments.has("--trim-latency");
    const bool verbose = arguments.has("--verbose");

    const std::string modelPath = arguments.value("--model");
    const juce::File input = juce::File::getCurrentWorkingDirectory().getChildFile(arguments.positional[0]);
    const juce::File output = juce::File::getCurrentWorkingDirectory().getChildFile(arguments.positional[1]);
    if (!input.existsAsFile())
        return failure(command, "cannot read " + arguments.positional[0]);
    if (output == input || (output.exists() && output.getLinkedTarget() == input.getLinkedTarget()))
        return failure(command, "the output would replace the input; give another output file");
    if (output.isDirectory())
        return failure(command, arguments.positional[1] + " is a folder");

    // The model, and the rate the application's conversion stage would run it at.
    std::string notes;
    const auto package = openPackage(modelPath, notes);
    if (verbose)
        std::fputs(notes.c_str(), stderr);
    if (package->status() != result::success)
        return failure(command,
                       "cannot use the model " + modelPath + ": status " + describeResult(package->status()));
    const double modelRate = package->supportsSampleRate(16000.0) ? 16000.0 : 44100.0;
    if (!package->supportsSampleRate(modelRate))
        return failure(command, "the model " + modelPath +
                                    " has no parameters for 16000 or 44100 Hz, the rates the application "
                                    "converts at");
    if (!limiterGiven)
        limiter = modelRate != 16000.0;

    juce::WavAudioFormat wav;
    std::unique_ptr<juce::AudioFormatReader> reader(
        wav.createReaderFor(input.createInputStream().release(), true));
    if (reader == nullptr)
        return failure(command, arguments.positional[0] +
                                    " is not a WAV file of 8-, 16-, 24- or 32-bit samples it can read");
    const int bits = static_cast<int>(reader->bitsPerSample);
    if (!wav.getPossibleBitDepths().contains(bits) || reader->sampleRate <= 0.0 || reader->numChannels < 1)
        return failure(command, arguments.positional[0] + " has a sample format it cannot write back (" +
                                    std::to_string(bits) + " bits)");
    const double fileRate = reader->sampleRate;
    const juce::int64 length = reader->lengthInSamples;

    SdkOutputCapture capture(!verbose);
    auto facadeObject = std::make_unique<Vocaform>();
    Vocaform& facade = *facadeObject;
    facade.setPupack(package.get());
    facade.setSampleRate(modelRate);
    facade.setParameter(Vocaform::ParamGvCoefficient, gv);
    facade.setParameter(Vocaform::ParamNoiseGateEnabled, gate);
    facade.setParameter(Vocaform::ParamNoiseGateTrigger, trigger);
    facade.setParameter(Vocaform::ParamLimiterEnabled, limiter);
    const ResultCode prepared = facade.prepare();
    if (prepared != result::success)
    {
        facadeObject.reset();
        const std::string lines = capture.finish();
        std::fputs(lines.c_str(), stderr);
        return failure(command, "the model " + modelPath + " cannot convert at " + formatFixed(modelRate, 0) +
                                    " Hz: status " + describeResult(prepared));
    }

    const int block = static_cast<int>(blockSize);
    tessel::ModelRateAdapter adapter;
    adapter.prepare(fileRate, modelRate, block);
    const double latency = adapter.latencySamples(facade.latencySamples(), block);
    const auto skip = trim ? static_cast<juce::int64>(std::llround(latency)) : juce::int64{0};

    juce::TemporaryFile temporary(output);
    std::unique_ptr<juce::FileOutputStream> stream = temporary.getFile().createOutputStream();
    std::unique_ptr<juce::AudioFormatWriter> writer;
    if (stream != nullptr)
        writer.reset(wav.createWriterFor(stream.get(), fileRate, 1, bits, {}, 0));
    if (writer == nullptr)
    {
        facadeObject.reset();
        capture.finish();
        return failure(command, "cannot write " + arguments.positional[1]);
    }
    stream.release(); // the writer owns it now

    std::vector<float> samples(static_cast<std::size_t>(block));
    std::vector<int> scratch(static_cast<std::size_t>(block));
    const bool floatingPoint = writer->isFloatingPoint();
    juce::int64 readPosition = 0;
    juce::int64 produced = 0;
    juce::int64 written = 0;
    std::chrono::duration<double> converting{0.0};
    // Progress on a terminal every per cent on one line, elsewhere a line every quarter.
    const bool showProgress = static_cast<double>(length) / fileRate >= progressFromSeconds;
    const bool terminal = isatty(STDERR_FILENO) != 0;
    const int progressStep = terminal ? 1 : 25;
    int shownPercent = 0;
    bool readFailed = false;
    bool writeFailed = false;
    while (written < length)
    {
        const auto available = static_cast<int>(std::min<juce::int64>(block, length - readPosition));
        std::fill(samples.begin(), samples.end(), 0.0f);
        if (available > 0)
        {
            if (!readFirstChannel(*reader, readPosition, available, samples.data(), scratch))
            {
                readFailed = true;
                break;
            }
            readPosition += available;
        }
        const auto start = std::chrono::steady_clock::now();
        adapter.process(samples.data(), block, facade);
        converting += std::chrono::steady_clock::now() - start;

        // The first `skip` converted samples are the latency being shifted out.
        const juce::int64 from = std::clamp<juce::int64>(skip - produced, 0, block);
        produced += block;
        const auto count = static_cast<int>(std::min<juce::int64>(block - from, length - written));
        if (count > 0)
        {
            if (!writeSamples(*writer, floatingPoint, samples.data() + from, count, scratch))
            {
                writeFailed = true;
                break;
            }
            written += count;
        }
        const int percent = static_cast<int>(100 * written / std::max<juce::int64>(length, 1));
        if (showProgress && percent / progressStep != shownPercent / progressStep)
        {
            shownPercent = percent;
            const std::string line = "converting: " + std::to_string(percent) + "%";
            capture.toTerminal(terminal ? "\r" + line + (written >= length ? "\n" : "") : line + "\n");
        }
    }
    writer.reset();
    const bool noiseGateOn = facade.hasNoiseGate();
    const bool pitchShifterOn = facade.hasPitchShifter();
    const bool limiterOn = facade.hasLimiter();
    facadeObject.reset();
    const std::string lines = capture.finish();
    if (readFailed)
    {
        std::fputs(lines.c_str(), stderr);
        return failure(command, "cannot read the samples of " + arguments.positional[0]);
    }
    if (writeFailed || !temporary.overwriteTargetFileWithTemporary())
    {
        std::fputs(lines.c_str(), stderr);
        return failure(command, "cannot write " + arguments.positional[1]);
    }

    const double duration = static_cast<double>(length) / fileRate;
    std::printf("Converted %s (%s s at %s Hz, %d bits%s) through %s at %s Hz into %s\n",
                arguments.positional[0].c_str(), formatFixed(duration, 2).c_str(),
                formatFixed(fileRate, 0).c_str(), bits, reader->usesFloatingPointData ? " float" : "",
                modelPath.c_str(), formatFixed(modelRate, 0).c_str(), arguments.positional[1].c_str());
    std::printf("Stages: noise gate %s, pitch shifter %s, adaptive limiter %s\n", noiseGateOn ? "on" : "off",
                pitchShifterOn ? "on" : "off", limiterOn ? "on" : "off");
    const bool whole = std::abs(latency - std::round(latency)) < 0.005;
    std::printf("latency: %lld samples (%s%s ms at %s Hz)%s\n", static_cast<long long>(std::llround(latency)),
                whole ? "" : (formatFixed(latency, 2) + "; ").c_str(),
                formatFixed(1000.0 * latency / fileRate, 1).c_str(), formatFixed(fileRate, 0).c_str(),
                trim ? ", shifted out of the output" : "");
    std::printf("real-time factor: %s (conversion time / duration)\n",
                formatFixed(duration > 0.0 ? converting.count() / duration : 0.0, 4).c_str());
    return exitSuccess;
}
