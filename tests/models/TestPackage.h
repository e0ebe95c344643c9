#pragma once

#include "package/PackageWriter.h"

#include <cstdint>
#include <string>
#include <vector>

/** Valid voice model packages built from synthetic model data, for tests and benchmarks. */
namespace test_models
{

/** What a test package holds. The defaults give a loadable 44100-Hz package with random, valid
    GMMs and a mild post-filter. */
struct TestPackageOptions
{
    /** Rates with all four parameter members: 16000, 44100 and/or 48000 Hz. */
    std::vector<double> rates{44100.0};
    /** "pitch" and "volume" of the description. */
    double pitch = 1.0;
    double volume = 1.0;
    /** A difference mapping of exactly zero and the identity post-filter: the engine's output is
        then its input, delayed. Otherwise random, valid GMMs and a post-filter of scale 1.1,
        offset 0.01. */
    bool zeroDifference = false;
    /** Mixture classes of every GMM. */
    int classes = 4;
    /** Seed of the random GMMs. */
    std::uint32_t seed = 1;
    /** Whether the package holds the delta window "dyn.win". */
    bool withWindows = true;
    /** Texts of the description (a "ja" object carries Japanese ones). */
    std::string title = "Test voice";
    std::string target = "Tester";
    std::string narrator = "Anyone";
    std::string description = "A synthetic model for tests.";
};

/** The mel-cepstral order of the engine at a rate: 24, 60 or 65 (0 for other rates). */
int orderForRate(double rate);

/** The package's members in archive order: "model.json", "dyn.win", then per rate the ".gmm",
    ".intragmm", ".diffgmm" and ".gvpf" members. Edit the list (drop, replace, append members),
    then pass it to `packageBytes` or `writePackage`. */
std::vector<zo::PackageWriter::Member> testPackageMembers(const TestPackageOptions& options = {});

/** The description text "model.json" for the options. */
std::string testDescription(const TestPackageOptions& options);

/** A package of the members, as archive bytes. */
std::vector<std::uint8_t> packageBytes(const std::vector<zo::PackageWriter::Member>& members);

/** Writes a package of the members to path; a ResultCode of the writer (0 on success). */
ResultCode writePackage(const std::string& path, const std::vector<zo::PackageWriter::Member>& members);

/** `packageBytes(testPackageMembers(options))`. */
std::vector<std::uint8_t> testPackageBytes(const TestPackageOptions& options = {});

/** `writePackage(path, testPackageMembers(options))`. */
ResultCode writeTestPackage(const std::string& path, const TestPackageOptions& options = {});

/** The member with that name in the list, or null. */
zo::PackageWriter::Member* findMember(std::vector<zo::PackageWriter::Member>& members,
                                      const std::string& name);

/** Removes every member with that name; returns whether there was one. */
bool removeMember(std::vector<zo::PackageWriter::Member>& members, const std::string& name);

} // namespace test_models
