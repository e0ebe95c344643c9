#pragma once

#include "library/PupackSelectorViewModel.h"

#include <juce_gui_basics/juce_gui_basics.h>

namespace tessel
{
/** The model of the selected slot (the active model), or the view model's none entry. */
const PupackMetaData& getActiveEntry(const PupackSelectorViewModel& viewModel);

/** Row painting shared by the model tables: accentBlue behind a selected row, menuNavy otherwise,
    a white half-pixel outline round every row; cell texts white at half the row height, 5 pixels in,
    centred vertically, shortened with an ellipsis. */
struct PupackTablePainting
{
    static void paintRowBackground(juce::Graphics& g, int width, int height, bool rowIsSelected);
    static void paintCellText(juce::Graphics& g, const juce::String& text, int width, int height);
};

/** The target table's rows: one per model group, in group order, showing the target name.
    Choosing a row puts that target's first model into the selected slot (unless it is there
    already); `selectedTarget` is the target last chosen. */
class TargetTableModel : public juce::TableListBoxModel
{
public:
    explicit TargetTableModel(PupackSelectorViewModel& viewModel);

    int getNumRows() override;
    void paintRowBackground(juce::Graphics& g, int rowNumber, int width, int height,
                            bool rowIsSelected) override;
    void paintCell(juce::Graphics& g, int rowNumber, int columnId, int width, int height,
                   bool rowIsSelected) override;
    void selectedRowsChanged(int lastRowSelected) override;

    /** The target name last chosen in the table (empty when none is). */
    juce::String selectedTarget;
    /** While false, selection changes only show: the table view sets rows to match the model. */
    bool reactsToSelection = true;

private:
    PupackSelectorViewModel& viewModel;
};

/** The narrator table's rows: the models of the active model's target, in order, showing the
    narrator and the install type ("Bundle" or "Add-on"). Choosing a row puts that model into the
    selected slot; a selection that becomes empty empties the slot. */
class NarratorTableModel : public juce::TableListBoxModel
{
public:
    explicit NarratorTableModel(PupackSelectorViewModel& viewModel);

    int getNumRows() override;
    void paintRowBackground(juce::Graphics& g, int rowNumber, int width, int height,
                            bool rowIsSelected) override;
    void paintCell(juce::Graphics& g, int rowNumber, int columnId, int width, int height,
                   bool rowIsSelected) override;
    void selectedRowsChanged(int lastRowSelected) override;

    /** While false, selection changes only show: the table view sets rows to match the model. */
    bool reactsToSelection = true;

private:
    PupackSelectorViewModel& viewModel;
};
} // namespace tessel
