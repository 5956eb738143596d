// Laying out 10,000 formulas that mix fractions, scripts, delimiters, overbars, radicals,
// integrals, sums, products and limits, nested up to three deep, through the real boxes, runs and
// drawing layer. In the same run KaTeX renders the same formulas, written as LaTeX by the boxes
// themselves, to strings under node; the goal is at least five times its speed. scripts/bench
// installs KaTeX with npm into the build folder; without it the peer's side is skipped.

#include "bench/PeerRatio.h"
#include "bench/RealServices.h"
#include "document/CompList.h"
#include "document/DrawPort.h"
#include "document/GlyphSource.h"
#include "document/ParaComp.h"
#include "mathbox/MathBoxKinds.h"
#include "mathbox/MathBoxes.h"
#include "mathbox/tests/StringLatex.h"

#include <benchmark/benchmark.h>

#include <QGuiApplication>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int kFormulas = 10000;
constexpr int kPeerPasses = 5;

const char* const kAtoms[] = {"x", "n+1", "2", "a-b", "k", "y=0", "i", "z"};

CompArray Chars(std::string_view text) {
    CompArray array;
    for (char c : text)
        array.Add(OwnedComponent(gGlyphSource->GetGlyph(3, static_cast<uint8_t>(c))));
    return array;
}

class FormulaMaker {
public:
    explicit FormulaMaker(uint32_t seed) : m_random(seed) {}

    // Characters, and below the depth limit now and then a structure among them.
    CompArray Content(int depth) {
        CompArray content = Chars(Atom());
        if (depth > 0 && Pick(3) != 0) {
            content.Add(Structure(depth - 1));
            if (Pick(2) == 0)
                for (TextComp* c : Chars("+" + std::string(Atom())).ReleaseAll())
                    content.Add(OwnedComponent(c));
        }
        return content;
    }

    OwnedComponent Structure(int depth) {
        switch (Pick(12)) {
        case 0:
            return Own(new FracComp(Content(depth), Content(depth)));
        case 1:
            return Own(new ExpoComp(Content(depth)));
        case 2:
            return Own(new SubsComp(Content(depth)));
        case 3:
            return Own(new AbsVComp(Content(depth)));
        case 4:
            return Own(new BracketComp(Content(depth)));
        case 5:
            return Own(new ParenComp(Content(depth)));
        case 6:
            return Own(new OverComp(Content(depth)));
        case 7:
            return Own(new SqrtComp(Content(depth), Pick(3) == 0 ? Chars("3") : CompArray()));
        case 8:
            return Own(new InteComp(Content(depth), Chars("x"), Chars("b"), Chars("a")));
        case 9:
            return Own(new SumComp(Chars("n"), Content(depth)));
        case 10:
            return Own(new ProdComp(Chars("m"), Content(depth)));
        default:
            return Own(new LimitComp(Content(depth)));
        }
    }

private:
    static OwnedComponent Own(TextComp* comp) { return OwnedComponent(comp); }
    uint32_t Pick(uint32_t n) {
        return std::uniform_int_distribution<uint32_t>(0, n - 1)(m_random);
    }
    const char* Atom() { return kAtoms[Pick(std::size(kAtoms))]; }

    std::mt19937 m_random;
};

using OwnedPara = std::unique_ptr<ParaComp, ComponentDestroyer>;

// The formulas, each a paragraph of one line: three structures between characters.
std::vector<OwnedPara> MakeFormulas() {
    FormulaMaker maker(10000);
    std::vector<OwnedPara> formulas;
    for (int f = 0; f < kFormulas; ++f) {
        OwnedPara para(new ParaComp(ParaStyle::kParagraph));
        CompList& list = *para->GetList(1);
        for (int s = 0; s < 3; ++s) {
            list.InsertArrayAt(Chars(s == 0 ? "f=" : "+"), list.GetCount() + 1);
            list.Append(maker.Structure(2).release());
        }
        formulas.push_back(std::move(para));
    }
    return formulas;
}

struct Services : tessary::bench::RealLayout {
    MathBoxKinds kinds;
};

void BM_Boxes(benchmark::State& state) {
    Services services;
    std::vector<OwnedPara> formulas = MakeFormulas();
    const int32_t left = gDrawPort->GetLeftMargin();
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        int32_t top = 0;
        for (OwnedPara& para : formulas) {
            para->InvalidateAll();
            para->LayoutLines(nullptr);
            para->SetOrigin(Point(left, top));
            top = para->GetFrame().bottom;
        }
        benchmark::DoNotOptimize(top);
        state.SetIterationTime(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    state.SetItemsProcessed(state.iterations() * kFormulas);
}
// Timed by hand like the peer, so both carry the same name for the ratio.
BENCHMARK(BM_Boxes)->Name("boxes/10000 formulas")->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_Katex(benchmark::State& state) {
    const std::string katex = TESSARY_KATEX_DIR;
    if (!std::ifstream(katex + "/node_modules/katex/package.json")) {
        state.SkipWithError("KaTeX is not installed; scripts/bench installs it");
        return;
    }
    std::string file;
    {
        Services services;
        const std::string path = std::string(TESSARY_BENCH_DIR) + "/mathbox_formulas.tex";
        std::ofstream out(path, std::ios::binary);
        for (OwnedPara& para : MakeFormulas()) {
            boxtest::StringLatex writer(false);
            CompList& list = *para->GetList(1);
            for (int32_t i = 1; i <= list.GetCount(); ++i)
                writer.WriteComponentChar(*list.GetAt(i), false);
            out << writer.out << '\n';
        }
        file = path;
    }
    const std::string command = "node " + std::string(TESSARY_BENCH_SOURCE_DIR) +
                                "/katex_peer.js " + katex + " " + file + " " +
                                std::to_string(kPeerPasses);
    FILE* pipe = popen(command.c_str(), "r");
    std::vector<double> seconds;
    double value = 0;
    while (pipe != nullptr && std::fscanf(pipe, "%lf", &value) == 1)
        seconds.push_back(value);
    const int status = pipe != nullptr ? pclose(pipe) : -1;
    if (status != 0 || seconds.size() != kPeerPasses) {
        state.SkipWithError("the KaTeX run failed");
        return;
    }
    size_t pass = 0;
    for (auto _ : state)
        state.SetIterationTime(seconds[pass++ % seconds.size()]);
    state.SetItemsProcessed(state.iterations() * kFormulas);
}
BENCHMARK(BM_Katex)->Name("katex/10000 formulas")->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QGuiApplication app(argc, argv);
    return tessary::bench::runWithPeerRatios(argc, argv, "boxes", "katex");
}
