#pragma once

#include "library/PupackSelectorViewModel.h"
#include "ui/PanelParts.h"
#include "ui/Slice9.h"
#include "ui/VoiceModelComponent.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <array>
#include <map>

namespace tessel
{
/** The model panel of the main screen: the two quick-access slots A and B, each with a frame, a
    selection mark, the model's picture, an invisible click area that selects the slot and a model
    chooser, plus the BYPASS button that switches the voice conversion off. In a HUD frame; not
    buffered.

    The slots show the model selector view model: clicking a slot selects it, choosing a model puts
    it into the slot; the panel follows every change the view model reports. */
class VoiceModelUI : public juce::Component, private PupackSelectorViewModel::Listener
{
public:
    /** The parts of one slot. */
    struct Slot
    {
        Slice9 frame;
        juce::DrawableImage mark;
        juce::DrawableImage picture;
        juce::TextButton clickArea;
        VoiceModelComponent chooser;
        /** Where the picture is fitted, in the panel's coordinates. */
        juce::Rectangle<int> pictureBox;
        /** Item ID of the chooser -> model identifier. */
        std::map<int, juce::String> identifiers;
        /** What the picture shows: the model identifier and the size asked for, or empty for the
            placeholder. */
        juce::String shownImage;
    };

    /** @param vocaformNode  the conversion processor's node pointer
        @param gainNode      the offset gain's node pointer
        @param viewModel     the model selector view model (not owned; may be null: empty slots)
        The node sources follow the audio service across rebuilds. */
    VoiceModelUI(NodeSource vocaformNode, NodeSource gainNode, PupackSelectorViewModel* viewModel);
    ~VoiceModelUI() override;

    /** Brings the panel up to date: the choosers and pictures of both slots, the selection marks, the
        dimming while bypassed, the BYPASS button and the signal flow's picture set. */
    void updateModelPanel();

    /** Whether the conversion is bypassed: the conversion processor's bypass parameter when it has one,
        else its node's bypass flag. */
    bool isBypassed() const;

    /** The slot shown as active, 0 (A) or 1 (B). */
    int getActiveSlot() const noexcept { return activeSlot; }

    /** The model identifier of a chooser item, or empty. */
    juce::String getIdentifierOfItem(int slot, int itemId) const;

    void resized() override;

    Slice9 frame;
    PanelTitle title;
    juce::TextButton bypass;
    std::array<Slot, 2> slots;

    /** The radio group of the two click areas. */
    static constexpr int slotRadioGroup = 17;

private:
    void pupackSelectionChanged() override;
    void slotClicked(int slot);
    void modelChosen(int slot);
    void rebuildChoosers();
    void showPictures();
    void bypassClicked();
    void showSlotState(bool bypassed);
    void layOutSlot(int slot, juce::Rectangle<int> frameBounds, int contentHeight, int innerWidth);

    NodeSource vocaformNode;
    NodeSource gainNode;
    PupackSelectorViewModel* viewModel;
    int activeSlot = 0;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(VoiceModelUI)
};
} // namespace tessel
