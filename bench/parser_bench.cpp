// The infix parser reading 10,000 typed lines of mixed expressions (sums, products, powers,
// quotients, functions, relations, lists and rules), beside Giac's parser reading the same
// lines from text in the same run. Lines are typed into component lists outside the timed
// region; the parser's time includes freeing each tree. The table at the end gives the
// parser's time over Giac's; the goal is at most 0.5.

#include "PeerRatio.h"
#include "document/CompList.h"
#include "document/tests/Fakes.h"
#include "expr/symbols/BuiltinNames.h"
#include "giac_parse.h"
#include "mathbox/parser/ExprParser.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kLines = 10000;

// One line as typed here and as Giac writes it.
struct Pair {
    std::string typed;
    std::string giac;
};

std::vector<Pair> MakeLines() {
    const char* names[] = {"x", "y", "z", "t", "u", "v", "alpha1", "beta2"};
    std::vector<Pair> lines;
    lines.reserve(kLines);
    for (int i = 0; i < kLines; ++i) {
        const std::string a = names[i % 8];
        const std::string b = names[(i / 8) % 8];
        const std::string n = std::to_string(i % 97 + 2);
        switch (i % 8) {
        case 0:
            lines.push_back(
                {n + "*" + a + "^2+3*" + b + "-" + n, n + "*" + a + "^2+3*" + b + "-" + n});
            break;
        case 1:
            lines.push_back({"sin[" + a + "]*cos[" + b + "]/(1+" + a + "^2)",
                             "sin(" + a + ")*cos(" + b + ")/(1+" + a + "^2)"});
            break;
        case 2:
            lines.push_back({a + "^2+" + b + "^2=" + n, a + "^2+" + b + "^2=" + n});
            break;
        case 3:
            lines.push_back({"{" + a + ", " + b + ", " + n + "*" + a + "*" + b + "}",
                             "[" + a + ", " + b + ", " + n + "*" + a + "*" + b + "]"});
            break;
        case 4:
            lines.push_back({"exp[-" + a + "^2/2]*(" + a + "-" + b + ")^3",
                             "exp(-" + a + "^2/2)*(" + a + "-" + b + ")^3"});
            break;
        case 5:
            lines.push_back({"(" + a + "+1)*(" + b + "-2)*(" + a + "+" + b + "+" + n + ")",
                             "(" + a + "+1)*(" + b + "-2)*(" + a + "+" + b + "+" + n + ")"});
            break;
        case 6:
            lines.push_back({a + "->" + n + "." + n, a + "=" + n + "." + n});
            break;
        default:
            lines.push_back({"f[" + a + ", " + b + "]-g[" + a + "]/" + n,
                             "f(" + a + ", " + b + ")-g(" + a + ")/" + n});
            break;
        }
    }
    return lines;
}

const std::vector<Pair>& Lines() {
    static const std::vector<Pair> lines = MakeLines();
    return lines;
}

void Parser(benchmark::State& state) {
    static BuiltinNamesScope names;
    static fakes::GlyphSource glyphs;
    std::vector<std::unique_ptr<CompList>> typed;
    for (const Pair& line : Lines()) {
        auto list = std::make_unique<CompList>();
        for (char c : line.typed)
            list->Append(glyphs.GetGlyph(3, static_cast<uint8_t>(c)));
        typed.push_back(std::move(list));
    }
    int failed = 0;
    for (auto _ : state) {
        failed = 0;
        for (const auto& list : typed) {
            ExprLexer lexer;
            lexer.Init(list.get(), 1, list->GetCount() + 1);
            ParseFailed = false;
            NodePtr tree = ExprParser::Parse(lexer);
            failed += ParseFailed ? 1 : 0;
            benchmark::DoNotOptimize(tree.get());
        }
    }
    if (failed != 0) state.SkipWithError("a line failed to parse");
    state.SetItemsProcessed(state.iterations() * kLines);
}

void Giac(benchmark::State& state) {
    std::vector<std::string> text;
    for (const Pair& line : Lines())
        text.push_back(line.giac);
    int parsed = 0;
    for (auto _ : state)
        parsed = tessary::bench::GiacParseAll(text);
    if (parsed != kLines) state.SkipWithError("Giac failed to parse a line");
    state.SetItemsProcessed(state.iterations() * kLines);
}

BENCHMARK(Parser)->Name("parser/10000 typed lines")->Unit(benchmark::kMillisecond);
BENCHMARK(Giac)->Name("giac/10000 typed lines")->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    return tessary::bench::runWithPeerRatios(argc, argv, "parser", "giac");
}
