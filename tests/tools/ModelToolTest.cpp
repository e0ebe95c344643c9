// tavilo-model as a user runs it: the real program on real files in a temporary folder.

#include "models/SpeechFile.h"
#include "models/TestPackage.h"
#include "package/Pupack.h"

#include <juce_audio_formats/juce_audio_formats.h>

#include <gtest/gtest.h>

#include <stdlib.h>
#include <sys/wait.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace
{
namespace fs = std::filesystem;
using Members = std::vector<zo::PackageWriter::Member>;
using test_models::TestPackageOptions;

const std::string speechFolder = std::string(TAVILO_TEST_DATA_DIR) + "/speech/";

class TemporaryFolder
{
public:
    TemporaryFolder()
    {
        std::string pattern = (fs::temp_directory_path() / "tavilo-model-test-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr)
            ADD_FAILURE() << "cannot create a temporary folder";
        folder = pattern;
    }
    ~TemporaryFolder()
    {
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }
    std::string file(const std::string& name) const { return (folder / name).string(); }

private:
    fs::path folder;
};

struct ToolRun
{
    int status = -1;
    std::string out;
    std::string err;
};

std::string quoted(const std::string& argument)
{
    std::string q = "'";
    for (const char c : argument)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

/** Runs tavilo-model with the arguments; standard output and the error stream apart. */
ToolRun tool(const std::vector<std::string>& arguments)
{
    const std::string errors =
        (fs::temp_directory_path() / ("tavilo-model-stderr-" + std::to_string(getpid()))).string();
    std::string command = quoted(TAVILO_MODEL_PROGRAM);
    for (const auto& a : arguments)
        command += " " + quoted(a);
    command += " 2>" + quoted(errors);
    ToolRun run;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr)
        return run;
    char chunk[4096];
    std::size_t n = 0;
    while ((n = std::fread(chunk, 1, sizeof chunk, pipe)) > 0)
        run.out.append(chunk, n);
    const int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::ifstream in(errors);
    run.err.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    fs::remove(errors);
    return run;
}

std::vector<std::uint8_t> fileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

/** A WAV file's format and first channel: integer samples as read (left-justified to 32 bits, so
    exact) or float samples. */
struct Wav
{
    double rate = 0.0;
    int bits = 0;
    bool floatingPoint = false;
    int channels = 0;
    std::vector<int> ints;
    std::vector<float> floats;

    /** Sample n in -1..1. */
    double at(std::size_t n) const { return floatingPoint ? floats[n] : ints[n] / 2147483648.0; }
    std::size_t size() const { return floatingPoint ? floats.size() : ints.size(); }
};

Wav readWav(const std::string& path)
{
    juce::WavAudioFormat format;
    std::unique_ptr<juce::AudioFormatReader> reader(
        format.createReaderFor(juce::File(path).createInputStream().release(), true));
    Wav wav;
    if (reader == nullptr)
    {
        ADD_FAILURE() << "cannot read " << path;
        return wav;
    }
    wav.rate = reader->sampleRate;
    wav.bits = static_cast<int>(reader->bitsPerSample);
    wav.floatingPoint = reader->usesFloatingPointData;
    wav.channels = static_cast<int>(reader->numChannels);
    const auto length = static_cast<int>(reader->lengthInSamples);
    if (wav.floatingPoint)
    {
        wav.floats.resize(static_cast<std::size_t>(length));
        float* channels[] = {wav.floats.data()};
        reader->read(channels, 1, 0, length);
    }
    else
    {
        wav.ints.resize(static_cast<std::size_t>(length));
        int* channels[] = {wav.ints.data()};
        reader->read(channels, 1, 0, length, false);
    }
    return wav;
}

/** Writes a WAV file whose every channel c is channels[c]. */
void writeWav(const std::string& path, double rate, int bits, const std::vector<std::vector<float>>& channels)
{
    juce::WavAudioFormat format;
    auto stream = juce::File(path).createOutputStream();
    ASSERT_TRUE(stream != nullptr);
    std::unique_ptr<juce::AudioFormatWriter> writer(
        format.createWriterFor(stream.get(), rate, static_cast<unsigned>(channels.size()), bits, {}, 0));
    ASSERT_TRUE(writer != nullptr);
    stream.release();
    std::vector<const float*> pointers;
    for (const auto& c : channels)
        pointers.push_back(c.data());
    ASSERT_TRUE(writer->writeFromFloatArrays(pointers.data(), static_cast<int>(channels.size()),
                                             static_cast<int>(channels[0].size())));
}

/** Speech (-1..1) of a recording at a rate. */
std::vector<float> speech(const char* name, double rate)
{
    const auto recording = test_models::readSpeech(speechFolder + name);
    std::vector<float> samples;
    for (const double s : test_models::resampleLinear(recording.samples, recording.sampleRate, rate))
        samples.push_back(static_cast<float>(s / 32768.0));
    return samples;
}

/** The number after "latency: " in the program's output, -1 when there is none. */
long long printedLatency(const std::string& out)
{
    const auto at = out.find("latency: ");
    return at == std::string::npos ? -1 : std::stoll(out.substr(at + 9));
}

/** The lag from..to at which b best matches a by normalised cross-correlation, past skip. */
long long bestLag(const Wav& a, const Wav& b, long long from, long long to, std::size_t skip)
{
    long long best = -1;
    double bestScore = -2.0;
    for (long long lag = std::max(0LL, from); lag <= to; ++lag)
    {
        double ab = 0.0, aa = 0.0, bb = 0.0;
        for (std::size_t i = skip; i < b.size(); ++i)
        {
            const double x = a.at(i - static_cast<std::size_t>(lag)), y = b.at(i);
            ab += x * y;
            aa += x * x;
            bb += y * y;
        }
        const double score = ab / std::sqrt(aa * bb);
        if (score > bestScore)
        {
            bestScore = score;
            best = lag;
        }
    }
    return best;
}

std::string writePackage(const TemporaryFolder& folder, const std::string& name,
                         const TestPackageOptions& options)
{
    const std::string path = folder.file(name);
    EXPECT_EQ(test_models::writeTestPackage(path, options), 0);
    return path;
}

} // namespace

// A converted file has the input's rate, length and sample format, and the voice in it arrives at
// the latency the program prints, for the rate choices of the application's conversion stage.
TEST(ModelTool, ConvertKeepsTheFormatAndTheVoiceArrivesAtThePrintedLatency)
{
    TemporaryFolder folder;
    TestPackageOptions at16000;
    at16000.rates = {16000.0, 44100.0}; // the application then runs it at 16000 Hz, limiter off
    at16000.classes = 8;
    TestPackageOptions at44100;
    at44100.classes = 8;
    const std::string model16 = writePackage(folder, "both.ppc", at16000);
    const std::string model44 = writePackage(folder, "44100.ppc", at44100);

    // A stereo 24-bit file at 44100 Hz (the voice on the first channel) and a 32-bit float file at
    // 48000 Hz, made from a recording.
    const auto voice44 = speech("vcc2016_SM1_100001.wav", 44100.0);
    std::vector<float> other(voice44.size());
    std::mt19937 random(5);
    std::uniform_real_distribution<float> uniform(-0.5f, 0.5f);
    for (float& s : other)
        s = uniform(random);
    writeWav(folder.file("stereo24.wav"), 44100.0, 24, {voice44, other});
    writeWav(folder.file("float48.wav"), 48000.0, 32, {speech("vcc2016_SM1_100001.wav", 48000.0)});

    struct Case
    {
        std::string input;
        std::string model;
        double modelRate;
        std::vector<std::string> options;
        const char* stages;
    };
    const Case cases[] = {
        {speechFolder + "vcc2016_SM1_100001.wav",
         model16,
         16000.0,
         {},
         "noise gate on, pitch shifter off, adaptive limiter off"},
        {speechFolder + "vcc2016_SM1_100001.wav",
         model44,
         44100.0,
         {},
         "noise gate on, pitch shifter off, adaptive limiter on"},
        {folder.file("stereo24.wav"), model16, 16000.0, {"--limiter", "on"}, "adaptive limiter on"},
        {folder.file("float48.wav"),
         model44,
         44100.0,
         {"--block-size", "480", "--gate", "off"},
         "noise gate off"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.input + " through " + c.model);
        const std::string output = folder.file("out.wav");
        std::vector<std::string> arguments = {"convert", "--model", c.model, c.input, output};
        arguments.insert(arguments.end(), c.options.begin(), c.options.end());
        const ToolRun run = tool(arguments);
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_NE(run.out.find(c.stages), std::string::npos) << run.out;
        EXPECT_NE(run.out.find("real-time factor: "), std::string::npos) << run.out;
        // Recordings of three seconds and more show progress; the engine's lines stay out.
        EXPECT_NE(run.err.find("converting: 100%"), std::string::npos) << run.err;
        EXPECT_EQ(run.err.find("GMM"), std::string::npos) << run.err;

        const Wav in = readWav(c.input);
        const Wav out = readWav(output);
        EXPECT_EQ(out.rate, in.rate);
        EXPECT_EQ(out.size(), in.size());
        EXPECT_EQ(out.bits, in.bits);
        EXPECT_EQ(out.floatingPoint, in.floatingPoint);
        EXPECT_EQ(out.channels, 1);

        const long long latency = printedLatency(run.out);
        ASSERT_GT(latency, 0) << run.out;
        const auto skip = static_cast<std::size_t>(0.2 * in.rate);
        // The converted envelope filters the voice, which moves the correlation peak by a few
        // samples at the model's rate; the zero-difference test below pins the figure exactly.
        const double tolerance = 5.0 * std::max(1.0, in.rate / c.modelRate);
        EXPECT_NEAR(static_cast<double>(bestLag(in, out, latency - 40, latency + 40, skip)),
                    static_cast<double>(latency), tolerance);
    }
}

// With a difference mapping of zero and the gate, limiter and pitch shifter off the conversion is a
// pure delay: the output's 16-bit samples are the input's, exactly, the printed latency later (or
// in place with --trim-latency), after the engine's silent start.
TEST(ModelTool, ZeroDifferenceConversionIsTheInputDelayed)
{
    TemporaryFolder folder;
    writeWav(folder.file("speech44.wav"), 44100.0, 16, {speech("vcc2016_TF1_100001.wav", 44100.0)});
    struct Case
    {
        double rate;
        std::string input;
        long long latency;
    };
    const Case cases[] = {
        {16000.0, speechFolder + "vcc2016_TF1_100001.wav", 4 + 80 + 400},
        {44100.0, folder.file("speech44.wav"), 4 + 221 + 1435},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.rate);
        TestPackageOptions options;
        options.rates = {c.rate};
        options.zeroDifference = true;
        const std::string model = writePackage(folder, "zero.ppc", options);
        const Wav in = readWav(c.input);
        const std::size_t silent = 26 * static_cast<std::size_t>(std::lround(c.rate * 0.005));
        for (const bool trim : {false, true})
        {
            SCOPED_TRACE(trim ? "latency trimmed" : "latency kept");
            std::vector<std::string> arguments = {"convert", "--model", model,
                                                  "--gate",  "off",     "--limiter",
                                                  "off",     c.input,   folder.file("out.wav")};
            if (trim)
                arguments.push_back("--trim-latency");
            const ToolRun run = tool(arguments);
            ASSERT_EQ(run.status, 0) << run.err;
            EXPECT_EQ(printedLatency(run.out), c.latency) << run.out;
            const Wav out = readWav(folder.file("out.wav"));
            ASSERT_EQ(out.size(), in.size());
            // Kept, the voice is the latency late and the silent start lasts 26 blocks; trimmed,
            // both move the latency earlier. The interpolators' four samples join the silence.
            const std::size_t shift = trim ? 0 : static_cast<std::size_t>(c.latency);
            const std::size_t earlier = trim ? static_cast<std::size_t>(c.latency) : 0;
            for (std::size_t n = 0; n < silent - earlier; ++n)
                ASSERT_EQ(out.ints[n], 0) << "sample " << n;
            for (std::size_t n = silent + 4 - earlier; n < out.size(); ++n)
                ASSERT_EQ(out.ints[n], in.ints[n - shift]) << "sample " << n;
        }
    }
}

TEST(ModelTool, InspectShowsStatusTextsRatesImagesAndMembers)
{
    TemporaryFolder folder;
    TestPackageOptions options;
    options.rates = {16000.0, 44100.0};
    options.pitch = 1.2;
    options.volume = 0.8;
    Members members = test_models::testPackageMembers(options);
    std::vector<std::uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n', 0, 0, 0, 13, 'I', 'H', 'D',
                                     'R',  0,   0,   1,   0,    0,    0,    1,    0, 8, 6, 0,  0,   0};
    members.push_back({"img256.png", png});
    members.push_back({"notes.txt", {'h', 'i'}});
    const std::string path = folder.file("voice.ppc");
    ASSERT_EQ(test_models::writePackage(path, members), 0);

    const ToolRun run = tool({"inspect", path});
    ASSERT_EQ(run.status, 0) << run.err;
    for (const char* expected :
         {"Status:        0 (success)", "Title:         Test voice", "Sample rates:  16000 Hz, 44100 Hz",
          "Conversion:    at 16000 Hz in the application, adaptive limiter off",
          "Pitch:         1.2 (pitch shifted)", "Volume:        0.8",
          "Engine:        16000 Hz builds; latency 828 samples (51.8 ms)",
          "Engine:        44100 Hz builds; latency 3059 samples (69.4 ms)",
          "Delta window:  dyn.win, 24 bytes", "img256.png  size 256, 29 bytes, PNG 256 x 256",
          "Members (12):", "(ignored: unknown kind)"})
        EXPECT_NE(run.out.find(expected), std::string::npos) << expected << "\n" << run.out;
    EXPECT_NE(run.err.find("note: unknown file type in archive [notes.txt]"), std::string::npos) << run.err;

    const ToolRun japanese = tool({"inspect", "--locale", "ja_JP", path});
    ASSERT_EQ(japanese.status, 0);
    EXPECT_NE(japanese.out.find("Title (ja_JP): \u30c6\u30b9\u30c8\u306e\u58f0"), std::string::npos)
        << japanese.out;
    // No Japanese description: the top-level one.
    EXPECT_NE(japanese.out.find("Description (ja_JP): A synthetic model for tests."), std::string::npos)
        << japanese.out;
}

// unpack gives the members as files; pack makes of them a package with the same members, and
// packing what that unpacks to gives the same bytes again. Neither replaces files unasked.
TEST(ModelTool, PackAndUnpackRoundTrip)
{
    TemporaryFolder folder;
    TestPackageOptions options;
    options.rates = {16000.0};
    const Members members = test_models::testPackageMembers(options);
    const std::string original = folder.file("original.ppc");
    ASSERT_EQ(test_models::writePackage(original, members), 0);

    ToolRun run = tool({"unpack", original, folder.file("files")});
    ASSERT_EQ(run.status, 0) << run.err;
    for (const auto& member : members)
        EXPECT_EQ(fileBytes(folder.file("files/" + member.name)), member.bytes) << member.name;

    run = tool({"pack", folder.file("files"), folder.file("packed.ppc")});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("sample rates: 16000 Hz"), std::string::npos) << run.out;
    Pupack packed(folder.file("packed.ppc"));
    ASSERT_EQ(packed.status(), 0);
    for (const auto& member : members)
    {
        std::vector<std::uint8_t> bytes;
        ASSERT_EQ(packed.readPackageMember(member.name, bytes), 0) << member.name;
        EXPECT_EQ(bytes, member.bytes) << member.name;
    }
    ASSERT_EQ(tool({"unpack", folder.file("packed.ppc"), folder.file("again")}).status, 0);
    ASSERT_EQ(tool({"pack", folder.file("again"), folder.file("repacked.ppc")}).status, 0);
    EXPECT_EQ(fileBytes(folder.file("repacked.ppc")), fileBytes(folder.file("packed.ppc")));

    // Existing files stay unless --force.
    const auto before = fileBytes(folder.file("packed.ppc"));
    run = tool({"pack", folder.file("files"), folder.file("original.ppc")});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("--force"), std::string::npos) << run.err;
    EXPECT_EQ(fileBytes(original), test_models::packageBytes(members));
    run = tool({"unpack", original, folder.file("files")});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(tool({"unpack", original, folder.file("files"), "--force"}).status, 0);
    EXPECT_EQ(tool({"pack", folder.file("again"), folder.file("packed.ppc"), "--force"}).status, 0);
    EXPECT_EQ(fileBytes(folder.file("packed.ppc")), before);

    // A folder without a description makes no package, and nothing is written.
    fs::remove(folder.file("again/model.json"));
    run = tool({"pack", folder.file("again"), folder.file("incomplete.ppc")});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("status 10"), std::string::npos) << run.err;
    EXPECT_FALSE(fs::exists(folder.file("incomplete.ppc")));
}

// Failures exit with 1 and a message, usage errors with 2; a failed conversion writes no file.
TEST(ModelTool, ErrorsExitNonZeroWithAMessage)
{
    TemporaryFolder folder;
    TestPackageOptions options;
    options.rates = {16000.0};
    const std::string good = writePackage(folder, "good.ppc", options);
    TestPackageOptions only48000;
    only48000.rates = {48000.0};
    const std::string at48000 = writePackage(folder, "48000.ppc", only48000);
    Members corrupt = test_models::testPackageMembers(options);
    test_models::findMember(corrupt, "16000.gmm")->bytes.resize(1000);
    const std::string corrupted = folder.file("corrupt.ppc");
    ASSERT_EQ(test_models::writePackage(corrupted, corrupt), 0);
    const std::string broken = folder.file("broken.ppc");
    std::ofstream(broken) << std::string(2000, 'x');
    const std::string notWav = folder.file("text.wav");
    std::ofstream(notWav) << "not a wave file";
    const std::string input = speechFolder + "arctic_slt_a0001.wav";
    const std::string output = folder.file("out.wav");
    const std::string missing = folder.file("missing");

    struct Case
    {
        std::vector<std::string> arguments;
        int status;
        const char* message;
    };
    const Case cases[] = {
        {{}, 2, "Usage: tavilo-model COMMAND"},
        {{"transmogrify"}, 2, "unknown command 'transmogrify'"},
        {{"inspect"}, 2, "which package?"},
        {{"inspect", missing + ".ppc"}, 1, "cannot read"},
        {{"inspect", broken}, 1, "does not load: status 12"},
        {{"inspect", corrupted}, 1, "engine: Error get_paramvec"},
        {{"inspect", good, "--colour"}, 2, "unknown option --colour"},
        {{"convert", input, output}, 2, "which model?"},
        {{"convert", "--model", good, "--gv", "1.5", input, output}, 2, "--gv takes a number from 0 to 1"},
        {{"convert", "--model", good, "--gate", "maybe", input, output}, 2, "--gate takes on or off"},
        {{"convert", "--model", good, "--gate-trigger", "-1", input, output},
         2,
         "--gate-trigger takes a level"},
        {{"convert", "--model", good, "--block-size", "0", input, output}, 2, "--block-size takes"},
        {{"convert", "--model", good, input}, 2, "needs an input and an output"},
        {{"convert", "--model", missing + ".ppc", input, output}, 1, "status 9"},
        {{"convert", "--model", broken, input, output}, 1, "status 12"},
        {{"convert", "--model", at48000, input, output}, 1, "no parameters for 16000 or 44100 Hz"},
        {{"convert", "--model", corrupted, input, output}, 1, "cannot convert at 16000 Hz: status 3"},
        {{"convert", "--model", good, missing + ".wav", output}, 1, "cannot read"},
        {{"convert", "--model", good, notWav, output}, 1, "is not a WAV file"},
        {{"convert", "--model", good, input, input}, 1, "would replace the input"},
        {{"pack", missing, folder.file("x.ppc")}, 1, "is not a folder"},
        {{"pack", folder.file("only-one")}, 2, "needs a folder and an output file"},
        {{"unpack", missing + ".ppc", folder.file("x")}, 1, "cannot read"},
        {{"unpack", broken, folder.file("x")}, 1, "is not a package"},
    };
    for (const Case& c : cases)
    {
        std::string shown;
        for (const auto& a : c.arguments)
            shown += " " + a;
        SCOPED_TRACE("tavilo-model" + shown);
        const ToolRun run = tool(c.arguments);
        EXPECT_EQ(run.status, c.status) << run.out << run.err;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
        EXPECT_FALSE(fs::exists(output));
    }
    // The engine's own account of a refused model is shown with the failure.
    const ToolRun refused = tool({"convert", "--model", corrupted, input, output});
    EXPECT_NE(refused.err.find("Error get_paramvec"), std::string::npos) << refused.err;

    for (const char* command : {"inspect", "pack", "unpack", "convert"})
    {
        const ToolRun help = tool({command, "--help"});
        EXPECT_EQ(help.status, 0) << command;
        EXPECT_EQ(help.out.rfind(std::string("Usage: tavilo-model ") + command, 0), 0u) << help.out;
    }
    EXPECT_EQ(tool({"--help"}).status, 0);
}
