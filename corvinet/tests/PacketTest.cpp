// Packet heads read off a loopback link.

#include "WireFixture.h"

namespace corvinet::testing {
namespace {

class Packets : public LoopbackTest {
protected:
    void putPacket(const char* head, int32_t arguments) {
        ASSERT_TRUE(QKPutFunction(link, head, arguments));
        for (int32_t i = 0; i < arguments; ++i)
            ASSERT_TRUE(QKPutInteger(link, i));
        ASSERT_TRUE(QKEndPacket(link));
    }
};

TEST_F(Packets, HeadsNameTheirPacketAndUnknownHeadsAreRefused) {
    putPacket("ReturnPacket", 1);
    putPacket("Enter", 0);
    putPacket("returnpacket", 0);
    ASSERT_TRUE(QKFlush(link));

    EXPECT_EQ(QKNextPacket(link), RETURNPKT);
    int32_t value = -1;
    ASSERT_TRUE(QKGetInteger(link, &value));
    EXPECT_EQ(value, 0);
    EXPECT_EQ(QKNextPacket(link), ENTERTEXTPKT);
    EXPECT_EQ(QKNextPacket(link), ILLEGALPKT);
    EXPECT_EQ(QKError(link), QKERR_UNKNOWN_PACKET);
}

TEST_F(Packets, UnreadArgumentsRefuseTheNextHeadUntilSkipped) {
    putPacket("TextPacket", 2);
    putPacket("MenuPacket", 0);
    ASSERT_TRUE(QKFlush(link));

    EXPECT_EQ(QKNextPacket(link), TEXTPKT);
    EXPECT_EQ(QKNextPacket(link), ILLEGALPKT);
    EXPECT_EQ(QKError(link), QKERR_UNREAD_DATA);
    ASSERT_TRUE(QKClearError(link));
    ASSERT_TRUE(QKNewPacket(link));
    EXPECT_EQ(QKNextPacket(link), MENUPKT);
}

} // namespace
} // namespace corvinet::testing
