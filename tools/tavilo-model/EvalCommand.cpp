// tavilo-model eval: how well a voice model converts held-out recordings, measured as the
// mel-cepstral distortion to the target's recordings of the same sentences.

#include "CommandLine.h"
#include "Commands.h"

#include "tools/training/ModelEvaluation.h"
#include "tools/training/TrainingError.h"
#include "tools/training/WavFile.h"

#include "package/Pupack.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace
{

namespace fs = std::filesystem;

const char* const usage =
    "Usage: tavilo-model eval MODEL.ppc SOURCE TARGET [options]\n"
    "\n"
    "Converts the narrator's recordings in SOURCE with the model, exactly as the application runs\n"
    "it (the engine's input gate, the pitch shifter the model asks for, the conversion and, when the\n"
    "application enables it, the limiter), and measures the mel-cepstral distortion of each to the\n"
    "target's recording of the same sentence in TARGET, next to that of the unconverted recording.\n"
    "SOURCE and TARGET are folders of WAV files or text files listing them, paired by file name as\n"
    "for training; keep them out of the model's training. Distortion is\n"
    "(10 / ln 10) sqrt(2 sum (c_d - c'_d)^2) over c1..c24 of the engine's 16 kHz analysis, whatever\n"
    "the model's rate, averaged over frames aligned by dynamic time warping, silence removed. F0 is\n"
    "the median over voiced frames. Levels are RMS over the input's speech frames (within 30 dB of\n"
    "its loudest 10 ms) and its pauses (more than 45 dB below), in the input and the output.\n"
    "\n"
    "  --gv LIST               GV coefficients to evaluate, comma separated (default 0,1)\n"
    "  --rate 16000|44100|48000  the engine rate (default as in the application: 16000 when the\n"
    "                          model has it, else 44100)\n"
    "  --gate on|off           the engine's input noise gate (default on)\n"
    "  --gate-trigger <level>  the gate's trigger level, 0..1 (default 0, the application's)\n"
    "  --limiter on|off        the adaptive limiter (default as in the application: off at\n"
    "                          16000 Hz, on otherwise)\n"
    "  --output-dir DIR        write the converted recordings there (as NAME at the engine rate,\n"
    "                          with the GV coefficient in the name when several are evaluated)\n"
    "  --verbose               show the engine's diagnostic lines\n"
    "\n"
    "Exit status: 0 when every recording was evaluated, 1 when not, 2 for a usage error.\n";

std::string fixed(double value, int decimals)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

} // namespace

int runEval(int argc, char** argv)
{
    using namespace model_tool;
    const std::string command = "eval";
    Arguments arguments;
    std::string error;
    if (!parseArguments(argc, argv,
                        {"--gv", "--rate", "--gate", "--gate-trigger", "--limiter", "--output-dir"},
                        {"--verbose"}, arguments, error))
        return usageError(command, error);
    if (arguments.has("--help"))
    {
        std::fputs(usage, stdout);
        return exitSuccess;
    }
    if (arguments.positional.size() != 3)
        return usageError(command, "needs a model and the held-out recordings (MODEL.ppc SOURCE TARGET)");

    std::vector<double> coefficients;
    const std::string gvList = arguments.has("--gv") ? arguments.value("--gv") : "0,1";
    for (std::size_t start = 0; start <= gvList.size();)
    {
        const std::size_t comma = gvList.find(',', start);
        const std::string item =
            gvList.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        double gv = 0.0;
        if (!parseNumber(item, gv) || gv < 0.0 || gv > 1.0)
            return usageError(command, "--gv takes numbers from 0 to 1, not '" + item + "'");
        coefficients.push_back(gv);
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    training::EvaluationSettings settings;
    double number = 0.0;
    if (arguments.has("--rate"))
    {
        if (!parseNumber(arguments.value("--rate"), number) ||
            (number != 16000.0 && number != 44100.0 && number != 48000.0))
            return usageError(command,
                              "--rate takes 16000, 44100 or 48000, not '" + arguments.value("--rate") + "'");
        settings.sampleRate = number;
    }
    if (arguments.has("--gate") && !parseSwitch(arguments.value("--gate"), settings.gateEnabled))
        return usageError(command, "--gate takes on or off, not '" + arguments.value("--gate") + "'");
    if (arguments.has("--gate-trigger") &&
        (!parseNumber(arguments.value("--gate-trigger"), settings.gateTrigger) ||
         settings.gateTrigger < 0.0 || settings.gateTrigger > 1.0))
        return usageError(command, "--gate-trigger takes a level from 0 to 1, not '" +
                                       arguments.value("--gate-trigger") + "'");
    if (arguments.has("--limiter"))
    {
        bool limiter = true;
        if (!parseSwitch(arguments.value("--limiter"), limiter))
            return usageError(command,
                              "--limiter takes on or off, not '" + arguments.value("--limiter") + "'");
        settings.limiter = limiter;
    }
    const std::string outputFolder = arguments.value("--output-dir");

    std::string notes;
    const std::unique_ptr<Pupack> package = openPackage(arguments.positional[0], notes);
    if (package->status() != 0)
        return failure(command, "cannot open the model " + arguments.positional[0] + ": result " +
                                    describeResult(package->status()));
    if (!outputFolder.empty())
    {
        std::error_code failed;
        fs::create_directories(outputFolder, failed);
        if (failed)
            return failure(command, "cannot create " + outputFolder + ": " + failed.message());
    }

    try
    {
        const auto pairs = training::pairRecordings(training::listRecordings(arguments.positional[1]),
                                                    training::listRecordings(arguments.positional[2]));
        std::printf("model %s: %s\n", arguments.positional[0].c_str(), package->displayName().c_str());
        for (const double gv : coefficients)
        {
            settings.gvCoefficient = gv;
            training::ModelEvaluation evaluation;
            {
                SdkOutputCapture capture(!arguments.has("--verbose"));
                evaluation = training::evaluateModel(
                    *package, pairs, settings,
                    [&](const training::RecordingPair& pair, const training::Recording& converted)
                    {
                        if (outputFolder.empty())
                            return;
                        std::string name = pair.name;
                        if (coefficients.size() > 1)
                            name = fs::path(name).stem().string() + "_gv" + fixed(gv, 2) +
                                   fs::path(name).extension().string();
                        training::writeWavFile((fs::path(outputFolder) / name).string(), converted);
                    });
            }
            std::printf("\nGV coefficient %s, engine at %ld Hz, limiter %s\n", fixed(gv, 2).c_str(),
                        static_cast<long>(evaluation.sampleRate), evaluation.limiter ? "on" : "off");
            std::printf("  %-16s %10s %12s %10s %10s %10s\n", "sentence", "MCD (dB)", "unconverted",
                        "F0 source", "F0 target", "F0 output");
            for (const auto& s : evaluation.sentences)
                std::printf("  %-16s %10s %12s %10s %10s %10s\n", s.name.c_str(),
                            fixed(s.convertedDb, 2).c_str(), fixed(s.unconvertedDb, 2).c_str(),
                            fixed(s.sourceF0Hz, 1).c_str(), fixed(s.targetF0Hz, 1).c_str(),
                            fixed(s.convertedF0Hz, 1).c_str());
            std::printf(
                "  %-16s %10s %12s %10s %10s %10s\n", "all", fixed(evaluation.meanConvertedDb, 2).c_str(),
                fixed(evaluation.meanUnconvertedDb, 2).c_str(), fixed(evaluation.sourceF0Hz, 1).c_str(),
                fixed(evaluation.targetF0Hz, 1).c_str(), fixed(evaluation.convertedF0Hz, 1).c_str());
            std::printf(
                "mean gv %s: converted %s dB, unconverted %s dB, improvement %s dB; F0 ratio achieved %s "
                "(output / source), output / target %s\n",
                fixed(gv, 2).c_str(), fixed(evaluation.meanConvertedDb, 2).c_str(),
                fixed(evaluation.meanUnconvertedDb, 2).c_str(),
                fixed(evaluation.meanUnconvertedDb - evaluation.meanConvertedDb, 2).c_str(),
                fixed(evaluation.sourceF0Hz > 0 ? evaluation.convertedF0Hz / evaluation.sourceF0Hz : 0.0, 2)
                    .c_str(),
                fixed(evaluation.targetF0Hz > 0 ? evaluation.convertedF0Hz / evaluation.targetF0Hz : 0.0, 2)
                    .c_str());
            std::printf(
                "level gv %s: speech %s dB (input %s dB), pauses %s dB (input %s dB)\n", fixed(gv, 2).c_str(),
                fixed(evaluation.outputSpeechDb, 1).c_str(), fixed(evaluation.inputSpeechDb, 1).c_str(),
                fixed(evaluation.outputPauseDb, 1).c_str(), fixed(evaluation.inputPauseDb, 1).c_str());
        }
        return exitSuccess;
    }
    catch (const training::TrainingError& e)
    {
        return failure(command, e.what());
    }
}
