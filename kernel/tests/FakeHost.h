#pragma once

// A recording SessionHost. The test's own thread plays the GUI thread: posted work waits in a
// queue until the test pumps it, or until the session waits for the kernel and serves events.

#include "kernel/SessionHost.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace kerneltest {

class FakeHost : public kernel::SessionHost {
public:
    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    void SetWaitCursor(bool on) override {
        waitCursor += on ? 1 : -1;
        cursorHistory += on ? '+' : '-';
    }
    void SetStatusText(const std::string& text) override { statusTexts.push_back(text); }

    void OpenProgress(const std::string& text, std::function<void()> cancel) override {
        progressOpen = true;
        progressTexts.push_back(text);
        m_cancel = std::move(cancel);
    }
    void SetProgressText(const std::string& text) override { progressTexts.push_back(text); }
    void CloseProgress() override { progressOpen = false; }
    // The person presses Cancel: the window goes, then the session hears of it.
    void PressCancel() {
        progressOpen = false;
        if (m_cancel) m_cancel();
    }
    void ShowServerMessage(const std::string& text, const std::string& site,
                           const std::string& caption) override {
        serverMessages.push_back(text + "|" + site + "|" + caption);
    }

    void OpenConstantsPalette() override { paletteOpen = true; }
    void CloseConstantsPalette() override { paletteOpen = false; }
    bool IsConstantsPaletteOpen() const override { return paletteOpen; }
    void SetConstantCheck(char letter, bool checked) override {
        constantChecks.push_back(std::string(1, letter) + (checked ? "+" : "-"));
    }

    NodePtr AnswerKernelRequest(int32_t number, NodePtr argument) override {
        kernelRequests.push_back(number);
        return onKernelRequest ? onKernelRequest(number, std::move(argument)) : nullptr;
    }

    // The link library's questions: each is recorded as "kind: text"; the answers are set.
    bool Confirm(const std::string& text) override {
        linkQuestions.push_back("confirm: " + text);
        return confirmAnswer;
    }
    bool AskText(const std::string& prompt, std::string& answer) override {
        linkQuestions.push_back("ask: " + prompt + answer);
        if (!textAnswer) return false;
        answer = *textAnswer;
        return true;
    }
    bool ChooseProgram(const std::string& title, std::string& path) override {
        linkQuestions.push_back("choose: " + title);
        if (!textAnswer) return false;
        path = *textAnswer;
        return true;
    }

    void ProcessEvents(int milliseconds) override {
        ++eventRounds;
        if (onEvents) onEvents();
        Pump();
        if (milliseconds > 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }

    void Post(std::function<void()> work) override {
        std::lock_guard lock(m_mutex);
        m_queue.push_back(std::move(work));
        m_posted.notify_all();
    }
    // Runs the posted work; the number of items run.
    int Pump() {
        int ran = 0;
        for (;;) {
            std::function<void()> work;
            {
                std::lock_guard lock(m_mutex);
                if (m_queue.empty()) return ran;
                work = std::move(m_queue.front());
                m_queue.pop_front();
            }
            work();
            ++ran;
        }
    }
    // Pumps until `done` holds or `seconds` pass; the final answer of `done`.
    bool PumpUntil(const std::function<bool()>& done, int seconds = 30) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
        while (!done()) {
            if (std::chrono::steady_clock::now() > deadline) return false;
            Pump();
            std::unique_lock lock(m_mutex);
            m_posted.wait_for(lock, std::chrono::milliseconds(20),
                              [this] { return !m_queue.empty(); });
        }
        return true;
    }

    std::vector<std::string> messages;
    std::vector<std::string> statusTexts;
    std::vector<std::string> progressTexts;
    std::vector<std::string> serverMessages;
    std::vector<int32_t> kernelRequests;
    std::vector<std::string> linkQuestions;
    bool confirmAnswer = false;
    std::optional<std::string> textAnswer; // none: cancel
    std::function<NodePtr(int32_t, NodePtr)> onKernelRequest;
    std::function<void()> onEvents;
    int waitCursor = 0;
    std::string cursorHistory; // '+' on, '-' off
    int eventRounds = 0;
    bool progressOpen = false;
    bool paletteOpen = false;
    std::vector<std::string> constantChecks; // "a+" checked, "a-" cleared

private:
    std::function<void()> m_cancel;
    std::mutex m_mutex;
    std::condition_variable m_posted;
    std::deque<std::function<void()>> m_queue;
};

} // namespace kerneltest
