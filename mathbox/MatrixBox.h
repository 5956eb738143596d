#pragma once

// A matrix: a grid of cells between square brackets, written as nested lists and converted row
// by row. Alone between the bars of an absolute value it drops its brackets (a determinant).

#include "mathbox/GridBox.h"

class MatrixBox final : public GridBox {
public:
    MatrixBox() = default;
    MatrixBox(int32_t columns, int32_t rows) : GridBox(columns, rows) {}

    TypeTag GetTypeTag() const override { return tags::Matrix; }
    // Entering a list turns the brackets back on; layout decides them again.
    void SetParent(CompList* list) override;
    void Layout() override;
    void Draw() override;
    void WriteLatex(LatexWriter& writer) override;
    void WriteText(OutBuffer& out) override;
    ExprNode* ToExpression() override;

    bool HasBrackets() const { return m_brackets; }

protected:
    OwnedGrid NewEmpty() const override { return OwnedGrid(new MatrixBox()); }
    int32_t GetPadding() override;

private:
    // Off exactly when the matrix is the only component between the bars of an absolute value.
    void DecideBrackets();

    bool m_brackets = true;
};
