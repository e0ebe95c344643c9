#pragma once

#include "library/PupackAlertNotifier.h"
#include "library/PupackAudioTarget.h"
#include "library/PupackRecord.h"

#include <juce_core/juce_core.h>

#include <cstddef>
#include <memory>
#include <vector>

class Pupack;

namespace tessel
{

class PupackSelectorViewModel;

/** The model library: every installed voice model package, one record per package identifier.

    Packages live in two sub-folders of the settings folder: the packages built into the
    application are extracted into "BundleData" (install type 0), the ones the user installs are
    copied into "AppendData" (install type 1). The files in these folders are the library's whole
    persistent state. Of several packages with one identifier only the one with the highest
    version is listed; the list keeps the order in which records were added, and a record that
    replaces an older one goes to the end.

    Package files are written atomically (a temporary file renamed into place) and a copy is never
    given the name of another listed package's file, so neither an interrupted write nor a name
    clash can break or replace a package the library lists.

    The library owns the model selector view model, which keeps the user's order, slots and
    per-model settings and drives the audio side. Message thread only. */
class PupackManager
{
public:
    /** A model package embedded in the application: the name it is extracted under and its bytes
        (not owned; they live as long as the program). */
    struct EmbeddedPupack
    {
        juce::String fileName;
        const void* data = nullptr;
        std::size_t size = 0;
    };

    /** What `install` did. */
    enum class InstallResult
    {
        installed,        ///< the package was copied into "AppendData" and is listed
        alreadyInstalled, ///< the same or a newer version is listed, or its older file cannot be deleted
        failed            ///< the file is not a readable package or could not be copied; a warning was shown
    };

    using RecordList = std::vector<std::shared_ptr<const PupackRecord>>;

    /** The application's built-in packages: every embedded resource whose original file name ends
        in ".ppc", in resource order. */
    static std::vector<EmbeddedPupack> getEmbeddedPupacks();

    /** Builds the library: lists "BundleData", extracts every built-in package that is missing
        there or older there, lists "BundleData" again from the files now on disk, then lists
        "AppendData". Both folders are created when missing. Texts of the records are looked up for
        language (for example "ja"). The audio target is owned and handed to the view model;
        warnings go through notifier. */
    PupackManager(
        const juce::File& settingsFolder, std::unique_ptr<PupackAudioTarget> audioTarget,
        const juce::String& language, std::vector<EmbeddedPupack> builtInPackages = getEmbeddedPupacks(),
        std::unique_ptr<PupackAlertNotifier> notifier = std::make_unique<PupackAlertWindowNotifier>());

    /** Destroys the view model first, which hands the converter no model before it frees the
        package it had opened. */
    ~PupackManager();

    /** The listed packages, in the order they were added. */
    const RecordList& getRecords() const noexcept { return records; }

    /** The record with that identifier, or null. */
    std::shared_ptr<const PupackRecord> findRecord(const juce::String& identifier) const;

    /** Installs a package file (".ppc"). A file that is not a readable package shows the warning
        "Pupack_Msg_CanNotInstall" / "Pupack_Msg_FileHasError" with its path and changes nothing. A
        package whose identifier is listed with the same or a higher version changes nothing and
        shows nothing. Otherwise the file is copied into "AppendData" under its own name (or, when
        another listed package's file has that name, under a free name such as "name(2).ppc"); once
        the copy reads back as the same package, the older version's file is deleted and the new
        record goes to the end of the list. Then the view model takes over the new list. */
    InstallResult install(const juce::File& file);

    /** Removes an add-on package: the model of the view model's selected slot is unloaded, the
        package file is deleted and, when that worked, its record removed. A built-in package is
        not removed; the warning "Pupack_Msg_CanNotUninstall" / "Pupack_Msg_ItIsBundled" says why.
        In every case the view model then takes over the list, keeping the slots whose models still
        exist. True when a record was removed. */
    bool uninstall(const juce::String& identifier);

    /** Hands the view model to the library, which owns it from then on. */
    void setSelectorViewModel(std::unique_ptr<PupackSelectorViewModel> viewModel);
    /** The owned view model, or null before one was handed over. */
    PupackSelectorViewModel* getSelectorViewModel() const noexcept { return selectorViewModel.get(); }

    /** The audio side the view model drives. */
    PupackAudioTarget& getAudioTarget() const noexcept { return *audioTarget; }

    /** The language code the records' texts were looked up with. */
    const juce::String& getLanguage() const noexcept { return language; }

    /** "BundleData" and "AppendData" in the settings folder, created when missing. */
    juce::File getBundleFolder() const;
    juce::File getAppendFolder() const;

private:
    enum class Placement
    {
        written,
        alreadyInstalled,
        failed
    };

    void addRecord(const Pupack& package, int installType);
    bool isAlreadyInstalled(const Pupack& package) const;
    void scanFolder(const juce::File& folder, int installType);
    void extractBuiltInPackages(const std::vector<EmbeddedPupack>& builtInPackages);
    Placement placePackage(const Pupack& package, const juce::File& folder, const juce::String& fileName,
                           const void* data, std::size_t size, int installType);
    juce::File chooseDestination(const juce::File& folder, const juce::String& fileName,
                                 const juce::File& replacedFile) const;
    juce::File ensureFolder(const char* name) const;

    juce::File settingsFolder;
    std::unique_ptr<PupackAudioTarget> audioTarget;
    juce::String language;
    std::unique_ptr<PupackAlertNotifier> notifier;
    RecordList records;
    std::unique_ptr<PupackSelectorViewModel> selectorViewModel;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(PupackManager)
};

} // namespace tessel
