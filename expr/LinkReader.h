#pragma once

// Builds an expression tree from what the kernel sends: by token type, and for a function by
// the kind of its head in the built-in symbol table.
//
// The peer is not trusted. Every head consumes exactly the arguments the peer announced: what a
// class has no place for is read and dropped, what is missing stays empty. Nesting deeper than
// kMaxDepth is skipped token by token and stands as an error node, so the link stays in step.
// The first link error ends the read: nothing more is asked of the link, and every part not
// yet read becomes an error node. Heads whose classes come later (graphics, calculus, grids)
// are read as plain applications of their symbol, which keeps the link in step too.

#include "expr/ExprNode.h"

#include <string>

class LinkReader {
public:
    static constexpr int32_t kMaxDepth = 400;

    explicit LinkReader(QKLINK link) : m_link(link) {}

    // The next expression on the link; never null (an error node stands for what could not be
    // read).
    NodePtr ReadExpr();
    // True once a link error stopped the read.
    bool Failed() const { return m_failed; }
    // While set, every real becomes a machine real (the plots read their data so).
    void SetPlainReals(bool on) { m_plainReals = on; }

private:
    NodePtr ReadToken(int32_t type);
    NodePtr ReadNumber(int32_t type);
    NodePtr ReadSymbol();
    NodePtr ReadFunction();
    NodePtr ReadHeadKind(int32_t row, int32_t count);
    // Reads `count` arguments into a chain (stopping at the first failure).
    NodePtr ReadChain(int32_t count);
    // The first of `count` arguments; the others are read and dropped.
    NodePtr ReadOne(int32_t count);
    // `head` applied to the next `count` arguments.
    NodePtr Apply(NodePtr head, int32_t count);
    // Reads and drops `count` expressions.
    void Discard(int32_t count);
    // Skips `count` expressions token by token, without building anything.
    void Skip(int64_t count);
    bool ReadText(std::string& out);
    bool ReadName(std::string& out, bool symbol);
    NodePtr Fail();

    QKLINK m_link;
    int32_t m_depth = 0;
    bool m_failed = false;
    bool m_plainReals = false;
};

// One expression from the link, as the session reads an answer.
NodePtr ReadExprFromLink(QKLINK link);
