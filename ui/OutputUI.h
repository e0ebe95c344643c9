#pragma once

#include "ui/LevelMeter.h"
#include "ui/PanelParts.h"
#include "ui/Slice9.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>

namespace tessel
{
/** The output panel of the main screen: the output level slider with its value field, the MUTE
    button and the output level meter, in a HUD frame. Not buffered: its meter animates. */
class OutputUI : public juce::Component
{
public:
    /** @param mixerNode        the mixer's node pointer: the slider sets its "Output Gain" (parameter 2)
        @param voiceMuteNode    the voice mute's node pointer: MUTE shows its parameter 0
        @param outputMeterNode  the output level meter's node pointer
        @param setMuted         mutes or unmutes the voice and the AUX signal together
        All node pointers are references to the audio service's own, followed across rebuilds. */
    OutputUI(NodeSource mixerNode, NodeSource voiceMuteNode, NodeSource outputMeterNode,
             std::function<void(bool)> setMuted);
    ~OutputUI() override;

    /** Shows the output gain and the mute state, each unless it is the one shown last. */
    void updateKnobPanel();

    void resized() override;

    Slice9 frame;
    PanelTitle title;
    juce::TextButton mute;
    ValueField valueField;
    juce::Slider slider;
    LevelMeter meter;

private:
    NodeSource voiceMuteNode;
    NodeSource outputMeterNode;
    std::function<void(bool)> setMuted;
    PercentControl control;
    bool cachedMute = false;
    float lastReading = 0.0f;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(OutputUI)
};
} // namespace tessel
