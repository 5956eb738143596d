#pragma once

// The owner of one expression tree that the evaluation code edits in place: it turns the tree
// into a fraction or into display boxes, and puts a kernel answer where one of its nodes was.
// Move-only; whatever it holds it deletes.

#include "expr/BoxFactory.h"
#include "expr/ExprNode.h"

class ExprHolder {
public:
    ExprHolder() = default;
    explicit ExprHolder(NodePtr node) : m_node(std::move(node)) {}
    ExprHolder(ExprHolder&&) noexcept = default;
    ExprHolder& operator=(ExprHolder&&) noexcept = default;
    ExprHolder(const ExprHolder&) = delete;
    ExprHolder& operator=(const ExprHolder&) = delete;

    // Holds a deep copy; the caller keeps its own tree untouched.
    static ExprHolder HoldCopyOf(const ExprNode& node) { return ExprHolder(node.Clone()); }

    ExprNode* Get() const { return m_node.get(); }
    bool IsEmpty() const { return !m_node; }
    // Deletes the held tree.
    void Release() { m_node.reset(); }
    // Hands the held tree out.
    NodePtr Take() { return std::move(m_node); }

    // When the held tree splits into a numerator and a denominator, holds their quotient
    // instead; otherwise the tree stays the same object.
    void MakeFraction();

    // The display boxes of the tree. They are built from a copy, since building takes signs
    // off sums and products, so the held tree can build them again.
    BoxList BuildBoxes() const;

    // What InsertResult did with the answer.
    enum class Insertion {
        kInserted,
        kNullAnswer,     // the answer was the symbol Null: nothing changed
        kTargetNotFound, // the target is not in the held tree: the answer was dropped
    };
    // Puts the kernel's answer in place of `target` (the held tree or a node in it), numbers
    // its markers through the session's ordering request, and, when the answer has several
    // alternatives, holds an "or" of one copy of the tree per alternative.
    Insertion InsertResult(ExprNode* target, NodePtr answer);

private:
    void ResolveMarkers(ExprNode& answer, ExprNode& tree);
    void SpreadAlternatives(ExprNode& answer, int32_t count);

    NodePtr m_node;
};
