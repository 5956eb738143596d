// The two shared libraries as a program sees them: exactly the listed names exported (the
// interface-1 build without the interface-2-only ones), and each build's own parameter record.

#include "ElfExports.h"
#include "corvinet/corvinet.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

using Names = std::set<std::string>;
using tessary::testing::exportedSymbols;

// The names a build must export, from the shared list.
Names listedNames(bool interface2) {
    std::ifstream in(CORVINET_EXPORTS);
    Names names;
    for (std::string line; std::getline(in, line);) {
        std::istringstream words(line);
        std::string name, only;
        words >> name >> only;
        if (name.empty() || name[0] == '#') continue;
        if (only.empty() || interface2) names.insert(name);
    }
    return names;
}

struct Build {
    const char* name;
    const char* path;
    bool interface2;
    int32_t packedWord;
    int32_t level;
    int32_t servedFirst, servedSecond;
    int32_t refusedFirst, refusedSecond;
};

class ExportsTest : public ::testing::TestWithParam<Build> {
protected:
    void SetUp() override {
        module = dlopen(GetParam().path, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(module, nullptr) << dlerror();
    }
    void TearDown() override {
        if (module) dlclose(module);
    }
    template <class F>
    F* function(const char* name) {
        return reinterpret_cast<F*>(dlsym(module, name));
    }
    void* module = nullptr;
};

TEST_P(ExportsTest, ExportsExactlyTheListedNames) {
    Names listed = listedNames(GetParam().interface2);
    ASSERT_FALSE(listed.empty());
    EXPECT_EQ(exportedSymbols(GetParam().path), listed);
}

TEST_P(ExportsTest, ParameterRecordsCarryTheBuildsInterface) {
    const Build& build = GetParam();
    auto newParameters = function<decltype(QKNewParameters)>("QKNewParameters");
    auto errorParameter = function<decltype(QKErrorParameter)>("QKErrorParameter");
    auto setDevices = function<decltype(QKSetDeviceParameter)>("QKSetDeviceParameter");
    ASSERT_TRUE(newParameters && errorParameter);
    EXPECT_EQ(newParameters(nullptr, 0, 0), build.packedWord);

    alignas(16) QKParameters block;
    EXPECT_EQ(newParameters(block, build.servedFirst, build.servedSecond), 7);
    EXPECT_EQ(errorParameter(block), 0);
    EXPECT_EQ(reinterpret_cast<int32_t*>(block)[2], build.level) << "the record's level word";
    EXPECT_EQ(newParameters(block, build.refusedFirst, build.refusedSecond), 0);
    EXPECT_EQ(errorParameter(block), QKPARAM_INTERFACE_UNSERVED);
    EXPECT_EQ(setDevices != nullptr, build.interface2);
}

TEST_P(ExportsTest, BeginsWithoutParameters) {
    // The editor initialises with no parameter record: each build's default must be one that
    // the build serves.
    auto begin = function<decltype(QKBegin)>("QKBegin");
    auto end = function<decltype(QKEnd)>("QKEnd");
    auto loopback = function<decltype(QKLoopbackOpen)>("QKLoopbackOpen");
    auto close = function<decltype(QKClose)>("QKClose");
    ASSERT_TRUE(begin && end && loopback && close);
    QKENV env = begin(nullptr);
    ASSERT_NE(env, nullptr);
    int32_t error = -1;
    QKLINK link = loopback(env, &error);
    EXPECT_NE(link, nullptr);
    EXPECT_EQ(error, 0);
    close(link);
    end(env);
}

INSTANTIATE_TEST_SUITE_P(
    Builds, ExportsTest,
    ::testing::Values(Build{"Interface2", QK32I2_PATH, true, 0x60007, 6, 6, 7, 6, 8},
                      Build{"Interface1", QK32I1_PATH, false, 0x10007, 1, 1, 7, 6, 7}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
