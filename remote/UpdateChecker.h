#pragma once

#include "app/PropertiesFileManager.h"
#include "remote/UpdateOffer.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>

namespace tessel
{

/** The update check: reads the version tracker document from the update server, compares the
    versions it announces for this build's update channel with the running version and, when an
    update is due, shows the update dialog.

    The automatic check (at start-up) stays silent unless an update is due: a newer version that the
    user has not chosen to skip, or a running version older than the required one. The interactive
    check ("Check Update...") also says when the running version is the latest. A document that
    cannot be fetched or parsed gives the warning "VerChk_NetworkError" in both modes. Cancelling the
    dialog stores the skip choice under "UpdateSetup" ("UPDATESETUP", attribute "SkipVersion");
    proceeding opens the download page in the browser.

    The request blocks the calling (message) thread for at most about `Settings::timeoutMs`. The
    decision is kept apart from the boxes and the dialog, which can be replaced, so that the whole
    check runs without modal loops where needed. Message thread only. */
class UpdateChecker
{
public:
    /** The version this build reports. */
    static constexpr const char* runningVersion = "1.5.0";
    /** The application's resource identifier, the "%s" of the tracker address. */
    static constexpr const char* resourceIdentifier = "a00";
    /** The update channel whose entry of the tracker this build follows. */
    static constexpr const char* updateChannel = "tavilo-linux";
    /** The bound of one request, connection and transfer together, in milliseconds. */
    static constexpr int defaultTimeoutMs = 5000;

    /** Where the check looks and what it compares against. */
    struct Settings
    {
        /** The tracker's address; a "%s" in it is replaced by `resourceIdentifier`. The default is
            the build's TAVILO_UPDATE_TRACKER_URL. */
        juce::String trackerAddress = getDefaultTrackerAddress();
        juce::String channel = updateChannel;
        juce::String version = runningVersion;
        /** The language code whose release notes are shown ("en", "ja", "zh"); empty takes the
            language of the installed translation. */
        juce::String language;
        int timeoutMs = defaultTimeoutMs;
    };

    /** What one check shows. */
    enum class Outcome
    {
        nothing,          ///< no box: no entry for the channel, or (automatic) no update due
        networkError,     ///< warning "VerChk_Error" / "VerChk_NetworkError": no document
        upToDate,         ///< information "VerChk_Title" / "VerChk_UpToDate" (interactive only)
        informationError, ///< warning "VerChk_Error" / "VerChk_InformationError": no text for the language
        offerUpdate       ///< the update dialog with `Decision::offer`
    };

    struct Decision
    {
        Outcome outcome = Outcome::nothing;
        UpdateOffer offer; ///< set for `Outcome::offerUpdate`
    };

    /** How the user closed the update dialog: 0 "VerChk_Cancel", 1 "VerChk_Proceed". */
    struct DialogAnswer
    {
        int result = 0;
        bool skipTicked = false;
    };

    using MessageBoxPresenter = std::function<void(juce::MessageBoxIconType icon, const juce::String& title,
                                                   const juce::String& message)>;
    using DialogPresenter = std::function<DialogAnswer(const UpdateOffer& offer)>;
    using BrowserLauncher = std::function<void(const juce::URL& address)>;

    /** A check with the build's settings on the process-wide settings store. */
    UpdateChecker();
    /** A check with other settings on a given store (not owned; must outlive the checker). */
    UpdateChecker(Settings settings, PropertiesFileManager& settingsStore);

    /** Runs one whole check: fetch, decide, show, and store or open what the user chose. Returns
        when the user has answered the dialog; message boxes are asynchronous. Does nothing while
        an update dialog is open. `interactive` is true for "Check Update...", false at start-up. */
    void checkForUpdate(bool interactive);

    /** The tracker's address with "%s" replaced by the resource identifier. */
    juce::String getTrackerAddress() const;

    /** Reads the tracker document with one GET request (at most 5 redirects, bounded in time and to
        1 MiB). Empty when nothing could be read, the transfer did not finish in time, or the server
        answered with a status other than 2xx. */
    juce::String fetchTrackerDocument() const;

    /** Decides what a document means, with the stored skip version. */
    Decision decide(const juce::String& document, bool interactive) const;

    /** The same with a given skip version text. */
    static Decision decide(const juce::String& document, bool interactive, const Settings& checkSettings,
                           const juce::String& skipVersion);

    /** The stored "SkipVersion": "0.0.0" when nothing is stored, empty when the tree lacks it. */
    juce::String readSkipVersion() const;

    /** Acts on the dialog's answer: 0 stores the skip version (the offer's version when ticked,
        otherwise "0.0.0"), 1 opens the download page. */
    void applyDialogAnswer(const UpdateOffer& offer, const DialogAnswer& answer);

    /** An address the browser may be asked to open: http and https only, with every character that
        is not safe inside a shell-quoted command percent-encoded. An empty URL for anything else. */
    static juce::URL toBrowserAddress(const juce::String& address);

    /** The language of the installed translation, else the user's language when supported, else "en". */
    static juce::String getCurrentLanguage();

    /** The build's tracker address (TAVILO_UPDATE_TRACKER_URL). */
    static juce::String getDefaultTrackerAddress();

    const Settings& getSettings() const noexcept { return settings; }

    void setMessageBoxPresenter(MessageBoxPresenter presenter) { messageBoxPresenter = std::move(presenter); }
    void setDialogPresenter(DialogPresenter presenter) { dialogPresenter = std::move(presenter); }
    void setBrowserLauncher(BrowserLauncher launcher) { browserLauncher = std::move(launcher); }

private:
    void showMessageBox(juce::MessageBoxIconType icon, const juce::String& titleKey,
                        const juce::String& messageKey) const;
    DialogAnswer runDialog(const UpdateOffer& offer) const;
    void openInBrowser(const juce::String& address) const;

    Settings settings;
    PropertiesFileManager& store;
    MessageBoxPresenter messageBoxPresenter;
    DialogPresenter dialogPresenter;
    BrowserLauncher browserLauncher;
};

} // namespace tessel
