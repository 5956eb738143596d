#pragma once

// The result of a step inside the library: none (0) for success, else the link error code
// (QKERR_...) that the step failed with. The exported functions answer the other way round,
// non-zero for success, so a step's result is its own type: it cannot be dropped unread, and it
// does not turn into an exported function's answer by accident (code() says where it becomes
// the link's stored error).

#include <cstdint>

namespace corvinet {

class [[nodiscard]] LinkError {
public:
    constexpr LinkError() = default;
    // Implicit, so that a step can `return QKERR_PUT_SEQUENCE;` or `return 0;`.
    constexpr LinkError(int32_t code) : m_code(code) {}

    // True when the step failed: `if (const LinkError e = step()) return e;`.
    constexpr explicit operator bool() const { return m_code != 0; }
    constexpr int32_t code() const { return m_code; }

    friend constexpr bool operator==(LinkError a, LinkError b) { return a.m_code == b.m_code; }

private:
    int32_t m_code = 0;
};

} // namespace corvinet
