// The link reader over arbitrary bytes arriving as a kernel answer: whatever arrives, the reader
// ends with a tree (error nodes where the answer was damaged), never a crash, a hang, deep
// recursion or a leak; and every tree it builds can be copied, taken apart, flattened and
// written as MathML and text, and written back to a link with the counts it announces, so
// that it reads back the same.

#include "Link.h"
#include "corvinet/corvinet.h"
#include "expr/LinkReader.h"
#include "expr/MathMLWriter.h"
#include "expr/symbols/BuiltinNames.h"
#include "expr/tests/TreeChecks.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace {

void Exercise(ExprNode& node) {
    for (const bool standard : {false, true}) {
        const std::string problem = treecheck::LinkProblem(node, standard);
        if (!problem.empty()) {
            std::fprintf(stderr, "%s\n", problem.c_str());
            __builtin_trap();
        }
    }
    NodePtr copy = node.Clone();
    StringMathMLWriter writer;
    node.WriteMathML(writer);
    Str255 text;
    node.WriteText(text);
    if (copy) {
        copy->VisitTreeNoArg();
        ReplaceByFraction(copy);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    static BuiltinNamesScope names;
    if (size == 0) return 0;
    int32_t error = 0;
    QKLINK link = QKLoopbackOpen(treecheck::Environment(), &error);
    if (!link) return 0;
    // Every byte is the peer's, so the get side's packets serve as seeds; the length's parity
    // chooses whether reals are read as plain machine numbers.
    const bool plainReals = size % 2 == 1;
    if (link->stream.putBytes(data, size) == 0 && link->stream.flush() == 0) {
        LinkReader reader(link);
        reader.SetPlainReals(plainReals);
        for (int step = 0; step < 16 && !reader.Failed(); ++step) {
            NodePtr node = reader.ReadExpr();
            if (node) Exercise(*node);
        }
    }
    QKClose(link);
    return 0;
}
