#pragma once

// Powers, quotients and radicals.

#include "expr/TwoChildNode.h"

// A base raised to an exponent. The keep-exponent flag is set for powers the user wrote and
// for the kernel's second power head; only a power without it shows a negative exponent as a
// quotient.
class PowerNode final : public TwoChildNode {
public:
    static constexpr int32_t kMissingBasePrecedence = 264;

    PowerNode(NodePtr exponent, NodePtr base, bool keepExponent)
        : TwoChildNode(std::move(exponent), std::move(base)), m_keepExponent(keepExponent) {}
    // A superscript whose base is still to come (through AppendChild).
    explicit PowerNode(NodePtr exponent) : PowerNode(std::move(exponent), nullptr, true) {}
    PowerNode(const NodeSource& source, NodePtr exponent)
        : TwoChildNode(source, std::move(exponent), nullptr), m_keepExponent(true) {}

    NodePtr Clone() const override;
    void AppendChild(NodePtr base) override;
    void PutToLink(QKLINK link, MarkerMode mode) const override;
    void PutStandardToLink(QKLINK link) const override;
    void BuildBoxes(BoxList& boxes, int32_t level) override;
    void WriteMathML(MathMLWriter& writer) override;
    std::optional<Fraction> ExtractFraction() override;
    bool IsNumeric() const override;
    NodePtr ReplaceChild(ExprNode* old, NodePtr replacement) override;
    ExprNode* FindMarker(const DocPos& position) override;
    ExprNode* FindParentOf(const ExprNode* node) override;
    int32_t Precedence() const override;
    bool IsPower() const override { return true; }
    ExprNode* GetBase() const override { return Second(); }

    ExprNode* Exponent() const { return First(); }
    bool KeepsExponent() const { return m_keepExponent; }

private:
    bool m_keepExponent;
};

class DivideNode final : public TwoChildNode {
public:
    DivideNode(NodePtr numerator, NodePtr denominator)
        : TwoChildNode(std::move(numerator), std::move(denominator)) {}
    DivideNode(const NodeSource& source, NodePtr numerator, NodePtr denominator)
        : TwoChildNode(source, std::move(numerator), std::move(denominator)) {}

    NodePtr Clone() const override;
    void PutToLink(QKLINK link, MarkerMode mode) const override;
    void PutStandardToLink(QKLINK link) const override;
    void BuildBoxes(BoxList& boxes, int32_t level) override;
    void WriteMathML(MathMLWriter& writer) override;
    void WriteText(Str255& out) const override;
    // A quotient is a fraction: it hands its two parts out.
    std::optional<Fraction> ExtractFraction() override;
    SignCode StripNegative() override;
    bool IsNumeric() const override;
    int32_t OrderValue() const override { return First() ? First()->OrderValue() : 0; }
    ::TypeTag TypeTag() const override { return ::TypeTag("frcN"); }

    ExprNode* Numerator() const { return First(); }
    ExprNode* Denominator() const { return Second(); }

protected:
    bool SecondChildFirst() const override { return true; }
};

// A square root, or a root of the given index.
class RadicalNode final : public TwoChildNode {
public:
    RadicalNode(NodePtr radicand, NodePtr index)
        : TwoChildNode(std::move(radicand), std::move(index)) {}
    RadicalNode(const NodeSource& source, NodePtr radicand, NodePtr index)
        : TwoChildNode(source, std::move(radicand), std::move(index)) {}

    NodePtr Clone() const override;
    void PutToLink(QKLINK link, MarkerMode mode) const override;
    void PutStandardToLink(QKLINK link) const override;
    void BuildBoxes(BoxList& boxes, int32_t level) override;
    void WriteMathML(MathMLWriter& writer) override;
    bool IsNumeric() const override;
    bool IsAtom() const override { return true; }
    ::TypeTag TypeTag() const override { return ::TypeTag("radN"); }

    ExprNode* Radicand() const { return First(); }
    ExprNode* Index() const { return Second(); }
};
