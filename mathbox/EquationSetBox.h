#pragma once

// An equation set: one column of equations between a left and a right brace.

#include "mathbox/BracedGridBox.h"

class EquationSetBox final : public BracedGridBox {
public:
    EquationSetBox() = default;
    explicit EquationSetBox(int32_t rows) : BracedGridBox(1, rows) {}
    // The column becomes the only one.
    explicit EquationSetBox(std::unique_ptr<GridColumn> equations);

    TypeTag GetTypeTag() const override { return tags::EquationSet; }
    // Only the rows count: a point anywhere across a row's band is in its equation.
    DocPos PosFromPoint(Point point, bool rightHalf) override;
    void Draw() override;
    void WriteLatex(LatexWriter& writer) override;
    void WriteText(OutBuffer& out) override;
    ExprNode* ToExpression() override;
    // The equations without braces and array, " \\ " between two; an equation paragraph that
    // is one set writes itself so.
    void WriteLatexRows(LatexWriter& writer);

protected:
    OwnedGrid NewEmpty() const override { return OwnedGrid(new EquationSetBox()); }
    int32_t TabInCell() const override { return 906; }
};
