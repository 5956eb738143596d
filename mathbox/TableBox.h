#pragma once

// A table: a ruled grid of cells with an outer frame, a rule between columns and one under the
// first row, written as tab-separated text and converted column by column. Inside a plot it
// collapses to the label "-data-".

#include "mathbox/GridBox.h"

class TableBox final : public GridBox {
public:
    TableBox() = default;
    TableBox(int32_t columns, int32_t rows) : GridBox(columns, rows) {}

    TypeTag GetTypeTag() const override { return tags::Table; }
    void Layout() override;
    void SetOrigin(Point point) override;
    DocPos PosFromPoint(Point point, bool rightHalf) override;
    void Draw() override;
    void WriteLatex(LatexWriter& writer) override;
    void WriteText(OutBuffer& out) override;
    ExprNode* ToExpression() override;

    bool IsCollapsed() const { return m_collapsed; }

protected:
    OwnedGrid NewEmpty() const override { return OwnedGrid(new TableBox()); }
    int32_t GetPadding() override;
    int32_t GetColumnRule() override { return 1; }
    int32_t GetHeaderRule() override { return 1; }

private:
    bool m_collapsed = false;
};
