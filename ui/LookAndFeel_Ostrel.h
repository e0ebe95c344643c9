#pragma once

#include "ui/Slice9.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <array>
#include <functional>

namespace tessel
{
/** The application's look and feel: the V4 dark colour scheme, the interface typeface, nine-slice
    button and drop-down backgrounds, image knobs, image slider thumbs and tick boxes, and the popup
    menu colours.

    Components opt into the custom drawing through their component ID, which is tested for the style
    keys below (anywhere in the ID, case-sensitive). Everything not overridden here draws as V4.
    Images come from the embedded resources; a missing image draws nothing. */
class LookAndFeel_Ostrel : public juce::LookAndFeel_V4
{
public:
    /** Nine-slice button background, styled drop-down, styled tick box, styled drop-down font. */
    static constexpr const char* ostrelStyleKey = "OstrelStyle";
    /** Flat rectangular button with an outline. */
    static constexpr const char* ostrelGenericKey = "OstrelGeneric";
    /** Button background not drawn at all. */
    static constexpr const char* transparentKey = "Transparent";
    /** Drop-down text drawn with a zero-size font (a separate label shows it). */
    static constexpr const char* hideLabelKey = "HideLabel";

    /** Angle of the knob pointer at its minimum, in radians (-140 degrees from the top). */
    static constexpr float knobStartAngle = -2.4434612f;
    /** Angle swept by the knob from minimum to maximum, in radians (280 degrees). */
    static constexpr float knobSweepAngle = 4.8869224f;

    /** Loads one interface image by its file name. */
    using ImageLoader = std::function<juce::Image(const juce::String& fileName)>;

    /** Loads the images from the embedded resources, sets the colour scheme and the typeface. */
    LookAndFeel_Ostrel();
    /** The same, with images from loadImage instead of the embedded resources. */
    explicit LookAndFeel_Ostrel(const ImageLoader& loadImage);
    ~LookAndFeel_Ostrel() override;

    /** The V4 dark colour scheme, spelled out. */
    static ColourScheme getOstrelColourScheme();

    /** The file names of every image this look and feel loads. */
    static juce::StringArray getImageFileNames();

    /** The knob pointer's angle for a value, in radians clockwise from the top: linear over the
        range from knobStartAngle (minimum) to knobStartAngle + knobSweepAngle (maximum). An empty
        range gives the start angle. */
    static float getKnobAngle(double value, double minimum, double maximum);

    /** True when the component's ID contains the style key. */
    static bool hasStyleKey(const juce::Component& component, const char* key);

    void drawButtonBackground(juce::Graphics&, juce::Button&, const juce::Colour& backgroundColour,
                              bool shouldDrawButtonAsHighlighted, bool shouldDrawButtonAsDown) override;
    juce::Font getTextButtonFont(juce::TextButton&, int buttonHeight) override;
    void drawButtonText(juce::Graphics&, juce::TextButton&, bool shouldDrawButtonAsHighlighted,
                        bool shouldDrawButtonAsDown) override;
    void drawToggleButton(juce::Graphics&, juce::ToggleButton&, bool shouldDrawButtonAsHighlighted,
                          bool shouldDrawButtonAsDown) override;
    void drawTickBox(juce::Graphics&, juce::Component&, float x, float y, float w, float h, bool ticked,
                     bool isEnabled, bool shouldDrawButtonAsHighlighted,
                     bool shouldDrawButtonAsDown) override;
    void drawPopupMenuBackground(juce::Graphics&, int width, int height) override;
    void drawPopupMenuItem(juce::Graphics&, const juce::Rectangle<int>& area, bool isSeparator, bool isActive,
                           bool isHighlighted, bool isTicked, bool hasSubMenu, const juce::String& text,
                           const juce::String& shortcutKeyText, const juce::Drawable* icon,
                           const juce::Colour* textColour) override;
    void drawComboBox(juce::Graphics&, int width, int height, bool isButtonDown, int buttonX, int buttonY,
                      int buttonW, int buttonH, juce::ComboBox&) override;
    juce::Font getComboBoxFont(juce::ComboBox&) override;
    void drawLinearSlider(juce::Graphics&, int x, int y, int width, int height, float sliderPos,
                          float minSliderPos, float maxSliderPos, juce::Slider::SliderStyle,
                          juce::Slider&) override;
    void drawRotarySlider(juce::Graphics&, int x, int y, int width, int height, float sliderPosProportional,
                          float rotaryStartAngle, float rotaryEndAngle, juce::Slider&) override;
    /** The full cross size of the slider (its height when horizontal, else its width), not a radius. */
    int getSliderThumbRadius(juce::Slider&) override;
    /** The V2 layout with the slider area reduced at both ends by half the thumb size, so that the thumb
        centre reaches exactly the ends. */
    juce::Slider::SliderLayout getSliderLayout(juce::Slider&) override;

private:
    juce::DrawableImage knobGuide;
    juce::DrawableImage knobWheel;
    juce::DrawableImage knobPointer;
    std::array<juce::Image, 3> thumbImages;
    juce::DrawableImage thumb;
    juce::DrawableImage comboBackground;
    juce::DrawableImage comboArrow;
    std::array<juce::Image, 2> buttonImages;
    juce::DrawableImage buttonDrawable;
    std::array<juce::Image, 2> tickImages;
    juce::DrawableImage tick;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(LookAndFeel_Ostrel)
};
} // namespace tessel
