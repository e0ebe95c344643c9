#include "ui/ChannelSelectorListBox.h"

namespace tessel
{
juce::String getNoneEntryText()
{
    return "<< " + juce::translate("General_None") + " >>";
}

ChannelSelectorListBox::ChannelSelectorListBox(const AudioDeviceSetupDetails& setupDetails, BoxType boxType,
                                               const juce::String& noItemsText)
    : juce::ListBox({}, nullptr), setup(setupDetails), type(boxType), noItemsMessage(noItemsText)
{
    refresh();
    setModel(this);
    setOutlineThickness(1);
}

void ChannelSelectorListBox::refresh()
{
    items.clear();

    if (auto* device = setup.manager->getCurrentAudioDevice())
    {
        items = type == audioInputType ? device->getInputChannelNames() : device->getOutputChannelNames();

        if (setup.useStereoPairs)
        {
            juce::StringArray pairs;
            for (int i = 0; i < items.size(); i += 2)
                pairs.add(i + 1 < items.size() ? getNameForChannelPair(items[i], items[i + 1])
                                               : items[i].trim());
            items = pairs;
        }
    }

    updateContent();
    repaint();
}

int ChannelSelectorListBox::getNumRows()
{
    return items.size();
}

bool ChannelSelectorListBox::isRowActive(int row) const
{
    const auto config = setup.manager->getAudioDeviceSetup();
    const auto& bits = type == audioInputType ? config.inputChannels : config.outputChannels;
    if (setup.useStereoPairs)
        return bits[row * 2] || bits[row * 2 + 1];
    return bits[row];
}

void ChannelSelectorListBox::paintListBoxItem(int row, juce::Graphics& g, int width, int height, bool)
{
    if (!juce::isPositiveAndBelow(row, items.size()))
        return;

    g.fillAll(findColour(juce::ListBox::backgroundColourId));

    const bool active = isRowActive(row);
    const int x = getTickX();
    const float tickSize = static_cast<float>(height) * 0.75f;
    getLookAndFeel().drawTickBox(g, *this, static_cast<float>(x) - tickSize,
                                 (static_cast<float>(height) - tickSize) * 0.5f, tickSize, tickSize, active,
                                 true, true, false);

    const juce::Rectangle<int> textBounds(x + 5, 0, width - x - 5, height);
    const auto textColour =
        findColour(juce::ListBox::textColourId, true).withMultipliedAlpha(active ? 1.0f : 0.6f);
    juce::AttributedString text(items[row]);
    text.setColour(textColour);
    text.setFont(static_cast<float>(textBounds.getHeight()) * 0.6f);
    text.setJustification(juce::Justification::centredLeft);
    text.setWordWrap(juce::AttributedString::WordWrap::none);
    juce::TextLayout layout;
    layout.createLayout(text, static_cast<float>(textBounds.getWidth()),
                        static_cast<float>(textBounds.getHeight()));
    layout.draw(g, textBounds.toFloat());
}

void ChannelSelectorListBox::listBoxItemClicked(int row, const juce::MouseEvent& e)
{
    selectRow(row);
    if (e.x < getTickX())
        flipEnablement(row);
}

void ChannelSelectorListBox::listBoxItemDoubleClicked(int row, const juce::MouseEvent&)
{
    flipEnablement(row);
}

void ChannelSelectorListBox::returnKeyPressed(int row)
{
    flipEnablement(row);
}

void ChannelSelectorListBox::paint(juce::Graphics& g)
{
    juce::ListBox::paint(g);

    if (items.isEmpty())
    {
        g.setColour(juce::Colours::grey);
        g.setFont(0.5f * static_cast<float>(getRowHeight()));
        g.drawText(noItemsMessage, 0, 0, getWidth(), getHeight() / 2, juce::Justification::centred, true);
    }
}

int ChannelSelectorListBox::getBestHeight(int maxHeight)
{
    const int row = juce::jmax(1, getRowHeight());
    return row * juce::jlimit(2, juce::jmax(2, maxHeight / row), getNumRows()) + getOutlineThickness() * 2;
}

juce::String ChannelSelectorListBox::getNameForChannelPair(const juce::String& name1,
                                                           const juce::String& name2)
{
    juce::String common;
    for (int j = 0; j < name1.length(); ++j)
        if (name1.substring(0, j).equalsIgnoreCase(name2.substring(0, j)))
            common = name1.substring(0, j);

    // Split only at a blank: "input 11" + "input 12" must not read "input 11 + 2".
    while (common.isNotEmpty() && !juce::CharacterFunctions::isWhitespace(common.getLastCharacter()))
        common = common.dropLastCharacters(1);

    return name1.trim() + " + " + name2.substring(common.length()).trim();
}

void ChannelSelectorListBox::flipEnablement(int row)
{
    if (!juce::isPositiveAndBelow(row, items.size()))
        return;

    auto config = setup.manager->getAudioDeviceSetup();
    const bool input = type == audioInputType;
    auto& original = input ? config.inputChannels : config.outputChannels;
    const int minimum = input ? setup.minNumInputChannels : setup.minNumOutputChannels;
    const int maximum = input ? setup.maxNumInputChannels : setup.maxNumOutputChannels;
    (input ? config.useDefaultInputChannels : config.useDefaultOutputChannels) = false;

    if (setup.useStereoPairs)
    {
        juce::BigInteger pairs;
        for (int i = 0; i < 256; i += 2)
            pairs.setBit(i / 2, original[i] || original[i + 1]);
        flipBit(pairs, row, minimum / 2, maximum / 2);
        for (int i = 0; i < 256; ++i)
            original.setBit(i, pairs[i / 2]);
    }
    else
    {
        flipBit(original, row, minimum, maximum);
    }

    setup.manager->setAudioDeviceSetup(config, true);
}

void ChannelSelectorListBox::flipBit(juce::BigInteger& channels, int index, int minNumber, int maxNumber)
{
    const int active = channels.countNumberOfSetBits();

    if (channels[index])
    {
        if (active > minNumber)
            channels.setBit(index, false);
        return;
    }

    if (active >= maxNumber)
    {
        // At the maximum already: the lowest active channel gives way, or the highest one when the
        // new channel lies below all of them.
        const int first = channels.findNextSetBit(0);
        channels.clearBit(index > first ? first : channels.getHighestBit());
    }
    channels.setBit(index, true);
}

int ChannelSelectorListBox::getTickX() const
{
    return getRowHeight();
}
} // namespace tessel
