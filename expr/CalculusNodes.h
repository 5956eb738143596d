#pragma once

// Integrals, the derivative operator shown as primes, and derivatives d/dx and the partial
// ones in several variables.

#include "expr/ExprNode.h"
#include "expr/UnaryNodes.h"

class IntegrateNode final : public ExprNode {
public:
    IntegrateNode(NodePtr upper, NodePtr lower, NodePtr integrand, NodePtr variable);
    IntegrateNode(const NodeSource& source, NodePtr upper, NodePtr lower, NodePtr integrand,
                  NodePtr variable);
    ~IntegrateNode() override;

    NodePtr Clone() const override;
    void PutToLink(QKLINK link, MarkerMode mode) const override;
    void PutStandardToLink(QKLINK link) const override;
    void BuildBoxes(BoxList& boxes, int32_t level) override;
    void WriteMathML(MathMLWriter& writer) override;
    std::optional<Fraction> ExtractFraction() override;
    NodePtr ReplaceChild(ExprNode* old, NodePtr replacement) override;
    void VisitTree(ExprNode& collector) override;
    intptr_t FindInTree() override;
    void VisitTreeNoArg() override;
    ExprNode* FindParentOf(const ExprNode* node) override;
    int32_t ChildCount() const override { return 4; }

    // Both bounds, or none: a single bound is not an integral's.
    bool HasBounds() const { return m_upper && m_lower; }

private:
    void Put(QKLINK link, MarkerMode mode, bool standard) const;

    NodePtr m_upper;
    NodePtr m_lower;
    NodePtr m_integrand;
    NodePtr m_variable;
};

// The derivative operator of an order: an integer for one variable, a sequence of orders.
class DerivativeNode final : public UnaryNode {
public:
    static constexpr int32_t kPrecedence = 269;

    explicit DerivativeNode(NodePtr order) : UnaryNode(std::move(order)) {}
    DerivativeNode(const NodeSource& source, NodePtr order) : UnaryNode(source, std::move(order)) {}

    NodePtr Clone() const override;
    void PutToLink(QKLINK link, MarkerMode mode) const override;
    void PutStandardToLink(QKLINK link) const override;
    void BuildBoxes(BoxList& boxes, int32_t level) override;
    void WriteMathML(MathMLWriter&) override {}
    int32_t Precedence() const override { return kPrecedence; }
    ::TypeTag TypeTag() const override { return ::TypeTag("derN"); }

    ExprNode* Order() const { return Operand(); }
    // The prime mark as MathML, written by the application it heads.
    void WritePrimeMark(MathMLWriter& writer) const;
};

// d/dx or the partial derivative of an operand in its variables; each variable is a node or a
// list {variable, order}.
class DifferentiationNode final : public ExprNode {
public:
    static constexpr int32_t kMissingOperandPrecedence = 268;

    DifferentiationNode(NodePtr operand, NodePtr variables, bool partial);
    // The boxes' form: the operand comes later, through AppendChild.
    DifferentiationNode(const NodeSource& source, bool partial, NodePtr variables,
                        NodePtr numeratorPower);
    ~DifferentiationNode() override;

    NodePtr Clone() const override;
    void AppendChild(NodePtr operand) override;
    void PutToLink(QKLINK link, MarkerMode mode) const override;
    void PutStandardToLink(QKLINK link) const override;
    void BuildBoxes(BoxList& boxes, int32_t level) override;
    void WriteMathML(MathMLWriter& writer) override;
    std::optional<Fraction> ExtractFraction() override;
    NodePtr ReplaceChild(ExprNode* old, NodePtr replacement) override;
    void VisitTree(ExprNode& collector) override;
    intptr_t FindInTree() override;
    void VisitTreeNoArg() override;
    ExprNode* FindParentOf(const ExprNode* node) override;
    int32_t Precedence() const override;
    int32_t ChildCount() const override { return 2; }

    bool IsPartial() const { return m_partial; }

private:
    void Put(QKLINK link, MarkerMode mode, bool standard) const;
    void WriteSign(MathMLWriter& writer) const;

    bool m_partial;
    NodePtr m_operand;
    NodePtr m_variables; // a SequenceNode, or null
    NodePtr m_numeratorPower;
};
