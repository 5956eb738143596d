#pragma once

// The one session with the kernel: it owns the link environment and the link, sends one
// request at a time in the kernel package protocol, runs the packet loop that waits for the
// answer while answering the kernel's questions to the user, turns link errors into messages,
// starts a kernel (through `KernelStartup`) and quits it.
//
// Threads: every member function runs on the GUI thread. The start-up and the server
// connection work on threads of their own and reach the session only by posting work to the
// GUI thread through the host; posted work that finds the session gone does nothing.
//
// While a request waits for its answer the link's yield function serves pending GUI events
// through the host, so that repainting, Escape (`Interrupt`, sent from inside the wait) and
// the palette keep working. Whatever runs then and needs the kernel finds the session busy:
// the busy flag is the one guard against a second request. Once the person has aborted the
// request (or cancelled the start-up it belongs to), the kernel has a few seconds to answer;
// a kernel that has not (one that computes on, or stopped in the middle of a message) is
// ended, so that the person keeps control whatever the kernel does.
//
// It is also what the infix lexer and the expression holder ask of a session: it installs
// itself in `gExprSession` for its whole lifetime, so the holder's ordering request reaches
// the kernel. Sessions therefore end in the reverse order of their making. Likewise it installs
// what its preferences and term ordering decide about the display of answers (`gExprSettings`:
// the digits of reals, the constants-to-back flag, the default and transform variables) and
// keeps it current as they change.

#include "document/KernelSession.h"
#include "document/Str255.h"
#include "expr/ExprNode.h"
#include "expr/ExprSettings.h"
#include "kernel/ConnectionSettings.h"
#include "kernel/SessionHost.h"
#include "kernel/SessionPrefs.h"
#include "mathbox/parser/ExprServices.h"
#include "platform/Installed.h"

#include <sys/types.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace kernel {

class KernelStartup;
class ServerConnection;

// One element of a record-list answer: what a calculation or drag offers.
struct CandidateRecord {
    int32_t value = 0;
    Str255 text;
    int32_t second = 0;
};
using CandidateRecords = std::array<CandidateRecord, 16>;

class KernelSession : public ::KernelSession, public ExprSession {
public:
    static constexpr const char* kPackageContext = "TYCompute`";
    static constexpr const char* kLinkErrorPrefix = "Corvinet returned an error message:";
    static constexpr const char* kKernelErrorPrefix = "Oskaria returned an error: ";
    static constexpr const char* kNoTextMessage = "General Corvinet error.";
    static constexpr const char* kQuitMessage =
        "The connection to the kernel is now closed.\nYou have %d minutes left on your account.";
    static constexpr const char* kStoppedKernelEnded =
        "The Oskaria kernel did not answer after it was stopped, so it has been shut down.\n"
        "Choose Start Kernel to start it again.";
    static constexpr int32_t kInterruptCode = 3;

    explicit KernelSession(SessionHost& host);
    // Quits a connected kernel (with its message), cancels and waits for a start-up in
    // progress, and ends the server connection.
    ~KernelSession() override;
    KernelSession(const KernelSession&) = delete;
    KernelSession& operator=(const KernelSession&) = delete;

    // The document's questions.
    bool IsConnected() const override { return m_link != nullptr && !m_starting; }
    bool IsBusy() const override { return m_link != nullptr && m_busy; }
    void ShowMessage(const char* text) override { m_host.ShowMessage(text); }

    // Starts a local kernel or logs into the calculation server, as the connection settings
    // say. Does nothing while a start-up runs or a kernel is connected.
    bool CanStart() const override { return true; }
    void Start() override { Start(m_settings); }
    void Start(const ConnectionSettings& settings);
    void SetConnectionSettings(const ConnectionSettings& settings) { m_settings = settings; }
    const ConnectionSettings& Settings() const { return m_settings; }
    bool IsStarting() const override { return m_starting; }
    // Quits the kernel and closes the link; waits a bounded time for the kernel to confirm.
    void Quit(bool showMessage) override;
    // Asks the running calculation to stop (Escape while busy). The person is told it was
    // aborted, so the request answers as cancelled even when the kernel ignores the interrupt
    // and answers after all: that late answer is read, keeping the link in step, and dropped.
    // A kernel that has not answered a few seconds after the first Escape is ended.
    void Interrupt() override;
    // The kernel's link runs through the calculation server.
    bool IsRemote() const override { return m_link != nullptr && m_remote; }

    // Reads, shows and clears the link's error; tears the link down when the kernel went away.
    void HandleLinkError();
    // Waits for the "ReturnPacket"; false after a link failure (already handled).
    bool RunPacketLoop(bool showKernelMessages);
    // The answer of the current request as a tree (an error tree when it could not be read,
    // "$Canceled" when the request was interrupted).
    NodePtr ReadResult();
    static NodePtr ErrorResult();
    // The answer as a record list; the number of records filled (at least 1).
    int32_t ReadRecordList(CandidateRecords& records);
    // The answer as program text; "Error" when it could not be read.
    std::string ReadStringResult();

    // The kernel package protocol. Requests that cannot be sent (no kernel, or busy) answer
    // an error tree, a single empty record, "Error" or nothing.
    NodePtr StringEvaluate(const ExprNode& node);
    NodePtr ComputePlot(const ExprNode& node);
    void SetSessionPrefs();
    void SetSessionPrefsWithOrdering();
    NodePtr Shuffle(int16_t mode, const ExprNode& node);
    NodePtr Drop(int16_t mode, const ExprNode& node, const ExprNode& target);
    int32_t EvaluateShuffle(const ExprNode& node, CandidateRecords& records);
    int32_t EvaluateDrop(const ExprNode& node, const ExprNode& target, CandidateRecords& records);
    NodePtr Evaluate(int16_t kind, const ExprNode& node);
    int32_t EvaluateEval(const ExprNode& node, CandidateRecords& records);
    NodePtr Simplify(const ExprNode& node);
    void SetSortPriorities(NodePtr list, bool constantsToBack);
    NodePtr GetSortPriorities(bool defaults);
    void SetConstant(char letter, bool declare) override;
    NodePtr NextPriority(const ExprNode& list) override;
    std::string ToStandardFormText(const ExprNode& node);

    const SessionPrefs& Prefs() const { return m_prefs; }
    // Replaces the preferences (sending nothing); answers show as they say from now on.
    void SetPrefs(const SessionPrefs& prefs);
    SessionHost& Host() const { return m_host; }
    // The term ordering kept in the profile, sent with the preferences once a kernel is
    // connected; null when none is saved.
    void SetSavedOrdering(NodePtr ordering, bool constantsToBack);

    bool ConstantsToBack() const { return m_constantsToBack; }
    void SetConstantsToBack(bool on);
    // The lexer's restricted mode; the calculation server offers no restricted account.
    bool IsServerRestricted() const override { return false; }
    // The host whose message box shows the lexer's refusals (the active document's); null,
    // the default, shows none. The caller keeps it alive while it is set.
    DocumentHost* MessageHost() const override { return m_messageHost; }
    void SetMessageHost(DocumentHost* host) { m_messageHost = host; }
    // Runs a conversion of math into a tree, with the lexer's refusals shown by `messages`
    // meanwhile; null when nothing came out or the text did not parse.
    NodePtr Parse(DocumentHost& messages, const std::function<ExprNode*()>& convert);
    int32_t LastError() const { return m_lastError; }

    // Takes over a connected link as the session's kernel, as a finished start-up does (tests
    // hand it one end of an in-process pipe). Refused (the link is closed) while a kernel is
    // connected or starting.
    void AttachLink(QKLINK link);
    QKLINK Link() const { return m_link; }
    // The launched kernel's process; 0 for a remote kernel or when unknown.
    pid_t KernelProcess() const { return m_kernelPid; }
    // How long Quit waits for the kernel to confirm.
    void SetQuitDrainMilliseconds(int milliseconds) {
        m_settings.quitDrainMilliseconds = milliseconds;
    }

private:
    friend class KernelStartup;
    // Busy and the wait cursor for the length of one request, cleared on every way out.
    class RequestScope {
    public:
        RequestScope(KernelSession& session, bool waitCursor);
        ~RequestScope();
        RequestScope(const RequestScope&) = delete;
        RequestScope& operator=(const RequestScope&) = delete;

    private:
        KernelSession& m_session;
        bool m_waitCursor;
    };
    struct Token {};

    // Runs `work` on the GUI thread later, unless the session is gone by then.
    void PostToSelf(std::function<void()> work);
    void Adopt(QKLINK link);
    // The link environment, with the session's dialogs on it while the session holds it.
    void MakeEnvironment();
    void EndEnvironment();
    // The start-up thread ended; adopts its link or reports its failure.
    void FinishStartup();
    // Connected: loads the package and sends the preferences. False when the kernel failed.
    bool CompleteStartup();
    void AbortStartup(const std::string& message);
    // The server ended the kernel: quits now, or after the request in progress.
    void QuitFromServer();
    void TearDownLink();
    void EndServerConnection();
    // A new packet after an answer or a cleared error; tears down when that fails.
    void NextPacketOrTearDown();
    // Opens a request: false (sending nothing) without a link or while busy.
    bool CanSend() const { return m_link != nullptr && !m_busy; }
    void PutRequestHead(const char* head, int32_t count);
    void PutSymbol(const char* name);
    void EndRequest();
    // False (after handling any error) when the answer packet holds no expression.
    bool AnswerHasExpression();
    NodePtr ReadAnswerTree();
    void ReadAndDropAnswer();
    // The common frame of a request: sends nothing without a link or while busy.
    NodePtr TreeRequest(const char* head, int32_t count, bool waitCursor,
                        const std::function<void()>& arguments);
    // Not sent either for a node the kernel cannot take on its own (`evaluable` false).
    int32_t RecordRequest(const char* head, int32_t count, bool evaluable,
                          const std::function<void()>& arguments, CandidateRecords& records);
    void PreferenceRequest(int32_t count, const std::function<void()>& last);
    void ShowKernelMessage();
    void AnswerCall();
    // The person stopped the request in progress: the kernel's answer is awaited only a few
    // seconds more (the first stop counts).
    void AwaitStoppedAnswer();
    // No stopped request awaits an answer any more.
    void ForgetStop();
    // Closes the link of a kernel that did not answer in time, ends the process it runs in
    // when the session launched it, and says so.
    void EndStoppedKernel();
    static int32_t Yield(QKLINK link, QKYieldParameters parameters);
    int32_t OnYield();
    void InstallYield(QKLINK link);
    void UpdateDisplaySettings();

    SessionHost& m_host;
    SessionPrefs m_prefs;
    QKLINK m_link = nullptr;
    QKENV m_env = nullptr;
    QKYieldFunctionObject m_yielder = nullptr;
    int32_t m_lastError = 0;
    std::atomic<bool> m_starting{false};
    std::atomic<bool> m_busy{false};
    std::unique_ptr<ServerConnection> m_server;
    std::unique_ptr<KernelStartup> m_startup;
    bool m_constantsToBack = true;
    bool m_remote = true;
    bool m_quitPending = false;
    bool m_interrupted = false; // the request in progress was interrupted
    bool m_progressOpen = false;
    long long m_drainDeadline = 0; // steady milliseconds; 0 while not quitting
    long long m_stopDeadline = 0;  // steady milliseconds; 0 until the person stops a request
    bool m_stopOverdue = false;    // the stopped kernel's time ran out in a wait
    bool m_endedStopped = false;   // since the last Start, a stopped kernel was ended
    pid_t m_kernelPid = 0;         // the launched kernel, 0 when unknown or remote
    ConnectionSettings m_settings;
    NodePtr m_savedOrdering;
    bool m_savedConstantsToBack = true;
    std::shared_ptr<Token> m_token = std::make_shared<Token>();
    DocumentHost* m_messageHost = nullptr;
    ExprSettings m_display;
    // Last, so the session is still whole while it is installed.
    Installed<const ExprSettings> m_displayInstalled{gExprSettings, &m_display};
    Installed<ExprSession> m_installed{gExprSession, this};
};

} // namespace kernel
