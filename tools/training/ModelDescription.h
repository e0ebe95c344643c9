#pragma once

#include <string>
#include <utility>
#include <vector>

namespace training
{

/** The display texts of a model in one language. */
struct ModelTexts
{
    std::string title;
    std::string target;
    std::string narrator;
    std::string description;

    bool empty() const { return title.empty() && target.empty() && narrator.empty() && description.empty(); }
};

/** The description of a model package ("model.json"). */
struct ModelDescription
{
    double version = 1.0;
    double formatVersion = 3.0;
    std::string targetIdentifier;
    std::string narratorIdentifier;
    ModelTexts texts; ///< the top-level texts (English)
    /** Texts by language code ("ja", "zh"), written in this order; empty ones are left out. */
    std::vector<std::pair<std::string, ModelTexts>> localised;
    double pitch = 1.0;  ///< pitch ratio applied to the voice before conversion
    double volume = 1.0; ///< output gain

    /** The JSON text: one object with the keys in a fixed order, numbers in their shortest exact
        form, strings as UTF-8 with the characters JSON requires escaped, ending in a line break.
        Raises TrainingError for a text that is not valid UTF-8 or a number that is not
        finite. */
    std::string toJson() const;
};

} // namespace training
