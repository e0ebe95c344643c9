#pragma once

#include <juce_core/juce_core.h>

class Pupack;

namespace tessel
{

/** Where an installed model package came from. */
enum PupackInstallType
{
    pupackBundle = 0, ///< built into the application, extracted to "BundleData" ("Pupack_Bundle")
    pupackAppend = 1  ///< installed by the user into "AppendData" ("Pupack_Append")
};

/** The translation key that names an install type: "Pupack_Bundle", "Pupack_Append", or "" for
    any other value. */
juce::String getInstallTypeKey(int installType);

/** One installed model package as the library lists it: the package's description read once when
    the package was scanned, its file and how it was installed. */
struct PupackRecord
{
    juce::String identifier;         ///< target identifier followed directly by narrator identifier
    juce::String targetIdentifier;   ///< identifier of the target voice
    juce::String narratorIdentifier; ///< identifier of the source speaker type
    juce::String title;              ///< texts in the record's language
    juce::String narrator;
    juce::String target;
    juce::String description;
    juce::String filePath; ///< full path of the package file
    juce::String language; ///< language code the four texts were looked up with
    double version = 0.0;
    double formatVersion = 2.0;
    double pitch = 1.0;  ///< pitch ratio applied before conversion
    double volume = 1.0; ///< output gain of the engine, linear
    int installType = pupackBundle;

    /** A record of an opened package, its texts looked up for language (for example "ja" or
        "ja_JP"; empty for the package's own top-level texts). */
    static PupackRecord fromPackage(const Pupack& package, const juce::String& language, int installType);
};

} // namespace tessel
