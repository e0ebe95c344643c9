#pragma once

#include "ui/PanelParts.h"

#include <juce_gui_basics/juce_gui_basics.h>

namespace tessel
{
/** A panel with one 0 ... 100 % knob bound to a processor parameter, its title below and a value
    field under the title: the mix level and noise gate panels. Buffered to an image. */
class KnobPanel : public juce::Component
{
public:
    /** @param titleKey        translation key of the title
        @param node            the audio service's node pointer of the processor (followed across rebuilds)
        @param parameterIndex  the parameter's index in the processor's list */
    KnobPanel(const juce::String& titleKey, NodeSource node, int parameterIndex);
    ~KnobPanel() override;

    /** Shows the parameter's value on the knob and the field, unless it is the one shown last. */
    void updateKnobPanel();

    void resized() override;
    void enablementChanged() override;

    juce::Slider knob;
    PanelTitle title;
    ValueField valueField;

private:
    PercentControl control;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(KnobPanel)
};

/** The mix level panel: the AUX level, parameter "Channel B Gain" (1) of the mixer. */
class MixLevelUI : public KnobPanel
{
public:
    explicit MixLevelUI(NodeSource mixerNode);
};

/** The noise gate panel: parameter "Noise Gate Trigger Level" (0) of the noise gate. */
class NoiseGateUI : public KnobPanel
{
public:
    explicit NoiseGateUI(NodeSource noiseGateNode);
};
} // namespace tessel
