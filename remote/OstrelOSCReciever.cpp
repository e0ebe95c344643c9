#include "remote/OstrelOSCReciever.h"

#include "app/CommandIds.h"

#include <climits>
#include <cstdlib>

namespace tessel
{

namespace
{
constexpr const char* settingsTag = "OSCSETUP";
constexpr const char* portAttribute = "PortNumber";
} // namespace

const std::array<OstrelOSCReciever::Address, 11>& OstrelOSCReciever::getAddressTable()
{
    static const std::array<Address, 11> table{{
        {"/MUTEOFF", CommandIds::changeMuteOff},
        {"/MUTEON", CommandIds::changeMuteOn},
        {"/VOICE1", CommandIds::selectModelOrder1},
        {"/VOICE2", CommandIds::selectModelOrder2},
        {"/VOICE3", CommandIds::selectModelOrder3},
        {"/VOICE4", CommandIds::selectModelOrder4},
        {"/VOICE5", CommandIds::selectModelOrder5},
        {"/VOICE6", CommandIds::selectModelOrder6},
        {"/VOICE7", CommandIds::selectModelOrder7},
        {"/VOICE8", CommandIds::selectModelOrder8},
        {"/VOICE9", CommandIds::selectModelOrder9},
    }};
    return table;
}

int OstrelOSCReciever::findCommandForAddress(const juce::String& addressPattern)
{
    for (const auto& address : getAddressTable())
        if (addressPattern == address.pattern)
            return address.commandId;
    return 0;
}

int OstrelOSCReciever::parsePortText(const juce::String& text)
{
    // Leading blanks, a sign and the leading digits, as the C library reads a decimal number; no
    // digits read as 0. Values beyond the range of int stay out of range instead of wrapping round
    // to some valid port.
    const long value = std::strtol(text.toRawUTF8(), nullptr, 10);
    if (value > INT_MAX)
        return INT_MAX;
    if (value < INT_MIN)
        return INT_MIN;
    return static_cast<int>(value);
}

OstrelOSCReciever::OstrelOSCReciever() : OstrelOSCReciever(*PropertiesFileManager::getInstance()) {}

OstrelOSCReciever::OstrelOSCReciever(PropertiesFileManager& settingsStore) : store(settingsStore)
{
    if (const auto* settings = store.getXml(PropertiesFileManager::oscSetupKey))
        if (settings->hasAttribute(portAttribute))
            port = parsePortText(settings->getStringAttribute(portAttribute));

    for (const auto& address : getAddressTable())
        receiver.addListener(this, juce::OSCAddress(address.pattern));

    store.addListener(this);
}

OstrelOSCReciever::~OstrelOSCReciever()
{
    storeSettings();
    store.removeListener(this);
    disconnect();
    receiver.removeListener(this);
}

bool OstrelOSCReciever::connect()
{
    disconnect();

    auto newSocket = std::make_unique<juce::DatagramSocket>(false);

    // JUCE's datagram sockets ask for address reuse, and on Linux two UDP sockets that both ask for
    // it may bind the same port: the newer one silently takes every datagram from the other. Without
    // reuse a port that another program holds fails to bind and the user is told so.
    newSocket->setEnablePortReuse(false);

    const bool portInRange = port >= 0 && port <= 65535;
    if (newSocket->getRawSocketHandle() < 0 || !portInRange || !newSocket->bindToPort(port))
    {
        connected = false;
        showConnectionError();
        return false;
    }

    socket = std::move(newSocket);
    connected = receiver.connectToSocket(*socket);
    if (!connected)
        socket.reset();
    return connected;
}

void OstrelOSCReciever::disconnect()
{
    // The receiving thread polls the socket every 100 ms and stops at the next poll; the socket is
    // closed only after the thread has let go of it.
    receiver.disconnect();
    socket.reset();
    connected = false;
}

int OstrelOSCReciever::getBoundPort() const
{
    return connected && socket != nullptr ? socket->getBoundPort() : -1;
}

void OstrelOSCReciever::storeSettings()
{
    auto settings = std::make_unique<juce::XmlElement>(settingsTag);
    settings->setAttribute(portAttribute, port);
    store.setXml(PropertiesFileManager::oscSetupKey, std::move(settings));
}

juce::String OstrelOSCReciever::connectionErrorMessage(int failedPort)
{
    return juce::translate("OSC_ErrMsg_UDPConnection") + juce::String(failedPort);
}

void OstrelOSCReciever::showConnectionError()
{
    const auto title = juce::translate("OSC_ErrTitle_UDPConnection");
    const auto message = connectionErrorMessage(port);

    if (errorPresenter != nullptr)
    {
        errorPresenter(title, message);
        return;
    }

#if JUCE_MODAL_LOOPS_PERMITTED
    juce::AlertWindow::showMessageBox(juce::MessageBoxIconType::WarningIcon, title, message,
                                      juce::translate("General_OK"));
#else
    juce::AlertWindow::showMessageBoxAsync(juce::MessageBoxIconType::WarningIcon, title, message,
                                           juce::translate("General_OK"));
#endif
}

void OstrelOSCReciever::oscMessageReceived(const juce::OSCMessage& message)
{
    if (commandManager == nullptr)
        return;

    // JUCE hands over every message whose pattern matches a registered address, wildcards
    // included; only the exact text of an address counts.
    const int commandId = findCommandForAddress(message.getAddressPattern().toString());
    if (commandId != 0)
        commandManager->invokeDirectly(commandId, true);
}

void OstrelOSCReciever::propertiesWillBeSaved()
{
    storeSettings();
}

} // namespace tessel
