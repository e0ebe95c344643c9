#pragma once

#include "ui/PupackTableModels.h"
#include "ui/PupackTableViews.h"

#include <juce_gui_basics/juce_gui_basics.h>

namespace tessel
{
/** The model tables of the model settings: the targets with Up and Down buttons, below them the
    narrators of the active model's target with their own Up and Down buttons and Uninstall, and the
    active model's offset gain (-12 to 12 dB in 0.1 steps) and GV coefficient (0 to 1 in 0.01 steps).

    Choosing a target puts its first model into the selected slot; choosing a narrator puts that
    model there. Up and Down move the active model's target among the groups, or the active model
    among its target's models: the order behind the model-selection commands. Uninstall removes the
    active model (an add-on; a built-in one gives a warning) and clears both selections. The
    per-model controls show only while both tables have a selected row.

    All data comes from the view model; `refreshTables()` shows it without changing it. Message
    thread only. */
class TableViewForNormal : public juce::Component
{
public:
    explicit TableViewForNormal(PupackSelectorViewModel& viewModel);
    ~TableViewForNormal() override;

    /** Re-reads both tables and selects the active model's target and narrator; shows the per-model
        controls with the active model's values when both are selected, hides them otherwise. The
        active slot is not changed. */
    void refreshTables();

    void resized() override;

    /** Row height of both tables, in pixels. */
    static constexpr int rowHeight = 32;

    TargetTableView& getTargetTable() noexcept { return targetTable; }
    NarratorTableView& getNarratorTable() noexcept { return narratorTable; }
    TargetTableModel& getTargetModel() noexcept { return targetModel; }
    juce::ArrowButton& getTargetUpButton() noexcept { return targetUpButton; }
    juce::ArrowButton& getTargetDownButton() noexcept { return targetDownButton; }
    juce::ArrowButton& getNarratorUpButton() noexcept { return narratorUpButton; }
    juce::ArrowButton& getNarratorDownButton() noexcept { return narratorDownButton; }
    juce::TextButton& getUninstallButton() noexcept { return uninstallButton; }
    juce::Slider& getOffsetSlider() noexcept { return offsetSlider; }
    juce::Slider& getGVSlider() noexcept { return gvSlider; }
    juce::Label& getOffsetLabel() noexcept { return offsetLabel; }
    juce::Label& getGVLabel() noexcept { return gvLabel; }

private:
    void targetUp();
    void targetDown();
    void narratorUp();
    void narratorDown();
    void uninstall();
    void moveActiveTarget(int step);
    void moveActiveNarrator(int step);
    int findGroupIndex(const juce::String& target) const;
    static void setUpTable(juce::TableListBox& table);
    static void setUpSlider(juce::Slider& slider, juce::Label& label, double minimum, double maximum,
                            double interval, const juce::String& suffix);

    PupackSelectorViewModel& viewModel;
    TargetTableModel targetModel;
    TargetTableView targetTable;
    juce::ArrowButton targetUpButton{"Target Up Button", 0.75f, juce::Colour(0xffffffff)};
    juce::ArrowButton targetDownButton{"Target Down Button", 0.25f, juce::Colour(0xffffffff)};
    NarratorTableModel narratorModel;
    NarratorTableView narratorTable;
    juce::ArrowButton narratorUpButton{"Narrator Up Button", 0.75f, juce::Colour(0xffffffff)};
    juce::ArrowButton narratorDownButton{"Narrator Down Button", 0.25f, juce::Colour(0xffffffff)};
    juce::TextButton uninstallButton;
    juce::Label offsetLabel;
    juce::Slider offsetSlider;
    juce::Label gvLabel;
    juce::Slider gvSlider;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(TableViewForNormal)
};
} // namespace tessel
