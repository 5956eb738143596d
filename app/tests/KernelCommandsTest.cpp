// The kernel commands follow the session's state; exit quits a running kernel and says so only
// for a calculation-server kernel.

#include "app/CommandIds.h"
#include "app/tests/ShellFixture.h"

using namespace shelltest;

namespace {

struct SessionRow {
    const char* name;
    bool canStart, starting, connected, busy;
    // Start, Quit, Connection Options, Calculation Options, Term Ordering
    bool start, quit, connection, calculation, ordering;
};

const SessionRow kRows[] = {
    {"no kernel", true, false, false, false, true, false, true, false, false},
    {"starting", true, true, false, false, false, false, false, false, false},
    {"connected and idle", true, false, true, false, false, true, false, true, true},
    {"connected and busy", true, false, true, true, false, false, false, false, false},
    {"no kernel subsystem", false, false, false, false, false, false, false, false, false},
};

class KernelCommandsTest : public ShellTest {};

TEST_F(KernelCommandsTest, EnablingFollowsTheSession) {
    for (const SessionRow& row : kRows) {
        SCOPED_TRACE(row.name);
        session->canStart = row.canStart;
        session->starting = row.starting;
        session->connected = row.connected;
        session->busy = row.busy;
        EXPECT_EQ(State(cmd::kStartKernel).enabled, row.start);
        EXPECT_EQ(State(cmd::kQuitKernel).enabled, row.quit);
        EXPECT_EQ(State(cmd::kConnectionOptions).enabled, row.connection);
        EXPECT_EQ(State(cmd::kCalculationOptions).enabled, row.calculation);
        EXPECT_EQ(State(cmd::kTermOrdering).enabled, row.ordering);
    }
}

TEST_F(KernelCommandsTest, CommandsReachTheSession) {
    Router().Run(cmd::kStartKernel);
    Router().Run(cmd::kConnectionOptions);
    session->connected = true;
    Router().Run(cmd::kCalculationOptions);
    Router().Run(cmd::kTermOrdering);
    Router().Run(cmd::kQuitKernel);
    Router().Run(cmd::kStartKernel); // no longer connected: starts again
    EXPECT_EQ(session->calls,
              (std::vector<std::string>{"Start", "ConnectionOptions", "CalculationOptions",
                                        "TermOrdering", "Quit(1)", "Start"}));
}

struct ExitRow {
    const char* name;
    bool connected, remote;
    std::vector<std::string> calls;
    size_t messages;
};

TEST(KernelExitTest, ExitQuitsARunningKernelAndReportsAServerOne) {
    const ExitRow rows[] = {
        {"no kernel", false, false, {}, 0},
        {"local kernel", true, false, {"Quit(0)"}, 0},
        {"calculation-server kernel", true, true, {"Quit(0)"}, 1},
    };
    for (const ExitRow& row : rows) {
        SCOPED_TRACE(row.name);
        auto fake = std::make_unique<FakeSession>();
        FakeSession* session = fake.get();
        TessaryApp app(std::move(fake));
        std::vector<QString> messages;
        app.SetMessageSink([&](const QString& text) { messages.push_back(text); });
        ASSERT_TRUE(app.InitInstance({}));
        session->connected = row.connected;
        session->remote = row.remote;
        const std::shared_ptr<std::vector<std::string>> calls = session->log;
        EXPECT_EQ(TessaryApp::Instance(), &app);
        app.ExitInstance();
        EXPECT_EQ(TessaryApp::Instance(), nullptr);
        EXPECT_EQ(*calls, row.calls);
        ASSERT_EQ(messages.size(), row.messages);
        if (row.messages == 1) {
            EXPECT_EQ(messages[0],
                      QStringLiteral("Your connection to the calculation server has been closed "
                                     "for you automatically.\nRemember to quit the kernel before "
                                     "exiting the Tessary application."));
        }
    }
}

} // namespace
