#pragma once

#include "app/PropertiesFileManager.h"
#include "library/PupackMetaData.h"

#include <juce_graphics/juce_graphics.h>

#include <array>
#include <memory>
#include <optional>
#include <vector>

class Pupack;

namespace tessel
{

class PupackManager;

/** The user's view of the model library: one metadata entry per installed model with its order,
    gain offset and GV coefficient; the models grouped by target; the two quick-access slots A and
    B and which of them is selected; and the package of the selected slot, opened and handed to the
    audio side.

    Groups follow the user's order: walking the orders 0, 1, 2, ..., each model joins the group of
    its target name, and a name not seen before opens a new group at the end.

    State is stored in the settings store under "PupackMetaDataForNormal" (one "PUPACK" per order)
    and "PupackSelectorSlotForNormal" (selected slot and both slots), handed over before every save.
    Owned by the library; message thread only. */
class PupackSelectorViewModel : public PropertiesFileManager::Listener
{
public:
    /** Told after every change of entries, orders, slots or the selection. */
    class Listener
    {
    public:
        virtual ~Listener() = default;
        virtual void pupackSelectionChanged() = 0;
    };

    /** Models of one target, in the user's order. */
    struct Group
    {
        juce::String target;
        std::vector<const PupackMetaData*> members;
    };

    static constexpr int slotA = 0;
    static constexpr int slotB = 1;

    /** An empty view model of the library, registered with the settings store; `load()` fills
        it. */
    PupackSelectorViewModel(PupackManager& library, PropertiesFileManager& store);

    /** Stores both trees once more, leaves the settings store, hands the audio side no model and
        frees the package it had opened. */
    ~PupackSelectorViewModel() override;

    /** Rebuilds everything from the library and the stored settings: entries sorted by target and
        narrator, then the stored orders, settings and slots applied; the selected slot's package is
        handed to the audio side; orders renumbered 0 ... n-1; both trees stored. */
    void load();

    /** Stores both trees in the settings store. */
    void propertiesWillBeSaved() override;

    void addListener(Listener* listener);
    void removeListener(Listener* listener);

    /** Every entry, in the user's order. */
    const std::vector<std::unique_ptr<PupackMetaData>>& getEntries() const noexcept { return entries; }
    /** The entry that stands for no model. */
    const PupackMetaData& getNoneEntry() const noexcept { return noneEntry; }
    /** The entry with that identifier, or the none entry. */
    const PupackMetaData& findEntry(const juce::String& identifier) const;
    /** The entry at that position of the user's order, or the none entry. */
    const PupackMetaData& findEntryByOrder(int order) const;

    /** The groups in order. */
    const std::vector<Group>& getGroups() const noexcept { return groups; }
    /** The identifiers of a group's models in order; empty for an unknown target. */
    juce::StringArray getGroupMembers(const juce::String& target) const;

    /** The identifier of the model in slot 0 (A) or 1 (B); empty when the slot is empty. */
    juce::String getSlotIdentifier(int slot) const;
    /** The selected slot: 0 (A) or 1 (B). */
    int getSelectedSlot() const noexcept { return selectedSlot; }

    /** Selects slot 0 (A) or 1 (B), applies the selection and notifies. */
    void selectSlot(int slot);
    /** Puts a model into a slot (an unknown identifier empties it); applies the selection when the
        slot changed, and notifies in any case. */
    void setSlot(int slot, const juce::String& identifier);

    /** Stores a model's gain offset in dB; when that model is the one running, the audio side gets
        it at once. */
    void setOffsetDecibel(float decibels, const juce::String& identifier);
    /** Stores a model's GV coefficient (0 to 1); when that model is the one running, the converter
        gets it at once. */
    void setCoefficientGV(float coefficient, const juce::String& identifier);

    /** Exchanges the orders of two models (when both exist), stores, reloads and notifies. */
    void swapOrder(const juce::String& identifierA, const juce::String& identifierB);
    /** Moves the group of fromTarget to the position of toTarget's group (to the end when toTarget
        is no group), renumbers every model along the new group order, stores, reloads and
        notifies. */
    void moveGroup(const juce::String& fromTarget, const juce::String& toTarget);

    /** Uninstalls a model through the library (an add-on only; a built-in one gives a warning). */
    void uninstall(const juce::String& identifier);

    /** The picture of the slot's model for a width x height pixel area: the package's image nearest
        max(width, height) pixels, or the placeholder image when the slot is empty or the package
        has no readable image. */
    juce::Image getSlotImage(int slot, int width, int height) const;

    /** Takes over the library's list after an install or uninstall: entries of remaining models
        keep their order and settings, new models are appended, removed ones dropped; orders are
        renumbered and stored; both slots go back to the models they held before the change where
        those still exist (empty otherwise); the selection is applied and listeners notified. */
    void synchroniseWithLibrary();

    /** Hands the selected slot's package to the audio side with the model's gain offset and GV
        coefficient; without a model (or with a package that does not open) the converter gets no
        model, offset 0 dB and GV coefficient 0. The package already running is not opened again. */
    void applySelection();

    /** Remembers both slots for the next `synchroniseWithLibrary()`, unless they are remembered
        already. Called when a change of the library begins. */
    void rememberSlotsForLibraryChange();
    /** Before files of the library change: remembers both slots, empties them, applies the
        selection (the audio side lets go of its package) and notifies. */
    void releaseSlotsForLibraryChange();
    /** Before an uninstall: remembers both slots, empties the selected one and applies the
        selection. */
    void unloadSelectedSlot();

    /** The package handed to the audio side, or null. */
    Pupack* getCurrentPackage() const noexcept { return currentPackage.get(); }

    /** The two stored trees. */
    std::unique_ptr<juce::XmlElement> createMetaDataTree() const;
    std::unique_ptr<juce::XmlElement> createSlotTree() const;

private:
    PupackMetaData* findMutableEntry(const juce::String& identifier);
    PupackMetaData* findMutableEntryByOrder(int order);
    void renumberOrders();
    void rebuildGroups();
    void storeTrees();
    void releaseCurrentPackage();
    bool isRunning(const juce::String& identifier) const;
    void notifyListeners();

    PupackManager& library;
    PropertiesFileManager& store;
    std::vector<std::unique_ptr<PupackMetaData>> entries;
    PupackMetaData noneEntry;
    std::vector<Group> groups;
    juce::String slotIdentifiers[2];
    int selectedSlot = slotA;
    std::optional<std::array<juce::String, 2>> rememberedSlots;
    std::unique_ptr<Pupack> currentPackage;
    std::shared_ptr<const PupackRecord> currentRecord;
    juce::ListenerList<Listener> listeners;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(PupackSelectorViewModel)
};

} // namespace tessel
