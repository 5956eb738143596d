// Error codes, their messages and the first-error-sticks rule; packet heads.

#include "ErrorTable.h"

#include "Link.h"
#include "TestEnvironment.h"
#include "corvinet/corvinet.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class ErrorTableTest : public ::testing::Test {
protected:
    void SetUp() override {
        env = corvinet::testing::beginWithoutDevices(block);
        ASSERT_NE(env, nullptr);
        link = QKLoopbackOpen(env, nullptr);
        ASSERT_NE(link, nullptr);
    }
    void TearDown() override { QKEnd(env); }

    QKParameters block;
    QKENV env = nullptr;
    QKLINK link = nullptr;
};

TEST_F(ErrorTableTest, CodesHaveTheirMessages) {
    struct Case {
        int32_t code;
        const char* message;
    };
    const Case cases[] = {
        {0, "everything ok so far"},
        {1, "link died"},
        {2, "inconsistent data was read"},
        {5, "QKPut out of sequence"},
        {10, "a deferred connection is still unconnected"},
        {11, "the other side closed the link, you may still get undelivered data"},
        {22, "QKNextPacket called while the current packet has unread data"},
        {25, "a put or get was aborted before affecting the link"},
        {34, "protocol unavailable"},
        {46, "the launch failed because the program could not be found"},
        {-1, "unknown error"},
        {44, "Error 44"},
        {999, "Error 999"},
        {-2147483647 - 1, "Error -2147483648"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        EXPECT_STREQ(QKErrorString(env, c.code), c.message);
    }
    EXPECT_EQ(QKErrorString(nullptr, 1), nullptr);
}

TEST_F(ErrorTableTest, OnlyTheFirstErrorSticks) {
    EXPECT_EQ(QKError(link), 0);
    EXPECT_EQ(QKSetError(link, 0), 1) << "no error to keep";
    EXPECT_EQ(QKSetError(link, QKERR_GET_SEQUENCE), 1);
    EXPECT_EQ(QKSetError(link, QKERR_PUT_SEQUENCE), 0);
    link->setError(0);
    link->setError(QKERR_OUT_OF_MEMORY);
    EXPECT_EQ(QKError(link), QKERR_GET_SEQUENCE) << "neither success nor a later error replaces it";
    EXPECT_STREQ(QKErrorMessage(link), "QKGet out of sequence");
    EXPECT_EQ(QKClearError(link), 1);
    EXPECT_EQ(QKError(link), 0);
    EXPECT_EQ(QKError(nullptr), QKERR_LINK_DIED);
    EXPECT_EQ(QKErrorMessage(nullptr), nullptr);
}

TEST_F(ErrorTableTest, ClearErrorKeepsFatalErrorsAndRetriesPendingConnections) {
    struct Case {
        int32_t code;
        int32_t result;
        int32_t after;
    };
    const Case cases[] = {
        {QKERR_LINK_DIED, 0, QKERR_LINK_DIED},
        {QKERR_ACCEPT_FAILED, 0, QKERR_ACCEPT_FAILED},
        {QKERR_GET_SEQUENCE, 1, 0},
        {QKERR_PEER_CLOSED, 1, 0},
        {0, 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        link->error = c.code;
        EXPECT_EQ(QKClearError(link), c.result);
        EXPECT_EQ(QKError(link), c.after);
    }
    EXPECT_EQ(QKClearError(nullptr), 0);

    // An unconnected link connects when its error is cleared; a device-less one negotiates
    // with itself.
    QKLINK pending = QKCreate0(env, nullptr, nullptr, nullptr);
    ASSERT_NE(pending, nullptr);
    EXPECT_EQ(QKError(pending), QKERR_UNCONNECTED);
    EXPECT_EQ(QKClearError(pending), 1);
    EXPECT_EQ(QKError(pending), 0);
}

TEST_F(ErrorTableTest, PacketHeadsMapExactly) {
    struct Case {
        const char* head;
        int32_t code;
    };
    const Case cases[] = {
        {"CallPacket", CALLPKT},
        {"ReturnPacket", RETURNPKT},
        {"Enter", ENTERTEXTPKT},
        {"EnterTextPacket", ENTERTEXTPKT},
        {"SyntaxPacket", SYNTAXPKT},
        {"ErrorPacket", SYNTAXPKT},
        {"InputStringPacket", INPUTSTRPKT},
        {"EndDialogPacket", ENDDLGPKT},
        {"returnpacket", 0},
        {"ReturnPacket ", 0},
        {"", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.head);
        EXPECT_EQ(corvinet::packetCode(c.head), c.code);
    }
}

} // namespace
