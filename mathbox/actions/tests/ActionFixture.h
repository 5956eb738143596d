#pragma once

// A small document and a fake view for the action tests. The view records what the actions ask
// of it (selection, relayouts, scrolls, beeps, the modified mark) and lays the sequence out for
// real through the fake services, so positions and ranges behave as in the program.
//
// The document: paragraph 1 (Paragraph) "ab", a box holding "x", "c"; paragraph 2 (Source
// Code) two tabs and "if"; paragraph 3 (Plain Equation) a 2 x 2 grid whose first cell holds
// "p", a partial derivative of two variables (the first "u") over "f", "z", and a plot with one
// expression list.

#include "document/BoxShapes.h"
#include "document/CompSequence.h"
#include "document/DocRange.h"
#include "document/PlotShape.h"
#include "document/tests/SequenceFakes.h"
#include "document/tests/StreamBytes.h"
#include "mathbox/EditView.h"
#include "mathbox/actions/UndoSlot.h"

#include <gtest/gtest.h>

#include <QImage>

#include <cctype>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace actiontest {

using namespace seqfakes;

class FakeView final : public EditView {
public:
    explicit FakeView(CompSequence& seq) : m_seq(seq) {}

    QImage& BackingImage() override { return m_image; }
    Point ScrollOffset() const override { return Point(visible.left, visible.top); }
    int32_t BaseSize() const override { return 5; }
    void InvalidateClientRect(const Rect&, bool) override {}
    void RegionErased(const Region&) override {}
    void RedrawWithin(const Region& clip) override { redraws.push_back(clip); }

    DocRange GetSelection() const override { return selection; }
    void SetSelection(const DocRange& range, bool) override {
        selection = range;
        if (onSetSelection) onSetSelection();
    }
    void InvalidateHighlight(const DocRange&) override { ++highlights; }
    void RelayoutFrom(int32_t paragraph, int32_t) override {
        relayouts.push_back(paragraph);
        m_seq.Relayout(paragraph, nullptr);
    }
    void UpdateScrollSizes() override {}
    Rect GetVisibleRect() const override { return visible; }
    void ScrollTo(Point topLeft) override {
        scrolls.push_back(topLeft);
        visible =
            Rect(topLeft.x, topLeft.y, topLeft.x + visible.Width(), topLeft.y + visible.Height());
    }
    void SetStatusText(const Str255& text) override { status = std::string(text.View()); }
    void SetDocumentModified() override { ++modified; }
    void Beep() override { ++beeps; }
    void BeginWindowDraw() override { ++drawDepth; }
    void EndWindowDraw() override { --drawDepth; }

    DocRange selection;
    Rect visible{0, 0, 600, 400};
    std::vector<int32_t> relayouts;
    std::vector<Point> scrolls;
    std::vector<Region> redraws; // the clips of immediate redraws
    std::string status;
    int highlights = 0;
    int modified = 0;
    int beeps = 0;
    int drawDepth = 0;
    std::function<void()> onSetSelection;

private:
    CompSequence& m_seq;
    QImage m_image;
};

// A one-list box that takes the selection into its list when it is created around one, as a
// fraction does.
class Wrapper final : public fakes::Box {
public:
    Wrapper() : fakes::Box(tags::Fraction) {}
    bool SelectsOnInsert() const override { return true; }
};

using Plot = fakes::Plot;

// A list's contents with every box's lists in braces: characters as themselves, "[G2x3]" for a
// grid of 2 columns and 3 rows followed by its cells, "[D2]" for a derivative of 2 variables.
inline std::string Deep(const CompList& list) {
    std::string out;
    for (int32_t i = 1; i <= list.GetCount(); ++i) {
        const TextComp* c = list.GetAt(i);
        if (c->GetTypeTag() == tags::Char) {
            const char code = static_cast<char>(c->GetCharCode());
            out += code == '\t' ? std::string("\\t") : std::string(1, code);
            if (c->GetStyleId() != 0) out += "'" + std::to_string(c->GetStyleId());
            continue;
        }
        if (const GridShape* grid = AsGrid(c))
            out += "[G" + std::to_string(grid->GetColumnCount()) + "x" +
                   std::to_string(grid->GetRowCount()) + "]";
        else if (const DerivativeShape* d = AsDerivative(c))
            out += "[D" + std::to_string(d->GetDifferentialCount()) + "]";
        else if (c->IsPlot())
            out += "[P]";
        else
            out += "[B]";
        out += "{";
        for (int32_t n = 1; n <= c->GetListCount(); ++n) {
            if (n > 1) out += ",";
            out += Deep(*c->GetList(n));
        }
        out += "}";
    }
    return out;
}

// A test case's name as a test name: letters and digits, the rest underscores.
inline std::string CaseName(const char* text) {
    std::string name;
    for (const char* p = text; *p != 0; ++p)
        name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
    return name;
}

inline std::string Deep(const CompSequence& seq) {
    std::string out;
    for (int32_t k = 1; k <= seq.GetCount(); ++k) {
        if (k > 1) out += " | ";
        out += std::to_string(seq.GetAt(k)->GetStyle().GetKind()) + ":" +
               Deep(*seq.GetAt(k)->GetList(1));
    }
    return out;
}

class ActionFixture : public ::testing::Test {
public:
    ActionFixture() {
        auto first = Para("ab", ParaStyle::kParagraph);
        box = new fakes::Box();
        fakes::AppendChars(*box->GetList(1), "x");
        first->GetList(1)->Append(box);
        fakes::AppendChars(*first->GetList(1), "c");
        auto second = Para("\t\tif", ParaStyle::kSourceCode);
        auto third = Para("", ParaStyle::kPlainEquation);
        grid = new Grid(tags::Matrix, 2, 2);
        fakes::AppendChars(*grid->GetCell(1, 1), "p");
        third->GetList(1)->Append(grid);
        derivative = new Derivative(2);
        fakes::AppendChars(*derivative->GetDifferential(1)->GetList(1), "u");
        fakes::AppendChars(*derivative->GetList(5), "f");
        third->GetList(1)->Append(derivative);
        fakes::AppendChars(*third->GetList(1), "z");
        plot = new Plot();
        third->GetList(1)->Append(plot);
        seq.Append(std::move(first));
        seq.Append(std::move(second));
        seq.Append(std::move(third));
        seq.PlaceAll(false);
        L1 = seq.GetAt(1)->GetList(1);
        L2 = seq.GetAt(2)->GetList(1);
        L3 = seq.GetAt(3)->GetList(1);
        names = {{L1, "L1"},
                 {L2, "L2"},
                 {L3, "L3"},
                 {box->GetList(1), "box"},
                 {grid, "G"},
                 {derivative, "D"},
                 {Var(1), "var1"},
                 {Var(2), "var2"},
                 {derivative->GetList(5), "fn"},
                 {plot->GetList(1), "plot1"},
                 {grid->GetCell(1, 1), "c11"},
                 {grid->GetCell(2, 1), "c21"},
                 {grid->GetCell(1, 2), "c12"},
                 {grid->GetCell(2, 2), "c22"}};
    }

    CompList* Var(int32_t k) const { return derivative->GetDifferential(k)->GetList(1); }

    static DocPos At(CompList* list, int32_t index) { return ListPos(list, index); }
    DocPos Cols(int32_t index) const { return GridPos(grid, index, true); }
    DocPos Rows(int32_t index) const { return GridPos(grid, index, false); }
    DocPos Vars(int32_t index) const { return VarPos(derivative, index); }
    static DocRange Range(const DocPos& a, const DocPos& b) {
        DocRange r;
        r.Assign(a, b);
        return r;
    }
    static DocRange Caret(const DocPos& a) { return Range(a, a); }

    std::string Name(const DocPos& p) const {
        if (p.kind == DocPos::kNone) return "none";
        const auto found = names.find(p.target);
        std::string s = found != names.end() ? found->second : "?";
        if (p.kind == DocPos::kOnGrid) s += p.columns ? " cols" : " rows";
        return s + " " + std::to_string(p.index);
    }
    // "L1 2" for a caret, "L1 2 - L1 4" for a range.
    std::string Name(const DocRange& r) const {
        return r.HasExtent() ? Name(r.start) + " - " + Name(r.end) : Name(r.start);
    }

    // The document's saved bytes: the body's record, as a save writes it.
    streambytes::Bytes Saved() const {
        return streambytes::Save([&](DocStream& s) { seq.Write(s, false); });
    }

    Services services;
    Document document;
    CompSequence seq{&document};
    FakeView view{seq};
    UndoSlot slot{view};
    fakes::Box* box = nullptr;
    Grid* grid = nullptr;
    Derivative* derivative = nullptr;
    Plot* plot = nullptr;
    CompList* L1 = nullptr;
    CompList* L2 = nullptr;
    CompList* L3 = nullptr;
    std::map<const void*, std::string> names;
};

// A document without paragraphs: a selection there lies nowhere.
struct EmptyDocument {
    // Performs each action, undoes and redoes it; none may bring the slot down.
    void
    RunEach(const std::vector<std::function<OwnedAction(EditView&, const DocRange&)>>& makers) {
        for (size_t i = 0; i < makers.size(); ++i) {
            SCOPED_TRACE(i);
            ASSERT_TRUE(slot.DoAction(makers[i](view, nowhere)));
            slot.UndoCommand();
            slot.UndoCommand();
            EXPECT_EQ(view.selection.start.kind, DocPos::kNone);
        }
        EXPECT_EQ(empty.GetCount(), 0);
    }

    Services services;
    Document document;
    CompSequence empty{&document};
    FakeView view{empty};
    UndoSlot slot{view};
    const DocRange nowhere{};
};

} // namespace actiontest
