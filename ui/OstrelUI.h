#pragma once

#include "ui/AuxInputUI.h"
#include "ui/CautionUI.h"
#include "ui/DuckingUI.h"
#include "ui/FooterUI.h"
#include "ui/HeaderUI.h"
#include "ui/KnobPanel.h"
#include "ui/MainLayout.h"
#include "ui/OutputUI.h"
#include "ui/ReverbUI.h"
#include "ui/SignalFlowUI.h"
#include "ui/UIScale.h"
#include "ui/VoiceInputUI.h"
#include "ui/VoiceModelUI.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>
#include <vector>

namespace tessel
{
class OstrelAudioService;
class PupackManager;

/** The main screen: the voice path from left to right (input, voice model, output), the background
    path along the bottom (AUX input, ducking, mix level, reverb, noise gate), the header with the
    settings and reset buttons, the footer, the signal-flow picture and the message overlay.

    Every control acts directly on a processor of the audio service's running chain; refresh() makes
    every panel re-read its processor, so changes made by commands, remote control or the settings
    show up. The panels sit in a content area of a fixed aspect centred in the screen, and every image
    is scaled by the screen's height (this is the interface's UIScaleRoot). Runs on the message thread. */
class OstrelUI : public juce::Component, public juce::ChangeListener, public UIScaleRoot
{
public:
    /** Builds every panel bound to the audio service's chain and the library's model selector view
        model, adds them, has the view model load the stored selection (which hands the selected
        slot's model to the audio service) and refreshes. */
    OstrelUI(OstrelAudioService& audioService, PupackManager& library);
    ~OstrelUI() override;

    /** Brings every panel up to date with the chain, enables the AUX panels only while an AUX input is
        connected, and asks the error-message manager to show the current message. Cheap when nothing
        changed: each panel compares with what it shows. */
    void refresh();
    /** Refreshes, whatever the source. */
    void changeListenerCallback(juce::ChangeBroadcaster* source) override;

    /** The command manager the header's and the overlay's buttons invoke their commands through
        (asynchronously); without one the buttons do nothing. */
    void setCommandManager(juce::ApplicationCommandManager* manager);

    /** Invokes a command asynchronously through the command manager set; does nothing without one. */
    void invokeCommand(int commandId);

    /** Shows a settings overlay over everything (the screen owns it) or, with null, removes and
        deletes the one shown. */
    void setSettingsOverlay(std::unique_ptr<juce::Component> overlay);
    /** The settings overlay shown, or null. */
    juce::Component* getSettingsOverlay() const noexcept { return settingsOverlay.get(); }
    /** Panels the settings overlay shows below its own sections (recorder, remote control); the main
        component fills the list, the screen owns them. */
    std::vector<std::unique_ptr<juce::Component>>& getExtraSettingsPanels() noexcept
    {
        return extraSettingsPanels;
    }

    /** The layout the screen applied last. */
    const MainLayout& getLayout() const noexcept { return layout; }

    void paint(juce::Graphics& g) override;
    void resized() override;

    AuxInputUI& getAuxInputPanel() noexcept { return *auxInput; }
    DuckingUI& getDuckingPanel() noexcept { return *ducking; }
    FooterUI& getFooter() noexcept { return *footer; }
    HeaderUI& getHeader() noexcept { return *header; }
    MixLevelUI& getMixLevelPanel() noexcept { return *mixLevel; }
    NoiseGateUI& getNoiseGatePanel() noexcept { return *noiseGate; }
    OutputUI& getOutputPanel() noexcept { return *output; }
    ReverbUI& getReverbPanel() noexcept { return *reverb; }
    VoiceInputUI& getInputPanel() noexcept { return *input; }
    VoiceModelUI& getModelPanel() noexcept { return *model; }
    SignalFlowUI& getSignalFlow() noexcept { return *signalFlow; }
    CautionUI& getMessageOverlay() noexcept { return *caution; }

private:
    OstrelAudioService& audioService;
    PupackManager& library;
    juce::ApplicationCommandManager* commandManager = nullptr;

    std::unique_ptr<juce::Component> settingsOverlay;
    std::unique_ptr<AuxInputUI> auxInput;
    std::unique_ptr<DuckingUI> ducking;
    std::unique_ptr<FooterUI> footer;
    std::unique_ptr<HeaderUI> header;
    std::unique_ptr<MixLevelUI> mixLevel;
    std::unique_ptr<NoiseGateUI> noiseGate;
    std::unique_ptr<OutputUI> output;
    std::unique_ptr<ReverbUI> reverb;
    std::unique_ptr<VoiceInputUI> input;
    std::unique_ptr<VoiceModelUI> model;
    std::unique_ptr<SignalFlowUI> signalFlow;
    std::unique_ptr<CautionUI> caution;
    std::vector<std::unique_ptr<juce::Component>> extraSettingsPanels;

    MainLayout layout;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(OstrelUI)
};
} // namespace tessel
