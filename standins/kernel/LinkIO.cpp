#include "LinkIO.h"

#include "RealDigits.h"

#include <algorithm>
#include <cstring>

namespace standin {

namespace {

class Reader {
public:
    Reader(QKLINK link, ReadLimits limits) : m_link(link), m_limits(limits) {}

    std::optional<Expr> read(int depth) {
        if (depth > m_limits.depth) return fail("expression nested too deeply");
        if (++m_nodes > m_limits.nodes) return fail("expression too large");
        switch (QKGetType(m_link)) {
        case QKTOK_STRING: {
            auto text = takeText(false);
            if (!text) return std::nullopt;
            return Expr::string(std::move(*text));
        }
        case QKTOK_SYMBOL: {
            auto text = takeText(true);
            if (!text) return std::nullopt;
            return Expr::symbol(std::move(*text));
        }
        case QKTOK_INTEGER: {
            auto text = takeText(false);
            if (!text) return std::nullopt;
            text->erase(0, text->find_first_not_of(' '));
            return Expr::integerText(std::move(*text));
        }
        case QKTOK_REAL: {
            // A machine real, in binary or spelled out, is the value itself: its shortest text
            // is the decimal it stands for (0.3, where its 17 digits read 0.29999999999999999).
            if (QKGetRawType(m_link) >= 0x80) {
                double value = 0.0;
                if (!QKGetDouble(m_link, &value)) return fail("unreadable real");
                return Expr::machine(value);
            }
            auto text = takeText(false);
            if (!text) return std::nullopt;
            std::size_t mark = text->find('`');
            if (mark != std::string::npos) text->erase(mark);
            while (!text->empty() && text->back() == ' ')
                text->pop_back();
            if (text->size() > 15 && !isMachineRealText(*text))
                return Expr::realText(std::move(*text));
            return Expr::machine(Expr::realText(std::move(*text)).real);
        }
        case QKTOK_FUNCTION:
            return readFunction(depth);
        default:
            return fail("unreadable token");
        }
    }

    std::string error() const { return m_error; }

private:
    std::optional<Expr> fail(const char* why) {
        if (m_error.empty()) {
            m_error = why;
            if (QKError(m_link)) m_error += std::string(": ") + QKErrorMessage(m_link);
        }
        return std::nullopt;
    }

    std::optional<std::string> takeText(bool symbol) {
        const unsigned char* bytes = nullptr;
        int32_t length = 0;
        int32_t ok = symbol ? QKGetByteSymbol(m_link, &bytes, &length, '?')
                            : QKGetByteString(m_link, &bytes, &length, '?');
        if (!ok) {
            fail("unreadable text");
            return std::nullopt;
        }
        std::string text(reinterpret_cast<const char*>(bytes), static_cast<std::size_t>(length));
        if (symbol)
            QKDisownByteSymbol(m_link, bytes, length);
        else
            QKDisownByteString(m_link, bytes, length);
        return text;
    }

    std::optional<Expr> readFunction(int depth) {
        int32_t count = 0;
        if (!QKGetArgCount(m_link, &count) || count < 0) return fail("unreadable argument count");
        Expr e;
        e.kind = Expr::Kind::Function;
        if (QKGetNext(m_link) == QKTOK_SYMBOL) {
            auto head = takeText(true);
            if (!head) return std::nullopt;
            e.text = std::move(*head);
        } else {
            auto head = read(depth + 1);
            if (!head) return std::nullopt;
            e.compoundHead = std::make_shared<const Expr>(std::move(*head));
        }
        // The count comes from the peer: grow as arguments arrive, never from the count alone.
        e.args.reserve(std::min<std::size_t>(static_cast<std::size_t>(count), 64));
        for (int32_t i = 0; i < count; ++i) {
            auto arg = read(depth + 1);
            if (!arg) return std::nullopt;
            e.args.push_back(std::move(*arg));
        }
        return e;
    }

    QKLINK m_link;
    ReadLimits m_limits;
    std::size_t m_nodes = 0;
    std::string m_error;
};

std::size_t digitCount(const std::string& text) {
    return static_cast<std::size_t>(
        std::count_if(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }));
}

bool putNumberText(QKLINK link, int32_t token, const std::string& text) {
    return QKPutNext(link, token) && QKPutSize(link, static_cast<int32_t>(text.size())) &&
           QKPutData(link, text.data(), static_cast<int32_t>(text.size()));
}

} // namespace

std::optional<Expr> readExpr(QKLINK link, std::string* error, ReadLimits limits) {
    Reader reader(link, limits);
    auto e = reader.read(0);
    if (!e && error) *error = reader.error();
    return e;
}

bool writeExpr(QKLINK link, const Expr& e) {
    switch (e.kind) {
    case Expr::Kind::Integer: {
        bool fits = false;
        long long value = e.toInteger(&fits);
        if (fits && digitCount(e.text) <= 9)
            return QKPutLongInteger(link, static_cast<int32_t>(value));
        return putNumberText(link, QKTOK_INTEGER, e.text);
    }
    case Expr::Kind::Real:
        if (e.machineReal) return QKPutDouble(link, e.real);
        return putNumberText(link, QKTOK_REAL, e.text);
    case Expr::Kind::String:
        return QKPutByteString(link, reinterpret_cast<const unsigned char*>(e.text.data()),
                               static_cast<int32_t>(e.text.size()));
    case Expr::Kind::Symbol:
        return QKPutByteSymbol(link, reinterpret_cast<const unsigned char*>(e.text.data()),
                               static_cast<int32_t>(e.text.size()));
    case Expr::Kind::Function:
        break;
    }
    const auto count = static_cast<int32_t>(e.args.size());
    if (e.compoundHead) {
        if (!QKPutNext(link, QKTOK_FUNCTION) || !QKPutArgCount(link, count) ||
            !writeExpr(link, *e.compoundHead))
            return false;
    } else if (!QKPutFunction(link, e.text.c_str(), count)) {
        return false;
    }
    for (const Expr& arg : e.args)
        if (!writeExpr(link, arg)) return false;
    return true;
}

} // namespace standin
