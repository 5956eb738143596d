#pragma once

// Builds an expression tree from what the kernel sends: by token type, and for a function by
// the kind of its head in the built-in symbol table.
//
// The peer is not trusted. Every head consumes exactly the arguments the peer announced: what a
// class has no place for is read and dropped, what is missing stays empty. Nesting deeper than
// kMaxDepth is skipped token by token and stands as an error node, so the link stays in step.
// The first link error ends the read: it goes to the installed link-error handler, nothing
// more is asked of the link, and every part not yet read becomes an error node. The heads of plot
// requests and graphics are read by the installed `GraphicsNodeReader`; while none is installed
// they are read as plain applications of their symbol, which keeps the link in step too.

#include "expr/ExprNode.h"
#include "platform/Installed.h"

#include <string>

// Told when the link fails under the reader, so that whoever owns the link can report its error
// to the user and close it. The kernel session installs one with an `Installed` guard; while
// none is installed a failure goes unreported and `LinkReader::Failed` is all a caller learns.
class LinkErrorHandler {
public:
    virtual ~LinkErrorHandler() = default;
    // Called once per reader, at its first link failure. The reader asks nothing more of `link`
    // afterwards, so the handler may close it.
    virtual void HandleLinkError(QKLINK link) = 0;
};

// The installed handler; not owned here.
extern ServiceSlot<LinkErrorHandler> gLinkErrorHandler;

class LinkReader;

// Builds the nodes of plot requests and graphics, whose classes live in the plots subsystem,
// which installs one with an `Installed` guard.
class GraphicsNodeReader {
public:
    virtual ~GraphicsNodeReader() = default;
    // The node for a head of symbol kind `kind` (the plot and graphics kinds) announcing `count`
    // arguments, read through `reader`. It must consume exactly `count` arguments.
    virtual NodePtr Read(LinkReader& reader, int32_t kind, int32_t count) = 0;
};

// The installed graphics reader; not owned here.
extern ServiceSlot<GraphicsNodeReader> gGraphicsNodeReader;

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
    bool PlainReals() const { return m_plainReals; }
    // Reads and drops `count` expressions.
    void Discard(int32_t count);

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
    // Skips `count` expressions token by token, without building anything.
    void Skip(int64_t count);
    bool ReadText(std::string& out);
    bool ReadName(std::string& out, bool symbol);
    // Ends the read at a link failure; the first one goes to the link-error handler.
    void MarkFailed();
    // The same, and an error node to stand for what could not be read.
    NodePtr Fail();

    QKLINK m_link;
    int32_t m_depth = 0;
    bool m_failed = false;
    bool m_plainReals = false;
};

// One expression from the link, as the session reads an answer.
NodePtr ReadExprFromLink(QKLINK link);
