#pragma once

// A head applied to an argument: a single argument, or a SequenceNode of several. The head is
// usually a symbol; a derivative, a subscripted symbol or another application may stand there
// too.

#include "expr/TwoChildNode.h"

class FunctionNode final : public TwoChildNode {
public:
    static constexpr int32_t kPrecedence = 263;

    FunctionNode(NodePtr head, NodePtr argument);
    FunctionNode(const NodeSource& source, NodePtr head, NodePtr argument);

    NodePtr Clone() const override;
    void PutToLink(QKLINK link, MarkerMode mode) const override;
    void PutStandardToLink(QKLINK link) const override;
    void BuildBoxes(BoxList& boxes, int32_t level) override;
    void WriteMathML(MathMLWriter& writer) override;
    void WriteText(Str255& out) const override;
    bool IsNumeric() const override { return Argument() && Argument()->IsNumeric(); }
    int32_t Precedence() const override { return kPrecedence; }
    ::TypeTag TypeTag() const override { return ::TypeTag("funN"); }

    ExprNode* Head() const { return First(); }
    ExprNode* Argument() const { return Second(); }
    // Set on an application that is itself the head of another.
    bool IsApplied() const { return m_applied; }

protected:
    // The argument's passes run before the head's.
    bool SecondChildFirst() const override { return true; }

private:
    void MarkHeadApplied();
    int32_t ArgumentCount() const { return Argument() ? Argument()->ElementCount() : 0; }
    void PutHeadAndArgument(QKLINK link, MarkerMode mode, bool standard) const;
    void BuildArgument(BoxList& boxes, bool nameLike);

    bool m_applied = false;
};

// The residue of a left operand modulo a right operand.
class ModNode final : public TwoChildNode {
public:
    static constexpr int32_t kKeywordPrecedence = 288;

    ModNode(NodePtr left, NodePtr right) : TwoChildNode(std::move(left), std::move(right)) {}
    // The bare "mod" keyword of the parser; its operands are set afterwards.
    explicit ModNode(const NodeSource& source) : TwoChildNode(source, nullptr, nullptr) {}

    NodePtr Clone() const override;
    void PutToLink(QKLINK link, MarkerMode mode) const override;
    void PutStandardToLink(QKLINK link) const override;
    void BuildBoxes(BoxList& boxes, int32_t level) override;
    void WriteMathML(MathMLWriter& writer) override;
    int32_t Precedence() const override;
    ::TypeTag TypeTag() const override { return ::TypeTag("modN"); }

    // Setting the left operand takes its source start, the right one its source end.
    void SetLeft(NodePtr left);
    void SetRight(NodePtr right);
};

// A replacement rule from a left side to a right side.
class RuleNode final : public TwoChildNode {
public:
    RuleNode(NodePtr left, NodePtr right) : TwoChildNode(std::move(left), std::move(right)) {}
    RuleNode(const NodeSource& source, NodePtr left, NodePtr right)
        : TwoChildNode(source, std::move(left), std::move(right)) {}

    NodePtr Clone() const override;
    void PutToLink(QKLINK link, MarkerMode mode) const override;
    void BuildBoxes(BoxList& boxes, int32_t level) override;
    void WriteMathML(MathMLWriter& writer) override;
    bool IsAtom() const override { return true; }
    ::TypeTag TypeTag() const override { return ::TypeTag("rulN"); }
};
