#include "ui/PanelParts.h"

#include "ui/InterfaceImages.h"
#include "ui/Palette.h"

namespace tessel
{
juce::AudioProcessorParameter* findParameter(const NodePtr& node, int index)
{
    if (node == nullptr || node->getProcessor() == nullptr)
        return nullptr;

    const auto& parameters = node->getProcessor()->getParameters();
    return juce::isPositiveAndBelow(index, parameters.size()) ? parameters[index] : nullptr;
}

juce::AudioProcessorParameter* findParameter(const NodeSource& source, int index)
{
    return source ? findParameter(source(), index) : nullptr;
}

void fitDrawable(juce::Drawable& drawable, juce::Rectangle<float> area)
{
    if (area.isEmpty() || drawable.getDrawableBounds().isEmpty())
        return;

    drawable.setTransformToFit(area, juce::RectanglePlacement::centred);
}

void setInterfaceImage(juce::DrawableImage& drawable, const juce::String& fileName, juce::uint32 overlay)
{
    drawable.setImage(getInterfaceImage(fileName));
    drawable.setOverlayColour(juce::Colour(overlay));
}

juce::Rectangle<int> roundedBounds(juce::Rectangle<float> area)
{
    return {juce::roundToInt(area.getX()), juce::roundToInt(area.getY()), juce::roundToInt(area.getWidth()),
            juce::roundToInt(area.getHeight())};
}

PanelTitle::PanelTitle(const juce::String& translationKey, float proportion, juce::Justification placement)
    : juce::Label({}, TRANS(translationKey)), fontProportion(proportion)
{
    setJustificationType(placement);
    setInterceptsMouseClicks(false, false);
}

void PanelTitle::resized()
{
    setFont(juce::Font(juce::jmax(0.1f, fontProportion * (float)getHeight())));
    juce::Label::resized();
}

ValueField::ValueField()
{
    frame.setImage(getInterfaceImage("button_small_default_slice9_l20_t20_r24_b24.png"), smallButtonInsets,
                   juce::Colour(palette::accentBlue));
    frame.setInterceptsMouseClicks(false, false);
    addAndMakeVisible(frame);

    label.setJustificationType(juce::Justification::centred);
    // A single click edits; leaving the field keeps what was typed.
    label.setEditable(true, false, false);
    label.setMouseCursor(juce::MouseCursor::PointingHandCursor);
    label.onEditorShow = [this]
    {
        if (auto* editor = label.getCurrentTextEditor())
        {
            editor->setJustification(juce::Justification::centred);
            editor->setInputRestrictions(10, "0123456789");
        }
    };
    addAndMakeVisible(label);
}

ValueField::~ValueField() = default;

void ValueField::resized()
{
    frame.setBounds(getLocalBounds());
    label.setBounds(getLocalBounds());
    label.setFont(juce::Font(juce::jmax(0.1f, 0.5f * (float)getHeight())));
}

void ValueField::enablementChanged()
{
    label.setMouseCursor(isEnabled() ? juce::MouseCursor::PointingHandCursor
                                     : juce::MouseCursor::NormalCursor);
}

PercentControl::PercentControl(juce::Slider& s, ValueField& f, NodeSource n, int index,
                               std::function<void()> after)
    : slider(s), field(f), node(std::move(n)), parameterIndex(index), afterChange(std::move(after))
{
    slider.setRange(minimum, maximum, 1.0);
    slider.setTextValueSuffix("%");

    slider.onValueChange = [this]
    {
        if (auto* parameter = findParameter(node, parameterIndex))
            parameter->setValue((float)((slider.getValue() - minimum) / (maximum - minimum)));

        if (afterChange)
            afterChange();
    };

    field.label.onTextChange = [this]
    {
        // An empty field reads as 0; the slider clamps anything beyond 100 and writes the parameter
        // through its own change callback.
        slider.setValue(field.label.getText().getDoubleValue(), juce::sendNotificationSync);

        if (!field.label.isBeingEdited())
            field.label.setText(formatValue(slider.getValue()), juce::dontSendNotification);
    };
}

bool PercentControl::update()
{
    auto* parameter = findParameter(node, parameterIndex);

    if (parameter == nullptr)
        return false;

    const double value = minimum + (double)parameter->getValue() * (maximum - minimum);

    if (value == cachedValue)
        return false;

    slider.setValue(value, juce::dontSendNotification);

    if (!field.label.isBeingEdited())
        field.label.setText(formatValue(slider.getValue()), juce::dontSendNotification);

    cachedValue = value;
    return true;
}

double PercentControl::getValue() const
{
    return slider.getValue();
}

juce::String PercentControl::formatValue(double value)
{
    // The slider snaps to whole numbers; rounding keeps a value like 28.9999 from reading "28%".
    return juce::String(juce::roundToInt(value)) + "%";
}

void setUpHudFrame(Slice9& frame)
{
    frame.setImage(getInterfaceImage("hud_panel_slice9_l205_t190_r225_b240.png"), hudPanelInsets,
                   juce::Colour(palette::accentBlue));
    frame.setInterceptsMouseClicks(false, false);
}

HudPanelArea layOutHudFrame(Slice9& frame, int w, int h)
{
    HudPanelArea area;
    area.corner = (int)(0.0417 * h);
    const int c = area.corner;
    frame.setBounds(c, c, juce::jmax(w - 2 * c, 0), juce::jmax(h - 2 * c, 0));

    const int e = (int)(0.0695 * (h - 2 * c));
    area.origin = c + e;
    area.width = juce::jmax(w - 2 * c - 2 * e, 0);
    area.height = juce::jmax(h - 2 * c - 2 * e, 0);
    area.titleHeight = juce::jmin(area.height, (int)(0.15 * area.height));
    return area;
}

void setUpHudToggle(juce::TextButton& button, const juce::String& text, const juce::String& styleId,
                    juce::uint32 colour)
{
    button.setButtonText(text);
    button.setComponentID(styleId);
    button.setColour(juce::TextButton::buttonColourId, juce::Colour(colour));
    button.setColour(juce::TextButton::textColourOffId, juce::Colour(colour));
    button.setColour(juce::TextButton::textColourOnId, juce::Colour(palette::inkBlack));
    button.setMouseCursor(juce::MouseCursor::PointingHandCursor);
    button.setClickingTogglesState(true);
}

void setUpKnob(juce::Slider& knob)
{
    knob.setSliderStyle(juce::Slider::RotaryHorizontalVerticalDrag);
    knob.setTextBoxStyle(juce::Slider::NoTextBox, false, 0, 0);
    knob.setMouseCursor(juce::MouseCursor::PointingHandCursor);
}

void applyPanelEnablement(juce::Component& panel)
{
    const bool enabled = panel.isEnabled();

    for (auto* child : panel.getChildren())
    {
        child->setEnabled(enabled);
        child->setAlpha(enabled ? 1.0f : 0.15f);

        if (dynamic_cast<juce::Slider*>(child) != nullptr || dynamic_cast<ValueField*>(child) != nullptr)
            child->setMouseCursor(enabled ? juce::MouseCursor::PointingHandCursor
                                          : juce::MouseCursor::NormalCursor);
    }

    panel.repaint();
}
} // namespace tessel
