// The lexer and parser over arbitrary typed lines (TypedInput.h): whatever is typed, the parse
// ends with a tree or an error node over the line, never a crash, a hang or a leak; and the
// tree writes itself soundly: to a link with the counts it announces, so the reader ends where
// it ends and reads it back the same, in both forms; as text that leaves it unchanged; as
// well-formed MathML; and as boxes.

#include "expr/NodePool.h"
#include "expr/symbols/BuiltinNames.h"
#include "expr/tests/BoxFakes.h"
#include "expr/tests/TreeChecks.h"
#include "mathbox/parser/fuzz/TypedInput.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static BuiltinNamesScope names;
    static exprtest::FakeBoxes boxes;
    const std::int64_t before = nodepool::LiveNodes();
    {
        const NodePtr tree =
            typedinput::Parse(std::string_view(reinterpret_cast<const char*>(data), size));
        if (!tree) __builtin_trap();
        // Random bytes spell heads at any arity (Sameness).
        const std::string problem =
            treecheck::WritingProblem(*tree, treecheck::Sameness::kOnceRead);
        if (!problem.empty()) {
            std::fprintf(stderr, "%s\n", problem.c_str());
            __builtin_trap();
        }
    }
    if (nodepool::LiveNodes() != before) {
        std::fprintf(stderr, "the parse left %lld nodes behind\n",
                     static_cast<long long>(nodepool::LiveNodes() - before));
        __builtin_trap();
    }
    return 0;
}
