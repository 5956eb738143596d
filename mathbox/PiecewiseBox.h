#pragma once

// A piecewise definition: two columns, the values and their conditions, behind a left brace;
// written as "value if condition", the last row possibly "value otherwise".

#include "mathbox/BracedGridBox.h"

class PiecewiseBox final : public BracedGridBox {
public:
    PiecewiseBox() = default;
    explicit PiecewiseBox(int32_t rows) : BracedGridBox(2, rows) {}
    PiecewiseBox(std::unique_ptr<GridColumn> values, std::unique_ptr<GridColumn> conditions);

    TypeTag GetTypeTag() const override { return tags::Split; }
    void Draw() override;
    void WriteLatex(LatexWriter& writer) override;
    void WriteText(OutBuffer& out) override;
    ExprNode* ToExpression() override;

protected:
    OwnedGrid NewEmpty() const override { return OwnedGrid(new PiecewiseBox()); }
    int32_t GetColumnRule() override;
    int32_t TabInCell() const override { return 907; }
};
