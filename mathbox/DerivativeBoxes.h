#pragma once

// Total and partial derivatives, drawn as a fraction: above the bar the sign with the order as
// a raised exponent and the function; below it one differential (the total derivative) or a
// row of them (the partial derivative). The order above the bar is derived from the
// differentials at every layout and never edited.
//
// Lists: the variable and the function take the box's size level, both orders two sizes
// smaller. Inside a derivative, every differential's lists name the derivative as their owner,
// so that positions in them resolve to the derivative; a differential on its own owns them.

#include "document/BoxShapes.h"
#include "document/CompositeComp.h"
#include "document/Str255.h"

#include <cstdint>
#include <memory>
#include <vector>

// One differential: the sign, the variable (list 1, the composite's own list) and the order
// (list 2). Stored only inside a derivative's record.
class DifferentialBox : public CompositeComp {
public:
    OwnedComponent Clone() const override;
    CompList* GetList(int32_t n) const override;
    int32_t GetListCount() const override { return 2; }
    int32_t IndexOfList(const CompList* list) const override;
    CompList* ListLeftOf(const CompList* from) const override;
    CompList* ListRightOf(const CompList* from) const override;
    CompList* ListAbove(const CompList* from) const override { return ListRightOf(from); }
    CompList* ListBelow(const CompList* from) const override { return ListLeftOf(from); }
    void SetSizeLevel(uint8_t level) override;
    void Layout() override;
    void SetOrigin(Point point) override;
    void Draw() override;
    void Write(DocStream& stream) const override;
    void Read(DocStream& stream) override;
    void WriteText(OutBuffer& out) override;
    void WriteLatex(LatexWriter& writer) override;
    ExprNode* ToExpression() override;

    CompList& Variable() const { return *m_list; }
    CompList& Order() const { return *m_order; }
    // The order as a number: 1 when the list is empty; the value of a list whose characters are
    // all decimal digits and that fits 32 bits; otherwise 0 (a symbolic order). A list of
    // boxes only, with no character, is symbolic too.
    int32_t GetOrder() const;
    // Makes `owner` the owner of both lists.
    void SetListOwner(TextComp* owner);
    bool IsPartial() const { return m_partial; }

protected:
    explicit DifferentialBox(bool partial);
    DifferentialBox(bool partial, CompArray variable, CompArray order);

private:
    std::unique_ptr<CompList> m_order;
    bool m_partial;
    int32_t m_glyphWidth = 0;
    int32_t m_glyphTop = 0;
    int32_t m_orderRaise = 0;
};

class TotalDifferentialBox final : public DifferentialBox {
public:
    TotalDifferentialBox() : DifferentialBox(false) {}
    TotalDifferentialBox(CompArray variable, CompArray order)
        : DifferentialBox(false, std::move(variable), std::move(order)) {}
};

class PartialDifferentialBox final : public DifferentialBox {
public:
    PartialDifferentialBox() : DifferentialBox(true) {}
    PartialDifferentialBox(CompArray variable, CompArray order)
        : DifferentialBox(true, std::move(variable), std::move(order)) {}
};

using OwnedDifferential = std::unique_ptr<DifferentialBox, ComponentDestroyer>;

// What both derivatives share: the function (the composite's own list), the derived numerator
// order, the sign, and the fraction's layout, placement and drawing.
class DerivativeBase : public CompositeComp {
public:
    int32_t IndexOfList(const CompList* list) const override;
    void InvalidateAll() override;
    void SetSizeLevel(uint8_t level) override;
    void Layout() override;
    void SetOrigin(Point point) override;
    void Draw() override;
    bool SelectsOnInsert() const override { return true; }
    DocPos GetCaretAfterInsert() override;
    void WriteText(OutBuffer& out) override;
    void WriteLatex(LatexWriter& writer) override;
    ExprNode* ToExpression() override;

    virtual int32_t GetDifferentialCount() const = 0;
    virtual DifferentialBox* GetDifferentialBox(int32_t i) const = 0;
    // Differential i's frame; for i past the last, a marker half a unit wide just right of the
    // denominator, as high as it.
    Rect GetDifferentialFrame(int32_t i) const;

    CompList& Function() const { return *m_list; }
    const CompList& NumeratorOrder() const { return *m_numeratorOrder; }
    // Replaces the function by a copy of `list`.
    void SetFunction(const CompList& list);
    // Brings the numerator order up to date with the differentials.
    void UpdateNumeratorOrder();

protected:
    explicit DerivativeBase(bool partial);
    DerivativeBase(bool partial, CompArray function);

    // Lays out the differentials and answers the denominator's bounds.
    Rect LayoutDenominator();
    bool IsPartial() const { return m_partial; }

    // From the last layout.
    int32_t m_unit = 0;

private:
    std::unique_ptr<CompList> m_numeratorOrder;
    bool m_partial;
    int32_t m_glyphWidth = 0;
    int32_t m_glyphTop = 0;
    int32_t m_orderRaise = 0;
    int32_t m_axis = 0;
    int32_t m_numeratorTop = 0;
    int32_t m_numeratorWidth = 0;
    int32_t m_numeratorBottom = 0;
    Rect m_denominator;
};

// d/dx: one differential. Lists: 1 the variable, 2 its order, 3 the function.
class TotalDerivativeBox final : public DerivativeBase {
public:
    TotalDerivativeBox();
    TotalDerivativeBox(OwnedDifferential differential, CompArray function);

    OwnedComponent Clone() const override;
    TypeTag GetTypeTag() const override { return tags::TotalDerivative; }
    CompList* GetList(int32_t n) const override;
    int32_t GetListCount() const override { return 3; }
    CompList* ListLeftOf(const CompList* from) const override;
    CompList* ListRightOf(const CompList* from) const override;
    CompList* ListAbove(const CompList* from) const override;
    CompList* ListBelow(const CompList* from) const override;
    void Write(DocStream& stream) const override;
    void Read(DocStream& stream) override;

    int32_t GetDifferentialCount() const override { return 1; }
    DifferentialBox* GetDifferentialBox(int32_t) const override { return m_differential.get(); }

private:
    OwnedDifferential m_differential;
};

// The partial derivative: at least one differential, numbered 1 to n from the left. Lists: for
// i from 1 to 2n, differential (i - 1) / 2 + 1 gives its variable (odd i) or its order (even
// i); list 2n + 1 is the function.
class PartialDerivativeBox final : public DerivativeBase, public DerivativeShape {
public:
    // One empty differential.
    PartialDerivativeBox();
    // Takes the differentials over; none gives one empty differential.
    PartialDerivativeBox(std::vector<OwnedDifferential> differentials, CompArray function);

    OwnedComponent Clone() const override;
    TypeTag GetTypeTag() const override { return tags::PartialDerivative; }
    CompList* GetList(int32_t n) const override;
    int32_t GetListCount() const override { return 2 * GetDifferentialCount() + 1; }
    CompList* ListLeftOf(const CompList* from) const override;
    CompList* ListRightOf(const CompList* from) const override;
    CompList* ListAbove(const CompList* from) const override;
    CompList* ListBelow(const CompList* from) const override;
    DocPos PosFromPoint(Point point, bool rightHalf) override;
    void Write(DocStream& stream) const override;
    void Read(DocStream& stream) override;
    int32_t HandleKey(const DocPos& pos, int32_t key, int32_t flag1, int32_t flag2) override;
    bool IsCommandEnabled(int32_t id, const DocPos& pos) const override;

    int32_t GetDifferentialCount() const override {
        return static_cast<int32_t>(m_differentials.size());
    }
    DifferentialBox* GetDifferentialBox(int32_t i) const override;
    TextComp* GetDifferential(int32_t i) const override { return GetDifferentialBox(i); }
    int32_t IndexOfDifferential(const CompList* list) const override;
    Rect GetDifferentialRect(int32_t i) const override { return GetDifferentialFrame(i); }

    // Before differential i (count + 1 appends); the derivative owns its lists from then on.
    void InsertDifferentialAt(int32_t i, OwnedDifferential differential);
    // Takes differential i out and gives it its lists back; the last one leaves an empty one.
    OwnedDifferential RemoveDifferential(int32_t i);
    OwnedComponent CopyDifferentials(int32_t first, int32_t last) const override;
    OwnedComponent RemoveDifferentials(int32_t first, int32_t last) override;
    // `other` must be a partial derivative, else std::invalid_argument and nothing changes.
    void InsertDifferentialsFrom(int32_t i, OwnedComponent other) override;

private:
    void CheckRange(int32_t first, int32_t last, int32_t count) const;

    std::vector<OwnedDifferential> m_differentials;
};
