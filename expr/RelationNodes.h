#pragma once

// Vertical bars around an operand, and chains of relations.

#include "expr/CompositeNode.h"
#include "expr/UnaryNodes.h"

// The absolute value, or the determinant when the operand is a matrix; which one is decided
// each time from the operand.
class AbsDetNode final : public UnaryNode {
public:
    explicit AbsDetNode(NodePtr operand) : UnaryNode(std::move(operand)) {}
    AbsDetNode(const NodeSource& source, NodePtr operand) : UnaryNode(source, std::move(operand)) {}

    NodePtr Clone() const override;
    void PutToLink(QKLINK link, MarkerMode mode) const override;
    void PutStandardToLink(QKLINK link) const override;
    void BuildBoxes(BoxList& boxes, int32_t level) override;
    void WriteMathML(MathMLWriter& writer) override;
    void WriteText(Str255& out) const override;
    bool IsNumeric() const override { return Operand() && Operand()->IsNumeric(); }
    bool IsAtom() const override { return true; }

private:
    bool IsDeterminant() const;
};

// Operands joined by relation symbols: operand, relation, operand, ..., operand.
class InequalityNode final : public CompositeNode {
public:
    InequalityNode() = default;
    explicit InequalityNode(NodePtr chain) : CompositeNode(std::move(chain)) {}
    InequalityNode(const NodeSource& source, NodePtr first)
        : CompositeNode(source, std::move(first)) {}
    // The chain a relation head gives: its operands with the relation between each two.
    static std::unique_ptr<InequalityNode> FromOperands(int32_t relationRow, NodePtr operands);

    void PutToLink(QKLINK link, MarkerMode mode) const override;
    void PutStandardToLink(QKLINK link) const override;
    void BuildBoxes(BoxList& boxes, int32_t level) override;
    void WriteMathML(MathMLWriter& writer) override;
    NodePtr ListTransform() const override;
};
