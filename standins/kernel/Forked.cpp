#include "Forked.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <mutex>

namespace standin {

namespace {

// Deeper than any answer the algebra builds, shallow enough for the reader's recursion.
constexpr int kMaxDepth = 10000;
// How long the waiting parent sleeps before it looks at `stop` again.
constexpr int kStopCheckMs = 10;

bool writeAll(int fd, const std::string& bytes) {
    std::size_t at = 0;
    while (at < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + at, bytes.size() - at);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        at += static_cast<std::size_t>(n);
    }
    return true;
}

// Every descriptor but the standard three and `keep`: the link's sockets and shared memory
// must not stay open in a child, where they would hide the kernel's end from the editor.
void closeAllBut(int keep) {
    if (keep > 3) ::close_range(3, static_cast<unsigned>(keep - 1), 0);
    ::close_range(static_cast<unsigned>(keep + 1), UINT_MAX, 0);
}

void reap(pid_t child, int* status) {
    while (::waitpid(child, status, 0) < 0 && errno == EINTR) {
    }
}

// Children that have answered and are still exiting: each later call reaps those that have
// ended meanwhile.
std::mutex gExitingMutex;
std::vector<pid_t> gExiting;

void reapFinished() {
    std::lock_guard lock(gExitingMutex);
    std::erase_if(gExiting, [](pid_t child) { return ::waitpid(child, nullptr, WNOHANG) != 0; });
}

void reapLater(pid_t child) {
    {
        std::lock_guard lock(gExitingMutex);
        gExiting.push_back(child);
    }
    reapFinished();
}

// The child's answer: its length, then its bytes.
std::string framed(const std::string& bytes) {
    const uint64_t length = bytes.size();
    return std::string(reinterpret_cast<const char*>(&length), sizeof length) + bytes;
}

bool complete(const std::string& framedBytes) {
    uint64_t length = 0;
    if (framedBytes.size() < sizeof length) return false;
    std::memcpy(&length, framedBytes.data(), sizeof length);
    return framedBytes.size() - sizeof length >= length;
}

[[noreturn]] void runChild(int out, pid_t parent, const std::function<std::string()>& work) {
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != parent) ::_exit(2); // the kernel died before the line above
    closeAllBut(out);
    std::string bytes;
    try {
        bytes = work();
    } catch (...) {
        ::_exit(3);
    }
    ::_exit(writeAll(out, framed(bytes)) ? 0 : 4);
}

} // namespace

void ByteWriter::writeInteger(int64_t value) {
    m_bytes.append(reinterpret_cast<const char*>(&value), sizeof value);
}

void ByteWriter::write(double value) {
    m_bytes.append(reinterpret_cast<const char*>(&value), sizeof value);
}

void ByteWriter::write(const std::string& text) {
    writeInteger(static_cast<int64_t>(text.size()));
    m_bytes += text;
}

void ByteWriter::write(const Expr& e) {
    writeInteger(static_cast<int64_t>(e.kind));
    write(e.text);
    write(e.real);
    write(e.machineReal);
    write(e.compoundHead != nullptr);
    if (e.compoundHead) write(*e.compoundHead);
    writeInteger(static_cast<int64_t>(e.args.size()));
    for (const Expr& a : e.args)
        write(a);
}

void ByteWriter::write(const std::optional<Expr>& e) {
    write(e.has_value());
    if (e) write(*e);
}

void ByteWriter::write(const std::vector<double>& values) {
    writeInteger(static_cast<int64_t>(values.size()));
    for (double v : values)
        write(v);
}

void ByteReader::take(void* out, std::size_t count) {
    if (count > m_bytes.size() - m_at) throw Malformed();
    std::memcpy(out, m_bytes.data() + m_at, count);
    m_at += count;
}

int64_t ByteReader::readInteger() {
    int64_t value = 0;
    take(&value, sizeof value);
    return value;
}

std::size_t ByteReader::readCount() {
    const int64_t count = readInteger();
    // Each item takes at least one byte, so no honest count exceeds what remains.
    if (count < 0 || static_cast<uint64_t>(count) > m_bytes.size() - m_at) throw Malformed();
    return static_cast<std::size_t>(count);
}

void ByteReader::read(double& value) {
    take(&value, sizeof value);
}

void ByteReader::read(std::string& text) {
    text.resize(readCount());
    take(text.data(), text.size());
}

void ByteReader::read(std::optional<Expr>& e) {
    bool present = false;
    read(present);
    e.reset();
    if (present) e = readExpr(0);
}

void ByteReader::read(std::vector<double>& values) {
    values.resize(readCount());
    for (double& v : values)
        read(v);
}

Expr ByteReader::readExpr(int depth) {
    if (depth > kMaxDepth) throw Malformed();
    Expr e;
    const int64_t kind = readInteger();
    if (kind < static_cast<int64_t>(Expr::Kind::Integer) ||
        kind > static_cast<int64_t>(Expr::Kind::Function))
        throw Malformed();
    e.kind = static_cast<Expr::Kind>(kind);
    read(e.text);
    read(e.real);
    read(e.machineReal);
    bool compound = false;
    read(compound);
    if (compound) e.compoundHead = std::make_shared<const Expr>(readExpr(depth + 1));
    e.args.resize(readCount());
    for (Expr& a : e.args)
        a = readExpr(depth + 1);
    return e;
}

ForkedResult runForked(const std::function<std::string()>& work, const std::atomic<bool>& stop) {
    reapFinished();
    ForkedResult result;
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0) return result;
    const pid_t parent = ::getpid();
    const pid_t child = ::fork();
    if (child < 0) {
        ::close(ends[0]);
        ::close(ends[1]);
        return result;
    }
    if (child == 0) runChild(ends[1], parent, work);
    ::close(ends[1]);
    pollfd answer{ends[0], POLLIN, 0};
    std::string bytes;
    char chunk[65536];
    while (!complete(bytes)) {
        if (stop) {
            ::kill(child, SIGKILL);
            ::close(ends[0]);
            reap(child, nullptr);
            result.end = ForkedEnd::Interrupted;
            return result;
        }
        const int ready = ::poll(&answer, 1, kStopCheckMs);
        if (ready <= 0) continue; // the time to look at `stop` again, or a signal
        const ssize_t n = ::read(ends[0], chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break; // the child ended short of a whole answer
        bytes.append(chunk, static_cast<std::size_t>(n));
    }
    ::close(ends[0]);
    if (!complete(bytes)) {
        reap(child, nullptr);
        result.end = ForkedEnd::Died;
        return result;
    }
    // A whole answer is written just before the child exits; the parent does not wait for the
    // system to take the child's memory apart, which on a large kernel takes longer than many a
    // computation.
    reapLater(child);
    result.end = ForkedEnd::Answered;
    result.bytes = bytes.substr(sizeof(uint64_t));
    return result;
}

} // namespace standin
