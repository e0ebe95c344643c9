#pragma once

#include "library/PupackRecord.h"

#include <juce_core/juce_core.h>

#include <memory>

namespace tessel
{

/** The user's settings for one installed model: its place in the user's order, its gain offset and
    its GV coefficient, linked to the library's record of the package.

    The text fields are the entry's own copies; wherever one is read, the linked record's value wins
    when there is a record. An entry without a record is the "none" entry that lookups return when
    they find nothing: empty identifier, order -1, offset 0 dB, GV coefficient 1. */
struct PupackMetaData
{
    std::shared_ptr<const PupackRecord> record; ///< the installed package, or null
    juce::String identifier;
    juce::String target;
    juce::String narrator;
    juce::String filePath;
    int order = -1;             ///< position in the user's order, from 0
    int skipVersion = 0;        ///< kept and stored per model
    float offsetDecibel = 0.0f; ///< gain offset of the converted voice, dB
    float coefficientGV = 1.0f; ///< GV coefficient of the converter, 0 to 1

    /** An entry for a record with the default settings at that order. */
    static PupackMetaData fromRecord(std::shared_ptr<const PupackRecord> record, int order);

    juce::String getIdentifier() const { return record != nullptr ? record->identifier : identifier; }
    juce::String getTarget() const { return record != nullptr ? record->target : target; }
    juce::String getNarrator() const { return record != nullptr ? record->narrator : narrator; }
    juce::String getFilePath() const { return record != nullptr ? record->filePath : filePath; }
    /** Target and narrator as the user reads them: "target - narrator". */
    juce::String getDisplayName() const { return getTarget() + " - " + getNarrator(); }
    /** The record's install type, or -1 without a record. */
    int getInstallType() const { return record != nullptr ? record->installType : -1; }
};

} // namespace tessel
