#pragma once

// Scripted and operator notation: a base with a subscript, lim with its condition and operand,
// and the summation and product signs with their bounds and body. Limits and big operators are
// written prefix: what follows them is appended afterwards, a whole product of following
// factors becoming the operand or body.

#include "expr/TwoChildNode.h"

class SymbolNode;

class SubscriptNode final : public TwoChildNode {
public:
    static constexpr int32_t kMissingBasePrecedence = 265;

    SubscriptNode(NodePtr base, NodePtr subscript)
        : TwoChildNode(std::move(base), std::move(subscript)) {}
    // A subscript whose base comes later (through AppendChild).
    SubscriptNode(const NodeSource& source, NodePtr subscript)
        : TwoChildNode(source, nullptr, std::move(subscript)) {}

    NodePtr Clone() const override;
    void AppendChild(NodePtr base) override;
    void PutToLink(QKLINK link, MarkerMode mode) const override;
    void PutStandardToLink(QKLINK link) const override;
    void BuildBoxes(BoxList& boxes, int32_t level) override;
    void WriteMathML(MathMLWriter& writer) override;
    void WriteText(Str255& out) const override;
    bool IsAtom() const override { return true; }
    // An integration constant C with an index sorts behind the other terms by that index.
    int32_t OrderValue() const override;
    // A numbered constant C_n gives a copy of n; the marker the kernel leaves for a new
    // constant gives nothing.
    void VisitTree(ExprNode& collector) override;
    intptr_t FindInTree() override;
    int32_t Precedence() const override;
    ::TypeTag TypeTag() const override { return ::TypeTag("sbsN"); }

    ExprNode* Base() const { return First(); }
    ExprNode* Subscript() const { return Second(); }

protected:
    bool SecondChildFirst() const override { return true; }
};

// lim, with its condition beneath (as a rule, the variable and the point it approaches) and
// the side it is approached from.
class LimitNode final : public TwoChildNode {
public:
    static constexpr int32_t kMissingOperandPrecedence = 262;
    // Direction codes: none, from above (the kernel's -1), from below (its 1).
    enum Direction : int32_t { kNoDirection = 0, kFromAbove = 1, kFromBelow = 2 };

    LimitNode(NodePtr operand, NodePtr condition, Direction direction)
        : TwoChildNode(std::move(operand), std::move(condition)), m_direction(direction) {}
    LimitNode(const NodeSource& source, NodePtr condition)
        : TwoChildNode(source, nullptr, std::move(condition)) {}

    NodePtr Clone() const override;
    void AppendChild(NodePtr next) override;
    void PutToLink(QKLINK link, MarkerMode mode) const override;
    void PutStandardToLink(QKLINK link) const override;
    void BuildBoxes(BoxList& boxes, int32_t level) override;
    void WriteMathML(MathMLWriter& writer) override;
    int32_t Precedence() const override;

    ExprNode* Operand() const { return First(); }
    ExprNode* Condition() const { return Second(); }
    Direction GetDirection() const { return m_direction; }

protected:
    bool SecondChildFirst() const override { return true; }

private:
    void Put(QKLINK link, MarkerMode mode, bool standard) const;

    Direction m_direction = kNoDirection;
};

// A summation or product sign (the built-in sum or product symbol) with its bounds and body.
class BigOperatorNode final : public ExprNode {
public:
    static constexpr int32_t kMissingBodyPrecedence = 262;

    BigOperatorNode(std::unique_ptr<SymbolNode> op, NodePtr body, NodePtr lower, NodePtr upper);
    BigOperatorNode(const NodeSource& source, std::unique_ptr<SymbolNode> op, NodePtr lower,
                    NodePtr upper);
    ~BigOperatorNode() override;

    NodePtr Clone() const override;
    void AppendChild(NodePtr next) override;
    void PutToLink(QKLINK link, MarkerMode mode) const override;
    void PutStandardToLink(QKLINK link) const override;
    void BuildBoxes(BoxList& boxes, int32_t level) override;
    void WriteMathML(MathMLWriter& writer) override;
    std::optional<Fraction> ExtractFraction() override;
    bool IsAtom() const override { return true; }
    NodePtr ReplaceChild(ExprNode* old, NodePtr replacement) override;
    void VisitTree(ExprNode& collector) override;
    intptr_t FindInTree() override;
    void VisitTreeNoArg() override;
    ExprNode* FindParentOf(const ExprNode* node) override;
    int32_t Precedence() const override;
    ::TypeTag TypeTag() const override { return ::TypeTag("oprN"); }
    int32_t ChildCount() const override { return 4; }

    ExprNode* Body() const { return m_body.get(); }
    ExprNode* Lower() const { return m_lower.get(); }
    ExprNode* Upper() const { return m_upper.get(); }

private:
    bool IsProduct() const;
    void Put(QKLINK link, MarkerMode mode, bool standard) const;

    std::unique_ptr<SymbolNode> m_op;
    NodePtr m_body;
    NodePtr m_lower;
    NodePtr m_upper;
};

// Gives `next` to the operand or body in `slot` as the prefix forms collect it; `owner`'s
// source end follows.
void CollectFollowing(ExprNode& owner, NodePtr& slot, NodePtr next);
