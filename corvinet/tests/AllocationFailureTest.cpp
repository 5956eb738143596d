// Fails each allocation in turn, the first, then the second and so on, both of the standard
// operator new (which throws) and of the environment's allocator pair (which answers null), while
// a program initialises, loads its devices, opens links, puts, gets and negotiates. Every call
// must answer success or a failure with its reason, nothing may escape as an exception (the
// exports are noexcept, so an escape ends the process), and every byte the library took from the
// pair must come back. The sanitizers' leak check covers what operator new handed out.

#include "corvinet/corvinet.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<bool> armed{false};
std::atomic<long> allocations{0};
std::atomic<long> failAt{0};
std::atomic<long> pairOutstanding{0};

bool failThisOne() {
    return armed && ++allocations == failAt;
}

void* pairAllocate(std::size_t size) {
    if (failThisOne()) return nullptr;
    void* memory = std::malloc(size);
    if (memory) ++pairOutstanding;
    return memory;
}
void pairFree(void* memory) {
    if (memory) --pairOutstanding;
    std::free(memory);
}

// A failed call must leave its reason on the link (or fail to make the link at all).
struct Outcome {
    int calls = 0;
    int unexplained = 0;
    void check(QKLINK link, int32_t result) {
        ++calls;
        if (!result && link && QKError(link) == 0) ++unexplained;
    }
};

Outcome runProgram() {
    Outcome outcome;
    QKParameters block;
    // Each build's own interface range: 6 to 7 for interface 2, 1 to 7 for interface 1.
    QKNewParameters(block, 7, QKNewParameters(nullptr, 0, 0) >> 16);
    QKSetAllocParameter(block, &pairAllocate, &pairFree);
    // Devices come from the corvinet.ini beside this program.
    QKENV env = QKInitialize(block);
    if (!env) return outcome;
    int32_t error = 0;
    if (QKLINK link = QKLoopbackOpen(env, &error)) {
        outcome.check(link, QKPutFunction(link, "List", 3));
        outcome.check(link, QKPutInteger(link, 12));
        outcome.check(link, QKPutString(link, "a longer string that needs a buffer of its own"));
        outcome.check(link, QKPutSymbol(link, "x"));
        outcome.check(link, QKEndPacket(link));
        const char* head = nullptr;
        int32_t count = 0;
        if (QKGetFunction(link, &head, &count)) QKDisownSymbol(link, head);
        int32_t number = 0;
        outcome.check(link, QKGetInteger(link, &number));
        const char* text = nullptr;
        if (QKGetString(link, &text)) QKDisownString(link, text);
        QKClose(link);
    }
    if (QKLINK link = QKCreate0(env, nullptr, nullptr, &error)) {
        outcome.check(link,
                      QKEstablishString(link, "Corvinet 3 -tokens 1,2,3 -formats 1,7 -decoders 0"));
        char features[256];
        QKFeatureString(link, features, sizeof features);
        QKClose(link);
    }
    if (QKLINK link = QKOpenString(env,
                                   "-linkcreate -linkprotocol test -linkoptions "
                                   "QKDontInteract",
                                   &error))
        QKClose(link);
    QKDeinitialize(env);
    return outcome;
}

TEST(AllocationFailure, EveryCallFailsCleanlyWhereverMemoryRunsOut) {
    // A run without failures first: it must take memory at all, or the loop proves nothing.
    armed = true;
    allocations = 0;
    failAt = 0;
    Outcome clean = runProgram();
    armed = false;
    long needed = allocations;
    ASSERT_GT(needed, 20);
    EXPECT_EQ(clean.unexplained, 0);
    EXPECT_EQ(pairOutstanding, 0);

    for (long n = 1; n <= needed + 1; ++n) {
        allocations = 0;
        failAt = n;
        armed = true;
        Outcome outcome = runProgram();
        armed = false;
        ASSERT_EQ(outcome.unexplained, 0) << "failing allocation " << n;
        ASSERT_EQ(pairOutstanding, 0) << "failing allocation " << n;
    }
}

} // namespace

// The standard operator new, failing where the test says.
void* operator new(std::size_t size) {
    if (failThisOne()) throw std::bad_alloc();
    if (void* memory = std::malloc(size ? size : 1)) return memory;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
    return operator new(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    if (failThisOne()) return nullptr;
    return std::malloc(size ? size : 1);
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept {
    return operator new(size, tag);
}
void operator delete(void* memory) noexcept {
    std::free(memory);
}
void operator delete[](void* memory) noexcept {
    std::free(memory);
}
void operator delete(void* memory, std::size_t) noexcept {
    std::free(memory);
}
void operator delete[](void* memory, std::size_t) noexcept {
    std::free(memory);
}
