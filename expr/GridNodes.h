#pragma once

// The grids of the list family: matrices (lists of rows), tables (lists of columns), equation
// sets, piecewise definitions ({value, condition} rows), table columns, and alternatives.

#include "expr/CompositeNode.h"

// Items join the chain as they come; the node's source stays as it is.
class GridNode : public CompositeNode {
public:
    void AppendChild(NodePtr child) override;
    void PutToLink(QKLINK link, MarkerMode mode) const override;
    void PutStandardToLink(QKLINK link) const override;

protected:
    GridNode(NodePtr chain, const char* ownHead, const char* standardHead)
        : CompositeNode(std::move(chain)), m_ownHead(ownHead), m_standardHead(standardHead) {}

private:
    const char* m_ownHead;
    const char* m_standardHead;
};

class MatrixNode final : public GridNode {
public:
    explicit MatrixNode(NodePtr rows) : GridNode(std::move(rows), "TYMatrix", "List") {}

    void BuildBoxes(BoxList& boxes, int32_t level) override;
    void WriteMathML(MathMLWriter& writer) override;
    // The rows without the brackets: a determinant's bars stand in their place.
    void WriteTable(MathMLWriter& writer);
    ::TypeTag TypeTag() const override { return ::TypeTag("matN"); }
    NodePtr ListTransform() const override { return FirstItemCopy<MatrixNode>(nullptr); }
};

class TableNode final : public GridNode {
public:
    explicit TableNode(NodePtr columns) : GridNode(std::move(columns), "TYTable", "List") {}

    void BuildBoxes(BoxList& boxes, int32_t level) override;
    void WriteMathML(MathMLWriter& writer) override;
    ::TypeTag TypeTag() const override { return ::TypeTag("tabN"); }
    NodePtr ListTransform() const override { return FirstItemCopy<TableNode>(nullptr); }
};

// One column of a table; it shows only inside its table.
class ColumnNode final : public GridNode {
public:
    explicit ColumnNode(NodePtr cells) : GridNode(std::move(cells), "TYColumn", "List") {}

    void WriteMathML(MathMLWriter& writer) override { CompositeNode::WriteMathML(writer); }
    ::TypeTag TypeTag() const override { return ::TypeTag("colN"); }
    NodePtr ListTransform() const override { return FirstItemCopy<ColumnNode>(nullptr); }
};

class EquationSetNode final : public GridNode {
public:
    explicit EquationSetNode(NodePtr equations)
        : GridNode(std::move(equations), "TYEqnSet", "List") {}

    void BuildBoxes(BoxList& boxes, int32_t level) override;
    void WriteMathML(MathMLWriter& writer) override;
    ::TypeTag TypeTag() const override { return ::TypeTag("eqsN"); }
    NodePtr ListTransform() const override { return FirstItemCopy<EquationSetNode>(nullptr); }
};

// A piecewise definition: rows {value, condition}, the last condition possibly "otherwise".
class SplitNode final : public GridNode {
public:
    explicit SplitNode(NodePtr rows) : GridNode(std::move(rows), "TYSplit", "If") {}

    void PutStandardToLink(QKLINK link) const override;
    void BuildBoxes(BoxList& boxes, int32_t level) override;
    void WriteMathML(MathMLWriter& writer) override;
    ::TypeTag TypeTag() const override { return ::TypeTag("splN"); }
    NodePtr ListTransform() const override { return FirstItemCopy<SplitNode>(nullptr); }
};

// Alternatives, a or b or c.
class OrNode final : public CompositeNode {
public:
    explicit OrNode(NodePtr chain) : CompositeNode(std::move(chain)) {}

    // A deep copy of all alternatives; the expression holder spreads them itself.
    NodePtr Clone() const override;
    NodePtr ListTransform() const override;
    void PutToLink(QKLINK link, MarkerMode mode) const override;
    void PutStandardToLink(QKLINK link) const override;
    void BuildBoxes(BoxList& boxes, int32_t level) override;
    void WriteMathML(MathMLWriter& writer) override;
    int32_t AlternativeCount() const override { return ChildCount(); }
    ::TypeTag TypeTag() const override { return ::TypeTag("lOrN"); }
    // Takes the first alternative out of the chain.
    NodePtr DetachFirst();
};
