#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace tessel
{
/** The table of model targets (component name "Pupack Target Table View"). */
class TargetTableView : public juce::TableListBox
{
public:
    explicit TargetTableView(juce::TableListBoxModel* tableModel)
        : juce::TableListBox("Pupack Target Table View", tableModel)
    {
    }
};

/** The table of the active target's narrators (component name "Pupack Narrator Table View"). */
class NarratorTableView : public juce::TableListBox
{
public:
    explicit NarratorTableView(juce::TableListBoxModel* tableModel)
        : juce::TableListBox("Pupack Narrator Table View", tableModel)
    {
    }
};
} // namespace tessel
