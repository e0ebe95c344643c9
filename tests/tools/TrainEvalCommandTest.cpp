// tavilo-model train and eval as a user runs them: the real program on the test recordings.

#include <gtest/gtest.h>

#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace
{
namespace fs = std::filesystem;

const std::string speech = std::string(TAVILO_TEST_DATA_DIR) + "/speech/";

struct ToolResult
{
    int status = -1;
    std::string out;
    std::string err;
};

ToolResult run(const std::vector<std::string>& arguments)
{
    auto quoted = [](const std::string& a)
    {
        std::string q = "'";
        for (const char c : a)
            q += c == '\'' ? std::string("'\\''") : std::string(1, c);
        return q + "'";
    };
    const std::string errors =
        (fs::temp_directory_path() / ("tavilo-train-stderr-" + std::to_string(getpid()))).string();
    std::string command = quoted(TAVILO_MODEL_PROGRAM);
    for (const auto& a : arguments)
    {
        command += ' ';
        command += quoted(a);
    }
    command += " 2>";
    command += quoted(errors);
    ToolResult result;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr)
        return result;
    char chunk[4096];
    std::size_t n = 0;
    while ((n = std::fread(chunk, 1, sizeof chunk, pipe)) > 0)
        result.out.append(chunk, n);
    const int status = pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::ifstream in(errors);
    result.err.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    fs::remove(errors);
    return result;
}

std::vector<char> bytesOf(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

/** A temporary folder with the narrator's and the target's recordings of two sentences for
    training and one held out, as folders of WAV files named by sentence. */
class Recordings
{
public:
    Recordings()
    {
        std::string pattern = (fs::temp_directory_path() / "tavilo-train-test-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr)
            ADD_FAILURE() << "cannot create a temporary folder";
        root = pattern;
        for (const char* side : {"narrator", "target", "narrator-heldout", "target-heldout"})
            fs::create_directory(root / side);
        for (const char* sentence : {"100001", "100002"})
        {
            fs::copy_file(speech + "vcc2016_SM1_" + sentence + ".wav",
                          root / "narrator" / (std::string(sentence) + ".wav"));
            fs::copy_file(speech + "vcc2016_TF1_" + sentence + ".wav",
                          root / "target" / (std::string(sentence) + ".wav"));
        }
        fs::copy_file(speech + "vcc2016_SM1_100026.wav", root / "narrator-heldout" / "100026.wav");
        fs::copy_file(speech + "vcc2016_TF1_100026.wav", root / "target-heldout" / "100026.wav");
    }
    ~Recordings()
    {
        std::error_code ignored;
        fs::remove_all(root, ignored);
    }
    std::string path(const std::string& leaf) const { return (root / leaf).string(); }

private:
    fs::path root;
};

const std::vector<std::string> smallModel = {"--classes", "4", "--rounds", "2", "--target-name", "Test"};

std::vector<std::string> trainArguments(const Recordings& r, const std::string& output)
{
    std::vector<std::string> a = {"train", r.path("narrator"), r.path("target"), "--output", output};
    a.insert(a.end(), smallModel.begin(), smallModel.end());
    return a;
}

} // namespace

// Training writes a package that the program's own eval runs, shows its progress on the error
// stream and its figures on standard output, and gives the same bytes when run again.
TEST(TrainEvalCommand, TrainedPackageEvaluatesAndRetrainsToTheSameBytes)
{
    const Recordings r;
    const std::string model = r.path("model.ppc");
    const ToolResult trained = run(trainArguments(r, model));
    ASSERT_EQ(trained.status, 0) << trained.out << trained.err;
    EXPECT_NE(trained.err.find("round 1/2:"), std::string::npos) << trained.err;
    EXPECT_NE(trained.err.find("EM 4 classes, iteration 1: log-likelihood"), std::string::npos)
        << trained.err;
    EXPECT_EQ(trained.err.find("fftl ="), std::string::npos) << "the engine's lines are kept out";
    EXPECT_EQ(trained.out.rfind("wrote " + model, 0), 0u) << trained.out;
    EXPECT_NE(trained.out.find("pitch 2."), std::string::npos) << trained.out;
    EXPECT_NE(trained.out.find("training time:"), std::string::npos) << trained.out;

    const ToolResult inspected = run({"inspect", model});
    EXPECT_EQ(inspected.status, 0) << inspected.err;
    EXPECT_NE(inspected.out.find("16000 Hz"), std::string::npos) << inspected.out;

    const ToolResult evaluated = run({"eval", model, r.path("narrator-heldout"), r.path("target-heldout"),
                                      "--output-dir", r.path("converted")});
    ASSERT_EQ(evaluated.status, 0) << evaluated.out << evaluated.err;
    EXPECT_NE(evaluated.out.find("engine at 16000 Hz, limiter off"), std::string::npos) << evaluated.out;
    EXPECT_NE(evaluated.out.find("mean gv 0.00: converted"), std::string::npos) << evaluated.out;
    EXPECT_NE(evaluated.out.find("mean gv 1.00: converted"), std::string::npos) << evaluated.out;
    EXPECT_TRUE(fs::exists(r.path("converted/100026_gv0.00.wav")));

    const std::string again = r.path("again.ppc");
    ASSERT_EQ(run(trainArguments(r, again)).status, 0);
    EXPECT_EQ(bytesOf(again), bytesOf(model));
}

TEST(TrainEvalCommand, ErrorsExitNonZeroWithAMessage)
{
    const Recordings r;
    fs::copy_file(speech + "vcc2016_TF1_100026.wav", r.path("target/100026.wav"));
    std::ofstream(r.path("exists.ppc")) << "x";
    struct Case
    {
        std::vector<std::string> arguments;
        int status;
        std::string message;
    };
    const Case cases[] = {
        {{"train", r.path("narrator"), r.path("target")}, 2, "where to? (--output OUT.ppc)"},
        {{"train", r.path("narrator"), "--output", r.path("x.ppc")},
         2,
         "needs the narrator's and the target's"},
        {{"train", r.path("narrator"), r.path("target"), "-o", r.path("x.ppc"), "--rate", "22050"},
         2,
         "--rate takes 16000, 44100 or 48000"},
        {{"train", r.path("narrator"), r.path("target"), "-o", r.path("x.ppc"), "--pitch", "5"},
         2,
         "--pitch takes a ratio"},
        {{"train", r.path("narrator"), r.path("target"), "-o", r.path("x.ppc")},
         1,
         "without a partner of the same name:\n  target " + r.path("target/100026.wav")},
        {{"train", r.path("missing"), r.path("target"), "-o", r.path("x.ppc")},
         1,
         "neither a folder of WAV files nor a readable list"},
        {{"train", r.path("narrator"), r.path("target"), "-o", r.path("exists.ppc")},
         1,
         "exists; give --force"},
        {{"eval", r.path("missing.ppc"), r.path("narrator"), r.path("target")}, 1, "cannot open the model"},
        {{"eval", r.path("exists.ppc")}, 2, "needs a model and the held-out recordings"},
        {{"eval", r.path("exists.ppc"), r.path("narrator"), r.path("target"), "--gv", "2"},
         2,
         "--gv takes numbers from 0 to 1"},
    };
    for (const Case& c : cases)
    {
        std::string shown;
        for (const auto& a : c.arguments)
            shown += " " + a;
        SCOPED_TRACE("tavilo-model" + shown);
        const ToolResult result = run(c.arguments);
        EXPECT_EQ(result.status, c.status) << result.out << result.err;
        EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
    }
    EXPECT_FALSE(fs::exists(r.path("x.ppc")));
    for (const char* command : {"train", "eval"})
    {
        const ToolResult help = run({command, "--help"});
        EXPECT_EQ(help.status, 0) << command;
        EXPECT_EQ(help.out.rfind(std::string("Usage: tavilo-model ") + command, 0), 0u) << help.out;
    }
}
