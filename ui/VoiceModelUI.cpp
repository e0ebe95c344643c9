#include "ui/VoiceModelUI.h"

#include "ui/InterfaceImages.h"
#include "ui/Palette.h"
#include "ui/SignalFlowUI.h"

namespace tessel
{
namespace
{
int max0(int v)
{
    return juce::jmax(v, 0);
}
} // namespace

VoiceModelUI::VoiceModelUI(NodeSource vocaform, NodeSource gain, PupackSelectorViewModel* model)
    : title("MainUI_VoiceConversionModel", 0.5f, juce::Justification::centredLeft),
      vocaformNode(std::move(vocaform)), gainNode(std::move(gain)), viewModel(model)
{
    setUpHudFrame(frame);
    addAndMakeVisible(frame);
    addAndMakeVisible(title);

    setUpHudToggle(bypass, "BYPASS", "OstrelStyle_BypassButton", palette::bypassOrange);
    bypass.onClick = [this] { bypassClicked(); };
    addAndMakeVisible(bypass);

    for (int i = 0; i < 2; ++i)
    {
        auto& slot = slots[(size_t)i];
        slot.frame.setImage(getInterfaceImage("button_large_default_slice9_l52_t52_r53_b53.png"),
                            largeButtonInsets, juce::Colour(palette::accentBlue));
        slot.frame.setInterceptsMouseClicks(false, false);
        addAndMakeVisible(slot.frame);

        setInterfaceImage(slot.mark, "checkmark_uncheck.png", palette::activeCyan);
        slot.mark.setInterceptsMouseClicks(false, false);
        addAndMakeVisible(slot.mark);

        slot.picture.setInterceptsMouseClicks(false, false);
        addAndMakeVisible(slot.picture);

        slot.clickArea.setComponentID("Transparent_PupackSlotButton");
        slot.clickArea.setButtonText({});
        slot.clickArea.setColour(juce::TextButton::buttonColourId, juce::Colours::transparentBlack);
        slot.clickArea.setColour(juce::TextButton::buttonOnColourId, juce::Colours::transparentBlack);
        slot.clickArea.setRadioGroupId(slotRadioGroup);
        slot.clickArea.setClickingTogglesState(true);
        slot.clickArea.setMouseCursor(juce::MouseCursor::PointingHandCursor);
        slot.clickArea.onClick = [this, i] { slotClicked(i); };
        addAndMakeVisible(slot.clickArea);

        slot.chooser.setComponentID("OstrelStyle_PupackTargetDropDown");
        slot.chooser.comboBox.onChange = [this, i] { modelChosen(i); };
        addAndMakeVisible(slot.chooser);
    }

    slots[0].clickArea.setToggleState(true, juce::dontSendNotification);

    if (viewModel != nullptr)
    {
        activeSlot = viewModel->getSelectedSlot();
        viewModel->addListener(this);
    }
}

VoiceModelUI::~VoiceModelUI()
{
    if (viewModel != nullptr)
        viewModel->removeListener(this);
}

void VoiceModelUI::pupackSelectionChanged()
{
    updateModelPanel();
}

juce::String VoiceModelUI::getIdentifierOfItem(int slot, int itemId) const
{
    const auto& identifiers = slots[(size_t)slot].identifiers;
    const auto it = identifiers.find(itemId);
    return it != identifiers.end() ? it->second : juce::String();
}

void VoiceModelUI::modelChosen(int slot)
{
    const int itemId = slots[(size_t)slot].chooser.comboBox.getSelectedId();
    const auto identifier = getIdentifierOfItem(slot, itemId);

    if (viewModel != nullptr && itemId != 0 && identifier != viewModel->getSlotIdentifier(slot))
        viewModel->setSlot(slot, identifier);
}

bool VoiceModelUI::isBypassed() const
{
    const auto node = vocaformNode ? vocaformNode() : NodePtr();

    if (node == nullptr || node->getProcessor() == nullptr)
        return false;

    if (auto* parameter = node->getProcessor()->getBypassParameter())
        return parameter->getValue() != 0.0f;

    return node->isBypassed();
}

void VoiceModelUI::bypassClicked()
{
    const bool bypassed = bypass.getToggleState();

    for (const auto* source : {&vocaformNode, &gainNode})
    {
        const auto node = *source ? (*source)() : NodePtr();

        if (node == nullptr || node->getProcessor() == nullptr)
            continue;

        if (auto* parameter = node->getProcessor()->getBypassParameter())
        {
            parameter->setValue(bypassed ? 1.0f : 0.0f);
            parameter->sendValueChangedMessageToListeners(bypassed ? 1.0f : 0.0f);
        }

        node->setBypassed(bypassed);
    }

    updateModelPanel();
}

void VoiceModelUI::slotClicked(int slot)
{
    // The view model notifies, and the update shows the new selection.
    if (viewModel != nullptr)
        viewModel->selectSlot(slot);

    activeSlot = slot;
    auto& other = slots[(size_t)(1 - slot)];
    other.clickArea.toFront(false);
    slots[(size_t)slot].chooser.toFront(false);
    slots[(size_t)slot].chooser.setEnabled(true);
    other.chooser.setEnabled(false);
}

void VoiceModelUI::rebuildChoosers()
{
    for (int i = 0; i < 2; ++i)
    {
        auto& slot = slots[(size_t)i];
        auto& box = slot.chooser.comboBox;
        box.clear(juce::dontSendNotification);
        slot.identifiers.clear();
        box.setTextWhenNoChoicesAvailable(TRANS("VoiceModel_NoPupack"));
        box.setTextWhenNothingSelected(TRANS("VoiceModel_NoPupackSelection"));

        if (viewModel == nullptr)
        {
            slot.chooser.setLabelText({});
            continue;
        }

        // One sub-menu per character, one item per model, item IDs counted from 1 in group order.
        int itemId = 1;
        int selectedId = 0;
        const auto slotIdentifier = viewModel->getSlotIdentifier(i);

        for (const auto& group : viewModel->getGroups())
        {
            juce::PopupMenu models;

            for (const auto* member : group.members)
            {
                if (member == nullptr)
                    continue;

                const auto identifier = member->getIdentifier();
                models.addItem(itemId, member->getDisplayName());
                slot.identifiers[itemId] = identifier;

                if (identifier.isNotEmpty() && identifier == slotIdentifier)
                    selectedId = itemId;

                ++itemId;
            }

            box.getRootMenu()->addSubMenu(group.target, models);
        }

        box.setSelectedId(selectedId, juce::dontSendNotification);
        slot.chooser.setLabelText(
            slotIdentifier.isNotEmpty() ? viewModel->findEntry(slotIdentifier).getTarget() : juce::String());
    }
}

void VoiceModelUI::showPictures()
{
    for (int i = 0; i < 2; ++i)
    {
        auto& slot = slots[(size_t)i];
        const auto identifier = viewModel != nullptr ? viewModel->getSlotIdentifier(i) : juce::String();
        const auto box = slot.pictureBox;

        if (identifier.isEmpty())
        {
            if (slot.shownImage.isNotEmpty() || !slot.picture.getImage().isValid())
            {
                setInterfaceImage(slot.picture, "symbol_image_placeholder.png", 0xffffffff);
                slot.shownImage = {};
            }
        }
        else
        {
            // Opening the package for its picture is worth it only when the model or the size changed.
            const auto key =
                identifier + "@" + juce::String(box.getWidth()) + "x" + juce::String(box.getHeight());

            if (key != slot.shownImage)
            {
                slot.picture.setImage(viewModel->getSlotImage(i, box.getWidth(), box.getHeight()));
                slot.picture.setOverlayColour(juce::Colours::transparentBlack);
                slot.shownImage = key;
            }
        }

        fitDrawable(slot.picture, box.toFloat());
    }
}

void VoiceModelUI::updateModelPanel()
{
    if (viewModel != nullptr)
        activeSlot = viewModel->getSelectedSlot();

    rebuildChoosers();

    const bool bypassed = isBypassed();
    showSlotState(bypassed);

    bypass.setToggleState(bypassed, juce::dontSendNotification);

    for (auto& slot : slots)
    {
        if (bypassed)
            slot.chooser.setEnabled(false);

        slot.chooser.setMouseCursor(slot.chooser.isEnabled() ? juce::MouseCursor::PointingHandCursor
                                                             : juce::MouseCursor::NormalCursor);
    }

    if (auto* parent = getParentComponent())
        for (auto* child : parent->getChildren())
            if (auto* flow = dynamic_cast<SignalFlowUI*>(child))
                flow->setBypass(bypassed);

    resized();
    repaint();
}

void VoiceModelUI::showSlotState(bool bypassed)
{
    for (int i = 0; i < 2; ++i)
    {
        auto& slot = slots[(size_t)i];
        const bool active = i == activeSlot;
        setInterfaceImage(slot.mark, active ? "checkmark_check.png" : "checkmark_uncheck.png",
                          palette::activeCyan);

        const float elementAlpha = bypassed ? 0.2f : 1.0f;
        slot.mark.setAlpha(elementAlpha);
        slot.picture.setAlpha(elementAlpha);
        slot.clickArea.setAlpha(elementAlpha);
        slot.chooser.setAlpha(elementAlpha);
        slot.frame.setAlpha(active ? elementAlpha : (bypassed ? 0.15f : 0.3f));
        slot.clickArea.setToggleState(active, juce::dontSendNotification);
    }

    auto& current = slots[(size_t)activeSlot];
    auto& other = slots[(size_t)(1 - activeSlot)];
    other.clickArea.toFront(false);
    current.chooser.toFront(false);
    current.chooser.setEnabled(true);
    other.chooser.setEnabled(false);
}

void VoiceModelUI::resized()
{
    const auto area = layOutHudFrame(frame, getWidth(), getHeight());
    const int x0 = area.origin;
    const int inner = area.width;
    const int n = area.height;
    const int t = area.titleHeight;

    const int titleWidth = juce::jmin(inner, (int)(0.67 * inner));
    title.setBounds(x0, x0, titleWidth, t);
    bypass.setBounds(x0 + titleWidth + 6, x0, max0(inner - titleWidth - 12), t);

    const int r = n - t;
    const int contentHeight = max0(r / 2 - 48);

    for (int i = 0; i < 2; ++i)
        layOutSlot(i, {x0 + 6, x0 + t + 18 + i * (r / 2), max0(inner - 12), max0(r / 2 - 36)}, contentHeight,
                   inner);

    // The pictures are asked for at the size they are shown at.
    showPictures();
}

void VoiceModelUI::layOutSlot(int index, juce::Rectangle<int> frameBounds, int contentHeight, int innerWidth)
{
    auto& slot = slots[(size_t)index];
    slot.frame.setBounds(frameBounds);
    slot.clickArea.setBounds(frameBounds);

    // The slot is nine units wide: the mark takes the first, the picture the next two and the chooser
    // the remaining six.
    const int x0 = frameBounds.getX() - 6;
    const int y = frameBounds.getY() + 6;
    const int g = max0(innerWidth - 12);
    const int k = g / 9;
    const int leftPart = juce::jmin(g, 3 * k);

    const int markWidth = juce::jmax(juce::jmin(max0(leftPart - 8), k), 4) - 4;
    fitDrawable(slot.mark, juce::Rectangle<int>(x0 + 12, y, markWidth, contentHeight).toFloat());

    const int pictureX = x0 + 12 + markWidth + 4;
    const int pictureWidth = max0(juce::jmin(2 * k, x0 + 12 + leftPart - pictureX) - 4);
    slot.pictureBox = {pictureX, y, pictureWidth, contentHeight};

    const int fh = frameBounds.getHeight();
    const int inset = (int)(0.3 * fh);
    slot.chooser.setBounds(x0 + 12 + leftPart, frameBounds.getY() + inset,
                           max0(juce::jmin(g - leftPart, 6 * k) - 12), max0(fh - 2 * inset - 12));
}
} // namespace tessel
