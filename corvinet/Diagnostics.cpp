// QKTestPoint2: shows the next expression on a link, token by token, through the alert.

#include "ExportGuard.h"

#include <string>

namespace {

// Reads one token and what it holds into `shown`; the number of tokens its arguments add.
int64_t showToken(QKLINK link, std::string& shown) {
    int32_t type = QKGetNext(link);
    if (type == QKTOK_ERROR) return -1;
    shown += " <";
    shown += static_cast<char>(type);
    if (type == QKTOK_FUNCTION) {
        int32_t count = 0;
        if (!QKGetArgCount(link, &count)) return -1;
        shown += ' ';
        shown += std::to_string(count);
        shown += '>';
        return count + 1; // the head, then the arguments
    }
    int32_t bytes = 0;
    if (QKBytesToGet(link, &bytes) && bytes > 0) {
        std::string text(static_cast<std::size_t>(bytes), '\0');
        int32_t copied = 0;
        if (QKGetData(link, text.data(), bytes, &copied)) {
            text.resize(static_cast<std::size_t>(copied));
            shown += ' ';
            shown += text;
        }
    }
    shown += '>';
    return 0;
}

} // namespace

QK_API int32_t QKTestPoint2(QKLINK link) noexcept {
    return corvinet::guarded<int32_t>(link, 0, [&]() -> int32_t {
        if (!link) return 0;
        std::string shown;
        for (int64_t owed = 1; owed > 0; --owed) {
            int64_t more = showToken(link, shown);
            if (more < 0) return 0;
            owed += more;
        }
        return QKAlert(QKLinkEnvironment(link) ? link->env() : nullptr, shown.c_str());
    });
}
