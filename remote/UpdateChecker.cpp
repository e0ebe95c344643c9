#include "remote/UpdateChecker.h"

#include "remote/UpdateDialog.h"

#ifndef TAVILO_UPDATE_TRACKER_URL
#error "TAVILO_UPDATE_TRACKER_URL, the version tracker's address, is set by the build (CMakeLists.txt)"
#endif

namespace tessel
{

namespace
{
constexpr const char* settingsTag = "UPDATESETUP";
constexpr const char* skipVersionAttribute = "SkipVersion";
constexpr const char* noSkipVersion = "0.0.0";
constexpr int maxRedirects = 5;
constexpr size_t maxDocumentBytes = 1 << 20;

/** One GET request on a worker thread, so that the caller can give up after a fixed time whatever
    stage the transfer is in (name lookup, connection, a server that never answers or trickles). */
class TrackerRequest : private juce::Thread
{
public:
    TrackerRequest(const juce::URL& address, int timeoutMs)
        : juce::Thread("Update Check"), stream(address, false), timeout(juce::jmax(1, timeoutMs))
    {
        stream.withConnectionTimeout(timeout).withNumRedirectsToFollow(maxRedirects);
    }

    ~TrackerRequest() override { finish(); }

    /** The response body, or empty when there is none within the time-out. */
    juce::String run(int timeoutMs)
    {
        if (!startThread())
            return {};
        if (!waitForThreadToExit(timeoutMs))
        {
            // Too slow: cancelling closes the transfer, and the worker returns at its next step.
            signalThreadShouldExit();
            stream.cancel();
            finish();
            return {};
        }
        return complete
                   ? juce::String::createStringFromData(body.getData(), static_cast<int>(body.getDataSize()))
                   : juce::String();
    }

private:
    void run() override
    {
        if (!stream.connect(nullptr) || stream.isError())
            return;

        // An error page is not the tracker, whatever it holds.
        const int status = stream.getStatusCode();
        if (status < 200 || status > 299)
            return;

        // Small reads: a read returns only when its buffer is full or the transfer has ended, so
        // a slow server can hold one read for long.
        char buffer[256];
        while (!threadShouldExit() && !stream.isExhausted())
        {
            const int read = stream.read(buffer, static_cast<int>(sizeof(buffer)));
            if (read <= 0)
                break;
            body.write(buffer, static_cast<size_t>(read));
            if (body.getDataSize() > maxDocumentBytes)
                return;
        }
        complete = !threadShouldExit() && stream.isExhausted() && !stream.isError();
    }

    void finish()
    {
        if (isThreadRunning())
            stopThread(-1);
    }

    juce::WebInputStream stream;
    const int timeout;
    juce::MemoryOutputStream body;
    bool complete = false;
};

/** The first child element whose tag equals a name without regard to case. */
const juce::XmlElement* findChildIgnoringCase(const juce::XmlElement& parent, const juce::String& tag)
{
    for (const auto* child : parent.getChildIterator())
        if (!child->isTextElement() && child->getTagName().equalsIgnoreCase(tag))
            return child;
    return nullptr;
}

/** The whole text of the first child with a tag (case ignored), or empty. */
juce::String childText(const juce::XmlElement& parent, const juce::String& tag)
{
    const auto* child = findChildIgnoringCase(parent, tag);
    return child != nullptr ? child->getAllSubText() : juce::String();
}

/** The value of the first attribute whose name is exactly `name` (JUCE's own lookup ignores case). */
juce::String firstAttribute(const juce::XmlElement& element, const juce::String& name)
{
    for (int i = 0; i < element.getNumAttributes(); ++i)
        if (element.getAttributeName(i) == name)
            return element.getAttributeValue(i);
    return {};
}

bool isShellSafeAddressCharacter(unsigned char c)
{
    // Characters an address may hold that mean nothing inside a double-quoted shell word; JUCE
    // hands the address to /bin/sh in double quotes when it opens a browser.
    if (juce::CharacterFunctions::isLetterOrDigit(static_cast<juce::juce_wchar>(c)) && c < 0x80)
        return true;
    return juce::String("-._~:/?#[]@!&'()*+,;=%").containsChar(static_cast<juce::juce_wchar>(c));
}
} // namespace

UpdateChecker::UpdateChecker() : UpdateChecker(Settings(), *PropertiesFileManager::getInstance()) {}

UpdateChecker::UpdateChecker(Settings checkSettings, PropertiesFileManager& settingsStore)
    : settings(std::move(checkSettings)), store(settingsStore)
{
    if (settings.language.isEmpty())
        settings.language = getCurrentLanguage();
}

juce::String UpdateChecker::getDefaultTrackerAddress()
{
    return TAVILO_UPDATE_TRACKER_URL;
}

juce::String UpdateChecker::getTrackerAddress() const
{
    return settings.trackerAddress.replace("%s", resourceIdentifier);
}

juce::String UpdateChecker::getCurrentLanguage()
{
    static const juce::StringArray supported{"en", "ja", "zh"};

    if (const auto* mappings = juce::LocalisedStrings::getCurrentMappings())
    {
        const auto language = mappings->getLanguageName().trim().toLowerCase();
        if (supported.contains(language))
            return language;
    }

    const auto user = juce::SystemStats::getUserLanguage().toLowerCase().initialSectionNotContaining("-_");
    return supported.contains(user) ? user : juce::String("en");
}

juce::String UpdateChecker::fetchTrackerDocument() const
{
    TrackerRequest request(juce::URL(getTrackerAddress()), settings.timeoutMs);
    return request.run(settings.timeoutMs);
}

juce::String UpdateChecker::readSkipVersion() const
{
    if (const auto* tree = store.getXml(PropertiesFileManager::updateSetupKey))
        return tree->getStringAttribute(skipVersionAttribute);
    return noSkipVersion;
}

UpdateChecker::Decision UpdateChecker::decide(const juce::String& document, bool interactive) const
{
    return decide(document, interactive, settings, readSkipVersion());
}

UpdateChecker::Decision UpdateChecker::decide(const juce::String& document, bool interactive,
                                              const Settings& checkSettings, const juce::String& skipVersion)
{
    Decision decision;

    const auto root = juce::parseXML(document);
    if (root == nullptr)
    {
        decision.outcome = Outcome::networkError;
        return decision;
    }

    const juce::XmlElement* entry = nullptr;
    for (const auto* child : root->getChildIterator())
    {
        if (!child->isTextElement() && childText(*child, "name") == checkSettings.channel)
        {
            entry = child;
            break;
        }
    }
    if (entry == nullptr)
        return decision;

    const auto currentText = childText(*entry, "currentVersion");
    const auto current = versionNumber(currentText);
    const auto required = versionNumber(childText(*entry, "requiredVersion"));
    const auto running = versionNumber(checkSettings.version);
    const auto skip = versionNumber(skipVersion);

    if (interactive)
    {
        if (running >= current)
        {
            decision.outcome = Outcome::upToDate;
            return decision;
        }
    }
    else if (!(running < required || (running < current && skip < current)))
    {
        return decision;
    }

    const juce::XmlElement* languageElement = nullptr;
    for (const auto* child : entry->getChildIterator())
    {
        if (!child->isTextElement() && firstAttribute(*child, "xml:lang") == checkSettings.language)
        {
            languageElement = child;
            break;
        }
    }
    if (languageElement == nullptr)
    {
        decision.outcome = Outcome::informationError;
        return decision;
    }

    auto& offer = decision.offer;
    offer.currentVersion = currentText;
    offer.message = juce::translate("VerChk_Available").replace("%s", currentText);
    offer.notes = languageElement->getAllSubText().replace("\\n", "\n");
    offer.infoAddress = firstAttribute(*languageElement, "info_uri");
    offer.downloadAddress = firstAttribute(*languageElement, "download_uri");
    offer.forced = running < required;
    offer.skipMatches = skip == current;
    decision.outcome = Outcome::offerUpdate;
    return decision;
}

void UpdateChecker::checkForUpdate(bool interactive)
{
    if (UpdateDialog::getOpenDialog() != nullptr)
        return;

    const auto decision = decide(fetchTrackerDocument(), interactive);
    switch (decision.outcome)
    {
        case Outcome::nothing:
            break;
        case Outcome::networkError:
            showMessageBox(juce::MessageBoxIconType::WarningIcon, "VerChk_Error", "VerChk_NetworkError");
            break;
        case Outcome::upToDate:
            showMessageBox(juce::MessageBoxIconType::InfoIcon, "VerChk_Title", "VerChk_UpToDate");
            break;
        case Outcome::informationError:
            showMessageBox(juce::MessageBoxIconType::WarningIcon, "VerChk_Error", "VerChk_InformationError");
            break;
        case Outcome::offerUpdate:
            applyDialogAnswer(decision.offer, runDialog(decision.offer));
            break;
    }
}

void UpdateChecker::applyDialogAnswer(const UpdateOffer& offer, const DialogAnswer& answer)
{
    if (answer.result == 0)
    {
        auto tree = std::make_unique<juce::XmlElement>(settingsTag);
        tree->setAttribute(skipVersionAttribute,
                           answer.skipTicked ? offer.currentVersion : juce::String(noSkipVersion));
        store.setXml(PropertiesFileManager::updateSetupKey, std::move(tree));
    }
    else if (answer.result == 1)
    {
        openInBrowser(offer.downloadAddress);
    }
}

juce::URL UpdateChecker::toBrowserAddress(const juce::String& address)
{
    const auto trimmed = address.trim();
    if (!trimmed.startsWithIgnoreCase("http://") && !trimmed.startsWithIgnoreCase("https://"))
        return {};

    juce::String safe;
    for (const auto* byte = trimmed.toRawUTF8(); *byte != 0; ++byte)
    {
        const auto c = static_cast<unsigned char>(*byte);
        if (isShellSafeAddressCharacter(c))
            safe << static_cast<char>(c);
        else
            safe << '%' << juce::String::toHexString(static_cast<int>(c)).toUpperCase().paddedLeft('0', 2);
    }
    return juce::URL(safe);
}

void UpdateChecker::showMessageBox(juce::MessageBoxIconType icon, const juce::String& titleKey,
                                   const juce::String& messageKey) const
{
    const auto title = juce::translate(titleKey);
    const auto message = juce::translate(messageKey);
    if (messageBoxPresenter != nullptr)
        messageBoxPresenter(icon, title, message);
    else
        juce::AlertWindow::showMessageBoxAsync(icon, title, message);
}

UpdateChecker::DialogAnswer UpdateChecker::runDialog(const UpdateOffer& offer) const
{
    if (dialogPresenter != nullptr)
        return dialogPresenter(offer);

    UpdateDialog dialog(offer, toBrowserAddress(offer.infoAddress));
    const int result = dialog.runUntilAnswered();
    return {result, dialog.isSkipTicked()};
}

void UpdateChecker::openInBrowser(const juce::String& address) const
{
    const auto url = toBrowserAddress(address);
    if (url.isEmpty())
        return;
    if (browserLauncher != nullptr)
        browserLauncher(url);
    else
        url.launchInDefaultBrowser();
}

} // namespace tessel
