// Laying out and placing a 500-page document: 2,500 paragraphs of about 400 characters of
// ordinary text at the default column width, through the real builders, runs and drawing layer.
// In the same run the platform's own text layout (QTextLayout) breaks and justifies the same text
// in the same font at the same width; the goal is at least twice its speed.

#include "bench/RealServices.h"
#include "document/CompList.h"
#include "document/DrawPort.h"
#include "document/GlyphSource.h"
#include "document/ParaComp.h"
#include "document/TextFontPrefs.h"
#include "mathbox/DrawingServices.h"
#include "mathbox/FontFiles.h"
#include "mathbox/StyleManager.h"

#include <benchmark/benchmark.h>

#include <QFont>
#include <QRawFont>
#include <QTextLayout>

#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int kParagraphs = 2500;
constexpr size_t kCharacters = 400;

const char* const kWords[] = {
    "the",        "function",    "is",        "continuous", "on",      "a",        "closed",
    "interval",   "and",         "therefore", "bounded",    "we",      "take",     "its",
    "maximum",    "which",       "exists",    "because",    "every",   "sequence", "has",
    "converging", "subsequence", "in",        "this",       "setting", "of",       "real",
    "numbers,",   "so",          "that",      "limit",      "belongs", "to",       "set.",
};

// The same ordinary text for both sides: words and blanks, a full stop now and then.
std::vector<std::string> MakeText() {
    std::mt19937 random(2500);
    std::uniform_int_distribution<size_t> pick(0, std::size(kWords) - 1);
    std::vector<std::string> texts;
    for (int p = 0; p < kParagraphs; ++p) {
        std::string text;
        while (text.size() < kCharacters) {
            if (!text.empty()) text += ' ';
            text += kWords[pick(random)];
        }
        texts.push_back(std::move(text));
    }
    return texts;
}

struct Paragraphs {
    std::vector<std::unique_ptr<ParaComp, ComponentDestroyer>> items;
};

void BM_LayOutAndPlaceDocument(benchmark::State& state) {
    tessary::bench::RealLayout services;
    Paragraphs doc;
    for (const std::string& text : MakeText()) {
        doc.items.emplace_back(new ParaComp(ParaStyle::kParagraph));
        CompList& list = *doc.items.back()->GetList(1);
        for (char c : text)
            list.Append(gGlyphSource->GetGlyph(0, static_cast<uint8_t>(c)));
    }
    const int32_t left = gDrawPort->GetLeftMargin();
    int64_t lines = 0;
    for (auto _ : state) {
        int32_t top = gDrawPort->GetTopMargin();
        const ParaComp* previous = nullptr;
        for (auto& para : doc.items) {
            para->LayoutLines(previous);
            para->SetOrigin(Point(left, top));
            top = para->GetFrame().bottom;
            previous = para.get();
        }
        benchmark::DoNotOptimize(top);
    }
    for (const Layout* run : doc.items.front()->GetList(1)->GetRuns())
        lines += run->IsLineRun() ? 1 : 0;
    state.counters["lines_per_paragraph"] = static_cast<double>(lines);
    state.SetItemsProcessed(state.iterations() * kParagraphs);
}
BENCHMARK(BM_LayOutAndPlaceDocument)->Unit(benchmark::kMillisecond);

void BM_QTextLayoutDocument(benchmark::State& state) {
    TextFontPrefs prefs;
    DrawingServices drawing(prefs);
    // The face and size the Paragraph style uses at the default base size, on the 96-dpi
    // window target, unhinted as the layer draws it.
    const int pixels = PixelSizeOf(PointSizeOfSizeIndex(5), 96);
    const QRawFont raw = MakeRawFont("Tessary Roman", false, false, pixels);
    QFont font(raw.familyName());
    font.setPixelSize(pixels);
    font.setHintingPreference(QFont::PreferNoHinting);
    const qreal width = gDrawPort->GetColumnWidth() - gDrawPort->GetLeftMargin();
    std::vector<QString> texts;
    for (const std::string& text : MakeText())
        texts.push_back(QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
    QTextOption option;
    option.setAlignment(Qt::AlignJustify);
    option.setWrapMode(QTextOption::WordWrap);
    int64_t lines = 0;
    for (auto _ : state) {
        qreal top = 0;
        lines = 0;
        for (const QString& text : texts) {
            QTextLayout textLayout(text, font);
            textLayout.setTextOption(option);
            textLayout.beginLayout();
            for (QTextLine line = textLayout.createLine(); line.isValid();
                 line = textLayout.createLine()) {
                line.setLineWidth(width);
                line.setPosition(QPointF(0, top));
                top += line.height();
                ++lines;
            }
            textLayout.endLayout();
        }
        benchmark::DoNotOptimize(top);
    }
    state.counters["lines_per_paragraph"] = static_cast<double>(lines) / kParagraphs;
    state.SetItemsProcessed(state.iterations() * kParagraphs);
}
BENCHMARK(BM_QTextLayoutDocument)->Unit(benchmark::kMillisecond);

} // namespace
