#pragma once

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
    buffered. */
class VoiceModelUI : public juce::Component
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
        /** Item ID of the chooser -> model identifier. */
        std::map<int, juce::String> identifiers;
        /** The identifier of the picture shown (empty for the placeholder). */
        juce::String shownImage;
        bool showsPlaceholder = false;
    };

    /** @param vocaformNode  the conversion processor's node pointer
        @param gainNode      the offset gain's node pointer
        Both follow the audio service across rebuilds. */
    VoiceModelUI(NodeSource vocaformNode, NodeSource gainNode);
    ~VoiceModelUI() override;

    /** Brings the panel up to date: the choosers and pictures of both slots, the selection marks, the
        dimming while bypassed, the BYPASS button and the signal flow's picture set. */
    void updateModelPanel();

    /** Whether the conversion is bypassed: the conversion processor's bypass parameter when it has one,
        else its node's bypass flag. */
    bool isBypassed() const;

    /** The slot shown as active, 0 (A) or 1 (B). */
    int getActiveSlot() const noexcept { return activeSlot; }

    void resized() override;

    Slice9 frame;
    PanelTitle title;
    juce::TextButton bypass;
    std::array<Slot, 2> slots;

    /** The radio group of the two click areas. */
    static constexpr int slotRadioGroup = 17;

private:
    void slotClicked(int slot);
    void bypassClicked();
    void showSlotState(bool bypassed);
    void layOutSlot(int slot, juce::Rectangle<int> frameBounds, int contentHeight, int innerWidth);

    NodeSource vocaformNode;
    NodeSource gainNode;
    int activeSlot = 0;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(VoiceModelUI)
};
} // namespace tessel
