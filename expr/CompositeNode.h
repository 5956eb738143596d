#pragma once

// The n-ary node: a counted chain of children. A plain CompositeNode stands for its children
// in order (it has no head of its own); the list-like classes (sums, products, lists, ...)
// extend it with a head.
//
// Building a long sum or list appends one child at a time, so the node remembers its last
// child and appends without walking the chain. That memory lasts only from one append to the
// next: every other member that changes the chain or hands out a child (which its caller could
// relink) forgets it, and the next append finds the end again.

#include "expr/ExprNode.h"

#include <utility>

class CompositeNode : public ExprNode {
public:
    CompositeNode() = default;
    explicit CompositeNode(const NodeSource& source) : ExprNode(source) {}
    // Takes a chain of children (the first and its siblings) and counts it.
    explicit CompositeNode(NodePtr chain);
    CompositeNode(const NodeSource& source, NodePtr chain);
    ~CompositeNode() override;

    NodePtr Clone() const override;
    void AppendChild(NodePtr child) override;
    void PutToLink(QKLINK link, MarkerMode mode) const override;
    void PutStandardToLink(QKLINK link) const override;
    void WriteMathML(MathMLWriter& writer) override;
    std::optional<Fraction> ExtractFraction() override;
    bool IsAtom() const override { return false; }
    NodePtr ReplaceChild(ExprNode* old, NodePtr replacement) override;
    void VisitTree(ExprNode& collector) override;
    intptr_t FindInTree() override;
    void VisitTreeNoArg() override;
    ExprNode* FindMarker(const DocPos& position) override;
    ExprNode* FindParentOf(const ExprNode* node) override;
    ExprNode* LastChild() const override;
    int32_t ChildCount() const override { return m_count; }

    ExprNode* FirstChild() const {
        ForgetTail();
        return m_first.get();
    }
    int32_t Count() const { return m_count; }
    // Counts the chain again after it was relinked.
    void Recount();
    // Hands the whole chain out; the node is left empty.
    NodePtr DetachAll();

protected:
    // Links an item at the end without touching this node's source (the grids' plain form).
    void AppendKeepingSource(NodePtr child);
    // True when there is exactly one child and it is an atom.
    bool IsSingleAtom() const { return m_count == 1 && m_first->IsAtom(); }
    // Runs the children's passes, then splices the children of nested nodes of this node's tag
    // into the chain and drops empty ones, so a sum of sums is one flat sum.
    void Flatten();
    // Wraps the run first..last of the children in `fresh` (an empty node of this class),
    // marked as the mover; a run of the whole chain marks this node instead. True when a node
    // was made.
    bool MarkRun(ExprNode* first, ExprNode* last, std::unique_ptr<CompositeNode> fresh);
    // A new `Node` (made from `args`) holding a copy of the first child, with this node's
    // source: the ListTransform of the list-like classes.
    template <typename Node, typename... Args>
    NodePtr FirstItemCopy(Args&&... args) const {
        auto copy = std::make_unique<Node>(std::forward<Args>(args)...);
        if (FirstChild()) copy->AppendChild(FirstChild()->Clone());
        return WithSource(std::move(copy));
    }
    // Copies of the children after the first, appended in order; for ListTransform clones.
    void AppendCopiesAfterFirst(ExprNode& into) const;
    // Writes `head` with one argument per child, then each child in its own form.
    void PutListToLink(QKLINK link, MarkerMode mode, const char* head) const;
    // The same in the standard form.
    void PutListStandard(QKLINK link, const char* head) const;
    // The slot (the first-child pointer or a sibling's next pointer) that holds `child`.
    NodePtr* SlotOf(const ExprNode* child);
    NodePtr& FirstSlot() {
        ForgetTail();
        return m_first;
    }
    void SetCount(int32_t count) { m_count = count; }

private:
    void ForgetTail() const { m_tail = nullptr; }

    NodePtr m_first;
    int32_t m_count = 0;
    // The last child as the latest append left it; null when unknown.
    mutable ExprNode* m_tail = nullptr;
};
