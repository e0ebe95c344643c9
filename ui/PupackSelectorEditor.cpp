#include "ui/PupackSelectorEditor.h"

#include "library/PupackManager.h"

namespace tessel
{
PupackSelectorEditor::DragAndDropArea::DragAndDropArea(PupackSelectorViewModel& model, PupackManager& manager)
    : viewModel(model), library(manager)
{
}

bool PupackSelectorEditor::DragAndDropArea::isPupackFile(const juce::String& path)
{
    return juce::File::createFileWithoutCheckingPath(path).hasFileExtension("ppc");
}

bool PupackSelectorEditor::DragAndDropArea::isInterestedInFileDrag(const juce::StringArray& files)
{
    for (const auto& file : files)
        if (isPupackFile(file))
            return true;
    return false;
}

void PupackSelectorEditor::DragAndDropArea::fileDragEnter(const juce::StringArray& files, int, int)
{
    if (!isInterestedInFileDrag(files))
        return;
    dragHover = 1;
    repaint();
}

void PupackSelectorEditor::DragAndDropArea::fileDragExit(const juce::StringArray&)
{
    dragHover = 0;
    repaint();
}

void PupackSelectorEditor::DragAndDropArea::filesDropped(const juce::StringArray& files, int, int)
{
    if (isInterestedInFileDrag(files))
    {
        for (const auto& path : files)
        {
            if (!isPupackFile(path))
                continue;
            // The converter lets go of the package it uses before the library's files change.
            viewModel.releaseSlotsForLibraryChange();
            const auto result = library.install(juce::File(path));
            // A successful install hands the new list to the view model itself; otherwise the slots
            // still have to go back to the models they held.
            if (result != PupackManager::InstallResult::installed)
                viewModel.synchroniseWithLibrary();
        }
    }
    dragHover = 0;
    repaint();
}

void PupackSelectorEditor::DragAndDropArea::paint(juce::Graphics& g)
{
    const auto area = getLocalBounds();
    g.setFont(juce::jmin(0.3f * static_cast<float>(getHeight()), 24.0f));
    g.setColour(dragHover == 1 ? juce::Colour(0xff008000) : juce::Colours::white);
    g.drawText(juce::translate(dragHover == 1 ? "Pupack_Install" : "Pupack_DropArea"), area,
               juce::Justification::centred, true);
    g.setColour(juce::Colours::white);
    g.drawRoundedRectangle(area.toFloat(), 5.0f, 3.0f);
}

//======================================================================================================
PupackSelectorEditor::PupackSelectorEditor(PupackSelectorViewModel& model, PupackManager& library)
    : viewModel(model), tableView(model), dropArea(model, library)
{
    titleLabel.setText(juce::translate("SettingUI_Pupack"), juce::dontSendNotification);
    titleLabel.setJustificationType(juce::Justification::centred);
    addAndMakeVisible(titleLabel);
    addAndMakeVisible(tableView);
    addAndMakeVisible(dropArea);
    viewModel.addListener(this);
}

PupackSelectorEditor::~PupackSelectorEditor()
{
    viewModel.removeListener(this);
}

void PupackSelectorEditor::pupackSelectionChanged()
{
    tableView.refreshTables();
    repaint();
}

void PupackSelectorEditor::resized()
{
    const int width = getWidth();
    const int height = getHeight();

    const int titleHeight = juce::jmin(height, 48);
    titleLabel.setBounds(0, 0, width, titleHeight);
    const float fontHeight = juce::jlimit(0.1f, 10000.0f, 0.6f * static_cast<float>(titleHeight));
    if (titleLabel.getFont().getHeight() != fontHeight)
        titleLabel.setFont(titleLabel.getFont().withHeight(fontHeight));

    const int rest = height - titleHeight;
    const int d = juce::jmin(rest, static_cast<int>(0.85 * rest));
    tableView.setBounds(8, titleHeight + 8, juce::jmax(width - 16, 0), juce::jmax(d - 16, 0));
    dropArea.setBounds(8, titleHeight + d + 8, juce::jmax(width - 16, 0), juce::jmax(rest - d - 16, 0));
}
} // namespace tessel
