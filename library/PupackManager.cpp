#include "library/PupackManager.h"

#include "BinaryData.h"
#include "library/AtomicFileWrite.h"
#include "library/PupackSelectorViewModel.h"
#include "package/Pupack.h"

#include <algorithm>

namespace tessel
{
namespace
{
constexpr const char* bundleFolderName = "BundleData";
constexpr const char* appendFolderName = "AppendData";
constexpr const char* packagePattern = "*.ppc";

juce::String identifierOf(const Pupack& package)
{
    return juce::String::fromUTF8(package.displayName().c_str());
}

bool isSamePackage(const Pupack& a, const Pupack& b)
{
    return a.status() == 0 && b.status() == 0 && a.displayName() == b.displayName() &&
           a.version() == b.version();
}
} // namespace

std::vector<PupackManager::EmbeddedPupack> PupackManager::getEmbeddedPupacks()
{
    std::vector<EmbeddedPupack> packages;
    for (int i = 0; i < BinaryData::namedResourceListSize; ++i)
    {
        const char* name = BinaryData::namedResourceList[i];
        const char* original = BinaryData::getNamedResourceOriginalFilename(name);
        if (original == nullptr)
            continue;

        const auto fileName = juce::String::fromUTF8(original);
        if (!fileName.endsWith(".ppc"))
            continue;

        int size = 0;
        const void* data = BinaryData::getNamedResource(name, size);
        if (data != nullptr && size > 0)
            packages.push_back({fileName, data, static_cast<std::size_t>(size)});
    }
    return packages;
}

PupackManager::PupackManager(const juce::File& folder, std::unique_ptr<PupackAudioTarget> target,
                             const juce::String& languageCode, std::vector<EmbeddedPupack> builtInPackages,
                             std::unique_ptr<PupackAlertNotifier> alertNotifier)
    : settingsFolder(folder), audioTarget(std::move(target)), language(languageCode),
      notifier(std::move(alertNotifier))
{
    jassert(audioTarget != nullptr && notifier != nullptr);

    // Temporary files of writes cut short by a crash are never packages; they would only pile up.
    removeUnfinishedWrites(getBundleFolder());
    removeUnfinishedWrites(getAppendFolder());

    scanFolder(getBundleFolder(), pupackBundle);
    extractBuiltInPackages(builtInPackages);

    // The list is built again from the files actually on disk, so that a failed extraction leaves
    // no record behind.
    records.clear();
    scanFolder(getBundleFolder(), pupackBundle);
    scanFolder(getAppendFolder(), pupackAppend);
}

PupackManager::~PupackManager()
{
    selectorViewModel.reset();
}

std::shared_ptr<const PupackRecord> PupackManager::findRecord(const juce::String& identifier) const
{
    if (identifier.isEmpty())
        return nullptr;
    for (const auto& record : records)
        if (record->identifier == identifier)
            return record;
    return nullptr;
}

juce::File PupackManager::ensureFolder(const char* name) const
{
    const auto folder = settingsFolder.getChildFile(name);
    folder.createDirectory();
    return folder;
}

juce::File PupackManager::getBundleFolder() const
{
    return ensureFolder(bundleFolderName);
}

juce::File PupackManager::getAppendFolder() const
{
    return ensureFolder(appendFolderName);
}

void PupackManager::setSelectorViewModel(std::unique_ptr<PupackSelectorViewModel> viewModel)
{
    selectorViewModel = std::move(viewModel);
}

void PupackManager::addRecord(const Pupack& package, int installType)
{
    const auto identifier = identifierOf(package);
    if (package.status() != 0 || identifier.isEmpty())
        return;

    if (const auto existing = findRecord(identifier))
    {
        if (!(package.version() > existing->version))
            return;
        records.erase(std::find(records.begin(), records.end(), existing));
    }
    records.push_back(
        std::make_shared<const PupackRecord>(PupackRecord::fromPackage(package, language, installType)));
}

bool PupackManager::isAlreadyInstalled(const Pupack& package) const
{
    const auto existing = findRecord(identifierOf(package));
    return existing != nullptr && !(package.version() > existing->version);
}

void PupackManager::scanFolder(const juce::File& folder, int installType)
{
    // Sorted by path, so that the list order does not depend on the order of the folder's entries.
    auto files = folder.findChildFiles(juce::File::findFiles, true, packagePattern);
    files.sort();
    for (const auto& file : files)
    {
        const Pupack package(file.getFullPathName().toStdString());
        addRecord(package, installType);
    }
}

void PupackManager::extractBuiltInPackages(const std::vector<EmbeddedPupack>& builtInPackages)
{
    const auto folder = getBundleFolder();
    for (const auto& embedded : builtInPackages)
    {
        const Pupack package(embedded.data, embedded.size);
        if (package.status() != 0 || isAlreadyInstalled(package))
            continue;

        // The record of the written file takes the place of the older one, so that a second
        // embedded copy of the same version is not written again.
        placePackage(package, folder, embedded.fileName, embedded.data, embedded.size, pupackBundle);
    }
}

juce::File PupackManager::chooseDestination(const juce::File& folder, const juce::String& fileName,
                                            const juce::File& replacedFile) const
{
    const auto wanted = folder.getChildFile(fileName);
    if (wanted == replacedFile)
        return wanted;

    // A file of that name that the library lists belongs to another package: it must keep both its
    // file and its record. Anything else there (a broken or superseded file) may be replaced.
    const auto listed = [this](const juce::File& file)
    {
        return std::any_of(records.begin(), records.end(),
                           [&file](const auto& record) { return juce::File(record->filePath) == file; });
    };
    if (!listed(wanted) && !wanted.isDirectory())
        return wanted;

    for (int number = 2;; ++number)
    {
        const auto candidate = folder.getChildFile(wanted.getFileNameWithoutExtension() + "(" +
                                                   juce::String(number) + ")" + wanted.getFileExtension());
        if (!candidate.exists())
            return candidate;
    }
}

PupackManager::Placement PupackManager::placePackage(const Pupack& package, const juce::File& folder,
                                                     const juce::String& fileName, const void* data,
                                                     std::size_t size, int installType)
{
    const auto older = findRecord(identifierOf(package));
    const auto olderFile =
        older != nullptr && older->filePath.isNotEmpty() ? juce::File(older->filePath) : juce::File();
    const auto destination = chooseDestination(folder, fileName, olderFile);

    // The copy must read back as the same package before it takes its name, so that even a file
    // replaced in place is never lost to a bad copy.
    const auto readsBack = [&package](const juce::File& file)
    { return isSamePackage(package, Pupack(file.getFullPathName().toStdString())); };
    if (const auto written = writeFileAtomically(destination, data, size, readsBack); written.failed())
    {
        DBG("Package not written: " << written.getErrorMessage());
        return Placement::failed;
    }

    const Pupack copy(destination.getFullPathName().toStdString());
    // The older version goes only once the new one is safely on disk. When its file cannot be
    // deleted, the new copy is withdrawn so that one version stays, as it was.
    if (olderFile != juce::File() && olderFile != destination && olderFile.existsAsFile() &&
        !olderFile.deleteFile())
    {
        destination.deleteFile();
        return Placement::alreadyInstalled;
    }

    addRecord(copy, installType);
    return Placement::written;
}

PupackManager::InstallResult PupackManager::install(const juce::File& file)
{
    const Pupack package(file.getFullPathName().toStdString());
    if (package.status() != 0)
    {
        notifier->showWarning("Pupack_Msg_CanNotInstall", "Pupack_Msg_FileHasError", file.getFullPathName());
        return InstallResult::failed;
    }

    if (isAlreadyInstalled(package))
        return InstallResult::alreadyInstalled;

    // Folders are scanned for "*.ppc" with the case of the file system, so a copy of "Voice.PPC"
    // (which the drop area accepts) is named "Voice.ppc" to be found again at the next start.
    const auto fileName = file.getFileName().endsWith(".ppc") ? file.getFileName()
                                                              : file.getFileNameWithoutExtension() + ".ppc";
    juce::MemoryBlock bytes;
    const bool readable = file.loadFileAsData(bytes);
    const auto placed = readable ? placePackage(package, getAppendFolder(), fileName, bytes.getData(),
                                                bytes.getSize(), pupackAppend)
                                 : Placement::failed;
    if (placed == Placement::failed)
    {
        notifier->showWarning("Pupack_Msg_CanNotInstall", "Pupack_Msg_CanNotCopy", file.getFullPathName());
        return InstallResult::failed;
    }
    if (placed == Placement::alreadyInstalled)
        return InstallResult::alreadyInstalled;

    if (selectorViewModel != nullptr)
        selectorViewModel->synchroniseWithLibrary();
    return InstallResult::installed;
}

bool PupackManager::uninstall(const juce::String& identifier)
{
    bool removed = false;
    if (selectorViewModel != nullptr)
        selectorViewModel->rememberSlotsForLibraryChange();

    if (const auto record = findRecord(identifier))
    {
        if (record->installType == pupackBundle)
        {
            notifier->showWarning("Pupack_Msg_CanNotUninstall", "Pupack_Msg_ItIsBundled", record->filePath);
        }
        else if (record->installType == pupackAppend)
        {
            // The converter lets go of the package before its file goes.
            if (selectorViewModel != nullptr)
                selectorViewModel->unloadSelectedSlot();

            if (juce::File(record->filePath).deleteFile())
            {
                records.erase(std::find(records.begin(), records.end(), record));
                removed = true;
            }
        }
    }

    if (selectorViewModel != nullptr)
        selectorViewModel->synchroniseWithLibrary();
    return removed;
}

} // namespace tessel
