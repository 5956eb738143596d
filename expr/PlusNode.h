#pragma once

// A sum of terms. Signs are not nodes: a negative term is a product or a number whose sign the
// sum strips and draws itself.

#include "expr/CompositeNode.h"

class PlusNode final : public CompositeNode {
public:
    PlusNode() = default;
    explicit PlusNode(NodePtr chain) : CompositeNode(std::move(chain)) {}
    PlusNode(const NodeSource& source, NodePtr chain) : CompositeNode(source, std::move(chain)) {}

    void PutToLink(QKLINK link, MarkerMode mode) const override;
    void PutStandardToLink(QKLINK link) const override;
    void BuildBoxes(BoxList& boxes, int32_t level) override;
    void WriteMathML(MathMLWriter& writer) override;
    bool IsAtom() const override;
    bool SetMark(ExprNode* first, ExprNode* last) override;
    void VisitTreeNoArg() override;
    ::TypeTag TypeTag() const override { return ::TypeTag("sumN"); }
    NodePtr ListTransform() const override;
};
