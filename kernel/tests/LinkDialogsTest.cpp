// The link library's dialogs on the session's environment: the host's windows on the GUI
// thread, cancelled at once on any other, never the library's terminal prompt.

#include "kernel/LinkDialogs.h"

#include "FakeHost.h"
#include "TerminalInput.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <string>
#include <vector>

namespace kerneltest {
namespace {

TEST(LinkDialogs, TheLibrarysQuestionsReachTheHostOnlyOnItsThread) {
    QKENV env = QKInitialize(nullptr);
    ASSERT_NE(env, nullptr);
    FakeHost host;
    host.textAnswer = "chosen";
    host.confirmAnswer = true;
    kernel::InstallLinkDialogs(env, host);

    EXPECT_EQ(QKAlert(env, "Link created on: 5@here\n"), 1);
    EXPECT_EQ(host.messages, std::vector<std::string>{"Link created on: 5@here\n"});
    EXPECT_EQ(QKConfirm(env, "Sure?", 0), 1);
    char words[32] = "name@host"; // the proposal the request for link words makes
    EXPECT_EQ(QKRequest(env, "Connect to link: ", words, sizeof words), 1);
    EXPECT_STREQ(words, "chosen");
    char path[270] = "";
    EXPECT_EQ(QKRequest(env, QK_LAUNCH_CHOOSER_PROMPT, path, sizeof path), 1);
    EXPECT_STREQ(path, "chosen");
    const std::vector<std::string> asked{"confirm: Sure?", "ask: Connect to link: name@host",
                                         "choose: " QK_LAUNCH_CHOOSER_PROMPT};
    EXPECT_EQ(host.linkQuestions, asked);

    {
        // A start-up's thread, with the editor started from a terminal.
        TerminalInput terminal;
        ASSERT_TRUE(terminal.IsReady());
        auto answers = std::async(std::launch::async, [env] {
            char answer[270] = "";
            return std::vector<int32_t>{
                QKAlert(env, "Link created on: 5@here\n"), QKConfirm(env, "Sure?", 1),
                QKRequest(env, "Create link: ", answer, sizeof answer),
                QKRequest(env, QK_LAUNCH_CHOOSER_PROMPT, answer, sizeof answer)};
        });
        const bool answered =
            answers.wait_for(std::chrono::seconds(20)) == std::future_status::ready;
        if (!answered) {
            for (int line = 0; line < 4; ++line)
                terminal.Answer();
        }
        ASSERT_TRUE(answered) << "a dialog waited for the terminal";
        EXPECT_EQ(answers.get(), (std::vector<int32_t>{0, 0, 0, 0}));
    }
    EXPECT_EQ(host.linkQuestions, asked);
    EXPECT_EQ(host.messages.size(), 1u);

    // Taken off, the host hears nothing more.
    kernel::RemoveLinkDialogs(env, host);
    QKConfirm(env, "Sure?", 0);
    EXPECT_EQ(host.linkQuestions, asked);
    QKDeinitialize(env);
}

} // namespace
} // namespace kerneltest
