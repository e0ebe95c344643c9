#pragma once

// The subcommands of tavilo-model. Each is called like a program's main: argv[0] is the
// subcommand's name ("inspect", ...), argv[1..argc) its arguments. Each returns the process's exit
// status: 0 on success, 1 when the work failed (a file, a package, a conversion), 2 for a usage
// error (unknown or malformed option, missing argument). Each understands --help.

/** inspect FILE.ppc [--locale LOCALE]: what a model package holds. */
int runInspect(int argc, char** argv);

/** pack DIR OUT.ppc [--force]: a package of the files of a folder. */
int runPack(int argc, char** argv);

/** unpack FILE.ppc DIR [--force]: the members of a package as files of a folder. */
int runUnpack(int argc, char** argv);

/** convert --model FILE.ppc IN.wav OUT.wav [options]: a WAV file through a voice model. */
int runConvert(int argc, char** argv);

/** train ...: a voice model from parallel recordings. */
int runTrain(int argc, char** argv);

/** eval ...: how well a voice model converts held-out recordings. */
int runEval(int argc, char** argv);
