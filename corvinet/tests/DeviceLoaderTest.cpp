// The device list: ini values, built-in names, module names, loading, ordering, make and end,
// with small test plug-ins copied into a folder of their own.

#include "DeviceLoader.h"

#include "Environment.h"
#include "IniFile.h"
#include "TestEnvironment.h"

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace corvinet {
namespace {

namespace fs = std::filesystem;

TEST(DeviceModuleName, AppendsTheSuffixOnlyToNamesWithoutExtension) {
    struct Case {
        const char* value;
        const char* module;
    };
    const Case cases[] = {
        {"QKTCP", "QKTCP32.QKP"},
        {"a.b\\QKMAP", "a.b\\QKMAP32.QKP"},
        {"dir.v2/QKMAP", "dir.v2/QKMAP32.QKP"},
        {"/opt/devices/dev.so", "/opt/devices/dev.so"},
        {"text`QKMAP`more", "QKMAP32.QKP"},
        {"`QKMAP", "QKMAP32.QKP"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(deviceModuleName(c.value), c.module);
    }
    EXPECT_EQ(builtinDeviceName(0), "QKMAP");
    EXPECT_EQ(builtinDeviceName(1), "QKTCP");
    EXPECT_EQ(builtinDeviceName(2), std::nullopt);
}

TEST(IniFile, FindsKeysOfTheirSectionOnly) {
    const std::string text = "; devices\n"
                             "[Other]\nDevice0=wrong\n"
                             "[corvinetdevices]\r\n"
                             "  device0 =  QKTCP  \r\n"
                             "Device1=\"quoted value\"\n"
                             "Device2=\n"
                             "Device3=" +
                             std::string(400, 'x') +
                             "\n"
                             "[Other]\nDevice4=wrong\n"
                             "[CorvinetDevices]\nDEVICE0=later\nDevice5=second section\n";
    struct Case {
        const char* key;
        std::optional<std::string> value;
    };
    const Case cases[] = {
        {"Device0", "QKTCP"},      {"Device1", "quoted value"},
        {"Device2", ""},           {"Device3", std::string(279, 'x')},
        {"Device4", std::nullopt}, {"Device5", "second section"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        EXPECT_EQ(findIniValue(text, "CorvinetDevices", c.key), c.value);
    }
    EXPECT_EQ(readIniValue("/nonexistent/corvinet.ini", "CorvinetDevices", "Device0"),
              std::nullopt);
}

class DeviceLoaderTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/corvinet-devices-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = pattern;
        folders = {folder};
        env = corvinet::testing::beginWithoutDevices(block);
        ASSERT_NE(env, nullptr);
    }
    void TearDown() override {
        QKEnd(env);
        fs::remove_all(folder);
    }

    void plugIn(const char* built, const std::string& as) {
        fs::copy_file(built, folder + "/" + as, fs::copy_options::overwrite_existing);
    }
    void ini(const std::string& text) {
        std::ofstream(folder + "/corvinet.ini") << "[CorvinetDevices]\n" << text;
    }
    // The file names of the loaded devices, in list order.
    std::vector<std::string> loaded(const IniTextReader& read = readIniText) {
        loadDevices(env, folders, read);
        std::vector<std::string> names;
        for (DeviceEntry* entry = env->devices; entry; entry = entry->next) {
            Dl_info info{};
            dladdr(reinterpret_cast<void*>(entry->main), &info);
            names.push_back(fs::path(info.dli_fname).filename());
        }
        return names;
    }

    std::string folder;
    std::vector<std::string> folders;
    QKParameters block;
    QKENV env = nullptr;
};

using Names = std::vector<std::string>;

TEST_F(DeviceLoaderTest, EndKeyStopsTheList) {
    plugIn(TEST_DEVICE, "QKMAP32.QKP");
    plugIn(TEST_DEVICE, "QKTCP32.QKP");
    ini("Device0=QKTCP\nDevice1=End\n");
    EXPECT_EQ(loaded(), Names{"QKTCP32.QKP"});
}

TEST_F(DeviceLoaderTest, EachMissingKeyFallsBackToTheBuiltInName) {
    plugIn(TEST_DEVICE, "QKMAP32.QKP");
    plugIn(TEST_DEVICE, "QKTCP32.QKP");
    ini("Device1=end\n");
    EXPECT_EQ(loaded(), Names{"QKMAP32.QKP"});
}

TEST_F(DeviceLoaderTest, WithoutIniTheBuiltInListLoadsBoth) {
    plugIn(TEST_DEVICE, "QKMAP32.QKP");
    plugIn(TEST_DEVICE, "QKTCP32.QKP");
    EXPECT_EQ(loaded(), (Names{"QKMAP32.QKP", "QKTCP32.QKP"}));
}

TEST_F(DeviceLoaderTest, BackQuotedNameIsTaken) {
    plugIn(TEST_DEVICE, "QKMAP32.QKP");
    ini("Device0=shared memory `QKMAP` device\nDevice1=end\n");
    EXPECT_EQ(loaded(), Names{"QKMAP32.QKP"});
}

TEST_F(DeviceLoaderTest, UnusableModulesAreSkippedAndTheListGoesOn) {
    plugIn(TEST_DEVICE_NONE, "noentry32.QKP");
    plugIn(TEST_DEVICE, "initfails32.QKP");
    plugIn(TEST_DEVICE_ALTERNATE, "alternate.so");
    plugIn(TEST_DEVICE, "last32.QKP");
    ini("Device0=missing\nDevice1=noentry\nDevice2=initfails\nDevice3=alternate.so\n"
        "Device4=" +
        folder + "/last\nDevice5=end\n");
    EXPECT_EQ(loaded(), (Names{"alternate.so", "last32.QKP"}));
}

TEST_F(DeviceLoaderTest, TheCurrentDirectoryIsNotSearched) {
    char pattern[] = "/tmp/corvinet-cwd-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    std::string planted = pattern;
    fs::copy_file(TEST_DEVICE, planted + "/QKMAP32.QKP");
    std::ofstream(planted + "/corvinet.ini") << "[CorvinetDevices]\nDevice0=QKMAP\n";
    fs::path previous = fs::current_path();
    fs::current_path(planted);
    Names names = loaded();
    fs::current_path(previous);
    fs::remove_all(planted);
    EXPECT_EQ(names, Names{});
}

TEST_F(DeviceLoaderTest, MakeOffersTheBlockInListOrder) {
    struct Case {
        const char* name;
        Names devices;
        int32_t error;
        int answeredBy; // index of the device that answered, -1: none
    };
    const Case cases[] = {
        {"no devices", {}, QKERR_NO_PROTOCOL, -1},
        {"mode over protocol", {"make35", "make34"}, QKERR_NO_MODE, -1},
        {"protocol after mode", {"make34", "make35"}, QKERR_NO_MODE, -1},
        {"first success", {"make34", "make0", "make35"}, 0, 1},
        {"other error ends the search", {"make41", "make0"}, QKERR_NOT_LISTENING, 0},
    };
    const char block[] = "\0"
                         "4\0"
                         "name\0"
                         "\0"
                         "\0"
                         "0";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        endDevices(env);
        fs::remove(folder + "/corvinet.ini");
        std::string list;
        for (std::size_t i = 0; i < c.devices.size(); ++i) {
            std::string file = std::string(c.name).substr(0, 5) + c.devices[i] + "-" +
                               std::to_string(i) + "32.QKP";
            std::erase(file, ' ');
            plugIn(TEST_DEVICE, file);
            list += "Device" + std::to_string(i) + "=" + file + "\n";
        }
        ini(list + "Device" + std::to_string(c.devices.size()) + "=end\n");
        loaded();
        DeviceMakeResult result = makeDeviceStream(env, block);
        EXPECT_EQ(result.error, c.error);
        DeviceEntry* answered = env->devices;
        for (int i = 0; answered && i < c.answeredBy; ++i)
            answered = answered->next;
        EXPECT_EQ(result.main, c.answeredBy < 0 ? nullptr : answered->main);
        if (c.error == 0) {
            EXPECT_EQ(result.stream, static_cast<DeviceStream*>(answered->device));
        }
    }
}

// However long the list, each folder's corvinet.ini is read once: read again for every key, a
// list of a thousand entries took seconds and one of twenty thousand minutes.
TEST_F(DeviceLoaderTest, EachIniFileIsReadOnceForTheWholeList) {
    char second[] = "/tmp/corvinet-devices-none-XXXXXX";
    ASSERT_NE(mkdtemp(second), nullptr);
    folders.push_back(second);
    plugIn(TEST_DEVICE, "QKTCP32.QKP");
    constexpr int kMissing = 1000;
    std::string list;
    for (int n = 0; n < kMissing; ++n)
        list += "Device" + std::to_string(n) + "=missing" + std::to_string(n) + "\n";
    ini(list + "Device" + std::to_string(kMissing) + "=QKTCP\nDevice" +
        std::to_string(kMissing + 1) + "=end\n");
    std::map<std::string, int> reads;
    const Names names = loaded([&](const std::string& path) {
        ++reads[path];
        return readIniText(path);
    });
    fs::remove_all(second);
    EXPECT_EQ(names, Names{"QKTCP32.QKP"});
    const std::map<std::string, int> once = {{folder + "/corvinet.ini", 1},
                                             {std::string(second) + "/corvinet.ini", 1}};
    EXPECT_EQ(reads, once);
}

TEST_F(DeviceLoaderTest, EndingTheEnvironmentEndsEachDevice) {
    plugIn(TEST_DEVICE, "QKMAP32.QKP");
    plugIn(TEST_DEVICE, "QKTCP32.QKP");
    ASSERT_EQ(loaded().size(), 2u);
    void* module = env->devices->module;
    auto deinits = reinterpret_cast<int (*)()>(dlsym(module, "testDeviceDeinits"));
    ASSERT_NE(deinits, nullptr);
    int before = deinits();
    endDevices(env);
    EXPECT_EQ(deinits(), before + 1);
    EXPECT_EQ(env->devices, nullptr);
}

} // namespace
} // namespace corvinet
