#include "mathbox/parser/ExprLexer.h"

#include "document/CompList.h"
#include "document/DocumentHost.h"
#include "document/TextComp.h"
#include "expr/FunctionNode.h"
#include "expr/LeafNodes.h"
#include "expr/symbols/BuiltinNames.h"
#include "expr/symbols/SymbolTable.h"
#include "mathbox/CharTable.h"
#include "mathbox/parser/ExprServices.h"

#include <charconv>
#include <string>

namespace {

// Names, numbers and strings longer than this are cut into several tokens.
constexpr size_t kMaxText = 4095;

constexpr const char* kRestrictedFunctionMessage =
    "The selected expression is not legal because it contains a restricted function.\nThis "
    "function is not available when using the calculation server.";
constexpr const char* kCapitalNameMessage =
    "The selected expression is not legal because it contains a function or variable name "
    "starting with a capital letter or $ that is longer than 2 letters.\nAs a security "
    "precaution, only built-in functions may violate this rule.";

const CharInfo& InfoOf(int32_t code) {
    return CharTable[MathCharIndex[static_cast<uint8_t>(code)]];
}

bool IsDigit(int32_t code) {
    return code >= '0' && code <= '9';
}

bool ServerRestricted() {
    const ExprSession* session = gExprSession.Get();
    return session && session->IsServerRestricted();
}

} // namespace

void ExprLexer::Init(CompList* source, int32_t start, int32_t end) {
    m_source = source;
    m_start = start;
    m_end = end;
    m_pos = start;
    result.reset();
    m_errorCode = kSyntaxError;
    m_failure = nullptr;
}

NodeSource ExprLexer::WholeStretch() const {
    return Run(m_start, m_end);
}

NodeSource ExprLexer::Run(int32_t first, int32_t last) const {
    return NodeSource(m_source, first, last);
}

int32_t ExprLexer::CharAt(int32_t position) const {
    if (position >= m_end) return -1;
    const TextComp* item = m_source->GetAt(position);
    if (!item || item->GetTypeTag() != tags::Char) return -1;
    return item->GetCharCode();
}

int32_t ExprLexer::Next(TokenValue& value) {
    value = TokenValue{};
    try {
        return Read(value);
    } catch (...) {
        value.FreeNodes();
        Fail(std::current_exception());
        m_pos = m_end;
        return token::kError;
    }
}

int32_t ExprLexer::Read(TokenValue& value) {
    while (m_pos < m_end) {
        const int32_t code = CharAt(m_pos);
        if (code != ' ' && code != '\t') break;
        ++m_pos;
    }
    if (m_pos >= m_end) return token::kEnd;

    const int32_t code = CharAt(m_pos);
    if (code < 0) return ReadBox(m_source->GetAt(m_pos), value);
    const CharInfo& info = InfoOf(code);
    if (info.charClass == CC_LETTER) return ReadName(value);
    if (IsDigit(code) || code == '.') return ReadNumber(value);
    if (code == '"') return ReadString(value);
    return ReadSign(static_cast<uint8_t>(code), value);
}

int32_t ExprLexer::ReadBox(TextComp* box, TokenValue& value) {
    value.src = Run(m_pos, m_pos + 1);
    ++m_pos;
    NodePtr node(box ? box->ToExpression() : nullptr);
    if (!node) {
        // A box without an expression (a link, a picture) cannot be read.
        m_errorCode = kUnknownCharacter;
        return token::kError;
    }
    const int32_t code = node->Precedence();
    value.node = node.release();
    return code;
}

int32_t ExprLexer::Refuse(const char* message, const NodeSource& where, TokenValue& value) {
    if (const ExprSession* session = gExprSession.Get())
        if (DocumentHost* host = session->MessageHost()) host->ShowMessage(message);
    value.node = new ErrorNode(where);
    return token::kError;
}

int32_t ExprLexer::ReadName(TokenValue& value) {
    const int32_t first = m_pos;
    std::string name;
    while (m_pos < m_end && name.size() < kMaxText) {
        const int32_t code = CharAt(m_pos);
        if (code < 0 || !(InfoOf(code).charClass == CC_LETTER || IsDigit(code))) break;
        name.push_back(static_cast<char>(code));
        ++m_pos;
    }
    const NodeSource where = Run(first, m_pos);
    value.src = where;

    const int32_t row = LookupBuiltinName(name.c_str());
    const SymbolRow* symbol = row > 0 ? BuiltinSymbol(row) : nullptr;
    if (!symbol) {
        const bool capital = (name[0] >= 'A' && name[0] <= 'Z') || name[0] == '$';
        if (ServerRestricted() && name.size() > 2 && capital)
            return Refuse(kCapitalNameMessage, where, value);
        value.node = new SymbolNode(where, std::move(name));
        return token::kName;
    }
    if (ServerRestricted() && gExprSession->IsRestrictedRow(row))
        return Refuse(kRestrictedFunctionMessage, where, value);

    switch (symbol->kind) {
    case SymbolKind::kPlain:
        value.node = new SymbolNode(where, row);
        return token::kName;
    case SymbolKind::kFunction:
        value.node = new SymbolNode(where, row);
        return token::kFunction;
    case SymbolKind::kMod:
        if (symbol->precedence == token::kMod) {
            value.aux = new ModNode(where);
            return token::kMod;
        }
        break;
    case SymbolKind::kOr:
        return token::kOr;
    default:
        break;
    }
    value.node = new SymbolNode(where, row);
    return symbol->precedence;
}

int32_t ExprLexer::ReadNumber(TokenValue& value) {
    const int32_t first = m_pos;
    std::string text;
    bool point = false;
    bool digit = false;
    while (m_pos < m_end && text.size() < kMaxText) {
        const int32_t code = CharAt(m_pos);
        if (code == '.') {
            if (point) break;
            point = true;
        } else if (IsDigit(code)) {
            digit = true;
        } else {
            break;
        }
        text.push_back(static_cast<char>(code));
        ++m_pos;
    }
    value.src = Run(first, m_pos);
    if (!digit) {
        // A point alone is no number.
        m_errorCode = kUnknownCharacter;
        return token::kError;
    }
    if (text.size() >= 10) {
        if (point)
            value.node = new RealNode(value.src, std::move(text));
        else
            value.node = new IntegerNode(value.src, std::move(text));
    } else if (point) {
        double number = 0.0;
        std::from_chars(text.data(), text.data() + text.size(), number);
        value.node = new MachineRealNode(value.src, number);
    } else {
        int32_t number = 0;
        std::from_chars(text.data(), text.data() + text.size(), number);
        value.node = new MachineIntegerNode(value.src, number);
    }
    return token::kNumber;
}

int32_t ExprLexer::ReadString(TokenValue& value) {
    const int32_t first = m_pos++;
    std::string text;
    bool closed = false;
    while (m_pos < m_end && text.size() < kMaxText - 1) {
        const int32_t code = CharAt(m_pos);
        if (code < 0) break;
        ++m_pos;
        if (code == '"') {
            closed = true;
            break;
        }
        text.push_back(static_cast<char>(code));
    }
    value.src = Run(first, m_pos);
    if (!closed) {
        value.node = new ErrorNode(value.src);
        return token::kError;
    }
    value.node = new TextNode(value.src, std::move(text));
    return token::kString;
}

int32_t ExprLexer::ReadSign(uint8_t code, TokenValue& value) {
    const CharInfo& info = InfoOf(code);
    value.src = Run(m_pos, m_pos + 1);
    ++m_pos;
    const SymbolRow* symbol = BuiltinSymbol(info.symbolIndex);
    const int32_t kind = info.symbolIndex > 0 && symbol ? symbol->precedence : 0;
    switch (kind) {
    case token::kName:
    case token::kFunction:
    case token::kRelation:
    case token::kLog:
        value.node = new SymbolNode(value.src, info.symbolIndex);
        return kind;
    case token::kMinus:
        if (CharAt(m_pos) == '>') {
            ++m_pos;
            value.src.end = m_pos;
            return token::kArrow;
        }
        return kind;
    default:
        if (kind >= token::kCaret && kind <= token::kBang && kind != token::kOr) return kind;
        m_errorCode = kUnknownCharacter;
        return token::kError;
    }
}
