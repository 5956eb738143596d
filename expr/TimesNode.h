#pragma once

// A product of factors, and the plus-or-minus sign that a product may carry as its first
// factor.

#include "expr/CompositeNode.h"

class TimesNode final : public CompositeNode {
public:
    TimesNode() = default;
    explicit TimesNode(NodePtr chain) : CompositeNode(std::move(chain)) {}
    TimesNode(const NodeSource& source, NodePtr chain) : CompositeNode(source, std::move(chain)) {}

    void PutToLink(QKLINK link, MarkerMode mode) const override;
    void PutStandardToLink(QKLINK link) const override;
    void BuildBoxes(BoxList& boxes, int32_t level) override;
    void WriteMathML(MathMLWriter& writer) override;
    // The sign of the first signed factor; a plus-or-minus factor is used up by it.
    SignCode StripNegative() override;
    std::optional<Fraction> ExtractFraction() override;
    void RemoveUnitFactors() override;
    bool IsOne() const override;
    bool IsAtom() const override { return IsSingleAtom(); }
    int32_t GetInteger() const override;
    double GetReal() const override;
    int32_t OrderValue() const override;
    bool SetMark(ExprNode* first, ExprNode* last) override;
    void VisitTreeNoArg() override;
    ::TypeTag TypeTag() const override { return ::TypeTag("prdN"); }
    NodePtr ListTransform() const override;

    using ExprNode::Negate;
    // A leading "±": a plus-or-minus factor from `sign` in front.
    void PrependPlusMinus(const NodeSource& sign);
    // A leading "-": the first factor negated in place when it can be, else a factor -1 from
    // `sign` in front.
    void Negate(const NodeSource& sign);

private:
    void PrependFactor(NodePtr factor);
};

class PlusMinusNode final : public ExprNode {
public:
    PlusMinusNode() = default;
    explicit PlusMinusNode(const NodeSource& source) : ExprNode(source) {}

    NodePtr Clone() const override;
    void PutToLink(QKLINK link, MarkerMode mode) const override;
    void PutStandardToLink(QKLINK link) const override;
    SignCode StripNegative() override { return kPlusMinusSign; }
    bool IsOne() const override { return true; }
    bool IsNumeric() const override { return true; }
    bool IsAtom() const override { return true; }
};
