#include "ui/ReverbUI.h"

#include "processors/ReverbProcessor.h"
#include "ui/InterfaceImages.h"
#include "ui/Palette.h"

namespace tessel
{
namespace
{
int max0(int v)
{
    return juce::jmax(v, 0);
}
} // namespace

ReverbUI::ReverbUI(NodeSource reverbNode)
    : title("MainUI_Space", 0.6f), node(reverbNode),
      control(knob, valueField, reverbNode, 1, [this] { updateReverbPanel(); })
{
    programPicture.setOverlayColour(juce::Colour(palette::activeCyan));
    programPicture.setInterceptsMouseClicks(false, false);
    addAndMakeVisible(programPicture);

    setInterfaceImage(ring, "space_size_ring.png", palette::activeCyan);

    programs.setComponentID("OstrelStyle_SpaceTypeDropDown");
    programs.setJustificationType(juce::Justification::centred);
    programs.setColour(juce::ComboBox::buttonColourId, juce::Colour(palette::accentBlue));
    programs.setColour(juce::ComboBox::arrowColourId, juce::Colour(palette::accentBlue));
    programs.setColour(juce::ComboBox::textColourId, juce::Colours::white);
    programs.setMouseCursor(juce::MouseCursor::PointingHandCursor);
    programs.onChange = [this]
    {
        const int index = programs.getSelectedItemIndex();

        if (index < 0)
            return;

        showPicture(index);
        repaint();

        if (auto* reverb = findProcessor<ReverbProcessor>(node))
            reverb->setCurrentProgram(index);

        updateReverbPanel();
    };
    addAndMakeVisible(programs);

    setUpKnob(knob);
    addAndMakeVisible(knob);
    addAndMakeVisible(title);
    addAndMakeVisible(valueField);

    fillProgramList();
    setBufferedToImage(true);
}

ReverbUI::~ReverbUI() = default;

juce::String ReverbUI::getProgramPictureName(int programIndex)
{
    const int i = ((programIndex % 6) + 6) % 6;
    return juce::String("space_type_") + (char)('a' + i) + ".png";
}

void ReverbUI::fillProgramList()
{
    auto* reverb = findProcessor<ReverbProcessor>(node);

    if (reverb == nullptr)
        return;

    programs.clear(juce::dontSendNotification);

    for (int i = 0; i < reverb->getNumPrograms(); ++i)
        programs.addItem(reverb->getProgramName(i), i + 1);
}

void ReverbUI::showPicture(int programIndex)
{
    const int picture = ((programIndex % 6) + 6) % 6;

    if (picture != shownPicture)
    {
        programPicture.setImage(getInterfaceImage(getProgramPictureName(picture)));
        shownPicture = picture;
    }

    fitDrawable(programPicture, pictureArea.toFloat());
}

void ReverbUI::updateReverbPanel()
{
    auto* reverb = findProcessor<ReverbProcessor>(node);

    if (reverb == nullptr)
        return;

    // A rebuilt chain brings a new processor; its list is the same, unless the list was never made.
    if (programs.getNumItems() != reverb->getNumPrograms())
    {
        fillProgramList();
        cachedProgram = -1;
    }

    const bool valueChanged = control.update();
    const int program = reverb->getCurrentProgram();

    if (!valueChanged && program == cachedProgram)
        return;

    programs.setSelectedItemIndex(program, juce::dontSendNotification);
    // The picture follows the program also when it was changed elsewhere (settings, a rebuild).
    showPicture(program);
    repaint();
    cachedProgram = program;
}

juce::Rectangle<float> ReverbUI::getRingBox() const
{
    const float k = 0.45f + 0.55f * (float)((control.getValue() - PercentControl::minimum) /
                                            (PercentControl::maximum - PercentControl::minimum));
    const auto area = ringArea.toFloat();
    return area.withSizeKeepingCentre(area.getWidth() * k, area.getHeight() * k);
}

void ReverbUI::paint(juce::Graphics& g)
{
    if (ring.getImage().isValid() && !ringArea.isEmpty())
        ring.drawWithin(g, getRingBox(), juce::RectanglePlacement::centred, ring.getOpacity());
}

void ReverbUI::resized()
{
    const int w = getWidth() / 2;
    const int rightWidth = getWidth() - w;
    const int h = getHeight();
    const int l = (int)(0.618 * h);
    const int b = (int)(0.382 * h);
    const int o = (int)(0.382 * b);
    const int pictureHeight = juce::jmin(h, (int)(1.618 * (l + o) / 2.618));

    pictureArea = {0, 0, w, pictureHeight};
    fitDrawable(programPicture, pictureArea.toFloat());

    const int ringHeight = juce::jmin(h - pictureHeight, (int)((l + o) / 2.618));
    ringArea = {0, pictureHeight, w, ringHeight};

    const int side = juce::jmin(w, 32);
    programs.setBounds(side + 6, pictureHeight + ringHeight + 6, max0(w - side - 44),
                       max0(juce::jmin(h - pictureHeight - ringHeight, (int)(0.618 * b)) - 12));

    knob.setBounds(w + 12, 12, max0(rightWidth - 24), max0(juce::jmin(h, l) - 24));

    const int titleTop = juce::jmin(h, l);
    const int titleHeight = juce::jmin(h - l, o);
    title.setBounds(w, titleTop, rightWidth, titleHeight);

    const int rightSide = juce::jmin(rightWidth, 32);
    valueField.setBounds(w + rightSide + 6, titleTop + titleHeight + 6, max0(rightWidth - rightSide - 44),
                         max0(juce::jmin(h - titleTop - titleHeight, (int)(0.618 * b)) - 12));
}
} // namespace tessel
