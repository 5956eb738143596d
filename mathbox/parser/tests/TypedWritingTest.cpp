// Typed math written every way a tree is written: the fuzz target's seed lines and every seed
// in its corpus write to a link exactly what they announce (the reader ends where the tree ends
// and reads the same tree back), write text that leaves them as they were and well-formed
// MathML; and no parse leaves a node behind. Then what particular lines must write.

#include "expr/MathMLWriter.h"
#include "expr/NodePool.h"
#include "expr/symbols/BuiltinNames.h"
#include "expr/tests/BoxFakes.h"
#include "expr/tests/TreeChecks.h"
#include "mathbox/parser/fuzz/TypedInput.h"
#include "mathbox/parser/fuzz/TypedLines.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace {

class TypedWriting : public ::testing::Test {
protected:
    // What the line's tree writes wrongly, and whether the parse and the checks left nodes.
    std::string Problem(std::string_view bytes) {
        const std::int64_t before = nodepool::LiveNodes();
        std::string problem;
        {
            const NodePtr tree = typedinput::Parse(bytes);
            problem = tree ? treecheck::WritingProblem(*tree) : "no tree";
        }
        if (nodepool::LiveNodes() != before)
            problem += " left " + std::to_string(nodepool::LiveNodes() - before) + " nodes";
        return problem;
    }

    // The line's tree as the link carries it, in the own or the standard form.
    std::string Written(std::string_view bytes, bool standard) {
        const NodePtr tree = typedinput::Parse(bytes);
        treecheck::LoopbackLink link;
        if (standard)
            tree->PutStandardToLink(link.Get());
        else
            tree->PutToLink(link.Get(), kNoMarkers);
        QKEndPacket(link.Get());
        return treecheck::LinkExprText(link.Get());
    }
    std::string Text(std::string_view bytes) {
        Str255 text;
        typedinput::Parse(bytes)->WriteText(text);
        return text.ToCString();
    }
    std::string MathML(std::string_view bytes) {
        StringMathMLWriter writer;
        typedinput::Parse(bytes)->WriteMathML(writer);
        return writer.Text();
    }
    std::string Boxes(std::string_view bytes) {
        return exprtest::BoxesOf(*typedinput::Parse(bytes));
    }

    BuiltinNamesScope names;
    exprtest::FakeBoxes boxes;
};

TEST_F(TypedWriting, EverySeedLineWritesWhatItAnnouncesAndLeavesNothing) {
    for (const typedinput::TypedLine& line : typedinput::kTypedLines) {
        SCOPED_TRACE(line.name);
        EXPECT_EQ(Problem(line.bytes), "");
    }
}

TEST_F(TypedWriting, EverySeedOfTheFuzzCorpusWritesWhatItAnnounces) {
    int seeds = 0;
    for (const auto& entry : std::filesystem::directory_iterator(PARSER_CORPUS)) {
        SCOPED_TRACE(entry.path().filename().string());
        std::ifstream in(entry.path(), std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)), {});
        EXPECT_EQ(Problem(bytes), "");
        ++seeds;
    }
    EXPECT_GE(seeds, static_cast<int>(std::size(typedinput::kTypedLines)));
}

TEST_F(TypedWriting, ArgumentsAreCountedAsTheyAreWritten) {
    struct Row {
        std::string_view typed;
        const char* own;
        const char* standard;
    };
    // clang-format off
    const Row rows[] = {
        // Two arguments in brackets name the base first, as the kernel's Log does; one
        // follows the implied base 10.
        {"log[2, x]",     "TYLog[2, x]",       "Log[2, x]"},
        {"log[x]",        "TYLog[10, x]",      "Log[10, x]"},
        {"log\1\1[2, x]", "TYLog[1, 2, x]",    "Log[1, 2, x]"},
        {"log x",         "TYLog[10, x]",      "Log[10, x]"},
        {"f[a, b]",       "f[a, b]",           "f[a, b]"},
        // A paren box holding "y, z" amid a sum is one term.
        {"x + \1\11",     "TYPlus[x, Sequence[y, z]]", "Plus[x, Sequence[y, z]]"},
        // Among arguments it spreads, as the kernel's own sequence does.
        {"f[\1\11, w]",   "f[y, z, w]",        "f[y, z, w]"},
        {"a, b",          "Sequence[a, b]",    "Sequence[a, b]"},
        {"g[x][y]",       "g[x][y]",           "g[x][y]"},
    };
    // clang-format on
    for (const Row& row : rows) {
        SCOPED_TRACE(row.own);
        EXPECT_EQ(Written(row.typed, false), row.own);
        EXPECT_EQ(Written(row.typed, true), row.standard);
    }
}

TEST_F(TypedWriting, GroupingKeepsItsMeaningWithoutDoubledParentheses) {
    struct Row {
        std::string_view typed;
        const char* text;
        const char* mathml;
    };
    // clang-format off
    const Row rows[] = {
        {"a - (b + c)", "a - (b + c)",
         "<mrow><mi>a</mi><mo>-</mo><mrow><mo>(</mo><mrow><mi>b</mi><mo>+</mo><mi>c</mi></mrow><mo>)</mo></mrow></mrow>"},
        {"(a + b)!", "(a + b)!",
         "<mrow><mrow><mo>(</mo><mrow><mi>a</mi><mo>+</mo><mi>b</mi></mrow><mo>)</mo></mrow><mo>!</mo></mrow>"},
        {"(a+b)/c", "(a + b)/c",
         "<mfrac><mrow><mo>(</mo><mrow><mi>a</mi><mo>+</mo><mi>b</mi></mrow><mo>)</mo></mrow><mi>c</mi></mfrac>"},
        {"sin(a + b)", nullptr,
         "<mrow><mi>sin</mi><mo>&af;</mo><mrow><mo>(</mo><mrow><mi>a</mi><mo>+</mo><mi>b</mi></mrow><mo>)</mo></mrow></mrow>"},
        {"f[a + b]", "f(a + b)", nullptr},
    };
    // clang-format on
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.typed));
        if (row.text) EXPECT_EQ(Text(row.typed), row.text);
        if (row.mathml) EXPECT_EQ(MathML(row.typed), row.mathml);
    }
}

TEST_F(TypedWriting, ALogarithmOfTheImpliedBaseShowsNoBase) {
    EXPECT_EQ(Boxes("log x"), "log x");
    EXPECT_EQ(Boxes("log(x + 1)"), "logParen{x + 1}");
    EXPECT_EQ(Text("log x"), "TYLog(x)"); // a symbol head writes its link name
    EXPECT_EQ(MathML("log x"), "<mrow><mi>log</mi><mo>&af;</mo><mi>x</mi></mrow>");
    // Any other base shows as the subscript it was typed as.
    EXPECT_EQ(Boxes("log\1\1 x"), "logSubs{1}Bracket{x}");
    EXPECT_EQ(MathML("log\1\1 x"),
              "<mrow><msub><mi>log</mi><mn>1</mn></msub><mo>&af;</mo><mi>x</mi></mrow>");
}

} // namespace
