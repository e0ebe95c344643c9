#pragma once

#include "app/PropertiesFileManager.h"

#include <juce_gui_basics/juce_gui_basics.h>
#include <juce_osc/juce_osc.h>

#include <array>
#include <functional>
#include <memory>

namespace tessel
{

/** Remote control over OSC: listens on one UDP port and turns eleven fixed addresses into
    application commands.

    "/MUTEOFF", "/MUTEON" and "/VOICE1" ... "/VOICE9" invoke the commands "Change Mute Off", "Change
    Mute On" and "Select Model Order 1" ... "9" asynchronously through the application's command
    manager, so a remote message does exactly what the keyboard shortcut does. Arguments are ignored;
    any other address, a wildcard pattern or a bundle invokes nothing. JUCE's receiving thread
    ("Ostrel OSC Reciever") reads and decodes the datagrams; messages are handed over on the message
    thread. The port is stored under "OSCSetup" ("OSCSETUP", attribute "PortNumber"); the receiver
    is disconnected after every start until the user connects it. Message thread only. */
class OstrelOSCReciever
    : public juce::OSCReceiver::ListenerWithOSCAddress<juce::OSCReceiver::MessageLoopCallback>,
      public PropertiesFileManager::Listener
{
public:
    /** The port of a fresh installation. */
    static constexpr int defaultPort = 53800;

    /** One OSC address and the command it invokes. */
    struct Address
    {
        const char* pattern;
        int commandId;
    };

    /** The addresses, in the order they are checked. */
    static const std::array<Address, 11>& getAddressTable();

    /** The command of an address (exact text), or 0 for none. */
    static int findCommandForAddress(const juce::String& addressPattern);

    /** A port as text read as a decimal integer: leading blanks, a sign and the leading digits; no
        digits read as 0. Values beyond the range of int saturate. */
    static int parsePortText(const juce::String& text);

    /** Shows a connection failure: a translated title and message. The default shows a modal
        warning box with the button "General_OK". */
    using ErrorPresenter = std::function<void(const juce::String& title, const juce::String& message)>;

    /** Reads the stored port from the process-wide settings store and registers with it. */
    OstrelOSCReciever();
    /** The same on a given store (not owned; must outlive this object). */
    explicit OstrelOSCReciever(PropertiesFileManager& settingsStore);
    /** Stores the port, leaves the settings store and disconnects. */
    ~OstrelOSCReciever() override;

    /** The command manager through which messages are invoked (not owned); none ignores messages. */
    void setCommandManager(juce::ApplicationCommandManager* manager) noexcept { commandManager = manager; }

    /** Binds a UDP socket (IPv4, 65536-byte buffers) to the port on all local addresses and starts
        receiving. A port outside 0 ... 65535, a port in use or a socket that cannot be made shows
        the error "OSC_ErrTitle_UDPConnection" / "OSC_ErrMsg_UDPConnection" + port and leaves the
        receiver disconnected. Port 0 binds a port chosen by the system. True when connected. */
    bool connect();

    /** Stops receiving (JUCE gives its receiving thread up to 10000 ms to stop) and closes the socket. */
    void disconnect();

    int getPort() const noexcept { return port; }
    /** Sets the port used by the next `connect()`; does not reconnect and does not store. */
    void setPort(int newPort) noexcept { port = newPort; }
    bool isConnected() const noexcept { return connected; }

    /** The UDP port actually bound while connected (differs from `getPort()` for port 0), else -1. */
    int getBoundPort() const;

    /** Hands "OSCSETUP" with the current port to the settings store under "OSCSetup". */
    void storeSettings();

    /** The message a failed connection shows for a port: the translated "OSC_ErrMsg_UDPConnection"
        directly followed by the port in decimal digits. */
    static juce::String connectionErrorMessage(int port);

    /** Replaces the way connection failures are shown (for example to log them instead). */
    void setErrorPresenter(ErrorPresenter presenter) { errorPresenter = std::move(presenter); }

    /** Called by JUCE on the message thread for a message whose address matched one of the table:
        invokes the command of the exact address asynchronously. */
    void oscMessageReceived(const juce::OSCMessage& message) override;

    /** Stores the port (see `storeSettings`). */
    void propertiesWillBeSaved() override;

private:
    void showConnectionError();

    PropertiesFileManager& store;
    juce::OSCReceiver receiver{"Ostrel OSC Reciever"};
    std::unique_ptr<juce::DatagramSocket> socket;
    juce::ApplicationCommandManager* commandManager = nullptr;
    int port = defaultPort;
    bool connected = false;
    ErrorPresenter errorPresenter;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(OstrelOSCReciever)
};

} // namespace tessel
