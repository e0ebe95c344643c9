#include "ui/LookAndFeel_Ostrel.h"

#include "ui/InterfaceImages.h"
#include "ui/InterfaceTypeface.h"
#include "ui/Palette.h"
#include "ui/UIScale.h"

namespace tessel
{
namespace
{
const char* const knobGuideFile = "knob_guide.png";
const char* const knobWheelFile = "knob_wheel.png";
const char* const knobPointerFile = "knob_wheel_current_point_base_center.png";
const char* const thumbFiles[3] = {"slider_thumb_default.png", "slider_thumb_hover.png",
                                   "slider_thumb_pressed.png"};
const char* const buttonFiles[2] = {"button_small_default_slice9_l20_t20_r24_b24.png",
                                    "button_small_selected_slice9_l20_t20_r24_b24.png"};
const char* const comboArrowFile = "symbol_open_combo_box.png";
const char* const tickFiles[2] = {"checkmark_uncheck.png", "checkmark_check.png"};

juce::Colour colour(juce::uint32 argb)
{
    return juce::Colour(argb);
}

void setUp(juce::DrawableImage& drawable, const juce::Image& image, juce::uint32 overlay)
{
    drawable.setImage(image);
    drawable.setOverlayColour(colour(overlay));
}

// Paints a drawable uniformly scaled and centred into an area. A drawable without an image has empty
// bounds and is skipped, so a missing image draws nothing.
void drawCentredWithin(juce::Graphics& g, juce::DrawableImage& drawable, juce::Rectangle<float> area)
{
    if (drawable.getImage().isValid() && !area.isEmpty())
        drawable.drawWithin(g, area, juce::RectanglePlacement::centred, 1.0f);
}
} // namespace

LookAndFeel_Ostrel::LookAndFeel_Ostrel() : LookAndFeel_Ostrel(ImageLoader(&getInterfaceImage)) {}

LookAndFeel_Ostrel::LookAndFeel_Ostrel(const ImageLoader& loadImage)
{
    setUp(knobGuide, loadImage(knobGuideFile), palette::guideGrey);
    setUp(knobWheel, loadImage(knobWheelFile), 0xffffffff);
    setUp(knobPointer, loadImage(knobPointerFile), 0xffffffff);

    for (size_t i = 0; i < thumbImages.size(); ++i)
        thumbImages[i] = loadImage(thumbFiles[i]);

    // The thumbs are colour pictures: no overlay, drawn as they are.
    thumb.setImage(thumbImages[0]);

    setUp(comboBackground, loadImage(buttonFiles[0]), palette::accentBlue);
    setUp(comboArrow, loadImage(comboArrowFile), palette::accentBlue);

    for (size_t i = 0; i < buttonImages.size(); ++i)
        buttonImages[i] = loadImage(buttonFiles[i]);

    setUp(buttonDrawable, buttonImages[0], palette::accentBlue);

    for (size_t i = 0; i < tickImages.size(); ++i)
        tickImages[i] = loadImage(tickFiles[i]);

    setUp(tick, tickImages[0], palette::activeCyan);

    setColourScheme(getOstrelColourScheme());

    if (auto typeface = loadInterfaceTypeface())
        setDefaultSansSerifTypeface(typeface);
}

LookAndFeel_Ostrel::~LookAndFeel_Ostrel() = default;

juce::LookAndFeel_V4::ColourScheme LookAndFeel_Ostrel::getOstrelColourScheme()
{
    // windowBackground, widgetBackground, menuBackground, outline, defaultText, defaultFill,
    // highlightedText, highlightedFill, menuText
    return {0xff323e44, 0xff263238, 0xff323e44, 0xff8e989b, 0xffffffff,
            0xff42a2c8, 0xffffffff, 0xff181f22, 0xffffffff};
}

juce::StringArray LookAndFeel_Ostrel::getImageFileNames()
{
    juce::StringArray names{knobGuideFile, knobWheelFile, knobPointerFile, comboArrowFile};

    for (auto* f : thumbFiles)
        names.add(f);
    for (auto* f : buttonFiles)
        names.add(f);
    for (auto* f : tickFiles)
        names.add(f);

    return names;
}

float LookAndFeel_Ostrel::getKnobAngle(double value, double minimum, double maximum)
{
    // A slider cannot have an empty range, but a division by zero would turn the knob into NaN.
    if (!(maximum > minimum))
        return knobStartAngle;

    return (float)((value - minimum) / (maximum - minimum)) * knobSweepAngle + knobStartAngle;
}

bool LookAndFeel_Ostrel::hasStyleKey(const juce::Component& component, const char* key)
{
    return component.getComponentID().contains(key);
}

void LookAndFeel_Ostrel::drawButtonBackground(juce::Graphics& g, juce::Button& button,
                                              const juce::Colour& backgroundColour,
                                              bool shouldDrawButtonAsHighlighted, bool shouldDrawButtonAsDown)
{
    if (hasStyleKey(button, ostrelStyleKey))
    {
        buttonDrawable.setImage(buttonImages[button.getToggleState() ? 1 : 0]);

        juce::Image scaled;
        Slice9Insets scaledInsets;
        rescaleSlice9(buttonDrawable.getImage(), smallButtonInsets, scaled, scaledInsets, getUIScale(button));

        const auto tint = button.findColour(juce::TextButton::buttonColourId)
                              .withMultipliedAlpha(shouldDrawButtonAsDown ? 0.75f : 1.0f);
        drawSlice9(g, scaled, scaledInsets, button.getWidth(), button.getHeight(), tint);
        return;
    }

    if (hasStyleKey(button, transparentKey))
        return;

    if (hasStyleKey(button, ostrelGenericKey))
    {
        const juce::Rectangle<float> area(0.5f, 0.5f, (float)juce::jmax(button.getWidth() - 1, 0),
                                          (float)juce::jmax(button.getHeight() - 1, 0));
        auto fill = colour(palette::genericFill);

        if (shouldDrawButtonAsHighlighted)
            fill = fill.contrasting(0.2f);
        if (shouldDrawButtonAsDown)
            fill = juce::Colours::green.contrasting(0.5f);

        g.setColour(fill);
        g.fillRect(area);

        // Stroked on the rectangle's edge (not drawn inside it), so the outline sits on the border.
        juce::Path outline;
        outline.addRectangle(area);
        g.setColour(colour(palette::genericOutline));
        g.strokePath(outline, juce::PathStrokeType(1.5f));
        return;
    }

    LookAndFeel_V4::drawButtonBackground(g, button, backgroundColour, shouldDrawButtonAsHighlighted,
                                         shouldDrawButtonAsDown);
}

juce::Font LookAndFeel_Ostrel::getTextButtonFont(juce::TextButton&, int buttonHeight)
{
    return juce::Font(juce::jlimit(0.1f, 10000.0f, juce::jmax(16.0f, 0.4f * (float)buttonHeight)));
}

void LookAndFeel_Ostrel::drawButtonText(juce::Graphics& g, juce::TextButton& button, bool,
                                        bool shouldDrawButtonAsDown)
{
    const auto font = getTextButtonFont(button, button.getHeight());
    g.setFont(font);
    g.setColour(button
                    .findColour(button.getToggleState() ? juce::TextButton::textColourOnId
                                                        : juce::TextButton::textColourOffId)
                    .withMultipliedAlpha(shouldDrawButtonAsDown ? 0.75f : 1.0f));

    const int w = button.getWidth();
    const int h = button.getHeight();
    const int yIndent = juce::jmin(4, button.proportionOfHeight(0.3f));
    const int cornerSize = juce::jmin(w, h) / 2;
    const int fontIndent = juce::roundToInt(font.getHeight() * 0.6f);
    const int leftIndent = juce::jmin(fontIndent, 2 + cornerSize / (button.isConnectedOnLeft() ? 4 : 2));
    const int rightIndent = juce::jmin(fontIndent, 2 + cornerSize / (button.isConnectedOnRight() ? 4 : 2));
    const int textWidth = w - leftIndent - rightIndent;

    if (textWidth > 0)
        g.drawFittedText(button.getButtonText(), leftIndent, yIndent, textWidth, h - yIndent * 2,
                         juce::Justification::centred, 2);
}

void LookAndFeel_Ostrel::drawToggleButton(juce::Graphics& g, juce::ToggleButton& button,
                                          bool shouldDrawButtonAsHighlighted, bool shouldDrawButtonAsDown)
{
    if (!hasStyleKey(button, ostrelStyleKey))
    {
        LookAndFeel_V4::drawToggleButton(g, button, shouldDrawButtonAsHighlighted, shouldDrawButtonAsDown);
        return;
    }

    // The styled tick box is the whole control; its text is shown elsewhere.
    const float size = 0.6f * (float)button.getWidth();
    drawTickBox(g, button, 8.0f, ((float)button.getHeight() - size) * 0.5f, size, size,
                button.getToggleState(), button.isEnabled(), shouldDrawButtonAsHighlighted,
                shouldDrawButtonAsDown);
}

void LookAndFeel_Ostrel::drawTickBox(juce::Graphics& g, juce::Component& component, float x, float y, float w,
                                     float h, bool ticked, bool isEnabled, bool shouldDrawButtonAsHighlighted,
                                     bool shouldDrawButtonAsDown)
{
    if (!hasStyleKey(component, ostrelStyleKey))
    {
        LookAndFeel_V4::drawTickBox(g, component, x, y, w, h, ticked, isEnabled,
                                    shouldDrawButtonAsHighlighted, shouldDrawButtonAsDown);
        return;
    }

    tick.setImage(tickImages[ticked ? 1 : 0]);

    // The 66-pixel pictures shrink to a few dozen pixels: resample them smoothly.
    juce::Graphics::ScopedSaveState state(g);
    g.setImageResamplingQuality(juce::Graphics::highResamplingQuality);
    drawCentredWithin(g, tick, {x, y, w, h});
}

void LookAndFeel_Ostrel::drawPopupMenuBackground(juce::Graphics& g, int width, int height)
{
    g.fillAll(colour(palette::menuNavy));
    g.setColour(colour(palette::inkBlack));
    g.drawRect(0, 0, width, height, 1);
}

void LookAndFeel_Ostrel::drawPopupMenuItem(juce::Graphics& g, const juce::Rectangle<int>& area,
                                           bool isSeparator, bool isActive, bool isHighlighted, bool isTicked,
                                           bool hasSubMenu, const juce::String& text,
                                           const juce::String& shortcutKeyText, const juce::Drawable* icon,
                                           const juce::Colour* textColourToUse)
{
    if (isSeparator)
    {
        auto r = area.withTrimmedLeft(5).withTrimmedRight(10);
        r.removeFromTop(juce::roundToInt((float)r.getHeight() * 0.5f - 0.5f));
        g.setColour(findColour(juce::PopupMenu::textColourId).withAlpha((juce::uint8)0x4c));
        g.fillRect(r.removeFromTop(1));
        return;
    }

    const auto textColour =
        textColourToUse != nullptr ? *textColourToUse : findColour(juce::PopupMenu::textColourId);
    auto r = area.reduced(1);

    if (isHighlighted && isActive)
    {
        g.setColour(colour(palette::accentBlue));
        g.fillRect(r);
        g.setColour(juce::Colour(0xffffffff));
    }
    else
    {
        g.setColour(textColour.withMultipliedAlpha(isActive ? 1.0f : 0.5f));
    }

    r.reduce(juce::jmin(5, area.getWidth() / 20), 0);

    auto font = getPopupMenuFont();
    const auto maxFontHeight = (float)r.getHeight() / 1.3f;

    if (font.getHeight() > maxFontHeight)
        font.setHeight(maxFontHeight);

    g.setFont(font);

    const auto iconArea = r.removeFromLeft(juce::roundToInt(maxFontHeight)).toFloat();

    if (icon != nullptr)
    {
        icon->drawWithin(g, iconArea,
                         juce::RectanglePlacement::centred | juce::RectanglePlacement::onlyReduceInSize,
                         1.0f);
        r.removeFromLeft(juce::roundToInt(maxFontHeight * 0.5f));
    }
    else if (isTicked)
    {
        const auto tickShape = getTickShape(1.0f);
        g.fillPath(tickShape,
                   tickShape.getTransformToScaleToFit(iconArea.reduced(iconArea.getWidth() / 5, 0), true));
    }

    if (hasSubMenu)
    {
        const auto arrowH = 0.6f * getPopupMenuFont().getAscent();
        const auto x = (float)r.removeFromRight((int)arrowH).getX();
        const auto halfH = (float)r.getCentreY();

        juce::Path path;
        path.startNewSubPath(x, halfH - arrowH * 0.5f);
        path.lineTo(x + arrowH * 0.6f, halfH);
        path.lineTo(x, halfH + arrowH * 0.5f);
        g.strokePath(path, juce::PathStrokeType(2.0f));
    }

    r.removeFromRight(3);
    g.drawFittedText(text, r, juce::Justification::centredLeft, 1);

    if (shortcutKeyText.isNotEmpty())
    {
        auto shortcutFont = font;
        shortcutFont.setHeight(shortcutFont.getHeight() * 0.75f);
        shortcutFont.setHorizontalScale(0.95f);
        g.setFont(shortcutFont);
        g.drawText(shortcutKeyText, r, juce::Justification::centredRight, true);
    }
}

void LookAndFeel_Ostrel::drawComboBox(juce::Graphics& g, int width, int height, bool isButtonDown,
                                      int buttonX, int buttonY, int buttonW, int buttonH, juce::ComboBox& box)
{
    if (!hasStyleKey(box, ostrelStyleKey))
    {
        LookAndFeel_V4::drawComboBox(g, width, height, isButtonDown, buttonX, buttonY, buttonW, buttonH, box);
        return;
    }

    juce::Image scaled;
    Slice9Insets scaledInsets;
    rescaleSlice9(comboBackground.getImage(), smallButtonInsets, scaled, scaledInsets, getUIScale(box));
    drawSlice9(
        g, scaled, scaledInsets, width, height,
        box.findColour(juce::ComboBox::buttonColourId).withMultipliedAlpha(isButtonDown ? 0.75f : 1.0f));

    const auto& arrow = comboArrow.getImage();

    if (arrow.isValid())
    {
        g.setColour(box.findColour(juce::ComboBox::arrowColourId));
        g.drawImage(arrow, juce::Rectangle<float>((float)(width - 40), 0.0f, 20.0f, (float)height),
                    juce::RectanglePlacement::centred, true);
    }
}

juce::Font LookAndFeel_Ostrel::getComboBoxFont(juce::ComboBox& box)
{
    const auto height = (float)box.getHeight();
    float fontHeight = juce::jmin(0.85f * height, 16.0f);

    if (hasStyleKey(box, hideLabelKey))
        fontHeight = 0.0f;
    else if (hasStyleKey(box, ostrelStyleKey))
        fontHeight = juce::jmax(0.5f * height, 16.0f);

    return juce::Font(juce::jlimit(0.1f, 10000.0f, fontHeight));
}

void LookAndFeel_Ostrel::drawLinearSlider(juce::Graphics& g, int x, int y, int width, int height,
                                          float sliderPos, float minSliderPos, float maxSliderPos,
                                          juce::Slider::SliderStyle style, juce::Slider& slider)
{
    if (slider.isBar())
    {
        LookAndFeel_V4::drawLinearSlider(g, x, y, width, height, sliderPos, minSliderPos, maxSliderPos, style,
                                         slider);
        return;
    }

    using Style = juce::Slider::SliderStyle;
    const bool isTwoValue = style == Style::TwoValueVertical || style == Style::TwoValueHorizontal;
    const bool isThreeValue = style == Style::ThreeValueVertical || style == Style::ThreeValueHorizontal;
    const bool horizontal = slider.isHorizontal();

    const float trackWidth = juce::jmin(12.0f, horizontal ? (float)height * 0.25f : (float)width * 0.25f);
    const float centreX = (float)x + (float)width * 0.5f;
    const float centreY = (float)y + (float)height * 0.5f;

    // Points along the centre line at a position in slider coordinates.
    auto along = [&](float position)
    { return horizontal ? juce::Point<float>(position, centreY) : juce::Point<float>(centreX, position); };

    const auto startPoint =
        horizontal ? juce::Point<float>((float)x, centreY) : juce::Point<float>(centreX, (float)(y + height));
    const auto endPoint =
        horizontal ? juce::Point<float>((float)(x + width), centreY) : juce::Point<float>(centreX, (float)y);
    const juce::PathStrokeType stroke(trackWidth, juce::PathStrokeType::curved, juce::PathStrokeType::butt);

    juce::Path backgroundTrack;
    backgroundTrack.startNewSubPath(startPoint);
    backgroundTrack.lineTo(endPoint);
    g.setColour(colour(palette::guideGrey));
    g.strokePath(backgroundTrack, stroke);

    const auto valuePoint = along(sliderPos);
    const auto trackFrom = (isTwoValue || isThreeValue) ? along(minSliderPos) : startPoint;
    const auto trackTo = (isTwoValue || isThreeValue) ? along(maxSliderPos) : valuePoint;

    juce::Path valueTrack;
    valueTrack.startNewSubPath(trackFrom);
    valueTrack.lineTo(trackTo);
    g.setColour(colour(palette::levelGreen));
    g.strokePath(valueTrack, stroke);

    if (!isTwoValue)
    {
        int state = 0;

        if (slider.isMouseButtonDown())
            state = 2;
        else if (slider.isMouseOverOrDragging())
            state = 1;

        thumb.setImage(thumbImages[(size_t)state]);
        const auto side = (float)getSliderThumbRadius(slider);
        drawCentredWithin(g, thumb, juce::Rectangle<float>(side, side).withCentre(valuePoint));
    }

    if (isTwoValue || isThreeValue)
    {
        // The minimum and maximum pointers as V4 draws them.
        const auto sr = juce::jmin(trackWidth, (horizontal ? (float)height : (float)width) * 0.4f);
        const auto pointerColour = slider.findColour(juce::Slider::thumbColourId);

        if (horizontal)
        {
            drawPointer(g, minSliderPos - sr, juce::jmax(0.0f, centreY - trackWidth * 2.0f),
                        trackWidth * 2.0f, pointerColour, 2);
            drawPointer(g, maxSliderPos - trackWidth,
                        juce::jmin((float)(y + height) - trackWidth * 2.0f, centreY), trackWidth * 2.0f,
                        pointerColour, 4);
        }
        else
        {
            drawPointer(g, juce::jmax(0.0f, centreX - trackWidth * 2.0f), minSliderPos - trackWidth,
                        trackWidth * 2.0f, pointerColour, 1);
            drawPointer(g, juce::jmin((float)(x + width) - trackWidth * 2.0f, centreX), maxSliderPos - sr,
                        trackWidth * 2.0f, pointerColour, 3);
        }
    }
}

void LookAndFeel_Ostrel::drawRotarySlider(juce::Graphics& g, int x, int y, int width, int height, float,
                                          float, float, juce::Slider& slider)
{
    // The knob always sweeps its own 280 degrees, linear in the value, whatever the slider's
    // rotary parameters and skew say.
    const bool pressed = slider.isMouseButtonDown() && slider.isEnabled();
    knobPointer.setOverlayColour(colour(pressed ? palette::activeCyan : 0xffffffff));

    const float angle = getKnobAngle(slider.getValue(), slider.getMinimum(), slider.getMaximum());
    const juce::Rectangle<float> area((float)x, (float)y, (float)width, (float)height);

    if (knobPointer.getImage().isValid() && !area.isEmpty())
    {
        const auto bounds = knobPointer.getDrawableBounds();
        const auto fit =
            juce::RectanglePlacement(juce::RectanglePlacement::centred).getTransformToFit(bounds, area);
        knobPointer.draw(
            g, 1.0f,
            juce::AffineTransform::rotation(angle, bounds.getCentreX(), bounds.getCentreY()).followedBy(fit));
    }

    const float radius = 0.45f * (float)height;
    juce::Path arc;
    arc.addCentredArc(area.getCentreX(), area.getCentreY(), radius, radius, 0.0f, knobStartAngle, angle,
                      true);
    g.setColour(colour(palette::activeCyan));
    g.strokePath(arc, juce::PathStrokeType(0.06f * (float)height, juce::PathStrokeType::curved,
                                           juce::PathStrokeType::butt));

    drawCentredWithin(g, knobGuide, area);
    drawCentredWithin(g, knobWheel, area);
}

int LookAndFeel_Ostrel::getSliderThumbRadius(juce::Slider& slider)
{
    return slider.isHorizontal() ? slider.getHeight() : slider.getWidth();
}

juce::Slider::SliderLayout LookAndFeel_Ostrel::getSliderLayout(juce::Slider& slider)
{
    const auto textBoxPos = slider.getTextBoxPosition();
    const bool textBeside =
        textBoxPos == juce::Slider::TextBoxLeft || textBoxPos == juce::Slider::TextBoxRight;
    const int minXSpace = textBeside ? 30 : 0;
    const int minYSpace = textBeside ? 0 : 15;

    const auto local = slider.getLocalBounds();
    const int textBoxWidth =
        juce::jmax(0, juce::jmin(slider.getTextBoxWidth(), local.getWidth() - minXSpace));
    const int textBoxHeight =
        juce::jmax(0, juce::jmin(slider.getTextBoxHeight(), local.getHeight() - minYSpace));

    juce::Slider::SliderLayout layout;

    if (textBoxPos != juce::Slider::NoTextBox)
    {
        if (slider.isBar())
        {
            layout.textBoxBounds = local;
        }
        else
        {
            int tx = (local.getWidth() - textBoxWidth) / 2;
            int ty = (local.getHeight() - textBoxHeight) / 2;

            if (textBoxPos == juce::Slider::TextBoxLeft)
                tx = 0;
            else if (textBoxPos == juce::Slider::TextBoxRight)
                tx = local.getWidth() - textBoxWidth;

            if (textBoxPos == juce::Slider::TextBoxAbove)
                ty = 0;
            else if (textBoxPos == juce::Slider::TextBoxBelow)
                ty = local.getHeight() - textBoxHeight;

            layout.textBoxBounds = {tx, ty, textBoxWidth, textBoxHeight};
        }
    }

    layout.sliderBounds = local;

    if (slider.isBar())
    {
        layout.sliderBounds.reduce(1, 1);
        return layout;
    }

    if (textBoxPos == juce::Slider::TextBoxLeft)
        layout.sliderBounds.removeFromLeft(textBoxWidth);
    else if (textBoxPos == juce::Slider::TextBoxRight)
        layout.sliderBounds.removeFromRight(textBoxWidth);
    else if (textBoxPos == juce::Slider::TextBoxAbove)
        layout.sliderBounds.removeFromTop(textBoxHeight);
    else if (textBoxPos == juce::Slider::TextBoxBelow)
        layout.sliderBounds.removeFromBottom(textBoxHeight);

    // Half the thumb at each end, so that the thumb centre travels exactly from end to end.
    const int indent = getSliderThumbRadius(slider) / 2;

    if (slider.isHorizontal())
        layout.sliderBounds.reduce(indent, 0);
    else if (slider.isVertical())
        layout.sliderBounds.reduce(0, indent);

    return layout;
}
} // namespace tessel
