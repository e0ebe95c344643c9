#pragma once

namespace tessel
{

/** The application's command IDs. Keyboard shortcuts, the menu bar, the screen's buttons and remote
    OSC messages all invoke these through the one `juce::ApplicationCommandManager`, so each ID means
    the same action whichever way it arrives. The values are fixed: 1 to 28, registered in ascending
    order. */
namespace CommandIds
{
enum : int
{
    selectModelOrder1 = 1, ///< "Select Model Order 1": the first model of the first model group
    selectModelOrder2 = 2,
    selectModelOrder3 = 3,
    selectModelOrder4 = 4,
    selectModelOrder5 = 5,
    selectModelOrder6 = 6,
    selectModelOrder7 = 7,
    selectModelOrder8 = 8,
    selectModelOrder9 = 9,             ///< "Select Model Order 9"
    changeBypassOn = 10,               ///< "Change Bypass On": voice conversion bypassed
    changeMuteOn = 11,                 ///< "Change Mute On"
    changeMuteOff = 12,                ///< "Change Mute Off"
    changeMuteOnOff = 13,              ///< "Change Mute On/Off": toggles the mute
    startStopRecording = 14,           ///< "Start/Stop Recording"
    showHideSettingsUI = 15,           ///< "Show/Hide Settings UI"
    aboutApp = 16,                     ///< "MENUm_AboutApp": the About dialog
    acknowledgements = 17,             ///< "MENUc_Acknowledgements"
    linkUserGuide = 18,                ///< "Link_UserGuide"
    linkOstrel = 19,                   ///< "Link_Ostrel"
    linkEULA = 20,                     ///< "Link_EULA"
    linkPrivacyPolicy = 21,            ///< "Link_PrivacyPolicy"
    linkGuidelineUsingCharacters = 22, ///< "Link_GuidelineUsingCharacters"
    checkUpdate = 23,                  ///< "MENUm_CheckUpdate": the interactive update check
    exitApp = 24,                      ///< "MENUm_ExitApp"
    restartAudioProcessor = 25,        ///< "Tool_RestartAudioProcessor": soft reset
    restartAudioDevice = 26,           ///< "Tool_RestartAudioDevice": hard reset
    startStopAudioLogging = 27,        ///< "Tool_StartAudioLogging" / "Tool_StopAudioLogging"
    openPropertyDirectory = 28,        ///< "Tool_OpenPropertyDirectory"

    first = selectModelOrder1,
    last = openPropertyDirectory
};

/** The command that selects the model group at a 1-based position (1 to 9). */
constexpr int selectModelOrder(int position) noexcept
{
    return selectModelOrder1 + position - 1;
}
} // namespace CommandIds

} // namespace tessel
