#pragma once

// The one-operand nodes: the factorial, the complex conjugate and the direction of a limit.
// The operand may be missing while a tree is assembled.

#include "expr/ExprNode.h"

class UnaryNode : public ExprNode {
public:
    ExprNode* Operand() const { return m_operand.get(); }

    std::optional<Fraction> ExtractFraction() override;
    NodePtr ReplaceChild(ExprNode* old, NodePtr replacement) override;
    void VisitTree(ExprNode& collector) override;
    intptr_t FindInTree() override;
    void VisitTreeNoArg() override;
    ExprNode* FindMarker(const DocPos& position) override;
    ExprNode* FindParentOf(const ExprNode* node) override;
    int32_t ChildCount() const override { return 1; }

protected:
    UnaryNode() = default;
    explicit UnaryNode(NodePtr operand) : m_operand(std::move(operand)) {}
    UnaryNode(const NodeSource& source, NodePtr operand);

    // Writes `head` with the operand as its argument (none when it is missing).
    void PutUnary(QKLINK link, MarkerMode mode, const char* head) const;
    void PutUnaryStandard(QKLINK link, const char* head) const;
    void SetOperand(NodePtr operand) { m_operand = std::move(operand); }
    NodePtr CloneOperand() const { return CloneOrNull(m_operand.get()); }
    NodePtr ReleaseOperand() { return std::move(m_operand); }

private:
    NodePtr m_operand;
};

class FactorialNode final : public UnaryNode {
public:
    explicit FactorialNode(NodePtr operand) : UnaryNode(std::move(operand)) {}
    FactorialNode(const NodeSource& source, NodePtr operand)
        : UnaryNode(source, std::move(operand)) {}

    NodePtr Clone() const override;
    void PutToLink(QKLINK link, MarkerMode mode) const override;
    void PutStandardToLink(QKLINK link) const override;
    void BuildBoxes(BoxList& boxes, int32_t level) override;
    void WriteMathML(MathMLWriter& writer) override;
    void WriteText(Str255& out) const override;
    bool IsNumeric() const override { return Operand() && Operand()->IsNumeric(); }
};

class ConjugateNode final : public UnaryNode {
public:
    explicit ConjugateNode(NodePtr operand) : UnaryNode(std::move(operand)) {}
    ConjugateNode(const NodeSource& source, NodePtr operand)
        : UnaryNode(source, std::move(operand)) {}

    NodePtr Clone() const override;
    void PutToLink(QKLINK link, MarkerMode mode) const override;
    void PutStandardToLink(QKLINK link) const override;
    void BuildBoxes(BoxList& boxes, int32_t level) override;
    void WriteMathML(MathMLWriter& writer) override;
    bool IsNumeric() const override { return Operand() && Operand()->IsNumeric(); }
    bool IsAtom() const override { return Operand() && Operand()->IsAtom(); }
};

// The side a limit is approached from, written as the rule Direction -> 1 (from below) or -1.
class DirectionNode final : public UnaryNode {
public:
    static constexpr int32_t kPrecedence = 270;

    DirectionNode(NodePtr operand, bool below) : UnaryNode(std::move(operand)), m_below(below) {}
    DirectionNode(const NodeSource& source, bool below);

    NodePtr Clone() const override;
    void AppendChild(NodePtr child) override { SetOperand(std::move(child)); }
    void PutToLink(QKLINK link, MarkerMode mode) const override;
    void BuildBoxes(BoxList& boxes, int32_t level) override;
    bool IsAtom() const override { return true; }
    int32_t Precedence() const override { return kPrecedence; }
    ::TypeTag TypeTag() const override { return ::TypeTag("abbN"); }

    bool IsBelow() const { return m_below; }

private:
    bool m_below;
};
