// tavilo-model: voice model packages from the command line. Dispatches to one subcommand.

#include "CommandLine.h"
#include "Commands.h"

#include "engine/Vocaform.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace
{

struct Command
{
    const char* name;
    int (*run)(int, char**);
    const char* summary;
};

#if !TAVILO_MODEL_WITH_TRAIN || !TAVILO_MODEL_WITH_EVAL
int trainingMissing(int, char** argv)
{
    return model_tool::failure(argv[0], "model training is not part of this build");
}
#endif

const Command commands[] = {
    {"inspect", runInspect, "show what a model package holds"},
    {"pack", runPack, "make a model package of the files of a folder"},
    {"unpack", runUnpack, "extract the members of a model package into a folder"},
    {"convert", runConvert, "convert a WAV file through a voice model"},
#if TAVILO_MODEL_WITH_TRAIN
    {"train", runTrain, "train a voice model from parallel recordings"},
#else
    {"train", trainingMissing, "train a voice model from parallel recordings"},
#endif
#if TAVILO_MODEL_WITH_EVAL
    {"eval", runEval, "measure how well a voice model converts held-out recordings"},
#else
    {"eval", trainingMissing, "measure how well a voice model converts held-out recordings"},
#endif
};

void printUsage(std::FILE* to)
{
    std::fprintf(to, "Usage: tavilo-model COMMAND [ARGUMENTS]\n\n"
                     "Voice model packages (.ppc) of Tavilo from the command line.\n\nCommands:\n");
    for (const Command& c : commands)
        std::fprintf(to, "  %-9s %s\n", c.name, c.summary);
    std::fprintf(to,
                 "\n'tavilo-model COMMAND --help' describes a command. Exit status: 0 on success, 1 when\n"
                 "the work failed, 2 for a usage error.\n");
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
    {
        printUsage(stderr);
        return model_tool::exitUsage;
    }
    const std::string name = argv[1];
    if (name == "--help" || name == "-h" || name == "help")
    {
        printUsage(stdout);
        return model_tool::exitSuccess;
    }
    if (name == "--version")
    {
        std::printf("tavilo-model %s (conversion engine %s)\n", TAVILO_MODEL_VERSION, Vocaform::version());
        return model_tool::exitSuccess;
    }
    for (const Command& c : commands)
        if (name == c.name)
            return c.run(argc - 1, argv + 1);
    std::fprintf(stderr, "tavilo-model: unknown command '%s'\n\n", name.c_str());
    printUsage(stderr);
    return model_tool::exitUsage;
}
