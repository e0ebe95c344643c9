#include "ui/DuckingUI.h"

#include "processors/DuckingProcessor.h"
#include "ui/Palette.h"

namespace tessel
{
namespace
{
juce::AudioParameterChoice* findChoice(const NodeSource& node)
{
    if (findProcessor<DuckingProcessor>(node) == nullptr)
        return nullptr;

    return dynamic_cast<juce::AudioParameterChoice*>(findParameter(node, 0));
}

int max0(int v)
{
    return juce::jmax(v, 0);
}
} // namespace

DuckingUI::RippleIndicator::RippleIndicator(NodeSource duckingNode) : node(std::move(duckingNode))
{
    setInterfaceImage(drawable, "ducking_reactor_ripple.png", palette::guideGrey);
    addAndMakeVisible(drawable);
    setInterceptsMouseClicks(false, false);
    startTimer(41);
}

DuckingUI::RippleIndicator::~RippleIndicator()
{
    stopTimer();
}

void DuckingUI::RippleIndicator::resized()
{
    fitDrawable(drawable, getLocalBounds().toFloat());
}

void DuckingUI::RippleIndicator::timerCallback()
{
    auto* ducking = findProcessor<DuckingProcessor>(node);

    if (ducking == nullptr)
        return;

    if (!isEnabled())
    {
        // Forced grey, and the flag forgotten so that re-enabling shows the real state again.
        if (drawable.getOverlayColour() != juce::Colour(palette::guideGrey))
        {
            drawable.setOverlayColour(juce::Colour(palette::guideGrey));
            repaint();
        }
        lastShown = false;
        return;
    }

    const bool voice = ducking->isDucking();

    if (voice == lastShown)
        return;

    drawable.setOverlayColour(juce::Colour(voice ? palette::activeCyan : palette::guideGrey));
    repaint();
    lastShown = voice;
}

DuckingUI::ReactorIndicator::ReactorIndicator(NodeSource duckingNode) : node(std::move(duckingNode))
{
    setInterfaceImage(drawable, "ducking_reactor_dot.png", palette::alertRed);
    drawable.setOpacity(0.0f);
    addAndMakeVisible(drawable);
    setInterceptsMouseClicks(false, false);
    startTimer(41);
}

DuckingUI::ReactorIndicator::~ReactorIndicator()
{
    stopTimer();
}

void DuckingUI::ReactorIndicator::resized()
{
    fitDrawable(drawable, getLocalBounds().toFloat());
}

void DuckingUI::ReactorIndicator::timerCallback()
{
    auto* ducking = findProcessor<DuckingProcessor>(node);

    if (ducking == nullptr)
        return;

    if (!isEnabled())
    {
        if (drawable.getOpacity() != 0.0f)
        {
            drawable.setOpacity(0.0f);
            repaint();
        }
        lastShown = false;
        return;
    }

    auto* choice = findChoice(node);
    juce::String name;

    if (choice != nullptr && juce::isPositiveAndBelow(choice->getIndex(), choice->choices.size()))
        name = choice->choices[choice->getIndex()];

    const bool active = name != "OFF" && ducking->getGain() < 1.0f;

    if (active == lastShown)
        return;

    drawable.setOpacity(active ? 1.0f : 0.0f);
    repaint();
    lastShown = active;
}

DuckingUI::DuckingUI(NodeSource duckingNode)
    : ripple(duckingNode), title("MainUI_Ducking", 0.6f), reactor(duckingNode), node(duckingNode)
{
    const char* curveFiles[3] = {"ducking_flat.png", "ducking_weak.png", "ducking_strong.png"};
    const char* buttonKeys[3] = {"MainUI_DuckingOff", "MainUI_DuckingWeak", "MainUI_DuckingStrong"};
    const char* buttonIds[3] = {"OstrelStyle_Ducking_Off_Button", "OstrelStyle_Ducking_Weak_Button",
                                "OstrelStyle_Ducking_Strong_Button"};

    for (size_t i = 0; i < curves.size(); ++i)
    {
        setInterfaceImage(curves[i], curveFiles[i], palette::guideGrey);
        curves[i].setInterceptsMouseClicks(false, false);
        addAndMakeVisible(curves[i]);
    }

    addAndMakeVisible(ripple);
    addAndMakeVisible(title);
    addAndMakeVisible(reactor);

    for (size_t i = 0; i < buttons.size(); ++i)
    {
        auto& b = buttons[i];
        b.setButtonText(TRANS(buttonKeys[i]));
        b.setComponentID(buttonIds[i]);
        b.setColour(juce::TextButton::buttonColourId, juce::Colour(palette::accentBlue));
        b.setColour(juce::TextButton::textColourOffId, juce::Colour(palette::accentBlue));
        b.setColour(juce::TextButton::textColourOnId, juce::Colour(palette::inkBlack));
        b.setMouseCursor(juce::MouseCursor::PointingHandCursor);
        b.setRadioGroupId(radioGroup);
        b.setClickingTogglesState(true);
        b.onClick = [this, i] { buttonClicked((int)i); };
        addAndMakeVisible(b);
    }

    buttons[0].setToggleState(true, juce::dontSendNotification);
    setBufferedToImage(true);
}

DuckingUI::~DuckingUI() = default;

void DuckingUI::buttonClicked(int index)
{
    if (buttons[(size_t)index].getToggleState())
        if (auto* choice = findChoice(node))
            if (choice->getIndex() != index)
            {
                const float value = choice->convertTo0to1((float)index);
                auto& parameter = static_cast<juce::AudioProcessorParameter&>(*choice);
                parameter.setValue(value);
                parameter.sendValueChangedMessageToListeners(value);
            }

    updateDuckingPanel();
}

void DuckingUI::updateDuckingPanel()
{
    auto* choice = findChoice(node);

    if (choice == nullptr)
        return;

    const float value = static_cast<juce::AudioProcessorParameter&>(*choice).getValue();

    if (value == cachedValue)
        return;

    const auto name = choice->getCurrentChoiceName();
    int mode = 0;

    if (name == "OFF")
        mode = 1;
    else if (name == "WEAK")
        mode = 2;
    else if (name == "STRONG")
        mode = 3;

    if (mode != 0)
        buttons[(size_t)(mode - 1)].setToggleState(true, juce::dontSendNotification);

    if (!isEnabled())
        mode = 0;

    for (size_t i = 0; i < curves.size(); ++i)
        curves[i].setOverlayColour(
            juce::Colour((int)i == mode - 1 ? palette::activeCyan : palette::guideGrey));

    // In front of the other two pictures, still behind the ripple.
    if (mode != 0)
        curves[(size_t)(mode - 1)].toBehind(&ripple);

    shownMode = mode;
    repaint();
    cachedValue = value;
}

void DuckingUI::resized()
{
    const int w = getWidth();
    const int h = getHeight();
    const int u = juce::jmin(h, (int)(0.618 * h));
    const int o = (int)(0.382 * h);

    for (auto& curve : curves)
        fitDrawable(curve, juce::Rectangle<int>(24, 0, max0(w - 48), u).toFloat());

    ripple.setBounds(24, 0, max0(w - 48), juce::jmin(u, (int)(u / 2.618)));

    const int th = juce::jmin(h - u, (int)(0.382 * o));
    title.setBounds(0, u, w, th);

    const int dotWidth = (int)juce::jmin((float)w - 0.2f * (float)w, (float)(int)(0.15 * w));
    reactor.setBounds(juce::jmin(w, (int)(0.2 * w)) + 6, u + 6, max0(dotWidth - 12), max0(th - 12));

    const int third = max0(w - 12) / 3;
    const int buttonHeight = max0(juce::jmin(h - u - th, (int)(0.618 * o)) - 4);

    for (size_t i = 0; i < buttons.size(); ++i)
        buttons[i].setBounds(6 + (int)i * third + 2, u + th + 2, max0(third - 4), buttonHeight);
}

void DuckingUI::enablementChanged()
{
    applyPanelEnablement(*this);
    // Recolour the pictures for the new state: all grey while disabled, the level's picture otherwise.
    cachedValue = -1.0f;
    updateDuckingPanel();
}
} // namespace tessel
