#pragma once

#include "library/PupackSelectorViewModel.h"
#include "ui/TableViewForNormal.h"

#include <juce_gui_basics/juce_gui_basics.h>

namespace tessel
{
class PupackManager;

/** The model section of the settings ("Voice Conversion Model Settings"): a title, the model
    tables (`TableViewForNormal`) and an area onto which model files (".ppc") are dropped to install
    them. It shows the view model and follows its changes; the only state of its own is the target
    last chosen and whether a drag hovers over the drop area.

    Layout, for W x H: the title over the top 48 pixels (font 0.6 of its height); of the rest, 0.85
    for the tables and the remainder for the drop area, both inset by 8 pixels. Message thread only. */
class PupackSelectorEditor : public juce::Component, public PupackSelectorViewModel::Listener
{
public:
    /** The drop area: invites a ".ppc" file while nothing hovers ("Pupack_DropArea", white), and
        turns green with "Pupack_Install" while a drag with at least one ".ppc" file hovers. Dropped
        ".ppc" files are installed one after the other; other files are skipped. */
    class DragAndDropArea : public juce::Component, public juce::FileDragAndDropTarget
    {
    public:
        DragAndDropArea(PupackSelectorViewModel& viewModel, PupackManager& library);

        /** True when at least one of the files has the extension "ppc" (any letter case). */
        bool isInterestedInFileDrag(const juce::StringArray& files) override;
        void fileDragEnter(const juce::StringArray& files, int x, int y) override;
        void fileDragExit(const juce::StringArray& files) override;
        /** For each ".ppc" file in the order given: both slots are emptied (the converter lets go
            of its package), the file is installed (a broken one shows a warning), and both slots go
            back to the models they held where those still exist. */
        void filesDropped(const juce::StringArray& files, int x, int y) override;

        void paint(juce::Graphics& g) override;

        /** 1 while an interesting drag hovers, else 0. */
        int getDragHover() const noexcept { return dragHover; }

    private:
        static bool isPupackFile(const juce::String& path);

        PupackSelectorViewModel& viewModel;
        PupackManager& library;
        int dragHover = 0;

        JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(DragAndDropArea)
    };

    /** An editor of the library's view model; registers as its listener last. */
    PupackSelectorEditor(PupackSelectorViewModel& viewModel, PupackManager& library);
    /** Leaves the view model's listeners first. */
    ~PupackSelectorEditor() override;

    /** Refreshes the tables and repaints. */
    void pupackSelectionChanged() override;

    void resized() override;

    juce::Label& getTitleLabel() noexcept { return titleLabel; }
    TableViewForNormal& getTableView() noexcept { return tableView; }
    DragAndDropArea& getDropArea() noexcept { return dropArea; }

private:
    PupackSelectorViewModel& viewModel;
    juce::Label titleLabel;
    TableViewForNormal tableView;
    DragAndDropArea dropArea;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(PupackSelectorEditor)
};
} // namespace tessel
