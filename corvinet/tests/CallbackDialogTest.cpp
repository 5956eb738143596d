// Yield functions and message handlers on real waits, urgent messages, and the dialogs.

#include "OpenFixture.h"

namespace corvinet {
namespace {

class CallbackTest : public OpenFixture {};

std::atomic<int> rounds{0};
int32_t stopAfterThree(QKLinkRecord*, QKYieldParameters parameters) {
    EXPECT_EQ(QKSleepYP(parameters), 5);
    EXPECT_EQ(QKCountYP(parameters), rounds.load());
    return ++rounds >= 3 ? 0x10000 : 0;
}

TEST_F(CallbackTest, AYieldFunctionStopsAWaitAndTheLinkStaysPending) {
    // On the calling thread, and on a callback thread of its own.
    for (auto create : {&QKCreateYieldFunction, &QKCreateYieldFunction0}) {
        rounds = 0;
        int32_t error = -7;
        QKLINK link = QKOpenString(env, "-linkcreate -linkoptions QKDontInteract", &error);
        ASSERT_NE(link, nullptr);
        QKYieldFunctionObject yielder = create(env, &stopAfterThree, nullptr);
        ASSERT_TRUE(QKSetYieldFunction(link, yielder));
        EXPECT_EQ(QKYieldFunction(link), yielder);
        EXPECT_FALSE(QKConnect(link));
        EXPECT_EQ(rounds, 3);
        EXPECT_EQ(QKError(link), QKERR_UNCONNECTED); // the connect may be tried again
        QKClose(link);
        EXPECT_EQ(QKDestroyYieldFunction(yielder), &stopAfterThree);
        EXPECT_EQ(QKCallYieldFunction(yielder, nullptr, nullptr), 1);
        EXPECT_EQ(QKDestroyYieldFunction(yielder), nullptr);
    }
}

struct Delivered {
    std::atomic<int32_t> code{0}, parameter{0};
    std::atomic<bool> otherThread{false};
    std::thread::id caller;
};
Delivered* delivered = nullptr;
void deliver(QKLinkRecord*, int32_t code, int32_t parameter) {
    delivered->parameter = parameter;
    delivered->otherThread = std::this_thread::get_id() != delivered->caller;
    delivered->code = code;
}

TEST_F(CallbackTest, MessageHandlersRunOnTheirOwnThread) {
    Delivered seen;
    seen.caller = std::this_thread::get_id();
    delivered = &seen;
    int32_t error = -7;
    QKLINK link = QKOpenString(env, "-linkcreate -linkoptions QKDontInteract", &error);
    ASSERT_NE(link, nullptr);
    QKMessageHandlerObject handler = QKCreateMessageHandler(env, &deliver, nullptr);
    ASSERT_TRUE(QKSetMessageHandler(link, handler));
    EXPECT_EQ(QKMessageHandler(link), handler);
    EXPECT_TRUE(QKPutMessage(link, 3));
    for (int i = 0; i < 2000 && seen.code == 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_EQ(seen.code, 3);
    EXPECT_TRUE(seen.otherThread);
    EXPECT_EQ(QKMessageReady(link), 1);
    int32_t code = 0, parameter = -1;
    EXPECT_EQ(QKGetMessage(link, &code, &parameter), 1);
    EXPECT_EQ(code, 3);
    EXPECT_EQ(QKGetMessage(link, &code, &parameter), 0);
    QKClose(link);
    EXPECT_EQ(QKDestroyMessageHandler(handler), &deliver);
    EXPECT_EQ(QKCallMessageHandler(handler, nullptr, 3, 0), 0);
    delivered = nullptr;
}

TEST_F(CallbackTest, ALoopbackLinkKeepsOneMessageWithTheBytesWritten) {
    int32_t error = -7;
    QKLINK link = QKLoopbackOpen(env, &error);
    ASSERT_NE(link, nullptr);
    ASSERT_TRUE(QKPutInteger(link, 7) && QKPutString(link, "text"));
    ASSERT_TRUE(QKPutMessage(link, 5));
    EXPECT_EQ(QKMessageReady(link), 5);
    int32_t code = 0, parameter = 0;
    EXPECT_EQ(QKGetMessage(link, &code, &parameter), 1);
    EXPECT_EQ(code, 5);
    // The count includes what was still in the output buffer: all of it reads back.
    ASSERT_TRUE(QKFlush(link));
    EXPECT_EQ(static_cast<std::size_t>(parameter), link->stream.available());
    EXPECT_GT(parameter, 0);
    EXPECT_EQ(QKMessageReady(link), 0);
    EXPECT_EQ(QKGetMessage(link, &code, &parameter), 0);
    ASSERT_TRUE(QKPutMessage(link, 3));
    EXPECT_EQ(QKGetMessage(link, &code, &parameter), 1);
    EXPECT_EQ(parameter, 0); // only interrupts and aborts carry the count
    // A loopback link has no device to hand callbacks to.
    QKYieldFunctionObject yielder = QKCreateYieldFunction(env, &stopAfterThree, nullptr);
    EXPECT_FALSE(QKSetYieldFunction(link, yielder));
    QKDestroyYieldFunction(yielder);
    QKClose(link);
}

// A device whose connect answers from a script and whose input always answers "stopped by the
// yield function" (25), recording what the link sends.
struct StoppingDevice {
    std::vector<int32_t> connectAnswers; // one per connect; 0 once the script runs out
    int connects = 0;
    std::string sent;
    uint8_t out[256] = {};

    static int32_t main(void* handle, uint32_t selector, void* a, void* b) {
        auto& d = *static_cast<StoppingDevice*>(handle);
        switch (selector) {
        case DEVICE_CONNECT: {
            std::size_t n = static_cast<std::size_t>(d.connects++);
            return n < d.connectAnswers.size() ? d.connectAnswers[n] : 0;
        }
        case DEVICE_PUTOUTBUF:
            d.sent.append(reinterpret_cast<char*>(*static_cast<uint8_t**>(a)),
                          static_cast<std::size_t>(*static_cast<int32_t*>(b)));
            [[fallthrough]];
        case DEVICE_GETOUTBUF:
            *static_cast<uint8_t**>(a) = d.out;
            *static_cast<int32_t*>(b) = sizeof d.out;
            return 0;
        case DEVICE_GETINBLOCK:
            return QKERR_ABORTED;
        default:
            return 0;
        }
    }
};

TEST_F(CallbackTest, OnlyTheDevicesConnectMayLeaveALinkPending) {
    struct Case {
        const char* name;
        std::vector<int32_t> connectAnswers;
        int32_t errorAfterFirst;
    };
    const Case cases[] = {
        {"nobody listens yet", {QKERR_NOT_LISTENING}, QKERR_UNCONNECTED},
        {"a yield stop while connecting", {QKERR_ABORTED}, QKERR_UNCONNECTED},
        {"a yield stop inside the exchange", {}, QKERR_LINK_DIED},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        StoppingDevice device;
        device.connectAnswers = c.connectAnswers;
        int32_t error = -7;
        QKLINK link =
            QKCreate0(env, &StoppingDevice::main, reinterpret_cast<DeviceStream*>(&device), &error);
        ASSERT_NE(link, nullptr);
        EXPECT_FALSE(QKConnect(link));
        EXPECT_EQ(QKError(link), c.errorAfterFirst);
        std::string sentFirst = device.sent;
        // A second try starts over only while the link is pending, and then the opening of the
        // exchange is sent once, never into the middle of an earlier one.
        EXPECT_FALSE(QKConnect(link));
        EXPECT_EQ(QKError(link), QKERR_LINK_DIED);
        EXPECT_EQ(device.connects, c.errorAfterFirst == QKERR_UNCONNECTED ? 2 : 1);
        EXPECT_EQ(device.sent.find("Corvi net"), device.sent.rfind("Corvi net"));
        if (c.errorAfterFirst == QKERR_LINK_DIED) EXPECT_EQ(device.sent, sentFirst);
        QKDestroy(link, nullptr, nullptr);
    }
}

// ---- Dialogs -----------------------------------------------------------------------------------

// Standard input from /dev/null for the guard's life, so the defaults cannot find a terminal.
class NoTerminal {
public:
    NoTerminal() : m_saved(dup(STDIN_FILENO)) {
        int null = open("/dev/null", O_RDONLY | O_CLOEXEC);
        dup2(null, STDIN_FILENO);
        close(null);
    }
    ~NoTerminal() {
        dup2(m_saved, STDIN_FILENO);
        close(m_saved);
    }

private:
    int m_saved;
};

TEST_F(CallbackTest, TheDefaultDialogsAnswerAsCancelledWithoutATerminal) {
    NoTerminal guard;
    for (int slot = 1; slot <= 5; ++slot)
        ASSERT_EQ(QKSetDialogFunction(env, slot, reinterpret_cast<QKProc>(1)), 1);
    EXPECT_EQ(QKSetDialogFunction(env, 6, nullptr), 0);
    EXPECT_EQ(QKRequestToInteract(env, 1), 1);
    EXPECT_EQ(QKAlert(env, "shown on standard error"), 1);
    EXPECT_EQ(QKAlert(env, nullptr), 0);
    EXPECT_EQ(QKConfirm(env, "sure?", 1), 0);
    char response[8] = "xxxxxxx";
    EXPECT_EQ(QKRequest(env, "name: ", response, sizeof response), 0);
    EXPECT_STREQ(response, "");
    char* argv[6] = {};
    char buffer[64];
    EXPECT_EQ(QKRequestArgv(env, argv, 6, buffer, sizeof buffer), 0);
    EXPECT_EQ(argv[0], nullptr);
    // A headless program without options fails instead of waiting for an answer.
    int32_t error = -7;
    EXPECT_EQ(QKOpenString(env, "", &error), nullptr);
    EXPECT_EQ(error, QKERR_FEW_ARGUMENTS);
}

int32_t answerCreate(QKENV, const char*, char* response, int32_t size) {
    snprintf(response, static_cast<std::size_t>(size), "mylink");
    return 1;
}

TEST_F(CallbackTest, RequestArgvWritesNothingWhenItCannotFitItsWords) {
    QKSetDialogFunction(env, 2, reinterpret_cast<QKProc>(&answerCreate));
    QKSetDialogFunction(env, 4, reinterpret_cast<QKProc>(1));
    struct Case {
        const char* name;
        int32_t capacity;
        int32_t size;
        int32_t words;
    };
    const Case cases[] = {
        {"room for all", 6, 64, 5},       {"exactly five slots", 5, 64, 5},
        {"four slots", 4, 64, 0},         {"buffer one byte short", 6, 43, 0},
        {"buffer just enough", 6, 44, 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        char* sentinel = reinterpret_cast<char*>(&answerCreate);
        std::vector<char*> argv(8, sentinel);
        std::string buffer(64, '#');
        EXPECT_EQ(QKRequestArgv(env, argv.data(), c.capacity, buffer.data(), c.size), c.words);
        if (c.words == 0) {
            EXPECT_EQ(std::string(buffer), std::string(64, '#'));
            for (int i = 1; i < 8; ++i)
                EXPECT_EQ(argv[static_cast<std::size_t>(i)], sentinel);
            continue;
        }
        for (int i = 0; i < 5; ++i)
            ASSERT_NE(argv[static_cast<std::size_t>(i)], nullptr);
        std::vector<std::string> words(argv.begin(), argv.begin() + 5);
        EXPECT_EQ(words, (std::vector<std::string>{"-corvinet", "-linkname", "mylink", "-linkmode",
                                                   "listen"}));
        EXPECT_EQ(argv[5], c.capacity > 5 ? nullptr : sentinel);
        EXPECT_EQ(argv[6], sentinel);
    }
}

TEST_F(CallbackTest, RefusedInteractionShowsNothing) {
    m_dialogs.interact = 0;
    EXPECT_EQ(QKAlert(env, "hidden"), 0);
    EXPECT_TRUE(m_dialogs.alerts.empty());
    EXPECT_EQ(QKRequest(env, "name: ", nullptr, 0), 1);
    EXPECT_EQ(QKConfirm(env, "sure?", 7), 7);
    m_dialogs.interact = 1;
    // A replaced alert goes back to the default with the value 1.
    EXPECT_EQ(QKAlert(env, "seen"), 1);
    EXPECT_EQ(m_dialogs.alerts, std::vector<std::string>{"seen"});
    QKSetDialogFunction(env, 1, reinterpret_cast<QKProc>(1));
    EXPECT_EQ(QKAlert(env, "on standard error"), 1);
    EXPECT_EQ(m_dialogs.alerts.size(), 1u);
}

TEST_F(CallbackTest, TestPointTwoShowsTheNextExpression) {
    int32_t error = -7;
    QKLINK link = QKLoopbackOpen(env, &error);
    ASSERT_NE(link, nullptr);
    ASSERT_TRUE(QKPutFunction(link, "f", 2) && QKPutInteger(link, 12) && QKPutString(link, "ab") &&
                QKEndPacket(link));
    EXPECT_EQ(QKTestPoint2(link), 1);
    ASSERT_EQ(m_dialogs.alerts.size(), 1u);
    EXPECT_EQ(m_dialogs.alerts[0], " <F 2> <# f> <+ 12> <\" ab>");
    QKClose(link);
}

} // namespace
} // namespace corvinet
