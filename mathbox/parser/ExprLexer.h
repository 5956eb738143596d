#pragma once

// Reads a stretch of a math line (one-character glyphs and whole math boxes) as the tokens of
// the infix parser. Each token carries a freshly built node, or only the place it came from.

#include "expr/ExprNode.h"
#include "expr/NodeSource.h"

#include <cstdint>
#include <exception>

class CompList;

// The parser's terminal codes.
namespace token {
inline constexpr int32_t kEnd = 0;
inline constexpr int32_t kName = 258;
inline constexpr int32_t kNumber = 259;
inline constexpr int32_t kFunction = 263;
inline constexpr int32_t kRelation = 266;
inline constexpr int32_t kString = 267;
inline constexpr int32_t kLog = 271;
inline constexpr int32_t kCaret = 272;
inline constexpr int32_t kPlus = 273;
inline constexpr int32_t kMinus = 274;
inline constexpr int32_t kPlusMinus = 275;
inline constexpr int32_t kOpenBracket = 280;
inline constexpr int32_t kComma = 284;
inline constexpr int32_t kOr = 285;
inline constexpr int32_t kArrow = 286;
inline constexpr int32_t kBang = 287;
inline constexpr int32_t kMod = 288;
inline constexpr int32_t kError = 293;
} // namespace token

// The value of one token and of every entry of the parser's value stack. Plain data, so the
// stack can move it; the stack owns the nodes and frees them once (FreeNodes).
struct TokenValue {
    ExprNode* node = nullptr;
    // The "mod" keyword's residue node, waiting for its operands.
    ExprNode* aux = nullptr;
    NodeSource src;

    void FreeNodes() {
        delete node;
        delete aux;
        node = nullptr;
        aux = nullptr;
    }
};

class ExprLexer {
public:
    // What ended a parse early.
    enum Error : int32_t {
        kSyntaxError = 0,
        kStackExhausted = 1,
        kUnknownCharacter = 2,
    };

    // The stretch of `source` from `start` up to (not including) `end`, 1-based.
    void Init(CompList* source, int32_t start, int32_t end);
    void SetError(int32_t code) { m_errorCode = code; }
    int32_t ErrorCode() const { return m_errorCode; }

    // The next token code (0 at the end) and its value. Never throws: a failure inside is kept
    // (Failure) and ends the parse through an error token.
    int32_t Next(TokenValue& value);

    CompList* Source() const { return m_source; }
    int32_t Start() const { return m_start; }
    int32_t End() const { return m_end; }
    // The source record of the whole stretch.
    NodeSource WholeStretch() const;

    // The tree of an accepted parse; the parser sets it, the caller takes it.
    NodePtr result;

    // An exception that stopped the parse; the parser passes it on after unwinding its stack.
    void Fail(std::exception_ptr error) { m_failure = error; }
    std::exception_ptr Failure() const { return m_failure; }

private:
    int32_t Read(TokenValue& value);
    int32_t ReadBox(TextComp* box, TokenValue& value);
    int32_t ReadName(TokenValue& value);
    int32_t ReadNumber(TokenValue& value);
    int32_t ReadString(TokenValue& value);
    int32_t ReadSign(uint8_t code, TokenValue& value);
    int32_t Refuse(const char* message, const NodeSource& where, TokenValue& value);
    NodeSource Run(int32_t first, int32_t last) const;
    // The character code at a position, or -1 for a box or a position past the stretch.
    int32_t CharAt(int32_t position) const;

    CompList* m_source = nullptr;
    int32_t m_start = 1;
    int32_t m_end = 1;
    int32_t m_pos = 1;
    int32_t m_errorCode = kSyntaxError;
    std::exception_ptr m_failure;
};
