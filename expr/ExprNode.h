#pragma once

// The expression tree that travels between the editor and the kernel.
//
// Math boxes convert into a tree before an evaluation and the link reader builds one from the
// kernel's answer; a tree writes itself to the link (under the program's own kernel names or
// the kernel's standard heads), builds display boxes, writes MathML and plain text.
//
// Ownership: the requester owns the root; a node owns its children and its next sibling (the
// chains of list-like nodes run through `m_next`). Whatever hands a node out (clone, extract,
// detach) returns a NodePtr. Chains from a peer can be very long, so destroying, cloning,
// writing and visiting loop along a chain instead of recursing down it.

#include "corvinet/corvinet.h"
#include "document/Str255.h"
#include "document/TypeTag.h"
#include "expr/NodePool.h"
#include "expr/NodeSource.h"

#include <cstdint>
#include <memory>
#include <optional>

class BoxList;
class DocPos;
class DocRange;
class MathMLWriter;
class ExprNode;

using NodePtr = std::unique_ptr<ExprNode>;

// The sign a node gives up to the sum or product that draws it.
enum SignCode : int32_t {
    kNoSign = 0,
    kMinusSign = 1,
    kPlusMinusSign = 2,
};

// Which marks the drag tools' heads carry when a tree is written (see PutMarkerHead).
enum MarkerMode : int32_t {
    kNoMarkers = 0,
    kTargetAndMover = 1,
    kMarkerOnly = 2,
};

// A node that displays as a fraction, taken apart.
struct Fraction {
    NodePtr numerator;
    NodePtr denominator;
};

class ExprNode {
public:
    // Binding strengths: the token codes of the infix grammar a node stands for.
    static constexpr int32_t kDefaultPrecedence = 259;

    ExprNode() = default;
    explicit ExprNode(const NodeSource& source) : m_source(source), m_hasSource(true) {}
    ExprNode(const ExprNode&) = delete;
    ExprNode& operator=(const ExprNode&) = delete;
    // Destroys the rest of the sibling chain too, without recursing along it.
    virtual ~ExprNode();

    // Nodes come from the node pool; the virtual destructor hands back the node's real size.
    static void* operator new(std::size_t size) { return nodepool::Allocate(size); }
    static void operator delete(void* block, std::size_t size) noexcept {
        nodepool::Release(block, size);
    }

    // A deep copy of the node and its children (not of its siblings); marks are not copied.
    virtual NodePtr Clone() const = 0;
    // Gives the node a further child; classes without a place for one drop it.
    virtual void AppendChild(NodePtr child);
    // False for nodes the kernel session never sends on their own.
    virtual bool IsEvaluable() const { return true; }
    // Writes the node under the program's own kernel names, after its marker heads.
    virtual void PutToLink(QKLINK link, MarkerMode mode) const = 0;
    // Writes the node under the kernel's standard heads, without marker heads.
    virtual void PutStandardToLink(QKLINK link) const { PutToLink(link, kNoMarkers); }
    // Writes the node where a head's arguments stand: exactly `ElementCount` expressions, so
    // that the count the head announced holds. A sequence spreads into its items (and a group
    // into what it holds); anything else is one expression, as PutToLink or PutStandardToLink
    // writes it.
    virtual void PutElements(QKLINK link, MarkerMode mode, bool standard) const;
    // Appends the display boxes of the node. `level` (0 to 10) says how tightly the
    // surrounding structure binds; a node that binds more loosely parenthesises itself.
    virtual void BuildBoxes(BoxList& boxes, int32_t level);
    virtual void WriteMathML(MathMLWriter& writer);
    // When the node is negative, makes it positive and answers the sign it dropped.
    virtual SignCode StripNegative() { return kNoSign; }
    // Takes the node apart when it displays as a fraction; the caller then replaces it by the
    // quotient of the two. Otherwise the node replaces those of its children that do, and
    // answers nothing.
    virtual std::optional<Fraction> ExtractFraction() { return std::nullopt; }
    virtual void RemoveUnitFactors() {}
    virtual bool IsOne() const { return false; }
    virtual bool IsNumeric() const { return false; }
    virtual bool CanNegateInPlace() const { return false; }
    virtual void Negate() {}
    virtual bool IsAtom() const { return false; }
    virtual int32_t GetInteger() const { return 0; }
    virtual double GetReal() const { return 0.0; }
    virtual int32_t OrderValue() const { return 0; }
    // The plain linear text; by default the text of the display boxes, built from a copy:
    // building boxes strips signs and unit factors, and writing text must leave the tree as
    // it was (the same tree is sent to the kernel afterwards).
    virtual void WriteText(Str255& out) const;
    // Puts `replacement` where `old` stands among the children; `old` is handed back detached
    // (null when it is not a child, and then `replacement` is dropped).
    virtual NodePtr ReplaceChild(ExprNode* old, NodePtr replacement);
    // Gathers copies of the indices of the numbered integration constants C_n of the subtree
    // into `collector` (through its AppendChild), in tree order; the base passes the collector
    // to every child. Copies, so the tree's own nodes stay linked where they are.
    virtual void VisitTree(ExprNode& collector);
    // The first non-zero answer of the children, in order.
    virtual intptr_t FindInTree();
    // Marks the node as the one being moved.
    virtual bool SetMark(ExprNode* first, ExprNode* last);
    // An argument-less pass over the subtree (flattening, unwrapping).
    virtual void VisitTreeNoArg();
    // The child whose source holds the document position, or null; the search does not descend.
    virtual ExprNode* FindMarker(const DocPos& position);
    // The node whose direct child `node` is, within this subtree; null when none.
    virtual ExprNode* FindParentOf(const ExprNode* node);
    virtual ExprNode* LastChild() const { return nullptr; }
    virtual int32_t Precedence() const { return kDefaultPrecedence; }
    virtual ::TypeTag TypeTag() const { return ::TypeTag("node"); }
    virtual bool IsPower() const { return false; }
    virtual ExprNode* GetBase() const { return nullptr; }
    // How many arguments the node stands for among a head's arguments (see PutElements).
    virtual int32_t ElementCount() const { return 1; }
    virtual int32_t AlternativeCount() const { return 1; }
    virtual int32_t ChildCount() const { return 0; }
    // List-like classes: a new node of the class holding a copy of the first child.
    virtual NodePtr ListTransform() const { return nullptr; }

    // Writes the drag tools' wrapper head, if any, for the given mode.
    void PutMarkerHead(QKLINK link, MarkerMode mode) const;

    const NodeSource& Source() const { return m_source; }
    // The document range the node came from.
    DocRange GetSource() const;
    bool HasSource() const { return m_hasSource; }
    // True when the node came from a place whose range holds `position`.
    bool SourceHolds(const DocPos& position) const {
        return m_hasSource && m_source.TestRange(position);
    }
    void SetSource(const NodeSource& source) {
        m_source = source;
        m_hasSource = true;
    }
    NodeSource& MutableSource() { return m_source; }

    bool IsTarget() const { return m_target; }
    bool IsMover() const { return m_mover; }
    void SetTarget(bool on) { m_target = on; }
    void SetMover(bool on) { m_mover = on; }

    ExprNode* Next() const { return m_next.get(); }
    // The pointer that owns the next sibling, for relinking chains.
    NodePtr& NextSlot() { return m_next; }
    NodePtr TakeNext() { return std::move(m_next); }
    void SetNext(NodePtr next) { m_next = std::move(next); }
    // The last node of the chain that starts here.
    ExprNode* LastSibling();

protected:
    // A clone's own fields are set by the class; this gives it the node's source too.
    template <typename Node>
    NodePtr WithSource(std::unique_ptr<Node> copy) const {
        if (m_hasSource) copy->SetSource(m_source);
        return copy;
    }

private:
    NodeSource m_source;
    bool m_target = false;
    bool m_mover = false;
    bool m_hasSource = false;
    NodePtr m_next;
};

// Replaces `slot`'s node by the quotient it gives when it displays as a fraction; the
// quotient takes over the old node's place in its chain.
void ReplaceByFraction(NodePtr& slot);

// Writes a child in the own form (with `mode`) or the standard form; a missing child goes out
// as the symbol Null, so its head's argument count still holds.
void PutChildToLink(QKLINK link, const ExprNode* child, MarkerMode mode, bool standard);

// Clones a node, or answers null for null.
inline NodePtr CloneOrNull(const ExprNode* node) {
    return node ? node->Clone() : nullptr;
}
