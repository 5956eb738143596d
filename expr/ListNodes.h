#pragma once

// The comma sequence of arguments and the kernel list; the grids of the family are in
// GridNodes.h.

#include "expr/CompositeNode.h"

// A comma-separated run of arguments; never a value by itself, so it is not sent on its own.
// Among a head's arguments it spreads into its items. Anywhere else (a paren box holding
// "a, b" inside a sum, say) it goes as one expression under the head "Sequence", so the count
// its parent announced still holds.
class SequenceNode final : public CompositeNode {
public:
    SequenceNode() = default;
    explicit SequenceNode(NodePtr chain) : CompositeNode(std::move(chain)) {}
    SequenceNode(const NodeSource& source, NodePtr first)
        : CompositeNode(source, std::move(first)) {}

    bool IsEvaluable() const override { return false; }
    void PutToLink(QKLINK link, MarkerMode mode) const override;
    void PutStandardToLink(QKLINK link) const override;
    void PutElements(QKLINK link, MarkerMode mode, bool standard) const override;
    void BuildBoxes(BoxList& boxes, int32_t level) override;
    void WriteText(Str255& out) const override;
    void WriteMathML(MathMLWriter& writer) override;
    bool IsNumeric() const override;
    bool IsAtom() const override { return IsSingleAtom(); }
    // The items' own counts: a bracket group inside holding "2, x" stands for two.
    int32_t ElementCount() const override;
    ::TypeTag TypeTag() const override { return ::TypeTag("seqN"); }
    NodePtr ListTransform() const override;
};

class ListNode final : public CompositeNode {
public:
    ListNode() = default;
    explicit ListNode(NodePtr chain) : CompositeNode(std::move(chain)) {}
    explicit ListNode(const NodeSource& source) : CompositeNode(source) {}
    ListNode(const NodeSource& source, NodePtr first) : CompositeNode(source, std::move(first)) {}

    // Items join the chain; the list's source stays as it is.
    void AppendChild(NodePtr child) override;
    void PutToLink(QKLINK link, MarkerMode mode) const override;
    void PutStandardToLink(QKLINK link) const override;
    void BuildBoxes(BoxList& boxes, int32_t level) override;
    void WriteMathML(MathMLWriter& writer) override;
    void WriteText(Str255& out) const override;
    ::TypeTag TypeTag() const override { return ::TypeTag("lisN"); }
    NodePtr ListTransform() const override;
};

// The items' texts joined by commas, as a sequence or a list writes them.
void AppendItemTexts(const CompositeNode& node, Str255& out);
