#pragma once

#include "package/ResultCode.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class Pupack_private;

/** An opened voice model package (".ppc"): a strict ustar archive holding the description
    "model.json", the engine's parameter members for one or more sample rates ("44100.gmm",
    "44100.intragmm", "44100.diffgmm", "44100.gvpf", ...), the delta window "dyn.win" and artwork
    ("img256.png", ...).

    Construction opens and scans the package at once; status() tells whether it loaded. Queries
    on a package that did not load return their defaults. Every member access indexes the archive
    anew, so the package keeps no archive open between calls. A package is not locked: one thread
    uses it at a time. */
class Pupack
{
public:
    /** Opens the package file at path for reading. A file that cannot be opened leaves the
        package without a stream: status() is result::noStream. */
    explicit Pupack(const std::string& path);

    /** Opens a package held in memory; the length bytes are copied. */
    Pupack(const void* bytes, std::size_t length);

    virtual ~Pupack();

    Pupack(const Pupack&) = delete;
    Pupack& operator=(const Pupack&) = delete;

    /** Scans the archive and parses the description, unless that succeeded before (then 0 at
        once). result::noStream without a stream, result::indexFailed when the archive cannot be
        indexed, result::shortRead for a negative member size, result::memberReadFailed when
        "model.json" cannot be read, result::invalidDescription when it is missing, empty, not
        valid JSON or not an object, result::outOfMemory when memory runs out. Members of an unrecognised kind
       are reported on standard output ("unknown file type in archive [name]") and ignored. */
    ResultCode load();

    /** The result of the last load(); 0 when the package loaded. */
    ResultCode status() const;

    /** The path given at construction; empty for a package in memory. */
    std::string path() const;

    /** "version" of the description (0 when missing). */
    double version() const;
    /** "formatVersion" of the description (2 when missing). */
    double formatVersion() const;
    /** "pitch": the pitch ratio applied before conversion (1.0 when missing). */
    double pitch() const;
    /** "volume": the output gain of the engine, linear (1.0 when missing). */
    double volume() const;

    /** "targetIdentifier", or "target" when that is empty. */
    std::string targetIdentifier() const;
    /** "narratorIdentifier", or "narrator" when that is empty. */
    std::string narratorIdentifier() const;
    /** targetIdentifier() followed directly by narratorIdentifier(). */
    std::string displayName() const;

    /** Localised texts for a locale such as "ja_JP" (may be null): the string under the key in
        the description's object named by the locale (ja-JP), else in the one named by its
        language (ja); an empty or missing localised string gives the top-level string, and a
        missing top-level string "". */
    std::string title(const char* locale) const;
    std::string narrator(const char* locale) const;
    std::string target(const char* locale) const;
    std::string description(const char* locale) const;

    /** The sample rates in Hz (of 16000, 44100, 48000, in that order) for which the package has
        all four parameter members. Empty when the package did not load. */
    std::vector<double> sampleRates() const;

    /** Whether the package loaded and rate (Hz) is one of sampleRates(). */
    bool supportsSampleRate(double rate) const;

    /** Base names of all members in archive order, ignored ones included. */
    std::vector<std::string> memberNames() const;

    /** Chooses the image member ("img" + nominal size N + any ending) closest to size pixels;
        with atLeast, the closest of those with N >= size. Candidates must be closer than 65535;
        on equal distances the earlier member wins.

        When length is given, the member's size in bytes is stored there; when buffer is given as
        well, *length on entry is the buffer's capacity and the bytes are copied into it (a member
        larger than the capacity copies nothing and gives result::memberReadFailed). Ask with a
        null buffer first to learn the length. result::noImage when no member qualifies or there is
        no stream, result::indexFailed when the archive cannot be indexed, result::shortRead for a
        negative member size, result::memberReadFailed when reading fails. */
    ResultCode image(void* buffer, std::int64_t* length, int size, bool atLeast);

    /** Reads the member with that base name (the last one when several have it). Stores its size
        in bytes in *length; when buffer is given, *length on entry is the buffer's capacity and the
        bytes are copied into it (a member larger than the capacity copies nothing and gives
        result::memberReadFailed). result::missingMember when there is no such member,
        result::invalidArgument when length is null, result::indexFailed when the archive cannot be
        indexed, result::memberReadFailed when reading fails. */
    ResultCode readPackageMember(const std::string& baseName, void* buffer, std::int64_t* length);

    /** Reads the whole member with that base name into bytes (replacing its content); codes as
        above, and result::memberReadFailed when memory for it runs out. */
    ResultCode readPackageMember(const std::string& baseName, std::vector<std::uint8_t>& bytes);

    /** readPackageMember() of the member named by the decimal integer of rate (Hz) followed by
        extension: 44100 and ".gmm" read "44100.gmm". */
    ResultCode readRateMember(const std::string& extension, double rate, void* buffer, std::int64_t* length);

    /** readRateMember() into a byte vector. */
    ResultCode readRateMember(const std::string& extension, double rate, std::vector<std::uint8_t>& bytes);

private:
    std::unique_ptr<Pupack_private> impl;
};
