#pragma once

// The stand-in calculation server on loopback, with one account, a scripted behaviour and a
// clock the test moves on.

#include "CalcServer.h"
#include "Script.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

namespace kerneltest {

class CalcServerFixture {
public:
    // `kernel` is the command that starts a kernel ("{port}" becomes its port).
    CalcServerFixture(std::vector<std::string> kernel, const std::string& script,
                      int minutes = 30) {
        char folder[] = "/tmp/kernel-server-XXXXXX";
        if (::mkdtemp(folder)) m_folder = folder;
        accounts = m_folder + "/accounts";
        std::ofstream(accounts) << "ann secret " << minutes << "\n";
        standin::calc::ServerConfig config;
        config.loginPort = 0;
        config.accountsPath = accounts;
        config.kernelCommand = std::move(kernel);
        config.script = standin::Script::parse(script);
        config.ioTimeoutMilliseconds = 2000;
        config.now = [this] { return seconds.load(); };
        server = std::make_unique<standin::calc::CalcServer>(config);
        std::string error;
        started = server->start(&error);
        EXPECT_TRUE(started) << error;
    }
    ~CalcServerFixture() {
        server.reset();
        std::remove(accounts.c_str());
        ::rmdir(m_folder.c_str());
    }
    // The account's minutes as the server last wrote them.
    int AccountMinutes() const {
        std::ifstream file(accounts);
        for (std::string line; std::getline(file, line);) {
            if (line.empty() || line[0] == '#') continue;
            std::istringstream words(line);
            std::string user, password;
            int minutes = -1;
            words >> user >> password >> minutes;
            return minutes;
        }
        return -1;
    }

    std::atomic<long long> seconds{1'000'000'020};
    std::string accounts;
    std::unique_ptr<standin::calc::CalcServer> server;
    bool started = false;

private:
    std::string m_folder;
};

} // namespace kerneltest
