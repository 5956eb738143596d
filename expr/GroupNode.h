#pragma once

// A bracketed sub-expression: parentheses or square brackets. Brackets are a matter of display
// only; on the link the inner node stands in the group's place (the symbol Null for an empty
// group, so its parent's count holds), and among a head's arguments a group spreads into what
// it holds: f[a, b] has two.

#include "expr/UnaryNodes.h"

class GroupNode final : public UnaryNode {
public:
    static constexpr int32_t kParenPrecedence = 261;
    static constexpr int32_t kBracketPrecedence = 260;

    GroupNode(NodePtr inner, bool parentheses)
        : UnaryNode(std::move(inner)), m_parentheses(parentheses) {}
    GroupNode(const NodeSource& source, NodePtr inner, bool parentheses);

    NodePtr Clone() const override;
    void PutToLink(QKLINK link, MarkerMode mode) const override;
    void PutStandardToLink(QKLINK link) const override;
    void PutElements(QKLINK link, MarkerMode mode, bool standard) const override;
    void BuildBoxes(BoxList& boxes, int32_t level) override;
    void WriteMathML(MathMLWriter& writer) override;
    void WriteText(Str255& out) const override;
    bool IsNumeric() const override { return Operand() && Operand()->IsNumeric(); }
    bool IsAtom() const override { return Operand() && Operand()->IsAtom(); }
    // Unwraps a group of the same kind directly inside this one, then passes on.
    void VisitTreeNoArg() override;
    int32_t ElementCount() const override { return Operand() ? Operand()->ElementCount() : 0; }
    int32_t Precedence() const override;
    ::TypeTag TypeTag() const override;

    bool HasParentheses() const { return m_parentheses; }
    // Hands the inner node out; the group is left empty.
    NodePtr TakeInner();

private:
    bool m_parentheses;
};
