#include "Loop.h"

#include "Algebra.h"
#include "LinkIO.h"
#include "Package.h"

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <mutex>
#include <thread>

namespace standin {

namespace {

double secondsOf(const ScriptLine* line, double otherwise) {
    if (!line || line->words.empty()) return otherwise;
    return std::atof(line->words[0].c_str());
}

class Kernel : public UserChannel {
public:
    Kernel(QKLINK link, UrgentMessages* messages, const Script& script)
        : m_link(link), m_messages(messages), m_script(script), m_package(*this) {}

    LoopEnd run() {
        if (m_script.kernel("die-after-connect", "start")) return LoopEnd::Died;
        std::thread watcher([this] { watch(); });
        LoopEnd end = serve();
        m_stop = true;
        watcher.join();
        return end;
    }

    std::optional<Expr> ask(int request, const Expr& argument) override {
        if (m_dead) return std::nullopt;
        bool sent = QKPutFunction(m_link, "CallPacket", 2) && QKPutInteger(m_link, request) &&
                    writeExpr(m_link, argument) && QKEndPacket(m_link) && QKFlush(m_link);
        if (m_script.kernel("die-in-user-request", m_head)) m_dead = true;
        if (!sent || m_dead) {
            m_dead = true;
            return std::nullopt;
        }
        // The editor answers with one bare expression and a packet end.
        auto answer = readExpr(m_link);
        if (!answer || !QKNewPacket(m_link)) {
            m_dead = true;
            return std::nullopt;
        }
        return answer;
    }

private:
    // The next request: the argument of an "EvaluatePacket", or a bare request under any other
    // head. Nothing when the link is gone.
    std::optional<Expr> nextRequest() {
        for (int attempts = 0; attempts < 64; ++attempts) {
            const char* head = nullptr;
            int32_t count = 0;
            if (!QKGetFunction(m_link, &head, &count)) {
                int32_t error = QKError(m_link);
                if (error == QKERR_PEER_CLOSED || error == QKERR_LINK_DIED || error == 0 ||
                    !QKClearError(m_link) || !QKNewPacket(m_link))
                    return std::nullopt;
                continue;
            }
            std::string name = head;
            QKDisownSymbol(m_link, head);
            std::optional<Expr> request;
            if (name == "EvaluatePacket" && count == 1) {
                request = readExpr(m_link);
            } else {
                Expr bare = Expr::call(name);
                bool ok = true;
                for (int32_t i = 0; i < count && ok; ++i) {
                    auto arg = readExpr(m_link);
                    ok = arg.has_value();
                    if (ok) bare.args.push_back(std::move(*arg));
                }
                if (ok) request = std::move(bare);
            }
            if (request && QKNewPacket(m_link)) return request;
            int32_t error = QKError(m_link);
            if (error == QKERR_PEER_CLOSED || error == QKERR_LINK_DIED) return std::nullopt;
            // A malformed request: skip it and answer it as failed, so the editor is not left
            // waiting.
            if (!QKClearError(m_link) || !QKNewPacket(m_link)) return std::nullopt;
            return Expr::symbol("$Malformed");
        }
        return std::nullopt;
    }

    LoopEnd serve() {
        while (auto request = nextRequest()) {
            m_head = request->text;
            if (m_script.kernel("die-mid-evaluation", m_head)) return LoopEnd::Died;
            setComputing(true);
            Expr answer = compute(*request);
            setComputing(false);
            if (m_dead) return LoopEnd::Died;
            if (m_package.quitRequested()) {
                QKPutFunction(m_link, "SuspendPacket", 0);
                QKEndPacket(m_link);
                QKFlush(m_link);
                return LoopEnd::Quit;
            }
            if (!send(answer)) return m_dead ? LoopEnd::Died : LoopEnd::Closed;
        }
        return LoopEnd::Closed;
    }

    Expr compute(const Expr& request) {
        if (request.isSymbol("$Malformed")) return failed();
        if (const ScriptLine* stuck = m_script.kernel("stuck", m_head)) {
            m_ignoreInterrupts = true;
            std::this_thread::sleep_for(std::chrono::duration<double>(secondsOf(stuck, 3.0)));
            m_ignoreInterrupts = false;
            algebra::clearInterrupt();
        }
        if (const ScriptLine* slow = m_script.kernel("slow", m_head)) {
            try {
                algebra::busyWork(secondsOf(slow, 5.0));
            } catch (const algebra::Interrupted&) {
                return canceled();
            } catch (const algebra::AlgebraError&) {
                return failed();
            }
        }
        Expr answer = m_package.answer(request);
        if (const ScriptLine* scripted = m_script.kernel("answer", m_head)) {
            const std::string what = scripted->words.empty() ? "" : scripted->words[0];
            if (what == "failed") answer = failed();
            if (what == "canceled") answer = canceled();
            if (what == "null") answer = nullSymbol();
        }
        return answer;
    }

    bool finish() { return QKEndPacket(m_link) && QKFlush(m_link); }

    bool send(const Expr& answer) {
        if (const ScriptLine* warning = m_script.kernel("warning", m_head)) {
            if (!QKPutFunction(m_link, "MessagePacket", 2) || !QKPutSymbol(m_link, "General") ||
                !QKPutString(m_link, "warning") || !QKEndPacket(m_link))
                return false;
            if (!warning->rest.empty() &&
                !(QKPutFunction(m_link, "TextPacket", 1) &&
                  QKPutString(m_link, warning->rest.c_str()) && QKEndPacket(m_link)))
                return false;
        }
        const ScriptLine* garbage = m_script.kernel("garbage", m_head);
        const std::string kind = garbage && !garbage->words.empty() ? garbage->words[0] : "";
        if ((kind == "unknown-head" || kind == "unknown-head-only") &&
            !(QKPutFunction(m_link, "GarblePacket", 1) && QKPutInteger(m_link, 7) &&
              QKEndPacket(m_link)))
            return false;
        // An answer of no known kind and nothing after it.
        if (kind == "unknown-head-only") return QKFlush(m_link);
        if (kind == "huge-count") {
            // Far more arguments promised than sent; the kernel then goes away, so the reader
            // meets the end of the link instead of waiting for ever.
            QKPutFunction(m_link, "ReturnPacket", 1);
            QKPutFunction(m_link, "List", 1 << 30);
            for (int i = 0; i < 3; ++i)
                QKPutInteger(m_link, i);
            QKFlush(m_link);
            m_dead = true;
            return false;
        }
        if (kind == "stall-mid-string") {
            // An answer that stops half way and a kernel that keeps its link open: a long string
            // announced, a part of it sent, then nothing more for the seconds given.
            const std::string part(64, 'x');
            if (QKPutFunction(m_link, "ReturnPacket", 1) && QKPutNext(m_link, QKTOK_STRING) &&
                QKPutSize(m_link, 1 << 20) &&
                QKPutData(m_link, part.data(), static_cast<int32_t>(part.size())))
                QKFlush(m_link);
            const double seconds =
                garbage->words.size() > 1 ? std::atof(garbage->words[1].c_str()) : 600;
            std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
            m_dead = true;
            return false;
        }
        if (kind == "deep-nesting") {
            if (!QKPutFunction(m_link, "ReturnPacket", 1)) return false;
            for (int i = 0; i < 100000; ++i)
                if (!QKPutFunction(m_link, "f", 1)) return false;
            return QKPutInteger(m_link, 1) && finish();
        }
        Expr sent = answer;
        if (kind == "malformed-records")
            sent = Expr::call("List", {Expr::call("List", {Expr::string("text"), Expr::integer(3)}),
                                       Expr::integer(7), Expr::call("List"),
                                       Expr::call("List", {Expr::integer(1), Expr::integer(2),
                                                           Expr::integer(3), Expr::integer(4)})});
        if (kind == "malformed-ordering")
            sent = Expr::call(
                "List",
                {Expr::symbol("True"),
                 Expr::call("List", {Expr::call("List", {Expr::string("a")}),
                                     Expr::call("List", {Expr::integer(3), Expr::symbol("b")}),
                                     Expr::integer(7)})});
        const int32_t count = kind == "extra-arguments" ? 2 : 1;
        if (!QKPutFunction(m_link, "ReturnPacket", count) || !writeExpr(m_link, sent)) return false;
        if (count == 2 && !QKPutSymbol(m_link, "Null")) return false;
        return finish();
    }

    // An interrupt counts only while a request computes: one that arrives as the answer is
    // finished must not stop the next request.
    void setComputing(bool computing) {
        std::lock_guard lock(m_interruptMutex);
        m_computing = computing;
        if (!computing) algebra::clearInterrupt();
    }

    void watch() {
        while (!m_stop) {
            int32_t code = m_messages ? m_messages->take() : 0;
            if (code == kInterruptMessage) {
                std::lock_guard lock(m_interruptMutex);
                if (m_computing && !m_ignoreInterrupts) algebra::requestInterrupt();
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }

    QKLINK m_link;
    UrgentMessages* m_messages;
    const Script& m_script;
    Package m_package;
    std::string m_head;
    bool m_dead = false;
    std::atomic<bool> m_stop{false};
    std::mutex m_interruptMutex;
    bool m_computing = false;
    std::atomic<bool> m_ignoreInterrupts{false};
};

} // namespace

LoopEnd runKernel(QKLINK link, UrgentMessages* messages, const Script& script) {
    return Kernel(link, messages, script).run();
}

} // namespace standin
