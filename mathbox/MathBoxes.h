#pragma once

// The math structures a user types or the kernel answers with: fractions, scripts, delimiters,
// the overbar, the missing-argument placeholder, radicals, integrals, sums, products and limits.
// Each answers the whole component contract; `MathBoxKinds` registers them by tag.
//
// Constructors that take `CompArray`s take their components over. Geometry is in pixels of the
// drawing layer's current target; "u" below is the layer's size unit at the box's size level.

#include "document/CompositeComp.h"
#include "document/Str255.h"

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

// A composite with more than one list. List 1 is the composite's own; the others follow in
// `GetList` order. Lists are stored in the order `StreamOrder` names them.
class MultiListComp : public CompositeComp {
public:
    CompList* GetList(int32_t n) const override;
    int32_t GetListCount() const override { return 1 + static_cast<int32_t>(m_more.size()); }
    int32_t IndexOfList(const CompList* list) const override;
    void Write(DocStream& stream) const override;
    void Read(DocStream& stream) override;
    void SetOrigin(Point point) override;

protected:
    MultiListComp(int32_t listCount, std::vector<CompArray> contents);
    // A vector of list contents, since initialiser lists cannot move.
    template <typename... Arrays>
    static std::vector<CompArray> Lists(Arrays&&... arrays) {
        std::vector<CompArray> lists;
        (lists.push_back(std::move(arrays)), ...);
        return lists;
    }
    // The `GetList` numbers in the order the stream holds the lists; by default 1, 2, ...
    virtual std::vector<int32_t> StreamOrder() const;
    // Places the child lists for a box at `point`.
    virtual void PlaceLists(Point point) = 0;
    // Copies of every list's contents, in `GetList` order.
    std::vector<CompArray> CopyLists() const;
    // The list of a caret order: the next entry after `from` in `order` (null `from`: the
    // first), null after the last.
    CompList* NextIn(const CompList* from, std::initializer_list<int32_t> order) const;
    // The list `to` when the caret leaves `from` that way, else null.
    CompList* Step(const CompList* from, int32_t fromList, int32_t to) const {
        return from != nullptr && from == GetList(fromList) ? GetList(to) : nullptr;
    }
    // True when the box sits in an equation paragraph; a box outside any paragraph is inline.
    bool InEquation() const;

    std::vector<std::unique_ptr<CompList>> m_more;
};

// --- Fractions and scripts ---

class FracComp final : public MultiListComp {
public:
    FracComp();
    FracComp(CompArray numerator, CompArray denominator);

    OwnedComponent Clone() const override;
    TypeTag GetTypeTag() const override { return tags::Fraction; }
    CompList* ListRightOf(const CompList* from) const override;
    CompList* ListLeftOf(const CompList* from) const override;
    CompList* ListAbove(const CompList* from) const override { return Step(from, 2, 1); }
    CompList* ListBelow(const CompList* from) const override { return Step(from, 1, 2); }
    bool SelectsOnInsert() const override { return true; }
    void Layout() override;
    void Draw() override;
    DocPos PosFromPoint(Point point, bool rightHalf) override;
    void WriteText(OutBuffer& out) override;
    void WriteLatex(LatexWriter& writer) override;
    ExprNode* ToExpression() override;

private:
    void PlaceLists(Point point) override;

    bool m_stacked = false;
    int32_t m_slashWidth = 0;
    int32_t m_axis = 0;
};

// A script: its base is the element before it, its list is two sizes smaller and sits the
// offset below the line's baseline (negative: above).
class ScriptComp : public MultiListComp {
public:
    void SetSizeLevel(uint8_t level) override;
    void Draw() override { m_list->Draw(); }

protected:
    explicit ScriptComp(CompArray script);
    // The list holding one glyph of the math face.
    static CompArray Glyph(uint8_t code);
    // The mark, then the list, parenthesised when it is more than one term.
    void WriteScript(OutBuffer& out, char mark);

    int32_t m_offset = 0;

private:
    void PlaceLists(Point point) override;
};

class ExpoComp final : public ScriptComp {
public:
    ExpoComp() : ScriptComp(CompArray()) {}
    explicit ExpoComp(CompArray script) : ScriptComp(std::move(script)) {}
    explicit ExpoComp(uint8_t code) : ScriptComp(Glyph(code)) {}

    OwnedComponent Clone() const override;
    TypeTag GetTypeTag() const override { return tags::Exponent; }
    DocPos GetCaretAfterInsert() override;
    void Layout() override;
    void WriteText(OutBuffer& out) override { WriteScript(out, '^'); }
    void WriteLatex(LatexWriter& writer) override;
    ExprNode* ToExpression() override;

    int32_t GetRaise() const { return m_offset; }
};

class SubsComp final : public ScriptComp {
public:
    SubsComp() : ScriptComp(CompArray()) {}
    explicit SubsComp(CompArray script) : ScriptComp(std::move(script)) {}
    explicit SubsComp(uint8_t code) : ScriptComp(Glyph(code)) {}

    OwnedComponent Clone() const override;
    TypeTag GetTypeTag() const override { return tags::Subscript; }
    void Layout() override;
    void WriteText(OutBuffer& out) override { WriteScript(out, '_'); }
    void WriteLatex(LatexWriter& writer) override;
    ExprNode* ToExpression() override;

    int32_t GetLower() const { return m_offset; }
};

// --- Delimiters, overbar and placeholder ---

// A pair of delimiters around one list.
class DelimComp : public MultiListComp {
public:
    bool SelectsOnInsert() const override { return true; }
    bool IsPositionTarget() const override { return true; }
    void Layout() override;
    void Draw() override;
    void WriteLatex(LatexWriter& writer) override;

    virtual void WriteLeftDelimiter(LatexWriter& writer) = 0;
    virtual void WriteRightDelimiter(LatexWriter& writer) = 0;

    int32_t GetDelimiterWidth() const { return m_delimiterWidth; }
    bool IsBig() const { return m_big; }

protected:
    DelimComp();
    explicit DelimComp(CompArray contents);
    explicit DelimComp(OwnedComponent only);
    void PlaceLists(Point point) override;
    // The delimiters on both sides, around the drawn list.
    virtual void DrawDelimiters() = 0;
    // The content list's text.
    void WriteContent(OutBuffer& out) { m_list->WriteKernelInput(out); }

    int32_t m_delimiterWidth = 0;
    int32_t m_glyphTop = 0;
    bool m_big = false;
};

class AbsVComp final : public DelimComp {
public:
    AbsVComp() = default;
    // One matrix alone between the bars loses its own brackets.
    explicit AbsVComp(CompArray contents);
    explicit AbsVComp(OwnedComponent only) : DelimComp(std::move(only)) {}

    OwnedComponent Clone() const override;
    TypeTag GetTypeTag() const override { return tags::AbsValue; }
    void WriteText(OutBuffer& out) override;
    ExprNode* ToExpression() override;
    void WriteLeftDelimiter(LatexWriter& writer) override;
    void WriteRightDelimiter(LatexWriter& writer) override;

private:
    void DrawDelimiters() override;
};

class BracketComp final : public DelimComp {
public:
    BracketComp() = default;
    explicit BracketComp(CompArray contents) : DelimComp(std::move(contents)) {}
    explicit BracketComp(OwnedComponent only) : DelimComp(std::move(only)) {}

    OwnedComponent Clone() const override;
    TypeTag GetTypeTag() const override { return tags::BraceGroup; }
    void WriteText(OutBuffer& out) override;
    ExprNode* ToExpression() override;
    void WriteLeftDelimiter(LatexWriter& writer) override;
    void WriteRightDelimiter(LatexWriter& writer) override;

private:
    void DrawDelimiters() override;
};

class ParenComp final : public DelimComp {
public:
    ParenComp() = default;
    explicit ParenComp(CompArray contents) : DelimComp(std::move(contents)) {}
    explicit ParenComp(OwnedComponent only) : DelimComp(std::move(only)) {}

    OwnedComponent Clone() const override;
    TypeTag GetTypeTag() const override { return tags::ParenGroup; }
    void WriteText(OutBuffer& out) override;
    ExprNode* ToExpression() override;
    void WriteLeftDelimiter(LatexWriter& writer) override;
    void WriteRightDelimiter(LatexWriter& writer) override;

private:
    void DrawDelimiters() override;
};

// A bar over the list: the complex conjugate.
class OverComp final : public MultiListComp {
public:
    OverComp();
    explicit OverComp(CompArray contents);

    OwnedComponent Clone() const override;
    TypeTag GetTypeTag() const override { return tags::Overbar; }
    bool SelectsOnInsert() const override { return true; }
    bool IsPositionTarget() const override { return true; }
    void Layout() override;
    void Draw() override;
    void WriteText(OutBuffer& out) override;
    void WriteLatex(LatexWriter& writer) override;
    ExprNode* ToExpression() override;

    int32_t GetBarOffset() const { return m_barOffset; }

private:
    void PlaceLists(Point point) override { m_list->SetOrigin(point); }

    int32_t m_barOffset = 0;
};

// An operand the user has not filled in, and what a stored record of an unknown kind loads as.
class MissComp final : public MathComp {
public:
    MissComp() = default;

    OwnedComponent Clone() const override;
    TypeTag GetTypeTag() const override { return tags::Missing; }
    bool IsEqual(const TextComp& other) const override {
        return other.GetTypeTag() == tags::Missing;
    }
    void Layout() override;
    void Draw() override;
    void WriteText(OutBuffer& out) override;
    void WriteLatex(LatexWriter& writer) override;
    ExprNode* ToExpression() override;
};

// --- Radicals, integrals, sums, products and limits ---

// Radicand (list 1) and index (list 2).
class SqrtComp final : public MultiListComp {
public:
    SqrtComp();
    SqrtComp(CompArray radicand, CompArray index);

    OwnedComponent Clone() const override;
    TypeTag GetTypeTag() const override { return tags::Radical; }
    CompList* ListRightOf(const CompList* from) const override { return NextIn(from, {1, 2}); }
    CompList* ListLeftOf(const CompList* from) const override { return NextIn(from, {2, 1}); }
    CompList* ListAbove(const CompList* from) const override { return Step(from, 1, 2); }
    CompList* ListBelow(const CompList* from) const override { return Step(from, 2, 1); }
    bool SelectsOnInsert() const override { return true; }
    bool IsPositionTarget() const override { return true; }
    void SetSizeLevel(uint8_t level) override;
    void Layout() override;
    void Draw() override;
    void WriteText(OutBuffer& out) override;
    void WriteLatex(LatexWriter& writer) override;
    ExprNode* ToExpression() override;

private:
    void PlaceLists(Point point) override;
    // The index's right edge, at least u.
    int32_t IndexWidth(int32_t u) const;
};

// Integrand (1), variable (2), lower bound (3), upper bound (4).
class InteComp final : public MultiListComp {
public:
    InteComp();
    InteComp(CompArray integrand, CompArray variable);
    InteComp(CompArray integrand, CompArray variable, CompArray upper, CompArray lower);

    OwnedComponent Clone() const override;
    TypeTag GetTypeTag() const override { return tags::Integral; }
    CompList* ListRightOf(const CompList* from) const override {
        return NextIn(from, {1, 2, 3, 4});
    }
    CompList* ListLeftOf(const CompList* from) const override { return NextIn(from, {4, 3, 2, 1}); }
    CompList* ListAbove(const CompList* from) const override;
    CompList* ListBelow(const CompList* from) const override;
    bool SelectsOnInsert() const override { return true; }
    void SetSizeLevel(uint8_t level) override;
    void Layout() override;
    void Draw() override;
    void WriteText(OutBuffer& out) override;
    void WriteLatex(LatexWriter& writer) override;
    ExprNode* ToExpression() override;

    int32_t GetUpperBaseline() const { return m_upperBaseline; }
    int32_t GetLowerBaseline() const { return m_lowerBaseline; }
    int32_t GetIntegrandX() const { return m_integrandX; }

private:
    std::vector<int32_t> StreamOrder() const override { return {1, 2, 4, 3}; }
    void PlaceLists(Point point) override;

    bool m_display = false;
    int32_t m_signRight = 0;
    int32_t m_signTop = 0;
    int32_t m_slant = 0;
    int32_t m_integrandX = 0;
    int32_t m_upperBaseline = 0;
    int32_t m_lowerBaseline = 0;
    int32_t m_dX = 0;
    int32_t m_variableX = 0;
    int32_t m_dTop = 0;
};

// A big operator with its lower (1) and upper (2) limit.
class BigOpComp : public MultiListComp {
public:
    CompList* ListRightOf(const CompList* from) const override { return NextIn(from, {1, 2}); }
    CompList* ListLeftOf(const CompList* from) const override { return NextIn(from, {2, 1}); }
    CompList* ListAbove(const CompList* from) const override { return Step(from, 1, 2); }
    CompList* ListBelow(const CompList* from) const override { return Step(from, 2, 1); }
    bool SelectsOnInsert() const override { return true; }
    void SetSizeLevel(uint8_t level) override;
    void Layout() override;
    void Draw() override;
    void WriteText(OutBuffer& out) override;
    void WriteLatex(LatexWriter& writer) override;
    ExprNode* ToExpression() override;

    virtual uint8_t GetSymbolCode() const = 0;
    // The built-in symbol of the kernel head.
    virtual int32_t GetSymbolIndex() const = 0;
    virtual const char* WriteLatexName() const = 0;

    Rect GetSymbolBox() const { return m_symbol; }

protected:
    // Every big operator starts at size level 0, its limits three levels below.
    BigOpComp();
    BigOpComp(CompArray upper, CompArray lower);

private:
    void PlaceLists(Point point) override;

    Rect m_symbol;
};

class SumComp final : public BigOpComp {
public:
    SumComp() = default;
    SumComp(CompArray upper, CompArray lower) : BigOpComp(std::move(upper), std::move(lower)) {}
    OwnedComponent Clone() const override;
    TypeTag GetTypeTag() const override { return tags::Sum; }
    uint8_t GetSymbolCode() const override { return 190; }
    int32_t GetSymbolIndex() const override { return 95; }
    const char* WriteLatexName() const override { return "\\sum"; }
};

class ProdComp final : public BigOpComp {
public:
    ProdComp() = default;
    ProdComp(CompArray upper, CompArray lower) : BigOpComp(std::move(upper), std::move(lower)) {}
    OwnedComponent Clone() const override;
    TypeTag GetTypeTag() const override { return tags::Product; }
    uint8_t GetSymbolCode() const override { return 184; }
    int32_t GetSymbolIndex() const override { return 83; }
    const char* WriteLatexName() const override { return "\\prod"; }
};

// "lim" (list 2, always made fresh) over the approach (list 1).
class LimitComp final : public MultiListComp {
public:
    LimitComp();
    explicit LimitComp(CompArray approach);

    OwnedComponent Clone() const override;
    TypeTag GetTypeTag() const override { return tags::Limit; }
    void Layout() override;
    void Draw() override;
    void WriteText(OutBuffer& out) override;
    void WriteLatex(LatexWriter& writer) override;
    ExprNode* ToExpression() override;

private:
    void PlaceLists(Point point) override;
};
