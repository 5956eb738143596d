#include "kernel/KernelSession.h"

#include "corvinet/corvinet.h"
#include "corvinet/qkwire.h"
#include "expr/CompositeNode.h"
#include "expr/LeafNodes.h"
#include "expr/LinkReader.h"
#include "expr/LinkString.h"
#include "kernel/KernelStartup.h"
#include "kernel/LinkDialogs.h"
#include "kernel/ServerConnection.h"
#include "mathbox/parser/ExprParser.h"
#include "platform/Installed.h"

#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>

namespace kernel {

namespace {

// How long one round of a wait serves GUI events.
constexpr int kEventSliceMs = 20;
// Stray expressions in a row after which the link is taken for lost.
constexpr int kMaxSkippedFailures = 8;

long long NowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// Ends a launched kernel that did not quit when asked, but only while it is still our child,
// so that a number the system has since given to another process is left alone.
void EndLaunchedKernel(pid_t pid) {
    if (pid <= 0) return;
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    std::getline(stat, line);
    const std::size_t close = line.rfind(')');
    if (close == std::string::npos) return;
    std::istringstream rest(line.substr(close + 1));
    char state = 0;
    pid_t parent = 0;
    rest >> state >> parent;
    if (parent == ::getpid()) ::kill(pid, SIGKILL);
}

} // namespace

KernelSession::RequestScope::RequestScope(KernelSession& session, bool waitCursor)
    : m_session(session), m_waitCursor(waitCursor) {
    m_session.m_busy = true;
    m_session.m_interrupted = false;
    m_session.ForgetStop();
    if (m_waitCursor) m_session.m_host.SetWaitCursor(true);
}

KernelSession::RequestScope::~RequestScope() {
    // A kernel whose time ran out in a wait that ended without a link error is ended here.
    if (m_session.m_stopOverdue && m_session.m_link) m_session.EndStoppedKernel();
    m_session.ForgetStop();
    m_session.m_busy = false;
    if (m_waitCursor) m_session.m_host.SetWaitCursor(false);
    if (m_session.m_quitPending) {
        KernelSession* session = &m_session;
        m_session.PostToSelf([session] { session->QuitFromServer(); });
    }
}

KernelSession::KernelSession(SessionHost& host) : m_host(host) {
    UpdateDisplaySettings();
}

void KernelSession::SetPrefs(const SessionPrefs& prefs) {
    m_prefs = prefs;
    UpdateDisplaySettings();
}

void KernelSession::SetConstantsToBack(bool on) {
    m_constantsToBack = on;
    UpdateDisplaySettings();
}

void KernelSession::UpdateDisplaySettings() {
    m_display.precision = m_prefs.precision;
    m_display.constantsToBack = m_constantsToBack;
    m_display.defaultVariable = m_prefs.defaultVariable.ToCString();
    m_display.transformVariable = m_prefs.transformVariable.ToCString();
}

KernelSession::~KernelSession() {
    if (m_startup) {
        m_startup->Cancel();
        m_startup->Join();
        if (QKLINK link = m_startup->TakeLink()) QKClose(link);
        m_startup.reset();
        m_starting = false;
    }
    Quit(true);
    m_server.reset(); // logs out if nobody did, and waits for its thread
    EndEnvironment();
    if (m_yielder) QKDestroyYieldFunction(m_yielder);
}

void KernelSession::PostToSelf(std::function<void()> work) {
    m_host.Post([alive = std::weak_ptr<Token>(m_token), work = std::move(work)] {
        if (alive.lock()) work();
    });
}

// ---- Yielding to the GUI ------------------------------------------------------------------------

int32_t KernelSession::Yield(QKLINK link, QKYieldParameters) {
    auto* session = static_cast<KernelSession*>(QKUserData(link, nullptr));
    return session ? session->OnYield() : 0;
}

int32_t KernelSession::OnYield() {
    if (m_drainDeadline != 0 && NowMs() > m_drainDeadline) return 1;
    if (m_stopDeadline != 0 && NowMs() > m_stopDeadline) {
        // The wait fails; the failure's handling ends the kernel.
        m_stopOverdue = true;
        return 1;
    }
    m_host.ProcessEvents(kEventSliceMs);
    return 0;
}

void KernelSession::InstallYield(QKLINK link) {
    if (!m_yielder) m_yielder = QKCreateYieldFunction(m_env, &KernelSession::Yield, nullptr);
    QKSetUserData(link, this, nullptr);
    QKSetYieldFunction(link, m_yielder);
}

// ---- Start and quit -----------------------------------------------------------------------------

void KernelSession::Start(const ConnectionSettings& settings) {
    if (m_starting || m_link) return;
    // The last server connection has been asked to log out; one still doing so is waited for,
    // which its socket timeouts bound.
    m_server.reset();
    m_startup.reset();
    MakeEnvironment();
    if (!m_env) return;
    m_settings = settings;
    m_remote = !settings.useLocalKernel;
    m_endedStopped = false;
    m_host.OpenConstantsPalette();
    m_starting = true;
    m_progressOpen = true;
    m_host.OpenProgress("Starting the kernel...", [this, alive = std::weak_ptr<Token>(m_token)] {
        if (!alive.lock()) return;
        m_progressOpen = false;
        if (m_startup) m_startup->Cancel();
        // Cancelled while the connected kernel loads its package.
        if (m_link && m_busy) AwaitStoppedAnswer();
    });
    KernelStartup::Callbacks callbacks;
    callbacks.status = [this](const std::string& text) {
        PostToSelf([this, text] {
            if (m_progressOpen) m_host.SetProgressText(text);
        });
    };
    callbacks.serverMessage = [this](const std::string& text, const std::string& site,
                                     const std::string& caption) {
        PostToSelf([this, text, site, caption] { m_host.ShowServerMessage(text, site, caption); });
    };
    callbacks.done = [this] { PostToSelf([this] { FinishStartup(); }); };
    m_startup = std::make_unique<KernelStartup>(m_env, settings, std::move(callbacks));
    m_startup->Run();
}

void KernelSession::FinishStartup() {
    if (!m_startup) return;
    m_startup->Join();
    QKLINK link = m_startup->TakeLink();
    if (!link || !m_startup->Active()) {
        if (link) QKClose(link);
        AbortStartup(m_startup->Failure());
        return;
    }
    Adopt(link);
    m_kernelPid = m_startup->LaunchedProcess();
    if (const auto& grant = m_startup->ServerGrant()) {
        ServerConnection::Callbacks callbacks;
        callbacks.message = [this](const std::string& text) {
            PostToSelf([this, text] { m_host.ShowMessage(text); });
        };
        callbacks.quitKernel = [this] { PostToSelf([this] { QuitFromServer(); }); };
        m_server = std::make_unique<ServerConnection>(*grant, m_settings, std::move(callbacks));
        m_server->Start();
    }
    if (!CompleteStartup()) {
        // A kernel ended for not answering has been reported already.
        AbortStartup(m_endedStopped ? "" : "Unable to start the kernel.");
        return;
    }
    if (!m_startup->Active()) {
        // Cancelled while the package loaded.
        AbortStartup("");
        return;
    }
    m_starting = false;
    if (m_progressOpen) m_host.CloseProgress();
    m_progressOpen = false;
}

void KernelSession::MakeEnvironment() {
    if (m_env) return;
    m_env = QKInitialize(nullptr);
    InstallLinkDialogs(m_env, m_host);
}

void KernelSession::EndEnvironment() {
    if (!m_env) return;
    RemoveLinkDialogs(m_env, m_host);
    QKDeinitialize(m_env);
    m_env = nullptr;
}

void KernelSession::Adopt(QKLINK link) {
    MakeEnvironment();
    m_link = link;
    InstallYield(m_link);
}

void KernelSession::AttachLink(QKLINK link) {
    if (m_link || m_starting) {
        QKClose(link);
        return;
    }
    m_remote = false;
    Adopt(link);
}

bool KernelSession::CompleteStartup() {
    {
        RequestScope scope(*this, false);
        PutRequestHead("Needs", 1);
        QKPutString(m_link, kPackageContext);
        EndRequest();
        if (!RunPacketLoop(false) || !m_link) return false;
        ReadAnswerTree();
        if (!m_link) return false;
    }
    // Cancelled meanwhile: the start-up ends without the preferences.
    if (m_startup && !m_startup->Active()) return true;
    // Busy is clear again here: the preferences request refuses a busy session.
    SetSessionPrefsWithOrdering();
    return m_link != nullptr;
}

void KernelSession::AbortStartup(const std::string& message) {
    if (m_link) Quit(false);
    EndServerConnection();
    if (m_host.IsConstantsPaletteOpen()) m_host.CloseConstantsPalette();
    if (m_progressOpen) m_host.CloseProgress();
    m_progressOpen = false;
    m_starting = false;
    if (!message.empty()) m_host.ShowMessage(message);
}

void KernelSession::QuitFromServer() {
    if (m_busy) {
        m_quitPending = true;
        return;
    }
    m_quitPending = false;
    Quit(false);
}

void KernelSession::EndServerConnection() {
    if (m_server) m_server->RequestQuit();
}

void KernelSession::Quit(bool showMessage) {
    if (!m_link) return;
    if (m_host.IsConstantsPaletteOpen()) m_host.CloseConstantsPalette();
    m_busy = true;
    PutRequestHead("Quit", 0);
    EndRequest();
    // Bounded: a silent or stuck kernel must not hold the editor (the yield function stops the
    // wait at the deadline), nor one that keeps sending.
    m_drainDeadline = NowMs() + m_settings.quitDrainMilliseconds;
    bool confirmed = false;
    for (int32_t code = QKNextPacket(m_link); code != ILLEGALPKT; code = QKNextPacket(m_link)) {
        if (code == SUSPENDPKT) {
            confirmed = true;
            break;
        }
        if (!QKNewPacket(m_link) || NowMs() > m_drainDeadline) break;
    }
    m_drainDeadline = 0;
    // Quit has a bound of its own: an Escape while it drains leaves nothing for later.
    ForgetStop();
    QKClose(m_link);
    m_link = nullptr;
    m_busy = false;
    m_host.KernelGone();
    if (!confirmed) EndLaunchedKernel(m_kernelPid);
    m_kernelPid = 0;
    EndEnvironment();
    if (m_remote && m_server) {
        const int32_t minutes = m_server->RemainingMinutes();
        m_server->RequestQuit();
        if (showMessage) {
            char text[200];
            std::snprintf(text, sizeof text, kQuitMessage, minutes);
            m_host.ShowMessage(text);
        }
    }
}

void KernelSession::Interrupt() {
    if (!m_link) return;
    if (m_busy) {
        m_interrupted = true;
        AwaitStoppedAnswer();
    }
    QKPutMessage(m_link, kInterruptCode);
}

void KernelSession::AwaitStoppedAnswer() {
    if (m_stopDeadline == 0) m_stopDeadline = NowMs() + m_settings.stoppedAnswerMilliseconds;
}

void KernelSession::ForgetStop() {
    m_stopDeadline = 0;
    m_stopOverdue = false;
}

void KernelSession::EndStoppedKernel() {
    ForgetStop();
    m_endedStopped = true;
    const pid_t launched = m_kernelPid;
    TearDownLink();
    EndLaunchedKernel(launched);
    m_host.ShowMessage(kStoppedKernelEnded);
}

// ---- Errors -------------------------------------------------------------------------------------

void KernelSession::TearDownLink() {
    if (m_host.IsConstantsPaletteOpen()) m_host.CloseConstantsPalette();
    if (m_link) QKClose(m_link);
    m_link = nullptr;
    EndEnvironment();
    m_busy = false;
    m_kernelPid = 0;
    EndServerConnection();
    m_host.KernelGone();
}

void KernelSession::HandleLinkError() {
    m_lastError = QKError(m_link);
    if (m_stopOverdue && m_link) {
        // The wait failed because the stopped kernel's time ran out, not because of the link.
        EndStoppedKernel();
        return;
    }
    if (m_lastError == 0) return;
    const char* reason = QKErrorMessage(m_link);
    const std::string text = reason ? reason : "";
    if (m_link) {
        QKClearError(m_link);
        if (!m_starting) {
            // A link whose error stays (the kernel went away), or that cannot start a new
            // packet, would fail every later request: it is closed as for a closed link.
            if (m_lastError == QKERR_PEER_CLOSED || QKError(m_link) != 0 || !QKNewPacket(m_link))
                TearDownLink();
        }
    }
    if (!m_starting) m_host.ShowMessage(std::string(kLinkErrorPrefix) + text);
}

void KernelSession::NextPacketOrTearDown() {
    if (!m_link) return;
    if (QKError(m_link) != 0) {
        HandleLinkError();
        return;
    }
    if (!QKNewPacket(m_link)) HandleLinkError();
}

// ---- The packet loop ----------------------------------------------------------------------------

namespace {

// A string or symbol taken from the link, given back to it at once.
std::string TakeText(QKLINK link, bool symbol, bool& ok) {
    const char* text = nullptr;
    ok = symbol ? QKGetSymbol(link, &text) : QKGetString(link, &text);
    if (!ok || !text) return {};
    std::string copy = text;
    if (symbol)
        QKDisownSymbol(link, text);
    else
        QKDisownString(link, text);
    return copy;
}

} // namespace

void KernelSession::AnswerCall() {
    int32_t number = 0;
    if (!QKGetInteger(m_link, &number)) {
        HandleLinkError();
        return;
    }
    if (number >= 1 && number <= 6 && number != 4) {
        NodePtr argument = ReadExprFromLink(m_link);
        NodePtr answer = m_host.AnswerKernelRequest(number, std::move(argument));
        if (!m_link) return;
        if (answer)
            answer->PutToLink(m_link, number == 2 ? kMarkerOnly : kNoMarkers);
        else
            QKPutSymbol(m_link, "$Canceled");
    }
    QKEndPacket(m_link);
}

void KernelSession::ShowKernelMessage() {
    bool ok = false;
    TakeText(m_link, true, ok);
    if (!ok) HandleLinkError();
    if (m_link) {
        TakeText(m_link, false, ok);
        if (!ok) HandleLinkError();
    }
}

bool KernelSession::RunPacketLoop(bool showKernelMessages) {
    if (!m_link) return false;
    int32_t code = QKNextPacket(m_link);
    int failures = 0;
    while (code != RETURNPKT) {
        if (code == ILLEGALPKT) {
            const bool unknownKind = QKError(m_link) == QKERR_UNKNOWN_PACKET;
            HandleLinkError();
            if (!m_link) return false;
            if (unknownKind) {
                // The kernel answered with a packet of a kind the library does not know: the
                // request ends with the error, since waiting on for an answer that may never
                // come would leave the editor busy for ever. Whether one still follows cannot
                // be told, and a late one would be taken for the next request's answer, so
                // the link is closed too.
                TearDownLink();
                return false;
            }
            // A stray expression where a packet should start (the rest of an overlong answer
            // before it): skipped, since this request's answer is still to come.
            if (++failures > kMaxSkippedFailures) {
                TearDownLink();
                return false;
            }
            code = QKNextPacket(m_link);
            continue;
        }
        failures = 0;
        if (code == CALLPKT) {
            AnswerCall();
            if (!m_link) return false;
            QKNewPacket(m_link);
            code = QKNextPacket(m_link);
        } else if (code == MESSAGEPKT && showKernelMessages) {
            ShowKernelMessage();
            if (!m_link) return false;
            QKNewPacket(m_link);
            code = QKNextPacket(m_link);
            std::string text = kNoTextMessage;
            const bool textPacket = code == TEXTPKT;
            if (textPacket) {
                bool ok = false;
                const std::string linkText = TakeText(m_link, false, ok);
                if (ok) {
                    text = ConvertLinkString(linkText);
                } else {
                    HandleLinkError();
                    if (!m_link) return false;
                }
            }
            m_host.ShowMessage(kKernelErrorPrefix + text);
            if (!m_link) return false;
            if (textPacket) {
                QKNewPacket(m_link);
                code = QKNextPacket(m_link);
            }
        } else {
            QKNewPacket(m_link);
            code = QKNextPacket(m_link);
        }
    }
    return true;
}

// ---- Reading answers ----------------------------------------------------------------------------

NodePtr KernelSession::ErrorResult() {
    return std::make_unique<ErrorNode>();
}

bool KernelSession::AnswerHasExpression() {
    // Reading on where the packet owes nothing would take the next packet's tokens.
    int32_t owed = 0;
    if (QKExpressionsToGet(m_link, &owed) && owed > 0) return true;
    HandleLinkError();
    NextPacketOrTearDown();
    return false;
}

namespace {

// Reports a failure under the reader the moment it happens, through the same path as every
// other link failure of the session; the reader leaves the link alone afterwards, so the report
// may tear the link down.
class ReaderErrorReport final : public LinkErrorHandler {
public:
    explicit ReaderErrorReport(KernelSession& session) : m_session(session) {}
    void HandleLinkError(QKLINK) override {
        m_reported = true;
        m_session.HandleLinkError();
    }
    bool Reported() const { return m_reported; }

private:
    KernelSession& m_session;
    bool m_reported = false;
};

} // namespace

NodePtr KernelSession::ReadAnswerTree() {
    if (!AnswerHasExpression()) return ErrorResult();
    NodePtr answer;
    try {
        ReaderErrorReport report(*this);
        Installed<LinkErrorHandler> reporting(gLinkErrorHandler, &report);
        LinkReader reader(m_link);
        answer = reader.ReadExpr();
        if (reader.Failed()) {
            if (!report.Reported()) HandleLinkError();
            NextPacketOrTearDown();
            return ErrorResult();
        }
    } catch (...) {
        QKNewPacket(m_link);
        throw;
    }
    // Parts the reader left (a peer that sent more than one expression) must not stand in
    // the way of the next request.
    NextPacketOrTearDown();
    return answer;
}

void KernelSession::ReadAndDropAnswer() {
    if (RunPacketLoop(m_prefs.showWarnings)) ReadAnswerTree();
}

NodePtr KernelSession::ReadResult() {
    if (!RunPacketLoop(m_prefs.showWarnings)) return ErrorResult();
    NodePtr answer = ReadAnswerTree();
    if (m_interrupted) return std::make_unique<SymbolNode>(NodeSource(), "$Canceled");
    return answer;
}

int32_t KernelSession::ReadRecordList(CandidateRecords& records) {
    records.fill(CandidateRecord{});
    if (!RunPacketLoop(m_prefs.showWarnings)) return 1;
    const NodePtr answer = ReadAnswerTree();
    if (m_interrupted || answer->TypeTag() != TypeTag("lisN")) return 1;
    const auto& list = static_cast<const CompositeNode&>(*answer);
    int32_t count = 0;
    for (const ExprNode* element = list.FirstChild();
         element && count < static_cast<int32_t>(records.size()); element = element->Next()) {
        CandidateRecord& record = records[static_cast<std::size_t>(count++)];
        const ExprNode* first = element->TypeTag() == TypeTag("lisN")
                                    ? static_cast<const CompositeNode*>(element)->FirstChild()
                                    : nullptr;
        if (!first || first->TypeTag() != TypeTag("intN")) {
            record.text = std::string_view("???");
            continue;
        }
        record.value = first->GetInteger();
        if (const ExprNode* second = first->Next()) {
            Str255 text;
            second->WriteText(text);
            record.text = text;
            const ExprNode* third = second->Next();
            if (third && third->TypeTag() == TypeTag("intN")) record.second = third->GetInteger();
        } else {
            record.text = std::string_view("???");
        }
    }
    // An empty list stands for one empty record.
    return count == 0 ? 1 : count;
}

std::string KernelSession::ReadStringResult() {
    if (!RunPacketLoop(m_prefs.showWarnings)) return "Error";
    if (!AnswerHasExpression()) return "Error";
    std::string result = "Error";
    const int32_t type = QKGetNext(m_link);
    if (type == QKTOK_STRING) {
        int32_t bytes = 0;
        QKBytesToGet(m_link, &bytes);
        std::string buffer(static_cast<std::size_t>(std::max(bytes, 0)), '\0');
        int32_t copied = 0;
        if (!QKGetData(m_link, buffer.data(), bytes, &copied)) {
            HandleLinkError();
            copied = 0;
        }
        buffer.resize(static_cast<std::size_t>(std::max(copied, 0)));
        result = ConvertLinkString(buffer);
    } else if (type == QKTOK_SYMBOL) {
        bool ok = false;
        const std::string name = TakeText(m_link, true, ok);
        if (ok)
            result = ConvertLinkSymbol(name);
        else
            HandleLinkError();
    } else if (type == QKTOK_ERROR) {
        HandleLinkError();
    }
    NextPacketOrTearDown();
    return m_interrupted ? "Error" : result;
}

void KernelSession::SetSavedOrdering(NodePtr ordering, bool constantsToBack) {
    m_savedOrdering = std::move(ordering);
    m_savedConstantsToBack = constantsToBack;
}

NodePtr KernelSession::Parse(DocumentHost& messages, const std::function<ExprNode*()>& convert) {
    // The host and the parser's flag are put back however the conversion ends.
    struct Scope {
        KernelSession& session;
        DocumentHost* previous;
        ~Scope() {
            session.m_messageHost = previous;
            ParseFailed = false;
        }
    } scope{*this, m_messageHost};
    m_messageHost = &messages;
    ParseFailed = false;
    NodePtr tree(convert());
    return ParseFailed ? nullptr : std::move(tree);
}

} // namespace kernel
