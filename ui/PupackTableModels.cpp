#include "ui/PupackTableModels.h"

#include "ui/Palette.h"

namespace tessel
{
const PupackMetaData& getActiveEntry(const PupackSelectorViewModel& viewModel)
{
    return viewModel.findEntry(viewModel.getSlotIdentifier(viewModel.getSelectedSlot()));
}

void PupackTablePainting::paintRowBackground(juce::Graphics& g, int width, int height, bool rowIsSelected)
{
    g.setColour(juce::Colour(rowIsSelected ? palette::accentBlue : palette::menuNavy));
    g.fillRect(0, 0, width, height);
    g.setColour(juce::Colours::white);
    g.drawRect(juce::Rectangle<float>(0.0f, 0.0f, static_cast<float>(width), static_cast<float>(height)),
               0.5f);
}

void PupackTablePainting::paintCellText(juce::Graphics& g, const juce::String& text, int width, int height)
{
    g.setColour(juce::Colours::white);
    g.setFont(0.5f * static_cast<float>(height));
    g.drawText(text, 5, 0, width, height, juce::Justification::centredLeft, true);
}

//======================================================================================================
TargetTableModel::TargetTableModel(PupackSelectorViewModel& model) : viewModel(model) {}

int TargetTableModel::getNumRows()
{
    return static_cast<int>(viewModel.getGroups().size());
}

void TargetTableModel::paintRowBackground(juce::Graphics& g, int, int width, int height, bool rowIsSelected)
{
    PupackTablePainting::paintRowBackground(g, width, height, rowIsSelected);
}

void TargetTableModel::paintCell(juce::Graphics& g, int rowNumber, int columnId, int width, int height, bool)
{
    if (!juce::isPositiveAndBelow(rowNumber, getNumRows()) || columnId != 1)
        return;
    PupackTablePainting::paintCellText(g, viewModel.getGroups()[static_cast<size_t>(rowNumber)].target, width,
                                       height);
}

void TargetTableModel::selectedRowsChanged(int lastRowSelected)
{
    if (!reactsToSelection)
        return;

    const auto& groups = viewModel.getGroups();
    const juce::String chosen = juce::isPositiveAndBelow(lastRowSelected, static_cast<int>(groups.size()))
                                    ? groups[static_cast<size_t>(lastRowSelected)].target
                                    : juce::String();

    if (chosen.isNotEmpty() && chosen != selectedTarget)
    {
        const auto members = viewModel.getGroupMembers(chosen);
        const int slot = viewModel.getSelectedSlot();
        if (!members.isEmpty() && members[0] != viewModel.getSlotIdentifier(slot))
            viewModel.setSlot(slot, members[0]);
    }
    selectedTarget = chosen;
}

//======================================================================================================
NarratorTableModel::NarratorTableModel(PupackSelectorViewModel& model) : viewModel(model) {}

int NarratorTableModel::getNumRows()
{
    return viewModel.getGroupMembers(getActiveEntry(viewModel).getTarget()).size();
}

void NarratorTableModel::paintRowBackground(juce::Graphics& g, int, int width, int height, bool rowIsSelected)
{
    PupackTablePainting::paintRowBackground(g, width, height, rowIsSelected);
}

void NarratorTableModel::paintCell(juce::Graphics& g, int rowNumber, int columnId, int width, int height,
                                   bool)
{
    const auto members = viewModel.getGroupMembers(getActiveEntry(viewModel).getTarget());
    if (!juce::isPositiveAndBelow(rowNumber, members.size()))
        return;

    const auto& entry = viewModel.findEntry(members[rowNumber]);
    juce::String text;
    if (columnId == 1)
        text = entry.getNarrator();
    else if (columnId == 2 && entry.getInstallType() == 0)
        text = juce::translate("Pupack_Bundle");
    else if (columnId == 2 && entry.getInstallType() == 1)
        text = juce::translate("Pupack_Append");
    PupackTablePainting::paintCellText(g, text, width, height);
}

void NarratorTableModel::selectedRowsChanged(int lastRowSelected)
{
    if (!reactsToSelection)
        return;

    const auto members = viewModel.getGroupMembers(getActiveEntry(viewModel).getTarget());
    const juce::String wanted =
        juce::isPositiveAndBelow(lastRowSelected, members.size()) ? members[lastRowSelected] : juce::String();
    const int slot = viewModel.getSelectedSlot();
    if (wanted != viewModel.getSlotIdentifier(slot))
        viewModel.setSlot(slot, wanted);
}
} // namespace tessel
