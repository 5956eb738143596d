// The TCP transport in one process, on loopback addresses only: its texts, making links,
// inherited sockets, and hand-made peers that speak the exchange by hand. Every wait is bounded.

#include "DeviceStream.h"
#include "TcpNames.h"
#include "TcpTransport.h"
#include "TransportChecks.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <future>
#include <string>
#include <thread>
#include <vector>

namespace devices::tcp {
namespace {

using namespace std::string_literals;

TEST(TcpNames, ProtocolsAndInheritedSockets) {
    struct Case {
        const char* protocol;
        bool accepted;
        int64_t inherited;
    };
    const Case cases[] = {
        {"TCP", true, -1},     {"tcp/ip", true, -1}, {"TCP:12", true, 12},
        {"TCP: +7", true, 7},  {"TCP:9:", true, 9},  {"TCP:-3", true, -3},
        {"TCP:5x", false, -1}, {"TCP:", false, -1},  {"TCP:abc", false, -1},
        {"UDP", false, -1},    {"TC", false, -1},    {"TCP:99999999999", false, -1},
    };
    for (const Case& c : cases) {
        int64_t inherited = 0;
        EXPECT_EQ(parseProtocol(c.protocol, inherited), c.accepted) << c.protocol;
        if (c.accepted) {
            EXPECT_EQ(inherited, c.inherited) << c.protocol;
        }
    }
}

TEST(TcpNames, PortsAreRangeCheckedAndLongNamesRefused) {
    struct ListenCase {
        const char* name;
        int32_t port;
    };
    const ListenCase listens[] = {{"", 0},          {"0", 0},      {"701", 701},
                                  {"65535", 65535}, {"65536", -1}, {"70000", -1},
                                  {"12a", -1},      {"-1", -1},    {"0000000001", -1}};
    for (const ListenCase& c : listens)
        EXPECT_EQ(listenPort(c.name), c.port) << c.name;

    struct ConnectCase {
        std::string name;
        std::string host;
        bool accepted;
        uint16_t port;
        std::string target;
    };
    const ConnectCase connects[] = {
        {"701", "", true, 701, ""},
        {"701@server", "", true, 701, "server"},
        {"701@server", "other", true, 701, "other"},
        {"701", "127.0.0.1", true, 701, "127.0.0.1"},
        {"701@a@b", "", true, 701, "b"},
        {"70000@host", "", false, 0, ""},
        {"0@host", "", false, 0, ""},
        {"@host", "", false, 0, ""},
        {"x1@host", "", false, 0, ""},
        {"1@" + std::string(130, 'h'), "", true, 1, std::string(130, 'h')},
        {"1@" + std::string(131, 'h'), "", false, 0, ""},
        {"1@" + std::string(120, 'h'), std::string(20, 'g'), false, 0, ""},
    };
    for (const ConnectCase& c : connects) {
        SCOPED_TRACE(c.name);
        Target target;
        ASSERT_EQ(connectTarget(c.name.c_str(), c.host.c_str(), target), c.accepted);
        if (!c.accepted) continue;
        EXPECT_EQ(target.port, c.port);
        EXPECT_EQ(target.host, c.target);
    }
}

TEST(TcpNames, OptionWordsAreBoundedInLengthAndNumber) {
    struct Case {
        const char* name;
        std::string bytes;
        OptionWords::Step last;
        bool need;
        uint16_t port;
    };
    const Case cases[] = {
        {"nothing", "Y", OptionWords::kDone, false, 0},
        {"asks for a message port", "need_msg_portY", OptionWords::kDone, true, 0},
        {"offers one", "msg_port=4567Y", OptionWords::kDone, false, 4567},
        {"unknown words pass", "later,need_msg_port,moreY", OptionWords::kDone, true, 0},
        {"port out of range", "msg_port=70000Y", OptionWords::kBad, false, 0},
        {"port zero", "msg_port=0Y", OptionWords::kBad, false, 0},
        {"port with letters", "msg_port=12abY", OptionWords::kBad, false, 0},
        {"over-long word", std::string(40, 'w') + "Y", OptionWords::kBad, false, 0},
        {"too many words", "a,b,c,d,e,f,g,h,i,jY", OptionWords::kBad, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        OptionWords words;
        OptionWords::Step step = OptionWords::kMore;
        for (char byte : c.bytes) {
            step = words.feed(static_cast<uint8_t>(byte));
            if (step != OptionWords::kMore) break;
        }
        EXPECT_EQ(step, c.last);
        if (step != OptionWords::kDone) continue;
        EXPECT_EQ(words.needMessagePort(), c.need);
        EXPECT_EQ(words.messagePort(), c.port);
    }
}

// ---- Links ------------------------------------------------------------------------------------

constexpr uint32_t kLocallyVisible = 0x1;

// A plain socket that plays the other end by hand.
class RawPeer {
public:
    explicit RawPeer(uint16_t port, const char* from = "127.0.0.1") {
        m_fd = connectFrom(port, from);
    }
    ~RawPeer() {
        if (m_fd >= 0) close(m_fd);
    }
    static int connectFrom(uint16_t port, const char* from) {
        int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in local{};
        local.sin_family = AF_INET;
        inet_pton(AF_INET, from, &local.sin_addr);
        bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof local);
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(port);
        to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to) != 0) {
            close(fd);
            return -1;
        }
        return fd;
    }
    int fd() const { return m_fd; }
    void send(const std::string& bytes) { ::send(m_fd, bytes.data(), bytes.size(), MSG_NOSIGNAL); }
    // Bytes up to and including `end`, or all until the peer closes; bounded in time.
    std::string readUntil(char end, int milliseconds = 5000) {
        std::string got;
        for (auto until =
                 std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
             std::chrono::steady_clock::now() < until;) {
            pollfd poll{m_fd, POLLIN, 0};
            if (::poll(&poll, 1, 50) <= 0) continue;
            char byte;
            ssize_t n = recv(m_fd, &byte, 1, 0);
            if (n <= 0) {
                closedCleanly = n == 0;
                break;
            }
            got += byte;
            if (byte == end) break;
        }
        return got;
    }
    bool closedCleanly = false;

private:
    int m_fd = -1;
};

class TcpLinks : public testing::TransportFixture {
protected:
    TcpLinks() : TransportFixture(createDevice) {}

    TransportLink* make(uint32_t mode, const std::string& name, int32_t* error = nullptr,
                        const char* protocol = "TCP", uint32_t options = kLocallyVisible) {
        return TransportFixture::make(mode, name, error, protocol, options);
    }
    static uint16_t portOf(TransportLink* link) {
        uint16_t port = 0;
        int32_t size = sizeof port;
        EXPECT_EQ(link->deviceInfo(514, &port, &size), 0);
        return port;
    }
    static int32_t messageSocket(TransportLink* link) {
        int32_t fd = -1;
        int32_t size = sizeof fd;
        link->deviceInfo(513, &fd, &size);
        return fd;
    }
};

TEST_F(TcpLinks, MakeChecksProtocolModeAndName) {
    expectMakeErrors(
        {
            {"other protocol", "FileMap", QKMODE_LISTEN, "", QKERR_NO_PROTOCOL},
            {"text after the socket number", "TCP:3x", QKMODE_LISTEN, "", QKERR_NO_PROTOCOL},
            {"launch", "TCP", QKMODE_LAUNCH, "", QKERR_NO_MODE},
            {"parent connect", "TCP", QKMODE_PARENTCONNECT, "", QKERR_NO_MODE},
            {"a letter in a listener's name", "TCP", QKMODE_LISTEN, "12a", QKERR_BAD_NAME},
            {"a port out of range", "TCP", QKMODE_LISTEN, "70000", QKERR_BAD_NAME},
            {"a connect port out of range", "TCP", QKMODE_CONNECT, "70000@localhost",
             QKERR_BAD_NAME},
            {"an over-long target", "TCP", QKMODE_CONNECT, "1@" + std::string(140, 'h'),
             QKERR_BAD_NAME},
            {"no protocol means TCP", "", QKMODE_LISTEN, "", 0},
            {"no mode and no name listens", "TCP", 0, "", 0},
        },
        kLocallyVisible);
}

TEST_F(TcpLinks, OnlyAConnectedStreamSocketCanBeInherited) {
    int pair[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair), 0);
    int datagram = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    int unconnected = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int file = open("/dev/null", O_RDONLY | O_CLOEXEC);
    struct Case {
        const char* name;
        int fd;
        int32_t error;
    };
    const Case cases[] = {{"a datagram socket", datagram, QKERR_NO_PROTOCOL},
                          {"an unconnected socket", unconnected, QKERR_NO_PROTOCOL},
                          {"a file", file, QKERR_NO_PROTOCOL},
                          {"a closed number", 999999, QKERR_NO_PROTOCOL},
                          {"a connected stream socket", pair[0], 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string protocol = "TCP:" + std::to_string(c.fd);
        int32_t error = -99;
        TransportLink* link = make(QKMODE_LISTEN, "", &error, protocol.c_str());
        EXPECT_EQ(error, c.error);
        if (!link) continue;
        // Taken as connected: no accept, straight to the option words.
        ::send(pair[1], "Y", 1, MSG_NOSIGNAL);
        EXPECT_EQ(link->connect(), kConnected);
        char answer = 0;
        EXPECT_EQ(recv(pair[1], &answer, 1, 0), 1);
        EXPECT_EQ(answer, 'Y');
    }
    for (int fd : {pair[1], datagram, unconnected, file})
        close(fd);
    // The inherited socket stays the caller's: the link leaves it open.
    for (TransportLink* link : links)
        memory.destroy(link);
    links.clear();
    EXPECT_EQ(fcntl(pair[0], F_GETFD), FD_CLOEXEC);
    close(pair[0]);
}

TEST_F(TcpLinks, AListenerAndAConnectorAgreeOnAnUrgentConnection) {
    TransportLink* listener = make(QKMODE_LISTEN, "");
    ASSERT_NE(listener, nullptr);
    std::string name = nameOf(listener);
    EXPECT_EQ(name, std::to_string(portOf(listener)) + "@127.0.0.1");
    TransportLink* connector = make(QKMODE_CONNECT, name);
    ASSERT_NE(connector, nullptr);
    EXPECT_EQ(connector->hasData(), 1); // before its connect
    auto waited = std::async(std::launch::async, [listener] { return listener->connect(); });
    ASSERT_EQ(connector->connect(), kConnected);
    ASSERT_EQ(waited.get(), kConnected);
    EXPECT_GE(messageSocket(listener), 0);
    EXPECT_GE(messageSocket(connector), 0);
    // With an urgent connection any code and parameter travel.
    ASSERT_EQ(connector->writeMessage(300, -7), 1);
    for (int i = 0; i < 200 && listener->hasMessage() != 1; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    int32_t code = 0;
    int32_t parameter = 0;
    ASSERT_EQ(listener->readMessage(code, parameter), 1);
    EXPECT_EQ(code, 300);
    EXPECT_EQ(parameter, -7);
}

TEST_F(TcpLinks, TheYieldFunctionCanStopAWaitForThePeer) {
    using testing::CountingYield;
    TransportLink* listener = make(QKMODE_LISTEN, "");
    QKCallbackRecord* yield = CountingYield::make(2);
    ASSERT_TRUE(listener->setYieldFunction(yield, nullptr));
    EXPECT_EQ(listener->connect(), kConnectStopped);
    EXPECT_EQ(CountingYield::reason, QKYIELD_CONNECTING);
    EXPECT_EQ(CountingYield::count, 2);
    listener->setYieldFunction(nullptr, nullptr);
    corvinet::destroyCallbackRecord(yield);
}

TEST_F(TcpLinks, MessageHandlersRunOnTheirOwnThreadOrWhileTheLinkWaits) {
    for (bool ownThread : {true, false}) {
        SCOPED_TRACE(ownThread ? "handler with a thread of its own" : "handler on this thread");
        TransportLink* listener = make(QKMODE_LISTEN, "");
        TransportLink* connector = make(QKMODE_CONNECT, nameOf(listener));
        auto waited = std::async(std::launch::async, [listener] { return listener->connect(); });
        ASSERT_EQ(connector->connect(), kConnected);
        ASSERT_EQ(waited.get(), kConnected);
        testing::checkMessageDelivery(listener, connector, ownThread);
    }
}

TEST_F(TcpLinks, WithoutAnUrgentConnectionOnlySmallCodesTravelOutOfBand) {
    TransportLink* listener = make(QKMODE_LISTEN, "");
    RawPeer peer(portOf(listener));
    ASSERT_GE(peer.fd(), 0);
    peer.send("Y"); // no need_msg_port
    ASSERT_EQ(listener->connect(), kConnected);
    EXPECT_EQ(peer.readUntil('Y'), "Y");
    EXPECT_LT(messageSocket(listener), 0);
    EXPECT_EQ(listener->writeMessage(300, 0), 0);
    EXPECT_EQ(listener->writeMessage(5, 1), 0);
    EXPECT_EQ(listener->writeMessage(5, 0), 1);
    pollfd poll{peer.fd(), POLLPRI, 0};
    ASSERT_EQ(::poll(&poll, 1, 5000), 1);
    uint8_t byte = 0;
    ASSERT_EQ(recv(peer.fd(), &byte, 1, MSG_OOB), 1);
    EXPECT_EQ(byte, 5);
    // And the other way: the peer's out-of-band byte is a message without a parameter.
    ASSERT_EQ(::send(peer.fd(), "\x09", 1, MSG_OOB), 1);
    for (int i = 0; i < 200 && listener->hasMessage() != 1; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    int32_t code = 0;
    int32_t parameter = -1;
    ASSERT_EQ(listener->readMessage(code, parameter), 1);
    EXPECT_EQ(code, 9);
    EXPECT_EQ(parameter, 0);
}

TEST_F(TcpLinks, TheUrgentReaderGathersAMessageThatArrivesInFragments) {
    TransportLink* listener = make(QKMODE_LISTEN, "");
    RawPeer peer(portOf(listener));
    peer.send("need_msg_portY");
    auto waited = std::async(std::launch::async, [listener] { return listener->connect(); });
    std::string offer = peer.readUntil('Y');
    ASSERT_EQ(offer.rfind("msg_port=", 0), 0u) << offer;
    uint16_t port = static_cast<uint16_t>(std::stoi(offer.substr(9)));
    int message = RawPeer::connectFrom(port, "127.0.0.1");
    ASSERT_GE(message, 0);
    ASSERT_EQ(waited.get(), kConnected);
    EXPECT_EQ(listener->hasMessage(), 0);
    const uint8_t bytes[8] = {0, 0, 0x01, 0x2C, 0xFF, 0xFF, 0xFF, 0xFE}; // 300, -2
    ::send(message, bytes, 3, MSG_NOSIGNAL);
    std::thread rest([message, &bytes] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        ::send(message, bytes + 3, 5, MSG_NOSIGNAL);
    });
    for (int i = 0; i < 200 && listener->hasMessage() != 1; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    int32_t code = 0;
    int32_t parameter = 0;
    EXPECT_EQ(listener->readMessage(code, parameter), 1);
    rest.join();
    EXPECT_EQ(code, 300);
    EXPECT_EQ(parameter, -2);
    close(message);
}

TEST_F(TcpLinks, TheListenerTakesTheUrgentConnectionOnlyFromItsPeerAndOnlyForAWhile) {
    TransportLink* listener = make(QKMODE_LISTEN, "");
    RawPeer peer(portOf(listener));
    peer.send("need_msg_portY");
    auto start = std::chrono::steady_clock::now();
    auto waited = std::async(std::launch::async, [listener] { return listener->connect(); });
    std::string offer = peer.readUntil('Y');
    ASSERT_EQ(offer.rfind("msg_port=", 0), 0u) << offer;
    // Another loopback address is another machine as far as the listener can tell.
    int stranger =
        RawPeer::connectFrom(static_cast<uint16_t>(std::stoi(offer.substr(9))), "127.0.0.2");
    EXPECT_EQ(waited.get(), kConnected);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(8));
    EXPECT_LT(messageSocket(listener), 0);
    if (stranger >= 0) close(stranger);
}

TEST_F(TcpLinks, BadOptionWordsFailTheConnect) {
    for (const std::string& words : {std::string(40, 'w') + "Y", "a,b,c,d,e,f,g,h,i,jY"s}) {
        TransportLink* listener = make(QKMODE_LISTEN, "");
        RawPeer peer(portOf(listener));
        peer.send(words);
        EXPECT_EQ(listener->connect(), kConnectFailed) << words;
    }
}

// Makes a stream over a listener and connects a raw peer to it by hand.
DeviceStream* listenWithRawPeer(const DeviceMemory& memory, TransportDevice& device,
                                std::unique_ptr<RawPeer>& peer, const std::string& role) {
    OpenArguments arguments;
    arguments.protocol = "TCP";
    arguments.mode = QKMODE_LISTEN;
    arguments.options = kLocallyVisible;
    TransportLink* link = nullptr;
    if (device.make(arguments, link) != 0) return nullptr;
    uint16_t port = 0;
    int32_t size = sizeof port;
    link->deviceInfo(514, &port, &size);
    int32_t error = 0;
    DeviceStream* stream = DeviceStream::create(memory, device, link, QKMODE_LISTEN, error);
    peer = std::make_unique<RawPeer>(port);
    peer->send("Y" + role);
    return stream;
}

TEST_F(TcpLinks, ClosingSendsTheLastDataAndTheCloseMarkInOrder) {
    std::unique_ptr<RawPeer> peer;
    DeviceStream* stream = listenWithRawPeer(memory, *device, peer, "ang ");
    ASSERT_NE(stream, nullptr);
    ASSERT_EQ(stream->connect(), 0);
    // Input the link never reads must not turn the close into a reset.
    peer->send("unread");
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    uint8_t* buffer = nullptr;
    int32_t size = 0;
    ASSERT_EQ(stream->nextOutput(&buffer, &size), 0);
    std::memcpy(buffer, "bye", 3);
    size = 3;
    ASSERT_EQ(stream->putOutput(&buffer, &size), 0);
    DeviceStream::close(stream);
    EXPECT_EQ(peer->readUntil('\0'), "Yin bye\\C\\\x04"s);
    EXPECT_TRUE(peer->closedCleanly);
}

TEST_F(TcpLinks, GarbageFromAHandMadePeerEndsTheLinkWithoutHarm) {
    struct Case {
        const char* name;
        std::string role;
        std::string after;
        int32_t connect;
    };
    const Case cases[] = {
        {"unknown role word", "spy ", "", kLinkDied},
        {"endless role word", std::string(100, 'x'), "", kLinkDied},
        {"truncated frames", "ang ", "ab\\\\c\\", 0},
        {"binary noise", "ang ", "\x00\xff\\\x01\\P\\c\\c\\c\\"s, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::unique_ptr<RawPeer> peer;
        DeviceStream* stream = listenWithRawPeer(memory, *device, peer, c.role);
        ASSERT_NE(stream, nullptr);
        EXPECT_EQ(stream->connect(), c.connect);
        peer->send(c.after);
        peer.reset();
        testing::expectStreamEnds(stream);
        if (c.connect == 0) {
            EXPECT_EQ(stream->failure, kPeerClosed);
        }
        DeviceStream::close(stream);
    }
}

TEST_F(TcpLinks, AConnectorAsksForAnUrgentConnectionAndGoesOnWithout) {
    // A plain listening socket plays a listener that offers no urgent connection.
    uint16_t port = 0;
    int server = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in at{};
    at.sin_family = AF_INET;
    at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof at;
    ASSERT_EQ(bind(server, reinterpret_cast<sockaddr*>(&at), sizeof at), 0);
    ASSERT_EQ(listen(server, 1), 0);
    getsockname(server, reinterpret_cast<sockaddr*>(&at), &length);
    port = ntohs(at.sin_port);
    TransportLink* connector = make(QKMODE_CONNECT, std::to_string(port) + "@127.0.0.1");
    auto connected = std::async(std::launch::async, [connector] { return connector->connect(); });
    pollfd poll{server, POLLIN, 0};
    ASSERT_EQ(::poll(&poll, 1, 5000), 1);
    int accepted = accept4(server, nullptr, nullptr, SOCK_CLOEXEC);
    std::string asked;
    for (char byte = 0; byte != 'Y' && recv(accepted, &byte, 1, 0) == 1;)
        asked += byte;
    EXPECT_EQ(asked, "need_msg_portY");
    ::send(accepted, "Y", 1, MSG_NOSIGNAL);
    EXPECT_EQ(connected.get(), kConnected);
    EXPECT_LT(messageSocket(connector), 0);
    close(accepted);
    close(server);
}

TEST_F(TcpLinks, ConnectingToNothingIsRefused) {
    TransportLink* listener = make(QKMODE_LISTEN, "");
    std::string name = nameOf(listener);
    drop(listener); // the port is free again
    TransportLink* connector = make(QKMODE_CONNECT, name);
    EXPECT_EQ(connector->connect(), kConnectRefused);
    TransportLink* nowhere = make(QKMODE_CONNECT, "701@no-such-host.invalid");
    EXPECT_EQ(nowhere->connect(), kConnectBadHost);
}

} // namespace
} // namespace devices::tcp
