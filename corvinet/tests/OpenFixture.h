#pragma once

// The fixture of the opening tests: an environment whose device list holds the socket test device
// (from the corvinet.ini of the launch folder), whose dialogs the test answers, and the
// open-argument blocks that the device was offered.

#include "DeviceLoader.h"
#include "Environment.h"
#include "Launch.h"
#include "Link.h"
#include "TestEnvironment.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace corvinet {
namespace {

// Every dialog the library shows in a test is answered here, never on a terminal.
struct Dialogs {
    std::vector<std::string> alerts;
    std::vector<std::string> requestAnswers; // answered in order; none left: cancel
    int32_t interact = 1;
};
Dialogs* dialogs = nullptr;

int32_t recordAlert(QKENV, const char* text) {
    dialogs->alerts.emplace_back(text);
    return 1;
}
int32_t answerRequest(QKENV, const char*, char* response, int32_t size) {
    if (dialogs->requestAnswers.empty()) return 0;
    std::string answer = dialogs->requestAnswers.front();
    dialogs->requestAnswers.erase(dialogs->requestAnswers.begin());
    snprintf(response, static_cast<std::size_t>(size), "%s", answer.c_str());
    return 1;
}
int32_t answerInteract(QKENV, int32_t) {
    return dialogs->interact;
}

class OpenFixture : public ::testing::Test {
protected:
    void SetUp() override {
        dialogs = &m_dialogs;
        env = testing::beginWithoutDevices(block);
        ASSERT_NE(env, nullptr);
        std::vector<std::string> folders{LAUNCH_FOLDER};
        loadDevices(env, folders);
        ASSERT_NE(env->devices, nullptr);
        QKSetDialogFunction(env, 1, reinterpret_cast<QKProc>(&recordAlert));
        QKSetDialogFunction(env, 2, reinterpret_cast<QKProc>(&answerRequest));
        QKSetDialogFunction(env, 5, reinterpret_cast<QKProc>(&answerInteract));
        device = dlopen(SOCKET_DEVICE, RTLD_NOW | RTLD_NOLOAD);
        ASSERT_NE(device, nullptr);
        forget();
    }
    void TearDown() override {
        if (device) dlclose(device);
        QKEnd(env);
        dialogs = nullptr;
    }
    // The open-argument blocks offered to the device since forget(), one a line.
    std::string blocks() {
        auto get = reinterpret_cast<const char* (*)()>(dlsym(device, "testDeviceLastBlock"));
        return get();
    }
    // The first of them, without its newline.
    std::string lastBlock() {
        std::string all = blocks();
        return all.substr(0, all.find('\n'));
    }
    void forget() { reinterpret_cast<void (*)()>(dlsym(device, "testDeviceForget"))(); }

    QKParameters block;
    QKENV env = nullptr;
    void* device = nullptr;
    Dialogs m_dialogs;
};

} // namespace
} // namespace corvinet
