#pragma once

// A computation in a child process of its own, so that an interrupt ends it at once whatever
// it is doing: the algebra checks its interruption flag only here and there, and some of its
// work (factoring a large polynomial or integer) never looks at it for minutes.
//
// The child is a copy of the kernel at the moment of the fork. It may touch only the algebra
// and the bytes it hands back, never the link (whose threads and locks are not copied with
// it), and it ends with _exit: no destructors, no buffered output, no leak check of a heap
// that is the parent's as much as its own. Whatever it changed dies with it unless it writes
// it into its answer for the parent to take over. The parent keeps the link and waits.
//
// Included by the C++17 files that hold the algebra, so it stays within C++17.

#include "Expr.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace standin {

// Values written one after another into bytes that only a reader of the same build takes
// apart again, in the same order.
class ByteWriter {
public:
    void write(bool value) { writeInteger(value ? 1 : 0); }
    void write(int value) { writeInteger(value); }
    void write(double value);
    void write(const std::string& text);
    void write(const Expr& e);
    void write(const std::optional<Expr>& e);
    void write(const std::vector<double>& values);
    void writeInteger(int64_t value);

    std::string take() { return std::move(m_bytes); }

private:
    std::string m_bytes;
};

// Reads what a `ByteWriter` wrote. Every length is checked against the bytes that remain and
// the nesting of expressions is bounded, so bytes cut short (a child that died while writing)
// throw `Malformed` instead of reading past the end.
class ByteReader {
public:
    struct Malformed : std::runtime_error {
        Malformed() : std::runtime_error("malformed bytes from the computation") {}
    };

    explicit ByteReader(const std::string& bytes) : m_bytes(bytes) {}

    void read(bool& value) { value = readInteger() != 0; }
    void read(int& value) { value = static_cast<int>(readInteger()); }
    void read(double& value);
    void read(std::string& text);
    void read(Expr& e) { e = readExpr(0); }
    void read(std::optional<Expr>& e);
    void read(std::vector<double>& values);
    int64_t readInteger();
    bool atEnd() const { return m_at == m_bytes.size(); }

private:
    Expr readExpr(int depth);
    std::size_t readCount();
    void take(void* out, std::size_t count);

    const std::string& m_bytes;
    std::size_t m_at = 0;
};

// How a forked computation ended.
enum class ForkedEnd {
    Answered,    // the child wrote its bytes and exited normally
    Interrupted, // `stop` became true first: the child was killed
    Died,        // the child ended without answering (a crash in the algebra)
    NotForked    // no child could be made: nothing ran
};

struct ForkedResult {
    ForkedEnd end = ForkedEnd::NotForked;
    std::string bytes;
};

// Runs `work` in a child process and hands back the bytes it returned. The calling thread
// waits, looking at `stop` every few milliseconds; once it is true the child is killed with
// SIGKILL and reaped, so the call returns within moments. The child also dies with the
// thread that made it, should the kernel itself be killed meanwhile. `work` must not throw;
// if it does, the child ends as Died.
ForkedResult runForked(const std::function<std::string()>& work, const std::atomic<bool>& stop);

} // namespace standin
