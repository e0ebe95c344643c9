#include "ui/TableViewForNormal.h"

#include <juce_core/juce_core.h>

namespace tessel
{
TableViewForNormal::TableViewForNormal(PupackSelectorViewModel& model)
    : viewModel(model), targetModel(model), targetTable(&targetModel), narratorModel(model),
      narratorTable(&narratorModel)
{
    setUpTable(targetTable);
    targetTable.getHeader().addColumn(juce::translate("General_Target"), 1, 220);
    setUpTable(narratorTable);
    narratorTable.getHeader().addColumn(juce::translate("General_Narrator"), 1, 220);
    narratorTable.getHeader().addColumn(juce::translate("Pupack_InstallType"), 2, 120);

    targetUpButton.onClick = [this] { targetUp(); };
    targetDownButton.onClick = [this] { targetDown(); };
    narratorUpButton.onClick = [this] { narratorUp(); };
    narratorDownButton.onClick = [this] { narratorDown(); };
    uninstallButton.setButtonText(juce::translate("Pupack_Uninstall"));
    uninstallButton.onClick = [this] { uninstall(); };

    offsetLabel.setName("OffsetGainLabel");
    offsetLabel.setText(juce::translate("Offset Gain"), juce::dontSendNotification);
    setUpSlider(offsetSlider, offsetLabel, -12.0, 12.0, 0.1, "dB");
    offsetSlider.onValueChange = [this]
    {
        viewModel.setOffsetDecibel(static_cast<float>(offsetSlider.getValue()),
                                   getActiveEntry(viewModel).getIdentifier());
    };
    gvLabel.setName("CoefficientGVLabel");
    gvLabel.setText(juce::translate("GV Coefficient"), juce::dontSendNotification);
    setUpSlider(gvSlider, gvLabel, 0.0, 1.0, 0.01, juce::String());
    gvSlider.onValueChange = [this]
    {
        viewModel.setCoefficientGV(static_cast<float>(gvSlider.getValue()),
                                   getActiveEntry(viewModel).getIdentifier());
    };

    for (juce::Component* child : std::initializer_list<juce::Component*>{
             &targetTable, &targetUpButton, &targetDownButton, &narratorTable, &narratorUpButton,
             &narratorDownButton, &uninstallButton, &offsetSlider, &gvSlider})
        addAndMakeVisible(child);

    refreshTables();
}

TableViewForNormal::~TableViewForNormal()
{
    offsetLabel.attachToComponent(nullptr, false);
    gvLabel.attachToComponent(nullptr, false);
}

void TableViewForNormal::setUpTable(juce::TableListBox& table)
{
    table.setRowHeight(rowHeight);
    table.setMultipleSelectionEnabled(false);
    table.setVisible(true);
}

void TableViewForNormal::setUpSlider(juce::Slider& slider, juce::Label& label, double minimum, double maximum,
                                     double interval, const juce::String& suffix)
{
    slider.setSliderStyle(juce::Slider::LinearBar);
    slider.setRange(minimum, maximum, interval);
    slider.setTextValueSuffix(suffix);
    label.setJustificationType(juce::Justification::centredRight);
    label.attachToComponent(&slider, true);
}

int TableViewForNormal::findGroupIndex(const juce::String& target) const
{
    const auto& groups = viewModel.getGroups();
    for (size_t i = 0; i < groups.size(); ++i)
        if (groups[i].target == target)
            return static_cast<int>(i);
    return -1;
}

void TableViewForNormal::refreshTables()
{
    // The rows are set to match the model here; these selections must not act like clicks. (Were
    // they clicks, re-reading a shorter narrator list would empty the slot, and selecting the
    // target row would load that target's first model before the narrator row loads the active
    // one again.)
    const juce::ScopedValueSetter<bool> quietTargets(targetModel.reactsToSelection, false);
    const juce::ScopedValueSetter<bool> quietNarrators(narratorModel.reactsToSelection, false);

    targetTable.updateContent();
    narratorTable.updateContent();

    const auto& active = getActiveEntry(viewModel);
    const auto target = active.getTarget();

    if (!viewModel.getGroups().empty())
    {
        const int row = findGroupIndex(target);
        if (row >= 0)
            targetTable.selectRow(row);
        else
            targetTable.deselectAllRows();
        targetModel.selectedTarget = row >= 0 ? target : juce::String();
    }
    else
    {
        targetModel.selectedTarget = {};
    }

    const auto members = viewModel.getGroupMembers(target);
    if (!members.isEmpty())
    {
        const int row = members.indexOf(active.getIdentifier());
        if (row >= 0)
            narratorTable.selectRow(row);
        else
            narratorTable.deselectAllRows();
    }

    const bool showControls = targetTable.getSelectedRow() >= 0 && narratorTable.getSelectedRow() >= 0;
    for (juce::Component* control :
         std::initializer_list<juce::Component*>{&uninstallButton, &offsetSlider, &gvSlider})
    {
        control->setVisible(showControls);
        if (showControls)
            control->setMouseCursor(juce::MouseCursor::PointingHandCursor);
    }
    if (showControls)
    {
        offsetSlider.setValue(active.offsetDecibel, juce::sendNotificationAsync);
        gvSlider.setValue(active.coefficientGV, juce::sendNotificationAsync);
    }
}

void TableViewForNormal::moveActiveTarget(int step)
{
    const int row = targetTable.getSelectedRow();
    const auto& groups = viewModel.getGroups();
    const int rows = static_cast<int>(groups.size());
    if (row < 0 || (step < 0 && row == 0) || (step > 0 && row >= rows - 1))
        return;
    if (viewModel.getSlotIdentifier(viewModel.getSelectedSlot()).isEmpty())
        return;

    // The buttons move the active model's target; the selected row only enables them.
    const auto target = getActiveEntry(viewModel).getTarget();
    const int index = findGroupIndex(target);
    if (index < 0 || !juce::isPositiveAndBelow(index + step, rows))
        return;
    const auto other = groups[static_cast<size_t>(index + step)].target;
    viewModel.moveGroup(target, other);
}

void TableViewForNormal::moveActiveNarrator(int step)
{
    const int row = narratorTable.getSelectedRow();
    const int rows = narratorModel.getNumRows();
    if (row < 0 || (step < 0 && row == 0) || (step > 0 && row >= rows - 1))
        return;
    if (viewModel.getSlotIdentifier(viewModel.getSelectedSlot()).isEmpty())
        return;

    const auto members = viewModel.getGroupMembers(getActiveEntry(viewModel).getTarget());
    if (!juce::isPositiveAndBelow(row + step, members.size()))
        return;
    viewModel.swapOrder(members[row], members[row + step]);
}

void TableViewForNormal::targetUp()
{
    moveActiveTarget(-1);
}

void TableViewForNormal::targetDown()
{
    moveActiveTarget(1);
}

void TableViewForNormal::narratorUp()
{
    moveActiveNarrator(-1);
}

void TableViewForNormal::narratorDown()
{
    moveActiveNarrator(1);
}

void TableViewForNormal::uninstall()
{
    if (targetTable.getSelectedRow() < 0)
        return;

    viewModel.uninstall(getActiveEntry(viewModel).getIdentifier());
    // Clearing the selections empties the slot, as choosing no narrator does.
    narratorTable.deselectAllRows();
    targetTable.deselectAllRows();
}

void TableViewForNormal::resized()
{
    const int width = getWidth();
    const int height = getHeight();

    const int half = static_cast<int>(0.5 * height);
    const int d7 = static_cast<int>(0.7 * half);
    const int targetHeight = juce::jmin(half, d7);
    const int e = static_cast<int>(juce::jmax(36.0, juce::jmin(48.0, 0.15 * half)));
    const int upWidth = juce::jmin(width, e);
    const int downWidth = juce::jmin(width - upWidth, e);

    targetTable.setBounds(0, 0, width, targetHeight);
    const int targetButtonHeight = juce::jmax(juce::jmin(half - targetHeight, e) - 16, 0);
    targetUpButton.setBounds(8, targetHeight + 8, juce::jmax(upWidth - 16, 0), targetButtonHeight);
    targetDownButton.setBounds(upWidth + 8, targetHeight + 8, juce::jmax(downWidth - 16, 0),
                               targetButtonHeight);

    const int lower = juce::jmin(height - half, half);
    const int narratorHeight = juce::jmin(lower, d7);
    narratorTable.setBounds(0, half, width, narratorHeight);

    const int y = half + narratorHeight + 8;
    const int buttonRow = juce::jmin(lower - narratorHeight, e);
    const int buttonHeight = juce::jmax(buttonRow - 16, 0);
    narratorUpButton.setBounds(8, y, juce::jmax(upWidth - 16, 0), buttonHeight);
    narratorDownButton.setBounds(upWidth + 8, y, juce::jmax(downWidth - 16, 0), buttonHeight);
    uninstallButton.setBounds(upWidth + downWidth + 8, y,
                              juce::jmax(juce::jmin(width - upWidth - downWidth, 120) - 16, 0), buttonHeight);

    const int sliderY = half + narratorHeight + buttonRow;
    const int sliderHeight = static_cast<int>(juce::jmin(lower - narratorHeight - buttonRow, e) * 0.8);
    const int v = juce::jmin(width, static_cast<int>(0.5 * width));
    const int lw = juce::jmin(v, static_cast<int>(0.2 * v) + 16);
    offsetSlider.setBounds(lw, sliderY, static_cast<int>((v - lw) * 0.9), sliderHeight);
    const int b = width - v;
    const int rw = juce::jmin(b, static_cast<int>(0.2 * b) + 16);
    gvSlider.setBounds(v + rw, sliderY, static_cast<int>((b - rw) * 0.9), sliderHeight);
}
} // namespace tessel
