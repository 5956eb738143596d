#pragma once

// Stand-ins for what the paragraph sequence, positions and ranges reach: a style table whose
// layout puts one 10-unit cell per child in lines of fixed height, a document's number pool,
// grid boxes and partial derivatives with small fixed geometry, and a recording page-break
// sink. Together with the fakes of Fakes.h they make a document whose text and structure tests
// can read back.

#include "document/BoxShapes.h"
#include "document/CompSequence.h"
#include "document/PageBreakSink.h"
#include "document/ParaStyle.h"
#include "document/tests/Fakes.h"

#include <algorithm>
#include <map>
#include <memory>
#include <new>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace seqfakes {

inline constexpr int32_t kCell = 10;   // width of every child's cell
inline constexpr int32_t kAscent = 15; // a line's baseline below its top
inline constexpr int32_t kDescent = 5;

// A line's start: no width of its own, the line's height.
class LineRun final : public Layout {
public:
    explicit LineRun(int32_t start) : Layout(start) { SetMeasured(Rect(0, -kAscent, 0, kDescent)); }
    bool IsLineRun() const override { return true; }
    bool ContainsIndex(int32_t) const override { return false; }
    TypeTag GetTypeTag() const override { return tags::LineRun; }
};

// One child (or an empty list's caret place) in a cell.
class CellRun final : public Layout {
public:
    CellRun(CompList* list, int32_t start) : Layout(start), m_list(list) {
        SetMeasured(Rect(0, -kAscent, kCell, kDescent));
    }
    TypeTag GetTypeTag() const override { return tags::WordRun; }
    bool PosFromPoint(DocPos& out, Point point, bool rightHalf) override {
        const Rect f = GetFrame();
        out.SetAt(m_list, m_start + (rightHalf && point.x >= (f.left + f.right) / 2 ? 1 : 0));
        return true;
    }
    TextComp* ComponentAtPoint(Point) override { return m_list->GetAt(m_start); }

private:
    CompList* m_list;
};

class Style final : public ParaStyle {
public:
    Style(int32_t kind, int32_t lineHeight) : m_kind(kind), m_lineHeight(lineHeight) {}
    int32_t GetKind() const override { return m_kind; }
    int32_t GetFace() const override { return 0; }
    int32_t GetTextFace() const override { return 0; }
    int8_t GetRelativeSize(const ParaComp&) const override { return 0; }
    bool IsNumbered() const override { return m_kind == kNumberedEquation; }
    bool HasTrailingLabel() const override { return m_kind == kNumberedEquation; }

    void BuildLines(ParaComp& para, const ParaComp*, int32_t left, int32_t right) override {
        CompList& list = *para.GetList(1);
        ListLines lines(list);
        const int32_t perLine = std::max((right - left) / kCell, 1);
        const int32_t count = list.GetCount();
        for (int32_t i = 1; i <= std::max(count, 1); ++i) {
            if ((i - 1) % perLine == 0) lines.AppendRun(std::make_unique<LineRun>(i));
            lines.AppendRun(std::make_unique<CellRun>(&list, i));
        }
        lines.MarkBuilt();
        ++builds;
    }
    void PlaceLines(ParaComp& para, Point start) override {
        CompList& list = *para.GetList(1);
        const int32_t left = gDrawPort->GetLeftMargin();
        int32_t lineCount = 0;
        int32_t column = 0;
        int32_t baseline = 0;
        for (Layout* run : list.GetRuns()) {
            if (run->IsLineRun()) {
                baseline = start.y + lineCount * m_lineHeight + kAscent;
                ++lineCount;
                column = 0;
                run->SetOrigin(Point(start.x, baseline));
            } else {
                run->SetOrigin(Point(start.x + column * kCell, baseline));
                ++column;
            }
        }
        para.SetBounds(Rect(0, 0, gDrawPort->GetColumnWidth() - left, lineCount * m_lineHeight));
        ListLines(list).SetPlacedOrigin(start);
    }
    void AdvanceCounter(NumberRecord& record) const override {
        ++advances;
        if (m_kind == kSection) ++record.section;
        if (m_kind == kNumberedEquation) ++record.equation;
    }
    Str31 GetNumberText(const NumberRecord& record) const override {
        Str31 text;
        text.AppendChar('(').AppendNumber(record.equation).AppendChar(')');
        return text;
    }
    Str31 GetReferenceText(const NumberRecord& record, bool) const override {
        return GetNumberText(record);
    }

    int builds = 0;
    mutable int advances = 0; // paragraphs numbered

private:
    int32_t m_kind;
    int32_t m_lineHeight;
};

// Styles 0 to 7; every line is 20 high unless a test says otherwise.
class ParaStyles final : public ParaStyleTable {
public:
    explicit ParaStyles(int32_t lineHeight = 20) {
        for (int32_t k = 0; k < 8; ++k)
            m_styles.push_back(std::make_unique<Style>(k, lineHeight));
    }
    ParaStyle& GetStyle(int32_t number) override {
        return *m_styles[static_cast<size_t>(number >= 0 && number < 8 ? number : 3)];
    }
    Style& At(int32_t number) { return *m_styles[static_cast<size_t>(number)]; }

private:
    std::vector<std::unique_ptr<Style>> m_styles;
    Installed<ParaStyleTable> m_installed{gParaStyles, this};
};

// A number pool that remembers who holds what.
class Document final : public ParaDocument {
public:
    int32_t ClaimParagraphNumber(int32_t identity) override {
        if (claimsLeft == 0) throw std::bad_alloc();
        if (claimsLeft > 0) --claimsLeft;
        if (identity <= 0 || held.count(identity) != 0) identity = ++m_next;
        held.insert(identity);
        return identity;
    }
    void ReleaseParagraphNumber(int32_t identity) override { held.erase(identity); }
    ParaComp* FindParagraph(int32_t identity) const override {
        return body != nullptr ? body->FindByNumber(identity) : nullptr;
    }
    bool HasLargerEquations() const override { return false; }

    std::multiset<int32_t> held;
    // Claims that succeed before one fails as out of memory; below 0, all succeed.
    int32_t claimsLeft = -1;
    // The sequence FindParagraph searches, when set.
    const CompSequence* body = nullptr;

private:
    int32_t m_next = 0;
};

class PageBreaks final : public PageBreakSink {
public:
    void SetPageBreak(int32_t page, int32_t bottom) override { breaks.emplace_back(page, bottom); }
    std::vector<std::pair<int32_t, int32_t>> breaks;
};

// A grid box of empty or given cells; rows and columns answer rectangles of 10 x 10 per cell.
class Grid final : public MathComp, public GridShape {
public:
    Grid(TypeTag tag, int32_t columns, int32_t rows) : m_tag(tag) {
        for (int32_t c = 0; c < columns; ++c) {
            m_columns.emplace_back();
            for (int32_t r = 0; r < rows; ++r)
                m_columns.back().push_back(NewCell());
        }
        m_rows = columns > 0 ? rows : 0;
    }
    ~Grid() override = default;

    OwnedComponent Clone() const override { return CopyColumns(1, GetColumnCount()); }
    TypeTag GetTypeTag() const override { return m_tag; }
    bool IsGridBox() const override { return true; }
    int32_t GetListCount() const override { return GetColumnCount() * m_rows; }
    CompList* GetList(int32_t i) const override {
        if (i < 1 || i > GetListCount()) return nullptr;
        return GetCell((i - 1) % GetColumnCount() + 1, (i - 1) / GetColumnCount() + 1);
    }
    int32_t IndexOfList(const CompList* list) const override {
        int32_t c = 0, r = 0;
        return FindCell(list, c, r) ? (r - 1) * GetColumnCount() + c : 0;
    }
    CompList* ListRightOf(const CompList* from) const override {
        if (from == nullptr) return GetList(1);
        const int32_t i = IndexOfList(from);
        return i > 0 ? GetList(i + 1) : nullptr;
    }
    CompList* ListLeftOf(const CompList* from) const override {
        if (from == nullptr) return GetList(GetListCount());
        const int32_t i = IndexOfList(from);
        return i > 1 ? GetList(i - 1) : nullptr;
    }
    CompList* ListAbove(const CompList* from) const override {
        int32_t c = 0, r = 0;
        return FindCell(from, c, r) && r > 1 ? GetCell(c, r - 1) : nullptr;
    }
    CompList* ListBelow(const CompList* from) const override {
        int32_t c = 0, r = 0;
        return FindCell(from, c, r) && r < m_rows ? GetCell(c, r + 1) : nullptr;
    }

    int32_t GetColumnCount() const override { return static_cast<int32_t>(m_columns.size()); }
    int32_t GetRowCount() const override { return m_rows; }
    CompList* GetCell(int32_t column, int32_t row) const override {
        return m_columns[static_cast<size_t>(column - 1)][static_cast<size_t>(row - 1)].get();
    }
    bool FindCell(const CompList* list, int32_t& column, int32_t& row) const override {
        for (int32_t c = 1; c <= GetColumnCount(); ++c)
            for (int32_t r = 1; r <= m_rows; ++r)
                if (GetCell(c, r) == list) {
                    column = c;
                    row = r;
                    return true;
                }
        column = row = 0;
        return false;
    }
    Rect GetRowRect(int32_t row) const override {
        return Rect(0, row * 10, GetColumnCount() * 10, row * 10 + 10);
    }
    Rect GetColumnRect(int32_t column) const override {
        return Rect(column * 10, 0, column * 10 + 10, m_rows * 10);
    }
    OwnedComponent CopyRows(int32_t first, int32_t last) const override {
        auto grid = std::make_unique<Grid>(m_tag, 0, 0);
        for (const auto& column : m_columns) {
            grid->m_columns.emplace_back();
            for (int32_t r = first; r <= last; ++r)
                grid->m_columns.back().push_back(
                    grid->Adopt(column[static_cast<size_t>(r - 1)]->Clone()));
        }
        grid->m_rows = grid->m_columns.empty() ? 0 : last - first + 1;
        return OwnedComponent(grid.release());
    }
    OwnedComponent CopyColumns(int32_t first, int32_t last) const override {
        auto grid = std::make_unique<Grid>(m_tag, 0, 0);
        for (int32_t c = first; c <= last; ++c) {
            grid->m_columns.emplace_back();
            for (const auto& cell : m_columns[static_cast<size_t>(c - 1)])
                grid->m_columns.back().push_back(grid->Adopt(cell->Clone()));
        }
        grid->m_rows = grid->m_columns.empty() ? 0 : m_rows;
        return OwnedComponent(grid.release());
    }
    OwnedComponent RemoveRows(int32_t first, int32_t last) override {
        auto grid = std::make_unique<Grid>(m_tag, 0, 0);
        for (auto& column : m_columns) {
            grid->m_columns.emplace_back();
            for (int32_t r = first; r <= last; ++r)
                grid->m_columns.back().push_back(
                    grid->Adopt(std::move(column[static_cast<size_t>(r - 1)])));
            column.erase(column.begin() + (first - 1), column.begin() + last);
        }
        grid->m_rows = last - first + 1;
        m_rows -= last - first + 1;
        if (m_rows == 0) m_columns.clear();
        return OwnedComponent(grid.release());
    }
    OwnedComponent RemoveColumns(int32_t first, int32_t last) override {
        auto grid = std::make_unique<Grid>(m_tag, 0, 0);
        for (int32_t c = first; c <= last; ++c) {
            grid->m_columns.emplace_back();
            for (auto& cell : m_columns[static_cast<size_t>(c - 1)])
                grid->m_columns.back().push_back(grid->Adopt(std::move(cell)));
        }
        grid->m_rows = m_rows;
        m_columns.erase(m_columns.begin() + (first - 1), m_columns.begin() + last);
        if (m_columns.empty()) m_rows = 0;
        return OwnedComponent(grid.release());
    }
    void InsertRowsFrom(OwnedComponent other, int32_t row) override {
        // Rows put into a grid that has none bring their columns with them.
        if (m_columns.empty()) return InsertColumnsFrom(std::move(other), 1);
        auto* from = dynamic_cast<Grid*>(other.get());
        for (size_t c = 0; c < m_columns.size(); ++c) {
            auto& cells = from->m_columns[c];
            for (size_t k = 0; k < cells.size(); ++k)
                m_columns[c].insert(m_columns[c].begin() + (row - 1) + static_cast<int32_t>(k),
                                    Adopt(std::move(cells[k])));
        }
        m_rows += from->m_rows;
    }
    void InsertColumnsFrom(OwnedComponent other, int32_t column) override {
        auto* from = dynamic_cast<Grid*>(other.get());
        for (size_t k = 0; k < from->m_columns.size(); ++k) {
            std::vector<std::unique_ptr<CompList>> cells;
            for (auto& cell : from->m_columns[k])
                cells.push_back(Adopt(std::move(cell)));
            m_columns.insert(m_columns.begin() + (column - 1) + static_cast<int32_t>(k),
                             std::move(cells));
        }
        if (m_rows == 0) m_rows = from->m_rows;
    }

private:
    std::unique_ptr<CompList> NewCell() { return Adopt(std::make_unique<CompList>()); }
    std::unique_ptr<CompList> Adopt(std::unique_ptr<CompList> cell) {
        cell->SetOwner(this, 0);
        return cell;
    }

    TypeTag m_tag;
    std::vector<std::vector<std::unique_ptr<CompList>>> m_columns;
    int32_t m_rows = 0;
};

// One differential: its variable (list 1) and order (list 2), owned; the derivative is the
// owner of both lists.
class Differential final : public MathComp {
public:
    Differential()
        : m_variable(std::make_unique<CompList>()), m_order(std::make_unique<CompList>()) {}
    OwnedComponent Clone() const override {
        auto copy = new Differential();
        copy->m_variable = m_variable->Clone();
        copy->m_order = m_order->Clone();
        return OwnedComponent(copy);
    }
    int32_t GetListCount() const override { return 2; }
    CompList* GetList(int32_t n) const override {
        return n == 1 ? m_variable.get() : n == 2 ? m_order.get() : nullptr;
    }
    void SetListOwner(TextComp* owner) {
        m_variable->SetOwner(owner, 0);
        m_order->SetOwner(owner, 0);
    }

private:
    std::unique_ptr<CompList> m_variable;
    std::unique_ptr<CompList> m_order;
};

// A partial derivative ("parD") with a function list and its differentials.
class Derivative final : public MathComp, public DerivativeShape {
public:
    explicit Derivative(int32_t variables = 1) : m_function(std::make_unique<CompList>()) {
        m_function->SetOwner(this, 0);
        for (int32_t k = 0; k < variables; ++k)
            Add(std::make_unique<Differential>());
    }
    OwnedComponent Clone() const override { return CopyDifferentials(1, GetDifferentialCount()); }
    TypeTag GetTypeTag() const override { return tags::PartialDerivative; }
    int32_t GetListCount() const override { return 2 * GetDifferentialCount() + 1; }
    CompList* GetList(int32_t i) const override {
        if (i < 1 || i > GetListCount()) return nullptr;
        if (i == GetListCount()) return m_function.get();
        return GetDifferential((i - 1) / 2 + 1)->GetList((i - 1) % 2 + 1);
    }
    int32_t IndexOfList(const CompList* list) const override {
        for (int32_t i = 1; i <= GetListCount(); ++i)
            if (GetList(i) == list) return i;
        return 0;
    }
    CompList* ListRightOf(const CompList* from) const override {
        return from == nullptr ? GetList(1) : GetList(IndexOfList(from) + 1);
    }
    CompList* ListLeftOf(const CompList* from) const override {
        if (from == nullptr) return m_function.get();
        const int32_t i = IndexOfList(from);
        return i > 1 ? GetList(i - 1) : nullptr;
    }
    CompList* ListAbove(const CompList* from) const override {
        return from == m_function.get() ? nullptr : m_function.get();
    }

    int32_t GetDifferentialCount() const override { return static_cast<int32_t>(m_diffs.size()); }
    TextComp* GetDifferential(int32_t i) const override {
        return m_diffs[static_cast<size_t>(i - 1)].get();
    }
    int32_t IndexOfDifferential(const CompList* list) const override {
        for (int32_t k = 1; k <= GetDifferentialCount(); ++k)
            if (GetDifferential(k)->GetList(1) == list || GetDifferential(k)->GetList(2) == list)
                return k;
        return 0;
    }
    Rect GetDifferentialRect(int32_t i) const override { return Rect(i * 10, 20, i * 10 + 10, 30); }
    OwnedComponent CopyDifferentials(int32_t first, int32_t last) const override {
        auto copy = std::make_unique<Derivative>(0);
        for (int32_t k = first; k <= last; ++k) {
            OwnedComponent c = GetDifferential(k)->Clone();
            copy->Add(std::unique_ptr<Differential>(static_cast<Differential*>(c.release())));
        }
        return OwnedComponent(copy.release());
    }
    OwnedComponent RemoveDifferentials(int32_t first, int32_t last) override {
        auto taken = std::make_unique<Derivative>(0);
        for (int32_t k = first; k <= last; ++k)
            taken->Add(std::move(m_diffs[static_cast<size_t>(k - 1)]));
        m_diffs.erase(m_diffs.begin() + (first - 1), m_diffs.begin() + last);
        if (m_diffs.empty()) Add(std::make_unique<Differential>());
        return OwnedComponent(taken.release());
    }
    void InsertDifferentialsFrom(int32_t i, OwnedComponent other) override {
        auto* from = dynamic_cast<Derivative*>(other.get());
        for (size_t k = 0; k < from->m_diffs.size(); ++k) {
            from->m_diffs[k]->SetListOwner(this);
            m_diffs.insert(m_diffs.begin() + (i - 1) + static_cast<int32_t>(k),
                           std::move(from->m_diffs[k]));
        }
        from->m_diffs.clear();
    }

private:
    void Add(std::unique_ptr<Differential> d) {
        d->SetListOwner(this);
        m_diffs.push_back(std::move(d));
    }

    std::unique_ptr<CompList> m_function;
    std::vector<std::unique_ptr<Differential>> m_diffs;
};

// Positions as values: in a list, on a grid's row (or column) boundary, on a variable boundary.
inline DocPos ListPos(CompList* list, int32_t index) {
    DocPos p;
    p.SetAt(list, index);
    return p;
}
inline DocPos GridPos(TextComp* grid, int32_t index, bool columns) {
    DocPos p;
    p.SetOnGrid(grid, index, columns);
    return p;
}
inline DocPos VarPos(TextComp* derivative, int32_t index) {
    DocPos p;
    p.SetInComponent(derivative, index);
    return p;
}

// A position as "<name of its list or box> <index>", with "rows" or "cols" on a grid
// boundary; "none" for the empty position and "?" for a container `names` does not know.
inline std::string PositionName(const DocPos& p, const std::map<const void*, std::string>& names) {
    if (p.kind == DocPos::kNone) return "none";
    const auto found = names.find(p.target);
    std::string s = found != names.end() ? found->second : "?";
    if (p.kind == DocPos::kOnGrid) s += p.columns ? " cols" : " rows";
    return s + " " + std::to_string(p.index);
}

// Every fake service a sequence needs, installed together.
struct Services {
    fakes::GlyphSource glyphs;
    fakes::DrawPort port;
    ParaStyles styles;
};

// A paragraph of `style` holding the characters of `text`.
inline std::unique_ptr<ParaComp> Para(std::string_view text,
                                      int32_t style = ParaStyle::kParagraph) {
    auto para = std::make_unique<ParaComp>(style);
    fakes::AppendChars(*para->GetList(1), text);
    return para;
}

// The small document that position and source tests walk, appended to `seq`: paragraph 1 holds
// `first`, a box holding `boxText`, an empty 2 x 2 matrix and "b"; paragraph 2 holds "c", an
// empty partial derivative of two variables and "d". Nothing is placed yet.
inline std::tuple<fakes::Box*, Grid*, Derivative*>
AppendBoxGridDerivative(CompSequence& seq, std::string_view first, std::string_view boxText) {
    auto one = Para(first);
    CompArray inner;
    for (TextComp* c : fakes::Chars(boxText))
        inner.Add(OwnedComponent(c));
    auto* box = new fakes::Box(std::move(inner));
    one->GetList(1)->Append(box);
    auto* grid = new Grid(tags::Matrix, 2, 2);
    one->GetList(1)->Append(grid);
    fakes::AppendChars(*one->GetList(1), "b");
    auto two = Para("c");
    auto* derivative = new Derivative(2);
    two->GetList(1)->Append(derivative);
    fakes::AppendChars(*two->GetList(1), "d");
    seq.Append(std::move(one));
    seq.Append(std::move(two));
    return {box, grid, derivative};
}

// A list's text: characters as themselves, a grid as "[G]", a derivative as "[D]", any other
// component as "[B]"; with `deep`, a box's lists follow in braces.
inline std::string Text(const CompList& list) {
    std::string out;
    for (int32_t i = 1; i <= list.GetCount(); ++i) {
        const TextComp* c = list.GetAt(i);
        if (c->GetTypeTag() == tags::Char)
            out += static_cast<char>(c->GetCharCode());
        else if (AsGrid(c) != nullptr)
            out += "[G]";
        else if (AsDerivative(c) != nullptr)
            out += "[D]";
        else
            out += "[B]";
    }
    return out;
}

// The sequence's paragraphs as "style:text" joined by "|".
inline std::string Text(const CompSequence& seq) {
    std::string out;
    for (int32_t k = 1; k <= seq.GetCount(); ++k) {
        if (k > 1) out += '|';
        out += std::to_string(seq.GetAt(k)->GetStyle().GetKind()) + ":" +
               Text(*seq.GetAt(k)->GetList(1));
    }
    return out;
}

// A sequence of paragraphs, each "style:text" separated by "|", e.g. "3:ab|5:c".
inline std::unique_ptr<CompSequence> Sequence(std::string_view layout,
                                              ParaDocument* doc = nullptr) {
    auto seq = std::make_unique<CompSequence>(doc);
    size_t from = 0;
    while (from <= layout.size()) {
        size_t bar = layout.find('|', from);
        if (bar == std::string_view::npos) bar = layout.size();
        const std::string_view item = layout.substr(from, bar - from);
        seq->Append(Para(item.substr(2), item[0] - '0'));
        from = bar + 1;
    }
    return seq;
}

} // namespace seqfakes
