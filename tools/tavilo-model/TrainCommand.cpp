// tavilo-model train: a voice model package from parallel recordings of a narrator (the source
// speaker) and a target voice.

#include "CommandLine.h"
#include "Commands.h"

#include "tools/training/Artwork.h"
#include "tools/training/ModelTrainer.h"
#include "tools/training/TrainingError.h"

#include "engine/EngineError.h"
#include "package/PackageWriter.h"
#include "package/Pupack.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace
{

namespace fs = std::filesystem;

const char* const usage =
    "Usage: tavilo-model train SOURCE TARGET --output OUT.ppc [options]\n"
    "\n"
    "Trains a voice model from parallel recordings. SOURCE holds the narrator's recordings and\n"
    "TARGET the target voice's: each is a folder of WAV files or a text file listing WAV files (one\n"
    "a line, relative to the list's folder; '#' starts a comment line). Files of the same name hold\n"
    "the same sentence; every file needs its partner. Any sample rate is accepted; the recordings\n"
    "are resampled to the model's rate. The same recordings and options give the same package, byte\n"
    "for byte. Progress (alignment rounds, EM iterations with their log-likelihood) goes to the\n"
    "error stream, a summary to standard output.\n"
    "\n"
    "  -o, --output FILE.ppc       the package to write (required)\n"
    "  --rate 16000|44100|48000    the engine rate of the model (default 16000)\n"
    "  --classes N                 mixture classes (default 32)\n"
    "  --rounds N                  alignment rounds (default 3)\n"
    "  --pitch RATIO               pitch ratio applied before conversion, 0.25..4 (default: the\n"
    "                              target's median F0 over the narrator's, 1 within 3 %)\n"
    "  --variance-floor F          variance floor, fraction of each feature's variance (default 0.01)\n"
    "  --seed N                    seed of the choice of training frames when there are more than\n"
    "                              200000 (default 1)\n"
    "  --delta-window two|three    the delta window's layout: two coefficients (default; the\n"
    "                              converted envelope lines up with the waveform it filters) or the\n"
    "                              three of the first shipped models (-0.5, 0.5, 0)\n"
    "  --title TEXT                the model's title (default \"TARGET (NARRATOR)\")\n"
    "  --target-name TEXT          the target voice's name (default: TARGET's folder name)\n"
    "  --narrator-name TEXT        the narrator's name (default: SOURCE's folder name)\n"
    "  --description TEXT          a description (default empty)\n"
    "  --title-ja, --target-name-ja, --narrator-name-ja, --description-ja TEXT\n"
    "  --title-zh, --target-name-zh, --narrator-name-zh, --description-zh TEXT\n"
    "                              Japanese and Chinese texts (left out when not given)\n"
    "  --target-id ID              target identifier (default: the target's name)\n"
    "  --narrator-id ID            narrator identifier (default: the narrator's name)\n"
    "  --version N                 the model's version (default 1)\n"
    "  --images A.png,B.png        artwork, each stored as img<width>.png (default: portraits of\n"
    "                              256 and 512 pixels drawn for the target identifier)\n"
    "  --force                     replace OUT.ppc when it exists\n"
    "  --quiet                     no progress lines\n"
    "  --verbose                   show the engine's diagnostic lines\n"
    "\n"
    "Exit status: 0 when the package was written, 1 when not, 2 for a usage error.\n";

std::string folderName(const std::string& path)
{
    fs::path p = fs::path(path).lexically_normal();
    if (p.filename().empty())
        p = p.parent_path();
    if (!fs::is_directory(p))
        p = p.parent_path().filename().empty() ? p.stem() : p.parent_path();
    return p.filename().string();
}

std::vector<std::string> splitList(const std::string& text)
{
    std::vector<std::string> items;
    std::size_t start = 0;
    while (start <= text.size())
    {
        const std::size_t comma = text.find(',', start);
        const std::string item =
            text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        if (!item.empty())
            items.push_back(item);
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    return items;
}

bool readFile(const std::string& path, std::vector<std::uint8_t>& bytes)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

std::string fixed(double value, int decimals)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

} // namespace

int runTrain(int argc, char** argv)
{
    using namespace model_tool;
    const std::string command = "train";
    const std::set<std::string> valued = {"-o",
                                          "--output",
                                          "--rate",
                                          "--classes",
                                          "--rounds",
                                          "--pitch",
                                          "--variance-floor",
                                          "--seed",
                                          "--delta-window",
                                          "--title",
                                          "--target-name",
                                          "--narrator-name",
                                          "--description",
                                          "--title-ja",
                                          "--target-name-ja",
                                          "--narrator-name-ja",
                                          "--description-ja",
                                          "--title-zh",
                                          "--target-name-zh",
                                          "--narrator-name-zh",
                                          "--description-zh",
                                          "--target-id",
                                          "--narrator-id",
                                          "--version",
                                          "--images"};
    Arguments arguments;
    std::string error;
    if (!parseArguments(argc, argv, valued, {"--force", "--quiet", "--verbose"}, arguments, error))
        return usageError(command, error);
    if (arguments.has("--help"))
    {
        std::fputs(usage, stdout);
        return exitSuccess;
    }
    if (arguments.positional.size() != 2)
        return usageError(command, "needs the narrator's and the target's recordings (SOURCE TARGET)");
    const std::string output = arguments.has("-o") ? arguments.value("-o") : arguments.value("--output");
    if (output.empty())
        return usageError(command, "where to? (--output OUT.ppc)");

    training::TrainingSettings settings;
    double number = 0.0;
    long long whole = 0;
    if (arguments.has("--rate"))
    {
        if (!parseNumber(arguments.value("--rate"), number) ||
            (number != 16000.0 && number != 44100.0 && number != 48000.0))
            return usageError(command,
                              "--rate takes 16000, 44100 or 48000, not '" + arguments.value("--rate") + "'");
        settings.sampleRate = number;
    }
    if (arguments.has("--classes"))
    {
        if (!parseInteger(arguments.value("--classes"), whole) || whole < 1 || whole > 1024)
            return usageError(command, "--classes takes a whole number from 1 to 1024, not '" +
                                           arguments.value("--classes") + "'");
        settings.gmm.classes = static_cast<int>(whole);
    }
    if (arguments.has("--rounds"))
    {
        if (!parseInteger(arguments.value("--rounds"), whole) || whole < 1 || whole > 10)
            return usageError(command, "--rounds takes a whole number from 1 to 10, not '" +
                                           arguments.value("--rounds") + "'");
        settings.rounds = static_cast<int>(whole);
    }
    if (arguments.has("--pitch"))
    {
        if (!parseNumber(arguments.value("--pitch"), number) || number < 0.25 || number > 4.0)
            return usageError(command, "--pitch takes a ratio from 0.25 to 4, not '" +
                                           arguments.value("--pitch") + "'");
        settings.pitch = number;
    }
    if (arguments.has("--variance-floor"))
    {
        if (!parseNumber(arguments.value("--variance-floor"), number) || number <= 0.0 || number >= 1.0)
            return usageError(command, "--variance-floor takes a fraction between 0 and 1, not '" +
                                           arguments.value("--variance-floor") + "'");
        settings.gmm.varianceFloor = number;
    }
    if (arguments.has("--seed"))
    {
        if (!parseInteger(arguments.value("--seed"), whole) || whole < 0 || whole > 4294967295LL)
            return usageError(command, "--seed takes a whole number from 0 to 4294967295, not '" +
                                           arguments.value("--seed") + "'");
        settings.seed = static_cast<std::uint32_t>(whole);
    }
    if (arguments.has("--delta-window"))
    {
        const std::string layout = arguments.value("--delta-window");
        if (layout != "two" && layout != "three")
            return usageError(command, "--delta-window takes two or three, not '" + layout + "'");
        settings.deltaWindow = layout == "two" ? training::DeltaWindowLayout::twoCoefficients
                                               : training::DeltaWindowLayout::threeCoefficients;
    }

    training::ModelDescription description;
    if (arguments.has("--version"))
    {
        if (!parseNumber(arguments.value("--version"), number) || number < 0.0)
            return usageError(command,
                              "--version takes a number, not '" + arguments.value("--version") + "'");
        description.version = number;
    }
    const std::string& sourceArgument = arguments.positional[0];
    const std::string& targetArgument = arguments.positional[1];
    description.texts.target =
        arguments.has("--target-name") ? arguments.value("--target-name") : folderName(targetArgument);
    description.texts.narrator =
        arguments.has("--narrator-name") ? arguments.value("--narrator-name") : folderName(sourceArgument);
    description.texts.title = arguments.has("--title")
                                  ? arguments.value("--title")
                                  : description.texts.target + " (" + description.texts.narrator + ")";
    description.texts.description = arguments.value("--description");
    description.targetIdentifier =
        arguments.has("--target-id") ? arguments.value("--target-id") : description.texts.target;
    description.narratorIdentifier =
        arguments.has("--narrator-id") ? arguments.value("--narrator-id") : description.texts.narrator;
    if (description.targetIdentifier.empty() && description.narratorIdentifier.empty())
        return usageError(command, "the model needs an identifier (--target-id, --narrator-id)");
    for (const char* language : {"ja", "zh"})
    {
        const std::string suffix = std::string("-") + language;
        training::ModelTexts texts{
            arguments.value("--title" + suffix), arguments.value("--target-name" + suffix),
            arguments.value("--narrator-name" + suffix), arguments.value("--description" + suffix)};
        description.localised.emplace_back(language, texts);
    }

    if (fs::exists(output) && !arguments.has("--force"))
        return failure(command, output + " exists; give --force to replace it");

    std::vector<training::ArtworkImage> images;
    for (const std::string& path : splitList(arguments.value("--images")))
    {
        std::vector<std::uint8_t> png;
        int width = 0, height = 0;
        if (!readFile(path, png))
            return failure(command, "cannot read the image " + path);
        if (!training::readPngSize(png, width, height))
            return failure(command, path + " is not a PNG image");
        if (width != height)
            return failure(command, path + " is " + std::to_string(width) + " x " + std::to_string(height) +
                                        " pixels; artwork is square");
        images.emplace_back(width, std::move(png));
    }

    const bool quiet = arguments.has("--quiet");
    SdkOutputCapture capture(!arguments.has("--verbose"));
    const auto started = std::chrono::steady_clock::now();
    try
    {
        const auto pairs = training::pairRecordings(training::listRecordings(sourceArgument),
                                                    training::listRecordings(targetArgument));
        const training::TrainedModel model = training::trainModel(pairs, settings,
                                                                  [&](const std::string& line)
                                                                  {
                                                                      if (!quiet)
                                                                          capture.toTerminal(line + "\n");
                                                                  });
        const zo::PackageWriter writer = training::packageWriter(model, description, images);
        const std::vector<std::uint8_t> bytes = writer.toBytes();

        // Check the package with the reader before it replaces anything.
        Pupack check(bytes.data(), bytes.size());
        if (check.status() != 0 || !check.supportsSampleRate(settings.sampleRate))
        {
            capture.finish();
            return failure(command,
                           "the package does not load (result " + describeResult(check.status()) + ")");
        }
        if (writer.writeToFile(output) != 0)
        {
            capture.finish();
            return failure(command, "cannot write " + output + ": " + writer.lastError());
        }
        capture.finish();
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        const auto& s = model.summary;
        std::printf("wrote %s (%zu bytes): %ld Hz, %d classes, pitch %s\n", output.c_str(), bytes.size(),
                    static_cast<long>(settings.sampleRate), model.joint.classes, fixed(s.pitch, 2).c_str());
        std::printf("recordings: %zu pairs; median F0: narrator %s Hz, target %s Hz\n", s.recordings,
                    fixed(s.sourceF0Hz, 1).c_str(), fixed(s.targetF0Hz, 1).c_str());
        std::printf("speech frames: narrator %zu, target %zu; frame pairs %zu; log-likelihood %s per frame\n",
                    s.sourceSpeechFrames, s.targetSpeechFrames, s.trainingFrames,
                    fixed(s.logLikelihood, 3).c_str());
        std::string distances;
        for (const double d : s.alignmentDistanceDb)
            distances += (distances.empty() ? "" : ", ") + fixed(d, 2);
        std::printf("distance along the alignment by round: %s dB\n", distances.c_str());
        if (s.convertedF0Hz > 0.0)
            std::printf("converted training speech at GV 1: median F0 %s Hz\n",
                        fixed(s.convertedF0Hz, 1).c_str());
        std::printf("speech level through the model at GV 1: %s dB; volume %s\n",
                    fixed(s.speechLevelChangeDb, 1).c_str(), fixed(s.volume, 2).c_str());
        std::printf("training time: %s s\n", fixed(seconds, 1).c_str());
        return exitSuccess;
    }
    catch (const training::TrainingError& e)
    {
        capture.finish();
        return failure(command, e.what());
    }
    catch (const EngineError& e)
    {
        capture.finish();
        return failure(command, std::string("the engine refused the trained model: ") + e.what());
    }
    catch (const std::bad_alloc&)
    {
        capture.finish();
        return failure(command, "out of memory");
    }
}
