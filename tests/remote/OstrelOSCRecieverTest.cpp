#include "remote/OstrelOSCReciever.h"
#include "tests/remote/RemoteTestSupport.h"

#include <juce_osc/juce_osc.h>

#include <algorithm>
#include <climits>
#include <random>

using remote_test::runUntil;
using tessel::OstrelOSCReciever;

namespace
{

/** A receiver on a fresh settings store, with recorded commands and connection errors. */
class OscReceiver : public testing::Test
{
protected:
    void SetUp() override
    {
        receiver = std::make_unique<OstrelOSCReciever>(settings.getStore());
        receiver->setCommandManager(&commands.manager);
        receiver->setErrorPresenter([this](const juce::String& title, const juce::String& message)
                                    { errors.add(title + " | " + message); });
    }

    void TearDown() override { receiver.reset(); }

    /** Connects on a port chosen by the system and returns it. */
    int connectAnywhere()
    {
        receiver->setPort(0);
        EXPECT_TRUE(receiver->connect());
        return receiver->getBoundPort();
    }

    /** Sends /VOICE2 as a marker, again every 100 ms (a datagram may be dropped when the socket's
        buffer is full), until it is performed: everything sent before it has been handled by then. */
    void sendMarkerAndWait(int port)
    {
        juce::OSCSender sender;
        ASSERT_TRUE(sender.connect("127.0.0.1", port));
        bool arrived = false;
        for (int attempt = 0; attempt < 100 && !arrived; ++attempt)
        {
            ASSERT_TRUE(sender.send("/VOICE2"));
            arrived = runUntil([this] { return !performed().empty() && performed().back() == 2; }, 100);
        }
        ASSERT_TRUE(arrived);
    }

    const std::vector<int>& performed() const { return commands.target.performed; }

    /** Whether nothing but the markers was performed. */
    bool onlyMarkersPerformed() const
    {
        return std::all_of(performed().begin(), performed().end(), [](int id) { return id == 2; });
    }

    remote_test::EnglishTexts english;
    remote_test::SettingsFolder settings;
    remote_test::RecordingCommands commands;
    std::unique_ptr<OstrelOSCReciever> receiver;
    juce::StringArray errors;
};

/** An OSC string: the text, a terminating zero and zeros up to a multiple of four bytes. */
juce::MemoryBlock oscString(const juce::String& text)
{
    juce::MemoryBlock block(text.toRawUTF8(), text.getNumBytesAsUTF8());
    const size_t padded = (block.getSize() / 4 + 1) * 4;
    block.setSize(padded, true);
    return block;
}

juce::MemoryBlock concat(std::initializer_list<juce::MemoryBlock> parts)
{
    juce::MemoryBlock all;
    for (const auto& part : parts)
        all.append(part.getData(), part.getSize());
    return all;
}

juce::MemoryBlock bigEndian(juce::uint32 value)
{
    const unsigned char bytes[] = {static_cast<unsigned char>(value >> 24),
                                   static_cast<unsigned char>(value >> 16),
                                   static_cast<unsigned char>(value >> 8), static_cast<unsigned char>(value)};
    return juce::MemoryBlock(bytes, 4);
}

juce::MemoryBlock raw(const char* bytes, size_t size)
{
    return juce::MemoryBlock(bytes, size);
}

juce::MemoryBlock message(const juce::String& address)
{
    return concat({oscString(address), oscString(",")});
}

juce::MemoryBlock bundleOf(const juce::MemoryBlock& element)
{
    return concat({oscString("#bundle"), bigEndian(0), bigEndian(1),
                   bigEndian(static_cast<juce::uint32>(element.getSize())), element});
}

} // namespace

TEST_F(OscReceiver, FreshInstallationIsDisconnectedOnTheDefaultPortAndConnectBindsIt)
{
    EXPECT_EQ(receiver->getPort(), 53800);
    EXPECT_FALSE(receiver->isConnected());
    EXPECT_EQ(receiver->getBoundPort(), -1);

    // Nothing listens before "Connect": the port is free for anyone.
    {
        juce::DatagramSocket probe;
        probe.setEnablePortReuse(false);
        ASSERT_TRUE(probe.bindToPort(53800)) << "port 53800 is taken on this machine";
    }

    ASSERT_TRUE(receiver->connect()) << errors.joinIntoString("\n");
    EXPECT_TRUE(receiver->isConnected());
    EXPECT_EQ(receiver->getBoundPort(), 53800);

    receiver->disconnect();
    EXPECT_FALSE(receiver->isConnected());
    juce::DatagramSocket probe;
    probe.setEnablePortReuse(false);
    EXPECT_TRUE(probe.bindToPort(53800)) << "disconnect releases the port";
}

TEST_F(OscReceiver, EachAddressSentWithOscsendInvokesItsCommand)
{
    const int port = connectAnywhere();
    ASSERT_GT(port, 0);

    const struct
    {
        const char* address;
        int command;
    } table[] = {{"/MUTEOFF", tessel::CommandIds::changeMuteOff},
                 {"/MUTEON", tessel::CommandIds::changeMuteOn},
                 {"/VOICE1", 1},
                 {"/VOICE2", 2},
                 {"/VOICE3", 3},
                 {"/VOICE4", 4},
                 {"/VOICE5", 5},
                 {"/VOICE6", 6},
                 {"/VOICE7", 7},
                 {"/VOICE8", 8},
                 {"/VOICE9", 9}};

    for (const auto& entry : table)
    {
        SCOPED_TRACE(entry.address);
        commands.target.performed.clear();

        juce::ChildProcess oscsend;
        ASSERT_TRUE(
            oscsend.start(juce::StringArray{"oscsend", "localhost", juce::String(port), entry.address}));
        ASSERT_TRUE(oscsend.waitForProcessToFinish(5000));
        EXPECT_EQ(oscsend.getExitCode(), 0u);

        ASSERT_TRUE(runUntil([this] { return !performed().empty(); }));
        testing_support::runMessageLoop(20);
        EXPECT_EQ(performed(), std::vector<int>{entry.command});
    }
}

TEST_F(OscReceiver, ABurstFromOSCSenderRunsInOrderAndArgumentsAreIgnored)
{
    const int port = connectAnywhere();
    juce::OSCSender sender;
    ASSERT_TRUE(sender.connect("127.0.0.1", port));

    // "/MUTEON" twice leaves the mute on: there is no toggle address.
    ASSERT_TRUE(sender.send("/VOICE3", 1.5f, juce::String("text")));
    ASSERT_TRUE(sender.send("/MUTEON"));
    ASSERT_TRUE(sender.send("/MUTEON", 7));
    ASSERT_TRUE(sender.send("/MUTEOFF"));
    ASSERT_TRUE(sender.send("/VOICE9"));

    const std::vector<int> expected{3, 11, 11, 12, 9};
    ASSERT_TRUE(runUntil([&] { return performed().size() >= expected.size(); }));
    EXPECT_EQ(performed(), expected);
}

TEST_F(OscReceiver, MessagesWithoutACommandManagerAreIgnored)
{
    receiver->setCommandManager(nullptr);
    const int port = connectAnywhere();

    juce::OSCSender sender;
    ASSERT_TRUE(sender.connect("127.0.0.1", port));
    ASSERT_TRUE(sender.send("/VOICE1"));
    testing_support::runMessageLoop(200);

    receiver->setCommandManager(&commands.manager);
    sendMarkerAndWait(port);
    EXPECT_TRUE(onlyMarkersPerformed()) << performed().front();
}

TEST_F(OscReceiver, OtherAddressesPatternsBundlesAndMalformedDatagramsInvokeNothing)
{
    const int port = connectAnywhere();

    std::vector<std::pair<const char*, juce::MemoryBlock>> datagrams{
        {"unknown address", message("/VOICE10")},
        {"other case", message("/voice1")},
        {"longer path", message("/VOICE1/extra")},
        {"wildcard ?", message("/VOICE?")},
        {"wildcard *", message("/*")},
        {"character set", message("/VOICE[1-9]")},
        {"alternatives", message("/{MUTEON,MUTEOFF}")},
        {"bundle", bundleOf(message("/VOICE1"))},
        {"no terminating zero", raw("/VOI", 4)},
        {"no type tag string", oscString("/VOICE1")},
        {"type tags without comma", concat({oscString("/VOICE1"), oscString("i")})},
        {"unsupported type tag", concat({oscString("/VOICE1"), oscString(",Z")})},
        {"argument missing", concat({oscString("/VOICE1"), oscString(",i")})},
        {"argument cut short", concat({oscString("/VOICE1"), oscString(",i"), raw("\0\0", 2)})},
        // (A blob whose declared size runs past the end is read short by JUCE's decoder, so that
        // message still arrives; its arguments are ignored like any others.)
        {"blob of negative size", concat({oscString("/VOICE1"), oscString(",b"), bigEndian(0xffffffff)})},
        {"string without end", concat({oscString("/VOICE1"), oscString(",s"), raw("abcd", 4)})},
        {"bundle element beyond the end",
         concat({oscString("#bundle"), bigEndian(0), bigEndian(1), bigEndian(4096), message("/VOICE1")})},
        {"bundle element too small",
         concat({oscString("#bundle"), bigEndian(0), bigEndian(1), bigEndian(2)})},
        {"address without slash", message("VOICE1")},
        {"one byte", raw("/", 1)},
    };

    // Bundles nested as deep as a datagram allows.
    juce::MemoryBlock nested = message("/VOICE1");
    while (nested.getSize() + 20 <= 65507)
        nested = bundleOf(nested);
    datagrams.emplace_back("deeply nested bundles", nested);

    // The largest UDP datagram: a message whose address is not in the table, and plain noise.
    juce::String longAddress = "/VOICE1";
    longAddress += juce::String::repeatedString("A", 65507 - 12 - longAddress.length());
    datagrams.emplace_back("largest datagram, long address", message(longAddress));
    std::mt19937 random(7);
    juce::MemoryBlock noise(65507);
    for (size_t i = 0; i < noise.getSize(); ++i)
        noise[i] = static_cast<char>(random());
    datagrams.emplace_back("largest datagram, noise", noise);

    // Short noise, some of it starting like an address.
    for (int n = 0; n < 200; ++n)
    {
        juce::MemoryBlock block(4 + random() % 60);
        for (size_t i = 0; i < block.getSize(); ++i)
            block[i] = static_cast<char>(random());
        if (n % 2 == 0)
            block[0] = '/';
        datagrams.emplace_back("short noise", block);
    }

    juce::DatagramSocket sender;
    for (const auto& [name, bytes] : datagrams)
    {
        SCOPED_TRACE(name);
        EXPECT_EQ(sender.write("127.0.0.1", port, bytes.getData(), static_cast<int>(bytes.getSize())),
                  static_cast<int>(bytes.getSize()));
        // Paced, so that the socket's receive buffer never drops the marker at the end.
        testing_support::runMessageLoop(1);
    }

    sendMarkerAndWait(port);
    EXPECT_TRUE(onlyMarkersPerformed()) << performed().front();
}

TEST_F(OscReceiver, PortsThatCannotBeBoundShowTheErrorEndingInThePort)
{
    // Held by another program, whether or not it offers to share the port: JUCE's own sockets ask
    // for address reuse, which on Linux would otherwise let both bind and split the traffic.
    juce::DatagramSocket sharing;
    ASSERT_TRUE(sharing.bindToPort(0));
    juce::DatagramSocket exclusive;
    exclusive.setEnablePortReuse(false);
    ASSERT_TRUE(exclusive.bindToPort(0));

    const struct
    {
        const char* what;
        int port;
    } table[] = {{"above 65535", 70000},
                 {"negative", -1},
                 {"far out of range", INT_MAX},
                 {"held by a socket that shares", sharing.getBoundPort()},
                 {"held by a socket that does not share", exclusive.getBoundPort()}};

    for (const auto& entry : table)
    {
        SCOPED_TRACE(entry.what);
        errors.clear();
        receiver->setPort(entry.port);
        EXPECT_FALSE(receiver->connect());
        EXPECT_FALSE(receiver->isConnected());
        EXPECT_EQ(receiver->getPort(), entry.port) << "the setting keeps the value entered";
        EXPECT_EQ(errors, juce::StringArray("OSC connection error | Error: could not connect to UDP port" +
                                            juce::String(entry.port)));
    }

    // A failed connect after a good one leaves it disconnected, and the old port is released.
    const int port = connectAnywhere();
    receiver->setPort(70000);
    EXPECT_FALSE(receiver->connect());
    EXPECT_FALSE(receiver->isConnected());
    juce::DatagramSocket probe;
    probe.setEnablePortReuse(false);
    EXPECT_TRUE(probe.bindToPort(port));
}

TEST_F(OscReceiver, StoredPortSurvivesASaveAndRestartDisconnected)
{
    connectAnywhere();
    receiver->setPort(9123);
    settings.getStore().save();

    receiver.reset();
    settings.reopen();
    OstrelOSCReciever restarted(settings.getStore());
    EXPECT_EQ(restarted.getPort(), 9123);
    EXPECT_FALSE(restarted.isConnected());

    const auto* tree = settings.getStore().getXml(tessel::PropertiesFileManager::oscSetupKey);
    ASSERT_NE(tree, nullptr);
    EXPECT_EQ(tree->getTagName(), "OSCSETUP");
    EXPECT_EQ(tree->getStringAttribute("PortNumber"), "9123");
}

TEST_F(OscReceiver, DestructionStoresThePort)
{
    receiver->setPort(9124);
    receiver.reset();

    const auto* tree = settings.getStore().getXml(tessel::PropertiesFileManager::oscSetupKey);
    ASSERT_NE(tree, nullptr);
    EXPECT_EQ(tree->getStringAttribute("PortNumber"), "9124");

    // And the store no longer calls the destroyed receiver when it saves.
    settings.getStore().save();
}

TEST(OscReceiverSettings, StoredPortIsReadAsADecimalNumber)
{
    const struct
    {
        const char* what;
        const char* tree; // nullptr: nothing stored
        int port;
    } table[] = {{"nothing stored", nullptr, 53800},
                 {"no attribute", "<OSCSETUP/>", 53800},
                 {"a port", "<OSCSETUP PortNumber=\"9000\"/>", 9000},
                 {"leading blanks and trailing text", "<OSCSETUP PortNumber=\" 9001x\"/>", 9001},
                 {"not a number", "<OSCSETUP PortNumber=\"abc\"/>", 0},
                 {"beyond int", "<OSCSETUP PortNumber=\"99999999999\"/>", INT_MAX}};

    for (const auto& entry : table)
    {
        SCOPED_TRACE(entry.what);
        remote_test::SettingsFolder settings;
        if (entry.tree != nullptr)
            settings.getStore().setXml(tessel::PropertiesFileManager::oscSetupKey,
                                       juce::parseXML(entry.tree));
        OstrelOSCReciever receiver(settings.getStore());
        EXPECT_EQ(receiver.getPort(), entry.port);
        EXPECT_FALSE(receiver.isConnected());
    }
}
