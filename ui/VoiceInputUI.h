#pragma once

#include "library/PupackSelectorViewModel.h"
#include "ui/LevelMeter.h"
#include "ui/PanelParts.h"
#include "ui/Slice9.h"

#include <juce_gui_basics/juce_gui_basics.h>

namespace tessel
{
/** The input panel of the main screen: the title, the microphone symbol, the input level meter and
    the narrator of the active model, in a HUD frame. Not buffered: its meter animates. */
class VoiceInputUI : public juce::Component, private PupackSelectorViewModel::Listener
{
public:
    /** @param inputMeterNode  the audio service's input level meter node pointer (followed across
                               rebuilds)
        @param viewModel       the model selector view model whose active model's narrator is shown
                               (not owned; may be null) */
    VoiceInputUI(NodeSource inputMeterNode, PupackSelectorViewModel* viewModel);
    ~VoiceInputUI() override;

    /** Shows the narrator of the active model; an empty name shows the translation of
        "General_Narrator" on a disabled label. */
    void setNarrator(const juce::String& name);

    void resized() override;

    Slice9 frame;
    PanelTitle title;
    PanelTitle narrator;
    juce::DrawableImage microphone;
    LevelMeter meter;

private:
    void pupackSelectionChanged() override;

    NodeSource inputMeterNode;
    PupackSelectorViewModel* viewModel;
    float lastReading = 0.0f;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(VoiceInputUI)
};
} // namespace tessel
