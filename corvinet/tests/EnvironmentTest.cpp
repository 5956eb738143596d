// Parameter records, environments and their link registry, through the public interface of the
// interface-2 build.

#include "corvinet/corvinet.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

namespace {

// An allocator pair that counts, to show that the library's memory all goes through it.
int liveBlocks = 0;
int failAfter = -1; // allocations left before every further one fails; -1: never
void* countingAllocate(size_t size) {
    if (failAfter == 0) return nullptr;
    if (failAfter > 0) --failAfter;
    ++liveBlocks;
    return std::malloc(size);
}
void countingFree(void* memory) {
    --liveBlocks;
    std::free(memory);
}

class EnvironmentTest : public ::testing::Test {
protected:
    void SetUp() override {
        liveBlocks = 0;
        failAfter = -1;
    }
    // A record without device plug-ins, so that nothing outside the test is loaded.
    QKParametersPointer parameters(bool counting = true) {
        EXPECT_EQ(QKNewParameters(block, 7, 6), 7);
        EXPECT_EQ(QKSetDeviceParameter(block, ""), 0);
        if (counting) {
            EXPECT_NE(QKSetAllocParameter(block, countingAllocate, countingFree), nullptr);
        }
        return block;
    }

    // Misaligned on purpose: the record must be found at the next 16-byte boundary.
    alignas(16) unsigned char storage[QK_PARAMETERS_SIZE + 1];
    unsigned char* block = storage + 1;
};

TEST_F(EnvironmentTest, NewParametersChecksTheCallersInterfaceRange) {
    struct Case {
        const char* name;
        int32_t first, second;
        int32_t result, error;
    };
    const Case cases[] = {
        {"six to seven", 6, 7, 7, 0},
        {"seven to six", 7, 6, 7, 0},
        {"lower zero takes upper", 0, 6, 7, 0},
        {"too old", 5, 7, 0, QKPARAM_INTERFACE_TOO_OLD},
        {"too new", 6, 8, 0, QKPARAM_INTERFACE_UNSERVED},
        {"only seven", 7, 7, 0, QKPARAM_INTERFACE_UNSERVED},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(QKNewParameters(block, c.first, c.second), c.result);
        EXPECT_EQ(QKErrorParameter(block), c.error);
    }
    EXPECT_EQ(QKNewParameters(nullptr, 0, 0), 0x60007);
    EXPECT_EQ(QKNewParameters(nullptr, 6, 7), 0) << "no record to fill";
}

TEST_F(EnvironmentTest, ParameterSettersRefuseWhatTheyCannotServe) {
    unsigned char garbage[QK_PARAMETERS_SIZE] = {};
    EXPECT_EQ(QKErrorParameter(garbage), -1);
    EXPECT_EQ(QKErrorParameter(nullptr), -1);
    EXPECT_EQ(QKSetDeviceParameter(garbage, nullptr), QKPARAM_NOT_A_RECORD);
    EXPECT_EQ(QKSetAllocParameter(garbage, countingAllocate, countingFree), nullptr);

    QKNewParameters(block, 6, 7);
    QKAllocator allocator = nullptr;
    QKDeallocator deallocator = nullptr;
    EXPECT_EQ(QKAllocParameter(block, &allocator, nullptr), 999);
    EXPECT_EQ(QKSetDeviceParameter(block, "QKTCP"), QKPARAM_UNSUPPORTED_VALUE);
    EXPECT_EQ(QKSetResourceParameter(block, nullptr), QKPARAM_UNSUPPORTED_VALUE);
    EXPECT_EQ(QKSetAllocParameter(block, countingAllocate, countingFree),
              reinterpret_cast<void*>((reinterpret_cast<uintptr_t>(block) + 15) & ~uintptr_t{15}));
    ASSERT_EQ(QKAllocParameter(block, &allocator, &deallocator), 0);
    EXPECT_EQ(allocator, countingAllocate);
    EXPECT_EQ(deallocator, countingFree);

    QKNewParameters(block, 5, 7);
    EXPECT_EQ(QKAllocParameter(block, &allocator, &deallocator), QKPARAM_INTERFACE_TOO_OLD);
    EXPECT_EQ(QKSetDeviceParameter(block, ""), QKPARAM_INTERFACE_TOO_OLD);
}

TEST_F(EnvironmentTest, BeginRefusesBadRecordsThroughTheRecord) {
    unsigned char garbage[QK_PARAMETERS_SIZE] = {};
    EXPECT_EQ(QKBegin(garbage), nullptr);
    EXPECT_EQ(QKNewParameters(block, 6, 8), 0);
    EXPECT_EQ(QKBegin(block), nullptr);
    EXPECT_EQ(QKErrorParameter(block), QKPARAM_INTERFACE_UNSERVED);

    parameters();
    failAfter = 0;
    EXPECT_EQ(QKBegin(block), nullptr);
    EXPECT_EQ(QKErrorParameter(block), QKPARAM_OUT_OF_MEMORY);
    EXPECT_EQ(liveBlocks, 0);
    parameters();
    failAfter = 1;
    EXPECT_EQ(QKBegin(block), nullptr) << "the link environment cannot be made";
    EXPECT_EQ(QKErrorParameter(block), QKPARAM_OUT_OF_MEMORY);
    EXPECT_EQ(liveBlocks, 0);
}

TEST_F(EnvironmentTest, AllMemoryGoesThroughTheCallersAllocator) {
    QKENV env = QKBegin(parameters());
    ASSERT_NE(env, nullptr);
    int32_t error = -1;
    QKLINK a = QKLoopbackOpen(env, &error);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(error, 0);
    ASSERT_TRUE(QKSetName(a, "first"));
    QKLINK b = QKDuplicateLink(a, "second", &error);
    ASSERT_NE(b, nullptr);
    EXPECT_GT(liveBlocks, 0);
    QKEnd(env); // closes both links
    EXPECT_EQ(liveBlocks, 0);
}

TEST_F(EnvironmentTest, InitializeSharesOneCountedProcessEnvironment) {
    QKENV first = QKInitialize(parameters(false));
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(QKInitialize(nullptr), first);
    EXPECT_EQ(QKDeinitialize(first), first) << "one user is left";
    EXPECT_EQ(QKDeinitialize(first), nullptr) << "the last user ends it";
    QKENV again = QKInitialize(parameters(false));
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(QKDeinitialize(again), nullptr);
}

TEST_F(EnvironmentTest, LinksAreNumberedAndFoundByNumber) {
    QKENV env = QKBegin(parameters());
    ASSERT_NE(env, nullptr);
    QKLINK links[3];
    for (int i = 0; i < 3; ++i) {
        links[i] = QKLoopbackOpen(env, nullptr);
        ASSERT_NE(links[i], nullptr);
        EXPECT_EQ(QKNumber(links[i]), i + 1);
        EXPECT_EQ(QKToLinkID(links[i]), i + 1);
    }
    EXPECT_EQ(QKFromLinkID(env, 3), links[2]);
    EXPECT_EQ(QKFromLinkID(env, 0), links[0]);
    QKClose(links[0]);
    EXPECT_EQ(QKFromLinkID(env, 0), links[1]) << "the open link with the smallest number";
    EXPECT_EQ(QKFromLinkID(env, 1), nullptr);
    EXPECT_EQ(QKEnclosingEnvironment(QKLinkEnvironment(links[1])), env);
    QKEnd(env);
}

TEST_F(EnvironmentTest, NullHandlesGiveFailureValues) {
    EXPECT_EQ(QKDeinitialize(nullptr), nullptr);
    QKEnd(nullptr);
    EXPECT_EQ(QKFromLinkID(nullptr, 0), nullptr);
    EXPECT_EQ(QKNumber(nullptr), 0);
    EXPECT_EQ(QKLinkEnvironment(nullptr), nullptr);
    EXPECT_EQ(QKEnclosingEnvironment(nullptr), nullptr);
    EXPECT_EQ(QKDefaultYieldFunction(nullptr), nullptr);
    EXPECT_EQ(QKSetDefaultYieldFunction(nullptr, nullptr), 0);
    EXPECT_EQ(QKNumberControl0(nullptr, 0, nullptr, nullptr, nullptr), -1);
    int32_t error = 0;
    EXPECT_EQ(QKLoopbackOpen(nullptr, &error), nullptr);
    EXPECT_EQ(error, QKERR_NO_ENVIRONMENT);
    EXPECT_EQ(QKMake(nullptr, nullptr, nullptr, &error), nullptr);
    EXPECT_EQ(error, QKERR_NO_ENVIRONMENT);
}

TEST_F(EnvironmentTest, NumberControlAnswersTheCapabilityQuery) {
    QKENV env = QKBegin(parameters());
    ASSERT_NE(env, nullptr);
    uint32_t words[4] = {};
    char id[16] = {};
    int32_t count = sizeof id;
    EXPECT_EQ(QKNumberControl0(env, 0, id, words, &count), 0);
    EXPECT_STREQ(id, "setter");
    EXPECT_EQ(words[1], 0x00000002u);
    EXPECT_EQ(words[3], 0x00500014u);
    EXPECT_EQ(QKTestPoint3(env), -1);
    EXPECT_EQ(QKTestPoint4(env), 0);
    QKEnd(env);
}

TEST_F(EnvironmentTest, CastsReturnTheirArgument) {
    auto f = reinterpret_cast<QKProc>(&countingFree);
    for (auto cast :
         {QKAlertCast, QKAllocatorCast, QKConfirmCast, QKDeallocatorCast, QKHandlerCast,
          QKRequestArgvCast, QKRequestCast, QKRequestToInteractCast, QKUserCast, QKYielderCast})
        EXPECT_EQ(cast(f), f);
}

TEST_F(EnvironmentTest, DefaultYieldFunctionIsKept) {
    QKENV env = QKBegin(parameters());
    ASSERT_NE(env, nullptr);
    QKCallbackRecord record{};
    EXPECT_EQ(QKSetDefaultYieldFunction(env, &record), 1);
    EXPECT_EQ(QKDefaultYieldFunction(env), &record);
    QKEnd(env);
}

} // namespace
