#pragma once

// What any tree must get right whatever it holds, for the tests and the fuzz targets alike:
// written to a link it says exactly as many arguments as it then writes, so the reader ends
// where the tree ends and reads the same tree back, in the program's own form and in the
// standard form; its text leaves it as it was; its MathML is well-formed; it builds boxes.
// Each check answers what went wrong, or nothing.

#include "corvinet/corvinet.h"
#include "expr/ExprNode.h"

#include <string>
#include <string_view>

namespace treecheck {

// The digits of the number the link is at, as the link sends them.
std::string LinkDigits(QKLINK link);

// How LinkExprText shows what two writings of one tree may spell differently.
struct WalkOptions {
    // A real by its value ("%.17g"), not its digits: 0.5 and .5 are one number.
    bool realsByValue = false;
    // A symbol or string whose text needs escapes as "<symbol>" or "<string>".
    bool maskEscapedText = false;
};

// One expression from the link as text, Head[arg, ...], strings quoted in their 7-bit link form
// and reals marked "R:"; `other` stands for a token that is no expression (the end of a packet,
// an error).
std::string LinkExprText(QKLINK link, const char* other = "<error>", WalkOptions options = {});

// One environment of the interface-1 build's parameters for the process, for loopback links.
QKENV Environment();

// A loopback link on that environment.
class LoopbackLink {
public:
    LoopbackLink();
    ~LoopbackLink();
    LoopbackLink(const LoopbackLink&) = delete;
    LoopbackLink& operator=(const LoopbackLink&) = delete;

    QKLINK Get() const { return m_link; }

private:
    QKLINK m_link = nullptr;
};

// How alike a tree and what the reader makes of it must be.
enum class Sameness {
    // The same tree. Holds for what the reader built and for typed math of every head at the
    // arity its class takes.
    kExact,
    // What the reader built reads back as itself. A typed head spelt at an arity its class
    // does not take (TYPower[y]) comes back with what is missing as Null: the counts still hold.
    kOnceRead,
};

// Writes the tree in the own form (`standard` false, no marks) or the standard form and reads
// it back with the link reader: the reader must end where the tree ends, with the same tree.
std::string LinkProblem(const ExprNode& tree, bool standard, Sameness sameness = Sameness::kExact);

// Every element closed in the order opened, attributes quoted, entities complete.
std::string MathMLProblem(std::string_view markup);

// All of the above, and the text written twice alike without changing the tree; the boxes
// are built from a copy (a box factory must be installed to see any).
std::string WritingProblem(const ExprNode& tree, Sameness sameness = Sameness::kExact);

} // namespace treecheck
