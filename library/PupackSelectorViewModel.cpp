#include "library/PupackSelectorViewModel.h"

#include "BinaryData.h"
#include "library/PupackManager.h"
#include "package/Pupack.h"

#include <algorithm>
#include <string>

namespace tessel
{
namespace
{
constexpr const char* metaDataTag = "PUPACKMETADATA";
constexpr const char* pupackTag = "PUPACK";
constexpr const char* slotTreeTag = "PUPACKSELECTORSLOT";
constexpr const char* selectedSlotTag = "SELECTED_SLOT";
constexpr const char* slotATag = "SLOT_A";
constexpr const char* slotBTag = "SLOT_B";
constexpr const char* placeholderImageName = "symbol_image_placeholder.png";

int normalisedSlot(int slot)
{
    return slot == PupackSelectorViewModel::slotB ? PupackSelectorViewModel::slotB
                                                  : PupackSelectorViewModel::slotA;
}

juce::Image placeholderImage()
{
    // Looked up by the file name it was embedded from, not by the resource compiler's identifier.
    for (int i = 0; i < BinaryData::namedResourceListSize; ++i)
    {
        const char* name = BinaryData::namedResourceList[i];
        const char* original = BinaryData::getNamedResourceOriginalFilename(name);
        if (original != nullptr && juce::String::fromUTF8(original) == placeholderImageName)
        {
            int size = 0;
            const void* data = BinaryData::getNamedResource(name, size);
            return juce::ImageCache::getFromMemory(data, size);
        }
    }
    return {};
}
} // namespace

PupackSelectorViewModel::PupackSelectorViewModel(PupackManager& lib, PropertiesFileManager& settings)
    : library(lib), store(settings)
{
    store.addListener(this);
}

PupackSelectorViewModel::~PupackSelectorViewModel()
{
    storeTrees();
    store.removeListener(this);
    // The converter only borrows the package: it must let go of it before it is freed.
    if (currentPackage != nullptr)
        library.getAudioTarget().setModel(nullptr);
    currentPackage.reset();
}

//==================================================================================================
const PupackMetaData& PupackSelectorViewModel::findEntry(const juce::String& identifier) const
{
    if (identifier.isNotEmpty())
        for (const auto& entry : entries)
            if (entry->getIdentifier() == identifier)
                return *entry;
    return noneEntry;
}

const PupackMetaData& PupackSelectorViewModel::findEntryByOrder(int order) const
{
    for (const auto& entry : entries)
        if (entry->order == order)
            return *entry;
    return noneEntry;
}

PupackMetaData* PupackSelectorViewModel::findMutableEntry(const juce::String& identifier)
{
    const auto& found = findEntry(identifier);
    return &found == &noneEntry ? nullptr : const_cast<PupackMetaData*>(&found);
}

PupackMetaData* PupackSelectorViewModel::findMutableEntryByOrder(int order)
{
    const auto& found = findEntryByOrder(order);
    return &found == &noneEntry ? nullptr : const_cast<PupackMetaData*>(&found);
}

juce::StringArray PupackSelectorViewModel::getGroupMembers(const juce::String& target) const
{
    juce::StringArray identifiers;
    for (const auto& group : groups)
        if (group.target == target)
            for (const auto* member : group.members)
                identifiers.add(member->getIdentifier());
    return identifiers;
}

juce::String PupackSelectorViewModel::getSlotIdentifier(int slot) const
{
    return slotIdentifiers[normalisedSlot(slot)];
}

void PupackSelectorViewModel::addListener(Listener* listener)
{
    listeners.add(listener);
}

void PupackSelectorViewModel::removeListener(Listener* listener)
{
    listeners.remove(listener);
}

void PupackSelectorViewModel::notifyListeners()
{
    listeners.call([](Listener& l) { l.pupackSelectionChanged(); });
}

//==================================================================================================
void PupackSelectorViewModel::renumberOrders()
{
    // Stable, so entries with equal orders keep their list position relative to each other.
    std::stable_sort(entries.begin(), entries.end(),
                     [](const auto& a, const auto& b) { return a->order < b->order; });
    for (std::size_t i = 0; i < entries.size(); ++i)
        entries[i]->order = static_cast<int>(i);
}

void PupackSelectorViewModel::rebuildGroups()
{
    groups.clear();
    for (int order = 0; order < static_cast<int>(entries.size()); ++order)
    {
        const auto& entry = findEntryByOrder(order);
        const auto target = entry.getTarget();
        auto group =
            std::find_if(groups.begin(), groups.end(), [&](const Group& g) { return g.target == target; });
        if (group == groups.end())
            group = groups.insert(groups.end(), Group{target, {}});
        group->members.push_back(&entry);
    }
}

std::unique_ptr<juce::XmlElement> PupackSelectorViewModel::createMetaDataTree() const
{
    auto tree = std::make_unique<juce::XmlElement>(metaDataTag);
    for (int order = 0; order < static_cast<int>(entries.size()); ++order)
    {
        const auto& entry = findEntryByOrder(order);
        auto* child = tree->createNewChildElement(pupackTag);
        child->setAttribute("Identifier", entry.getIdentifier());
        child->setAttribute("TargetIdentifier",
                            entry.record != nullptr ? entry.record->targetIdentifier : "");
        child->setAttribute("NarratorIdentifier",
                            entry.record != nullptr ? entry.record->narratorIdentifier : "");
        child->setAttribute("Target", entry.getTarget());
        child->setAttribute("Narrator", entry.getNarrator());
        child->setAttribute("FilePath", entry.getFilePath());
        child->setAttribute("Order", entry.order);
        child->setAttribute("OffsetDecibel", static_cast<double>(entry.offsetDecibel));
        child->setAttribute("CoefficientGV", static_cast<double>(entry.coefficientGV));
        child->setAttribute("SkipVersion", entry.skipVersion);
    }
    return tree;
}

std::unique_ptr<juce::XmlElement> PupackSelectorViewModel::createSlotTree() const
{
    auto tree = std::make_unique<juce::XmlElement>(slotTreeTag);
    tree->createNewChildElement(selectedSlotTag)->setAttribute("SelectedSlot", selectedSlot);
    for (const auto& [tag, slot] : {std::pair{slotATag, slotA}, std::pair{slotBTag, slotB}})
    {
        const auto& entry = findEntry(slotIdentifiers[slot]);
        auto* child = tree->createNewChildElement(tag);
        child->setAttribute("Identifier", entry.getIdentifier());
        child->setAttribute("FilePath", entry.getFilePath());
    }
    return tree;
}

void PupackSelectorViewModel::storeTrees()
{
    store.setXml(PropertiesFileManager::pupackMetaDataKey, createMetaDataTree());
    store.setXml(PropertiesFileManager::pupackSelectorSlotKey, createSlotTree());
}

void PupackSelectorViewModel::propertiesWillBeSaved()
{
    storeTrees();
}

//==================================================================================================
void PupackSelectorViewModel::load()
{
    entries.clear();
    groups.clear();
    const auto& records = library.getRecords();
    for (std::size_t i = 0; i < records.size(); ++i)
        entries.push_back(
            std::make_unique<PupackMetaData>(PupackMetaData::fromRecord(records[i], static_cast<int>(i))));

    if (entries.size() > 1)
    {
        // Byte-wise on the UTF-8 text, so the order does not depend on the locale.
        std::stable_sort(entries.begin(), entries.end(),
                         [](const auto& a, const auto& b)
                         {
                             const auto ta = a->getTarget().toStdString(), tb = b->getTarget().toStdString();
                             if (ta != tb)
                                 return ta < tb;
                             return a->getNarrator().toStdString() < b->getNarrator().toStdString();
                         });
        for (std::size_t i = 0; i < entries.size(); ++i)
            entries[i]->order = static_cast<int>(i);
    }
    rebuildGroups();

    if (const auto* tree = store.getXml(PropertiesFileManager::pupackMetaDataKey))
    {
        for (const auto* child : tree->getChildWithTagNameIterator(pupackTag))
        {
            // A stored model that is no longer installed is passed over: it has no entry to move,
            // and the none entry keeps its fixed settings.
            auto* entry = findMutableEntry(child->getStringAttribute("Identifier"));
            if (entry == nullptr)
                continue;

            // Orders are swapped, never copied, so they stay a permutation.
            const int storedOrder = child->getIntAttribute("Order", 0);
            if (auto* holder = findMutableEntryByOrder(storedOrder); holder != nullptr && holder != entry)
                holder->order = entry->order;
            entry->order = storedOrder;
            entry->offsetDecibel = static_cast<float>(child->getDoubleAttribute("OffsetDecibel", 0.0));
            entry->coefficientGV = static_cast<float>(child->getDoubleAttribute("CoefficientGV", 0.0));
            entry->skipVersion = child->getIntAttribute("SkipVersion", 0);
        }
    }

    // Listeners told about the slots below already see the final orders and groups.
    renumberOrders();
    rebuildGroups();

    if (const auto* tree = store.getXml(PropertiesFileManager::pupackSelectorSlotKey))
    {
        selectedSlot = slotA;
        slotIdentifiers[slotA] = {};
        slotIdentifiers[slotB] = {};
        if (const auto* child = tree->getChildByName(selectedSlotTag))
            selectedSlot = normalisedSlot(child->getIntAttribute("SelectedSlot", slotA));
        if (const auto* child = tree->getChildByName(slotATag))
            slotIdentifiers[slotA] = findEntry(child->getStringAttribute("Identifier")).getIdentifier();
        if (const auto* child = tree->getChildByName(slotBTag))
            slotIdentifiers[slotB] = findEntry(child->getStringAttribute("Identifier")).getIdentifier();
        applySelection();
        notifyListeners();
    }

    storeTrees();
    notifyListeners();
}

//==================================================================================================
bool PupackSelectorViewModel::isRunning(const juce::String& identifier) const
{
    return currentPackage != nullptr && currentRecord != nullptr && identifier.isNotEmpty() &&
           currentRecord->identifier == identifier;
}

void PupackSelectorViewModel::releaseCurrentPackage()
{
    auto& audio = library.getAudioTarget();
    // The audio side lets go of the package before it is freed.
    audio.setModel(nullptr);
    currentPackage.reset();
    currentRecord.reset();
    audio.setOffsetDecibel(0.0f);
    audio.setCoefficientGV(0.0f);
}

void PupackSelectorViewModel::applySelection()
{
    const auto& entry = findEntry(slotIdentifiers[selectedSlot]);
    const auto record = library.findRecord(entry.getIdentifier());
    if (record == nullptr)
    {
        releaseCurrentPackage();
        return;
    }

    // The same record means the same file: the running package stays. A record replaced by an
    // install of a newer version is a different record, so its new file is opened.
    if (currentPackage != nullptr && currentRecord == record)
        return;

    auto package = std::make_unique<Pupack>(record->filePath.toStdString());
    if (package->status() != 0)
    {
        releaseCurrentPackage();
        return;
    }

    auto& audio = library.getAudioTarget();
    audio.setModel(package.get());
    // Freed only now that the audio side holds the new one.
    currentPackage = std::move(package);
    currentRecord = record;
    audio.setOffsetDecibel(entry.offsetDecibel);
    audio.setCoefficientGV(entry.coefficientGV);
}

void PupackSelectorViewModel::selectSlot(int slot)
{
    selectedSlot = normalisedSlot(slot);
    applySelection();
    notifyListeners();
}

void PupackSelectorViewModel::setSlot(int slot, const juce::String& identifier)
{
    slot = normalisedSlot(slot);
    const auto wanted = findEntry(identifier).getIdentifier();
    if (slotIdentifiers[slot] != wanted)
    {
        slotIdentifiers[slot] = wanted;
        applySelection();
    }
    notifyListeners();
}

void PupackSelectorViewModel::setOffsetDecibel(float decibels, const juce::String& identifier)
{
    if (auto* entry = findMutableEntry(identifier))
        entry->offsetDecibel = decibels;
    if (isRunning(identifier))
        library.getAudioTarget().setOffsetDecibel(decibels);
}

void PupackSelectorViewModel::setCoefficientGV(float coefficient, const juce::String& identifier)
{
    if (auto* entry = findMutableEntry(identifier))
        entry->coefficientGV = coefficient;
    if (isRunning(identifier))
        library.getAudioTarget().setCoefficientGV(coefficient);
}

//==================================================================================================
void PupackSelectorViewModel::swapOrder(const juce::String& identifierA, const juce::String& identifierB)
{
    auto* a = findMutableEntry(identifierA);
    auto* b = findMutableEntry(identifierB);
    if (a != nullptr && b != nullptr)
        std::swap(a->order, b->order);
    storeTrees();
    load();
    notifyListeners();
}

void PupackSelectorViewModel::moveGroup(const juce::String& fromTarget, const juce::String& toTarget)
{
    juce::StringArray names;
    for (const auto& group : groups)
        names.add(group.target);

    const int from = names.indexOf(fromTarget);
    const int to = names.indexOf(toTarget);
    if (from != to && from >= 0)
        names.move(from, to); // to < 0 moves it to the end

    int order = 0;
    for (const auto& name : names)
        for (const auto& group : groups)
            if (group.target == name)
                for (const auto* member : group.members)
                    if (auto* entry = findMutableEntry(member->getIdentifier()))
                        entry->order = order++;

    storeTrees();
    load();
    notifyListeners();
}

void PupackSelectorViewModel::uninstall(const juce::String& identifier)
{
    library.uninstall(identifier);
}

//==================================================================================================
void PupackSelectorViewModel::rememberSlotsForLibraryChange()
{
    if (!rememberedSlots.has_value())
        rememberedSlots = std::array<juce::String, 2>{slotIdentifiers[slotA], slotIdentifiers[slotB]};
}

void PupackSelectorViewModel::releaseSlotsForLibraryChange()
{
    rememberSlotsForLibraryChange();
    slotIdentifiers[slotA] = {};
    slotIdentifiers[slotB] = {};
    applySelection();
    notifyListeners();
}

void PupackSelectorViewModel::unloadSelectedSlot()
{
    rememberSlotsForLibraryChange();
    slotIdentifiers[selectedSlot] = {};
    applySelection();
}

void PupackSelectorViewModel::synchroniseWithLibrary()
{
    const auto previousSlots =
        rememberedSlots.value_or(std::array<juce::String, 2>{slotIdentifiers[slotA], slotIdentifiers[slotB]});
    rememberedSlots.reset();

    const auto& records = library.getRecords();
    std::vector<std::unique_ptr<PupackMetaData>> updated;
    for (const auto& record : records)
    {
        if (const auto* old = findMutableEntry(record->identifier))
        {
            auto entry = std::make_unique<PupackMetaData>(PupackMetaData::fromRecord(record, old->order));
            entry->offsetDecibel = old->offsetDecibel;
            entry->coefficientGV = old->coefficientGV;
            entry->skipVersion = old->skipVersion;
            updated.push_back(std::move(entry));
        }
    }
    // New models go after every model the user has ordered (the old orders are 0 ... n-1), in
    // library order.
    int nextOrder = static_cast<int>(entries.size());
    for (const auto& record : records)
    {
        if (findMutableEntry(record->identifier) == nullptr)
            updated.push_back(
                std::make_unique<PupackMetaData>(PupackMetaData::fromRecord(record, nextOrder++)));
    }

    // Groups point into the old entries; they are rebuilt below.
    groups.clear();
    entries = std::move(updated);
    renumberOrders();
    rebuildGroups();

    for (int slot : {slotA, slotB})
        slotIdentifiers[slot] = findEntry(previousSlots[static_cast<std::size_t>(slot)]).getIdentifier();
    storeTrees();
    applySelection();
    notifyListeners();
}

//==================================================================================================
juce::Image PupackSelectorViewModel::getSlotImage(int slot, int width, int height) const
{
    if (const auto record = library.findRecord(getSlotIdentifier(slot)))
    {
        Pupack package(record->filePath.toStdString());
        const int size = std::max(width, height);
        std::int64_t length = 0;
        if (package.status() == 0 && package.image(nullptr, &length, size, false) == 0 && length > 0)
        {
            juce::MemoryBlock bytes(static_cast<std::size_t>(length));
            if (package.image(bytes.getData(), &length, size, false) == 0)
            {
                auto image = juce::ImageFileFormat::loadFrom(bytes.getData(), bytes.getSize());
                if (image.isValid())
                    return image;
            }
        }
    }
    return placeholderImage();
}

} // namespace tessel
