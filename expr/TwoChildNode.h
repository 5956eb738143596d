#pragma once

// The common ground of nodes with two children (powers, quotients, radicals, and later rules,
// subscripts, limits and big operators). Either child may be missing while a tree is
// assembled. Passes run over the first child, then the second, unless a class says otherwise.

#include "expr/ExprNode.h"

class TwoChildNode : public ExprNode {
public:
    ExprNode* First() const { return m_first.get(); }
    ExprNode* Second() const { return m_second.get(); }

    std::optional<Fraction> ExtractFraction() override;
    NodePtr ReplaceChild(ExprNode* old, NodePtr replacement) override;
    void VisitTree(ExprNode& collector) override;
    intptr_t FindInTree() override;
    void VisitTreeNoArg() override;
    ExprNode* FindMarker(const DocPos& position) override;
    ExprNode* FindParentOf(const ExprNode* node) override;
    int32_t ChildCount() const override { return 2; }

protected:
    TwoChildNode(NodePtr first, NodePtr second)
        : m_first(std::move(first)), m_second(std::move(second)) {}
    TwoChildNode(const NodeSource& source, NodePtr first, NodePtr second)
        : ExprNode(source), m_first(std::move(first)), m_second(std::move(second)) {}

    // The children in the order the class's passes take them.
    virtual bool SecondChildFirst() const { return false; }

    // Writes `head` with both children as its arguments (a missing one as Null).
    void PutBinary(QKLINK link, MarkerMode mode, const char* head) const;
    void PutBinaryStandard(QKLINK link, const char* head) const;
    NodePtr& FirstSlot() { return m_first; }
    NodePtr& SecondSlot() { return m_second; }

private:
    NodePtr* Ordered(int which) {
        const bool swap = SecondChildFirst();
        return (which == 0) != swap ? &m_first : &m_second;
    }

    NodePtr m_first;
    NodePtr m_second;
};
