// The plug-ins as the library finds them: from the built-in list beside the program, and from
// the ini file's device list.

#include "DeviceLoader.h"
#include "Environment.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace devices {
namespace {

namespace fs = std::filesystem;

class DeviceLoading : public ::testing::Test {
protected:
    void SetUp() override {
        QKNewParameters(m_block, 7, 6);
        QKSetDeviceParameter(m_block, ""); // the test loads the list itself
        env = QKBegin(m_block);
        ASSERT_NE(env, nullptr);
    }
    void TearDown() override { QKEnd(env); }

    std::vector<std::string> deviceNames() {
        std::vector<std::string> names;
        for (corvinet::DeviceEntry* entry = env->devices; entry; entry = entry->next) {
            // A listening stream tells its device's name through world information item 3.
            static const char block[] = "\0"
                                        "2\0\0\0\0"
                                        "1";
            DeviceStream* stream = nullptr;
            if (entry->main(entry->device, DEVICE_MAKE, const_cast<char*>(block), &stream) != 0)
                continue;
            char name[16] = {};
            int32_t size = sizeof name;
            entry->main(stream, WORLD_INFO + 3, name, &size);
            names.push_back(name);
            entry->main(stream, DEVICE_CLOSE, nullptr, nullptr);
        }
        return names;
    }

    QKENV env = nullptr;

private:
    QKParameters m_block{};
};

TEST_F(DeviceLoading, TheBuiltInListLoadsSharedMemoryThenTcp) {
    corvinet::loadDevices(env, corvinet::deviceSearchFolders());
    EXPECT_EQ(deviceNames(), (std::vector<std::string>{"FileMap", "TCP"}));
}

TEST_F(DeviceLoading, TheIniFileCanNameOnlyTcp) {
    fs::path folder = fs::temp_directory_path() / ("devices-ini-" + std::to_string(getpid()));
    fs::create_directories(folder);
    std::string plugins = corvinet::deviceSearchFolders().front();
    {
        std::ofstream ini(folder / "corvinet.ini");
        ini << "[CorvinetDevices]\nDevice0=" << plugins << "/QKTCP32.QKP\nDevice1=end\n";
    }
    std::vector<std::string> folders = {folder.string()};
    corvinet::loadDevices(env, folders);
    EXPECT_EQ(deviceNames(), (std::vector<std::string>{"TCP"}));
    // A shared-memory open finds no device that serves it.
    static const char block[] = "FileMap\0"
                                "2\0\0\0\0"
                                "0";
    EXPECT_EQ(corvinet::makeDeviceStream(env, block).error, QKERR_NO_PROTOCOL);
    fs::remove_all(folder);
}

} // namespace
} // namespace devices
