// Link objects: establishing and negotiating over a pipe device, loopback links, duplicates,
// names, user data, transfers and feature strings.

#include "Link.h"

#include "Environment.h"
#include "PipeDevice.h"
#include "TestEnvironment.h"
#include "corvinet/corvinet.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>

namespace corvinet {
namespace {

using testing::PipeDevice;

class LinkTest : public ::testing::Test {
protected:
    void SetUp() override {
        env = corvinet::testing::beginWithoutDevices(block);
        ASSERT_NE(env, nullptr);
    }
    void TearDown() override { QKEnd(env); }

    QKLINK pipeLink(int side) {
        int32_t error = -1;
        QKLINK link = QKCreate0(env, PipeDevice::main, pipe.end(side).stream(), &error);
        EXPECT_EQ(error, 0);
        EXPECT_EQ(QKError(link), QKERR_UNCONNECTED);
        return link;
    }
    std::string features(QKLINK link) {
        char buffer[256];
        EXPECT_EQ(QKFeatureString(link, buffer, sizeof buffer), 0);
        return buffer;
    }
    // The feature string of a link that took this end's own features.
    std::string ownFeatures(const char* level = "3", const char* decoders = "458752") {
        return std::string("Corvinet ") + level + " -tokens 33,88,98,100,116,118 -formats 1,2,3,7" +
               " -decoders " + decoders;
    }

    QKParameters block;
    QKENV env = nullptr;
    PipeDevice pipe;
};

TEST_F(LinkTest, TwoEndsNegotiateAndKeepWhatBothOffer) {
    QKLINK a = pipeLink(0);
    QKLINK b = pipeLink(1);
    int32_t connectedB = 0;
    std::thread other([&] { connectedB = QKConnect(b); });
    int32_t connectedA = QKConnect(a);
    other.join();
    ASSERT_EQ(connectedA, 1);
    ASSERT_EQ(connectedB, 1);
    EXPECT_EQ(QKError(a), 0);
    EXPECT_EQ(features(a), ownFeatures());
    EXPECT_EQ(features(b), ownFeatures());
    EXPECT_EQ(a->stream.tell(), 0) << "data offsets start after the negotiation";

    std::string sent = pipe.pending(1);
    EXPECT_EQ(QKEstablish(a, nullptr), 1) << "an established link stays so";
    EXPECT_EQ(a->stream.flush(), 0);
    EXPECT_EQ(pipe.pending(1), sent) << "and sends nothing";
}

TEST_F(LinkTest, PeerListsAreJudgedByItsIdentifiers) {
    struct Case {
        const char* name;
        std::string peer;
        std::string features;
    };
    const Case cases[] = {
        {"form 2 with foreign identifiers",
         "Corvinet 2\n-numericsid other -tokens 33,65,100,200 -formats 1,9\n",
         "Corvinet 2 -tokens 33,100 -formats 1 -decoders 458752"},
        {"form 2 without formats", "Corvinet 3\n-tokens 98 -decoders 0x10000\n",
         "Corvinet 3 -tokens 98 -formats 1 -decoders 65536"},
        {"form 2 with an empty format list", "Corvinet 3\n-formats ''\n",
         "Corvinet 3 -tokens '' -formats 7 -decoders 458752"},
        {"form 1 at level 1", "Corvi net 1", "Corvinet 1 -tokens '' -formats 7 -decoders 0"},
        {"form 1 at level 2", "Corvi net 2\n-libraryid x\n",
         "Corvinet 2 -tokens '' -formats 7 -decoders 458752"},
        {"form 1 without library line", "Corvi net 3?",
         "Corvinet 3 -tokens '' -formats 7 -decoders 0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PipeDevice fresh;
        QKLINK link = QKCreate0(env, PipeDevice::main, fresh.end(0).stream(), nullptr);
        fresh.plant(0, c.peer);
        ASSERT_EQ(QKConnect(link), 1);
        EXPECT_EQ(features(link), c.features);
        QKClose(link);
    }
}

TEST_F(LinkTest, FailedNegotiationKillsTheLink) {
    const char* peers[] = {"NotCorvin", "Corvinet-", "Corvi net", "Corvinet x\n",
                           "Corvinet 3\n-tokens\n"};
    for (const char* peer : peers) {
        SCOPED_TRACE(peer);
        PipeDevice fresh;
        QKLINK link = QKCreate0(env, PipeDevice::main, fresh.end(0).stream(), nullptr);
        fresh.plant(0, peer);
        // The peer goes away after what it said, so a short answer ends the wait.
        QKClose(QKCreate0(env, PipeDevice::main, fresh.end(1).stream(), nullptr));
        EXPECT_EQ(QKConnect(link), 0);
        EXPECT_EQ(QKError(link), QKERR_LINK_DIED);
        EXPECT_EQ(QKClearError(link), 0) << "a dead link stays dead";
        QKClose(link);
    }
}

TEST_F(LinkTest, PendingConnectionIsRetriedWhenTheErrorIsCleared) {
    QKLINK link = pipeLink(0);
    pipe.end(0).connectAnswer = QKERR_ABORTED;
    EXPECT_EQ(QKConnect(link), 0);
    EXPECT_EQ(QKError(link), QKERR_UNCONNECTED);
    pipe.end(0).connectAnswer = QKERR_NOT_LISTENING;
    EXPECT_EQ(QKClearError(link), 0);
    EXPECT_EQ(QKError(link), QKERR_UNCONNECTED);

    pipe.end(0).connectAnswer = 0;
    pipe.plant(0, "Corvi net 1");
    EXPECT_EQ(QKClearError(link), 1);
    EXPECT_EQ(QKError(link), 0);
}

TEST_F(LinkTest, DuplicatesShareTheDeviceStreamUntilTheLastCloses) {
    QKLINK a = pipeLink(0);
    int32_t error = -1;
    EXPECT_EQ(QKDuplicateLink(a, "copy", &error), nullptr) << "an unconnected link";
    EXPECT_EQ(error, QKERR_UNCONNECTED);
    pipe.plant(0, "Corvi net 1");
    ASSERT_EQ(QKConnect(a), 1);
    pipe.plant(0, "shared");
    QKLINK b = QKDuplicateLink(a, "copy", &error);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(error, 0);
    EXPECT_STREQ(QKName(b), "copy");
    EXPECT_EQ(QKNumber(b), QKNumber(a) + 1);

    QKClose(a);
    EXPECT_EQ(pipe.end(0).closes, 0);
    char bytes[6];
    EXPECT_EQ(b->stream.getBytes(bytes, 6), 6u);
    EXPECT_EQ(std::string(bytes, 6), "shared");
    QKClose(b);
    EXPECT_EQ(pipe.end(0).closes, 1);
}

TEST_F(LinkTest, DestroyHandsTheDeviceStreamBack) {
    QKLINK link = pipeLink(0);
    DeviceMainProc device = nullptr;
    DeviceStream* stream = nullptr;
    EXPECT_EQ(QKDestroy(link, &device, &stream), 1);
    EXPECT_EQ(device, &PipeDevice::main);
    EXPECT_EQ(stream, pipe.end(0).stream());
    EXPECT_EQ(pipe.end(0).closes, 0) << "closing is the caller's business";
    EXPECT_EQ(QKDestroy(nullptr, &device, &stream), 0);
    EXPECT_EQ(QKClose(nullptr), 0);
}

TEST_F(LinkTest, DeviceInformationComesFromTheDevice) {
    QKLINK link = pipeLink(1);
    char name[16] = {};
    int32_t size = sizeof name;
    EXPECT_EQ(QKDeviceInformation(link, 1, name, &size), 1);
    EXPECT_STREQ(name, "pipe-1");
    EXPECT_EQ(QKDeviceInformation(link, 2, name, &size), 0);
    QKLINK loopback = QKLoopbackOpen(env, nullptr);
    EXPECT_EQ(QKDeviceInformation(loopback, 1, name, &size), 0);
}

TEST_F(LinkTest, LoopbackTakesTheEnvironmentsOrTheGivenFeatures) {
    QKLINK own = QKLoopbackOpen(env, nullptr);
    ASSERT_NE(own, nullptr);
    EXPECT_EQ(features(own), ownFeatures());

    int32_t error = -1;
    QKLINK given = QKLoopbackOpen0(env, "-tokens 100,65 -formats 1,12 -decoders 0", &error);
    ASSERT_NE(given, nullptr);
    EXPECT_EQ(features(given), "Corvinet 3 -tokens 100 -formats 1 -decoders 0");

    EXPECT_EQ(QKLoopbackOpen0(env, "", &error), nullptr);
    EXPECT_EQ(error, QKERR_LINK_DIED);
    EXPECT_EQ(QKLoopbackOpen0(env, "-tokens 1,x", &error), nullptr);
    EXPECT_EQ(error, QKERR_LINK_DIED);
}

TEST_F(LinkTest, FeatureStringWritesWhatFits) {
    QKLINK link = QKLoopbackOpen(env, nullptr);
    char buffer[20];
    EXPECT_EQ(QKFeatureString(link, buffer, sizeof buffer), 5) << "five words did not fit";
    EXPECT_STREQ(buffer, "Corvinet 3 -tokens");
    EXPECT_EQ(QKFeatureString(nullptr, buffer, sizeof buffer), -1);
}

TEST_F(LinkTest, NamesAndUserDataBelongToTheLink) {
    static QKLINK released = nullptr;
    QKLINK link = QKLoopbackOpen(env, nullptr);
    std::string name = "kernel";
    ASSERT_EQ(QKSetName(link, name.c_str()), 1);
    name[0] = 'K';
    EXPECT_STREQ(QKName(link), "kernel") << "the name is copied";
    int data = 0;
    QKSetUserData(link, &data, [](QKLINK l) { released = l; });
    QKUserFunction release = nullptr;
    EXPECT_EQ(QKUserData(link, &release), &data);
    EXPECT_NE(release, nullptr);
    QKUserBlockRecord user = QKUserBlock(link);
    EXPECT_EQ(user.number, QKNumber(link));
    EXPECT_STREQ(user.name, "kernel");
    user.number = 99;
    QKSetUserBlock(link, user);
    EXPECT_EQ(QKNumber(link), 1) << "the number stays the link's own";
    ASSERT_EQ(QKSetName(link, nullptr), 1);
    EXPECT_EQ(QKName(link), nullptr);

    QKClose(link);
    EXPECT_EQ(released, link) << "the release function saw the link at destroy";
}

TEST_F(LinkTest, TransfersCopyEncodedBytes) {
    QKLINK from = QKLoopbackOpen(env, nullptr);
    QKLINK to = QKLoopbackOpen(env, nullptr);
    std::string data(1000, 'd');
    ASSERT_EQ(from->stream.putBytes(data.data(), data.size()), 0);
    EXPECT_EQ(QKTransfer0(to, from, 600), 1);
    EXPECT_EQ(QKTransferToEndOfLoopbackLink(nullptr, from), 1) << "the rest is discarded";
    EXPECT_EQ(from->stream.available(), 0u);
    EXPECT_EQ(to->stream.available(), 600u);
    EXPECT_EQ(QKTransfer0(to, from, 1), 0);
    EXPECT_EQ(QKError(from), QKERR_ABORTED);
    EXPECT_EQ(QKError(to), QKERR_ABORTED);
}

} // namespace
} // namespace corvinet
