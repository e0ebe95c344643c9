#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace tessel
{
/** The model chooser of a slot: a drop-down with a label on top. While the label has a text (the
    slot model's character), the drop-down hides its own text and the label shows it; with an empty
    label the drop-down shows its own text ("VoiceModel_NoTargetSelection" or "VoiceModel_NoTarget"
    when it has no items). The label ignores the mouse, so every click opens the drop-down. */
class VoiceModelComponent : public juce::Component
{
public:
    VoiceModelComponent();
    ~VoiceModelComponent() override;

    /** Shows a text on the label; switches the drop-down's own text off while the text is not empty. */
    void setLabelText(const juce::String& text);

    void resized() override;
    void enablementChanged() override;

    juce::ComboBox comboBox;
    juce::Label label;

    static constexpr const char* showLabelId = "OstrelStyle_VoiceModelComboBox_ShowLabel";
    static constexpr const char* hideLabelId = "OstrelStyle_VoiceModelComboBox_HideLabel";

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(VoiceModelComponent)
};
} // namespace tessel
