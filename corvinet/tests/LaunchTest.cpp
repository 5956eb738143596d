// Launching a program that connects back: its command and arguments, what it inherits, a program
// that ends before connecting, and a program that cannot be found.

#include "OpenFixture.h"

namespace corvinet {
namespace {

class LaunchTest : public OpenFixture {};

TEST(LaunchCommand, SplitsAtBlanksAndTabsOutsideDoubleQuotes) {
    struct Case {
        const char* command;
        std::vector<std::string> words;
    };
    const Case cases[] = {
        {"prog -a b", {"prog", "-a", "b"}},
        {"\"/opt/my kernel/run\" -x", {"/opt/my kernel/run", "-x"}},
        {"a\t\tb  ", {"a", "b"}},
        {"x \"\" y", {"x", "", "y"}},
        {"pre\"fix suf\"fix", {"prefix suffix"}},
        {"'single quotes' stay", {"'single", "quotes'", "stay"}},
        {"", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        EXPECT_EQ(splitCommand(c.command), c.words);
    }
    EXPECT_EQ(programOfCommand("\"/opt/my kernel/run\" -x"), "/opt/my kernel/run");
}

TEST(LaunchCommand, ABareNameIsLookedUpBesideTheProgramThenHereThenOnPath) {
    char folder[] = "/tmp/corvinet-here-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    char previous[4096];
    ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
    ASSERT_EQ(chdir(folder), 0);
    auto makeExecutable = [](const std::string& name, mode_t mode) {
        std::ofstream(name) << "#!/bin/sh\n";
        chmod(name.c_str(), mode);
    };
    char exe[4096];
    ssize_t length = readlink("/proc/self/exe", exe, sizeof exe - 1);
    ASSERT_GT(length, 0);
    std::string ownPath(exe, static_cast<std::size_t>(length));
    std::string ownName = ownPath.substr(ownPath.rfind('/') + 1);
    makeExecutable(ownName, 0755);     // the program's own folder comes first
    makeExecutable("only-here", 0755); // then the current folder
    makeExecutable("not-executable", 0644);
    EXPECT_EQ(findProgram(ownName), ownPath);
    EXPECT_EQ(findProgram("only-here"), "./only-here");
    EXPECT_EQ(findProgram("not-executable"), "");
    EXPECT_EQ(findProgram("sh").empty(), false); // from PATH
    EXPECT_EQ(findProgram("/nonexistent/sh"), "");
    EXPECT_EQ(findProgram(std::string(folder)), ""); // a folder is no program
    for (const char* name : {ownName.c_str(), "only-here", "not-executable"})
        unlink(name);
    ASSERT_EQ(chdir(previous), 0);
    rmdir(folder);
}

bool noChildren() {
    return waitpid(-1, nullptr, WNOHANG) == -1 && errno == ECHILD;
}

std::set<int> openDescriptors() {
    std::set<int> open;
    for (int fd = 0; fd < 1024; ++fd)
        if (fcntl(fd, F_GETFD) != -1) open.insert(fd);
    return open;
}

TEST_F(LaunchTest, ALaunchedProgramConnectsBackWithTheOptionsItWasGiven) {
    std::set<int> before = openDescriptors();
    char record[] = "/tmp/corvinet-launch-XXXXXX";
    int fd = mkstemp(record);
    ASSERT_GE(fd, 0);
    close(fd);
    std::string options = std::string("-linklaunch -linkprotocol test -linkname '\"") +
                          LAUNCHED_PROGRAM + "\" record " + record + "'";
    int32_t error = -7;
    QKLINK link = QKOpenString(env, options.c_str(), &error);
    ASSERT_NE(link, nullptr) << error;
    // What the library and the device opened for this link (the listening socket, the watch on
    // the child) is close-on-exec, so the program inherited none of it.
    std::set<int> ours;
    for (int fd : openDescriptors())
        if (!before.count(fd)) ours.insert(fd);
    EXPECT_FALSE(ours.empty());
    EXPECT_STREQ(QKName(link), LAUNCHED_PROGRAM);
    ASSERT_TRUE(QKConnect(link)) << QKError(link);
    std::ifstream inheritedFile(std::string(record) + ".fds");
    std::set<int> inherited;
    for (int fd; inheritedFile >> fd;)
        inherited.insert(fd);
    EXPECT_FALSE(inherited.empty()); // at least standard input, output and error
    for (int fd : ours)
        EXPECT_FALSE(inherited.count(fd)) << "descriptor " << fd << " leaked into the program";
    int32_t value = 0;
    EXPECT_TRUE(QKGetInteger(link, &value));
    EXPECT_EQ(value, 42);

    std::ifstream in(record);
    std::vector<std::string> argv;
    for (std::string line; std::getline(in, line);)
        argv.push_back(line);
    ASSERT_EQ(argv.size(), 10u);
    EXPECT_EQ(argv[0], LAUNCHED_PROGRAM);
    EXPECT_EQ(std::vector<std::string>(argv.begin() + 1, argv.end() - 1),
              (std::vector<std::string>{"record", record, "-corvinet", "-linkprotocol", "test",
                                        "-linkmode", "connect", "-linkname"}));
    EXPECT_TRUE(argv[9].starts_with("/tmp/corvinet-socket-"));
    // A duplicate keeps the watch on the program when the original closes: the device's yield
    // record still lets its waits go on, and is handed the duplicate.
    QKLINK duplicate = QKDuplicateLink(link, nullptr, &error);
    ASSERT_NE(duplicate, nullptr) << error;
    QKClose(link);
    DeviceLink& device = *duplicate->device;
    QKCallbackRecord* yield = nullptr;
    void* data = nullptr;
    ASSERT_EQ(device.device(device.deviceStream, DEVICE_GETYIELD, &yield, &data), 0);
    EXPECT_EQ(data, duplicate);
    QKYieldParametersRecord round{1, 5, 0, QKYIELD_READING};
    EXPECT_EQ(qkCallbackYield(yield, duplicate, &round), 0);
    QKClose(duplicate);
    unlink(record);
    unlink((std::string(record) + ".fds").c_str());
    // The program ends once its link closes; the library reaps it.
    for (int i = 0; i < 2000 && !noChildren(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_TRUE(noChildren());
}

TEST_F(LaunchTest, AProgramThatEndsBeforeConnectingFailsTheConnect) {
    std::string options =
        std::string("-linklaunch -linkprotocol test -linkname '\"") + LAUNCHED_PROGRAM + "\" exit'";
    int32_t error = -7;
    QKLINK link = QKOpenString(env, options.c_str(), &error);
    ASSERT_NE(link, nullptr) << error;
    EXPECT_FALSE(QKConnect(link));
    EXPECT_EQ(QKError(link), QKERR_LINK_DIED);
    QKClose(link);
    EXPECT_TRUE(noChildren());
}

TEST_F(LaunchTest, AMissingProgramIsOfferedTheChooserOnce) {
    struct Case {
        const char* name;
        const char* options;
        std::vector<std::string> answers; // the chooser's
        int32_t error;
    };
    const Case cases[] = {
        {"no browsing", "-linkoptions QKDontBrowse", {}, QKERR_LAUNCH_NOT_FOUND},
        {"chooser cancelled", "", {}, QKERR_LAUNCH_NOT_FOUND},
        {"chooser names no executable", "", {"/nonexistent/other"}, QKERR_LAUNCH_NOT_FOUND},
        {"chosen program cannot start", "", {"/dev/null"}, QKERR_LAUNCH_NOT_FOUND},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        forget();
        m_dialogs.requestAnswers = c.answers;
        std::string options = std::string("-linklaunch -linkprotocol test -linkname "
                                          "/nonexistent/program ") +
                              c.options;
        int32_t error = -7;
        EXPECT_EQ(QKOpenString(env, options.c_str(), &error), nullptr);
        EXPECT_EQ(error, c.error);
        // The devices cannot launch, so the library listens (without announcing it) to launch.
        EXPECT_EQ(blocks(), "test|8|/nonexistent/program|||" +
                                std::to_string(c.options[0] ? 16 : 0) + "|\ntest|2||||256|\n");
    }
    EXPECT_TRUE(noChildren());
}

} // namespace
} // namespace corvinet
