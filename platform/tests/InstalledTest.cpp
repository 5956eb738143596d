#include "platform/Installed.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

struct Service {
    int id;
};

ServiceSlot<Service> gService;

int One() {
    return 1;
}
int Two() {
    return 2;
}
ServiceSlot<int()> gFunction;

TEST(Installed, GuardsNestAndEachRestoresWhatWasBefore) {
    Service first{1};
    Service second{2};
    ASSERT_EQ(gService, nullptr);
    {
        Installed outer(gService, &first);
        EXPECT_EQ(gService->id, 1);
        {
            Installed inner(gService, &second);
            EXPECT_EQ(gService->id, 2);
            {
                Installed none(gService, nullptr);
                EXPECT_EQ(gService, nullptr);
            }
            EXPECT_EQ(gService.Get(), &second);
        }
        EXPECT_EQ(gService.Get(), &first);
    }
    EXPECT_EQ(gService, nullptr);
}

TEST(Installed, AnExceptionLeavingTheScopeRestoresThePrevious) {
    Service kept{1};
    Service stand{2};
    Installed outer(gService, &kept);
    EXPECT_THROW(
        {
            Installed inner(gService, &stand);
            throw std::runtime_error("start-up failed");
        },
        std::runtime_error);
    EXPECT_EQ(gService.Get(), &kept);
}

TEST(Installed, FunctionSlotsHoldTheInstalledFunction) {
    Installed one(gFunction, &One);
    EXPECT_EQ(gFunction.Get()(), 1);
    {
        Installed two(gFunction, [] { return Two(); });
        EXPECT_EQ(gFunction.Get()(), 2);
    }
    EXPECT_EQ(gFunction.Get()(), 1);
}

#ifndef NDEBUG
TEST(InstalledDeathTest, EndingGuardsOutOfOrderIsCaught) {
    Service first{1};
    Service second{2};
    EXPECT_DEATH(
        {
            auto* outer = new Installed(gService, &first);
            Installed inner(gService, &second);
            delete outer; // ends before the guard installed after it
        },
        "out of order");
}
#endif

} // namespace
