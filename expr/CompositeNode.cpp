#include "expr/CompositeNode.h"

#include "document/DocPos.h"
#include "expr/MathMLWriter.h"

CompositeNode::CompositeNode(NodePtr chain) : m_first(std::move(chain)) {
    Recount();
    if (m_first && m_first->HasSource()) SetSource(m_first->Source());
}

CompositeNode::CompositeNode(const NodeSource& source, NodePtr chain)
    : ExprNode(source), m_first(std::move(chain)) {
    Recount();
}

CompositeNode::~CompositeNode() = default; // the first child's destructor frees the chain

NodePtr CompositeNode::Clone() const {
    // A bare composite has no class to rebuild; the list-like classes clone through
    // ListTransform.
    NodePtr copy = ListTransform();
    if (copy) AppendCopiesAfterFirst(*copy);
    return copy;
}

void CompositeNode::AppendCopiesAfterFirst(ExprNode& into) const {
    if (!m_first) return;
    auto* target = dynamic_cast<CompositeNode*>(&into);
    if (!target) {
        for (const ExprNode* child = m_first->Next(); child; child = child->Next())
            into.AppendChild(child->Clone());
        return;
    }
    // Linked through a tail pointer: appending one by one would walk the chain each time.
    target->ForgetTail();
    NodePtr* tail = &target->m_first;
    while (*tail)
        tail = &(*tail)->NextSlot();
    for (const ExprNode* child = m_first->Next(); child; child = child->Next()) {
        *tail = child->Clone();
        tail = &(*tail)->NextSlot();
        ++target->m_count;
    }
    if (HasSource()) target->SetSource(Source());
}

void CompositeNode::AppendChild(NodePtr child) {
    if (!child) return;
    child->SetNext(nullptr);
    ExprNode* const appended = child.get();
    if (!m_first) {
        if (child->HasSource())
            SetSource(child->Source());
        else
            MutableSource() = child->Source();
        m_first = std::move(child);
    } else {
        if (child->HasSource()) MutableSource().Union(child->Source());
        ExprNode* last = m_tail ? m_tail : m_first->LastSibling();
        last->SetNext(std::move(child));
    }
    m_tail = appended;
    ++m_count;
}

void CompositeNode::PutToLink(QKLINK link, MarkerMode mode) const {
    PutMarkerHead(link, mode);
    for (const ExprNode* child = m_first.get(); child; child = child->Next())
        child->PutToLink(link, mode);
}

void CompositeNode::PutStandardToLink(QKLINK link) const {
    for (const ExprNode* child = m_first.get(); child; child = child->Next())
        child->PutStandardToLink(link);
}

void CompositeNode::PutListToLink(QKLINK link, MarkerMode mode, const char* head) const {
    PutMarkerHead(link, mode);
    QKPutFunction(link, head, m_count);
    for (const ExprNode* child = m_first.get(); child; child = child->Next())
        child->PutToLink(link, mode);
}

void CompositeNode::PutListStandard(QKLINK link, const char* head) const {
    QKPutFunction(link, head, m_count);
    for (const ExprNode* child = m_first.get(); child; child = child->Next())
        child->PutStandardToLink(link);
}

void CompositeNode::WriteMathML(MathMLWriter& writer) {
    ForgetTail();
    for (ExprNode* child = m_first.get(); child; child = child->Next())
        child->WriteMathML(writer);
}

std::optional<Fraction> CompositeNode::ExtractFraction() {
    ForgetTail();
    for (NodePtr* slot = &m_first; *slot; slot = &(*slot)->NextSlot())
        ReplaceByFraction(*slot);
    return std::nullopt;
}

NodePtr* CompositeNode::SlotOf(const ExprNode* child) {
    ForgetTail();
    if (!child) return nullptr;
    for (NodePtr* slot = &m_first; *slot; slot = &(*slot)->NextSlot()) {
        if (slot->get() == child) return slot;
    }
    return nullptr;
}

NodePtr CompositeNode::ReplaceChild(ExprNode* old, NodePtr replacement) {
    ForgetTail();
    NodePtr* slot = SlotOf(old);
    if (!slot || !replacement) return nullptr;
    NodePtr detached = std::move(*slot);
    replacement->SetNext(detached->TakeNext());
    *slot = std::move(replacement);
    return detached;
}

void CompositeNode::VisitTree(ExprNode& collector) {
    ForgetTail();
    for (ExprNode* child = m_first.get(); child; child = child->Next())
        child->VisitTree(collector);
}

intptr_t CompositeNode::FindInTree() {
    ForgetTail();
    for (ExprNode* child = m_first.get(); child; child = child->Next()) {
        if (const intptr_t found = child->FindInTree()) return found;
    }
    return 0;
}

void CompositeNode::VisitTreeNoArg() {
    ForgetTail();
    for (ExprNode* child = m_first.get(); child; child = child->Next())
        child->VisitTreeNoArg();
}

ExprNode* CompositeNode::FindMarker(const DocPos& position) {
    ForgetTail();
    if (position.kind == DocPos::kInList && Source().kind == NodeSource::kRun &&
        position.target == Source().component) {
        // A position in this node's own list: the children follow the list, so the one that
        // starts last at or before the position is the only one that can hold it.
        ExprNode* last = nullptr;
        int32_t seen = 0;
        for (ExprNode* child = m_first.get();
             child && seen < m_count && child->Source().start <= position.index;
             child = child->Next(), ++seen)
            last = child;
        if (last && last->SourceHolds(position)) return last;
    }
    int32_t seen = 0;
    for (ExprNode* child = m_first.get(); child && seen < m_count; child = child->Next(), ++seen) {
        if (child->SourceHolds(position)) return child;
    }
    return nullptr;
}

ExprNode* CompositeNode::FindParentOf(const ExprNode* node) {
    ForgetTail();
    for (ExprNode* child = m_first.get(); child; child = child->Next()) {
        if (child == node) return this;
    }
    for (ExprNode* child = m_first.get(); child; child = child->Next()) {
        if (ExprNode* parent = child->FindParentOf(node)) return parent;
    }
    return nullptr;
}

ExprNode* CompositeNode::LastChild() const {
    ForgetTail();
    return m_first ? m_first->LastSibling() : nullptr;
}

void CompositeNode::Recount() {
    ForgetTail();
    m_count = 0;
    for (ExprNode* child = m_first.get(); child; child = child->Next())
        ++m_count;
}

NodePtr CompositeNode::DetachAll() {
    ForgetTail();
    m_count = 0;
    return std::move(m_first);
}

void CompositeNode::Flatten() {
    ForgetTail();
    for (ExprNode* child = m_first.get(); child; child = child->Next())
        child->VisitTreeNoArg();
    const ::TypeTag own = TypeTag();
    bool spliced = false;
    for (NodePtr* slot = &m_first; *slot;) {
        ExprNode* child = slot->get();
        if (!(child->TypeTag() == own)) {
            slot = &child->NextSlot();
            continue;
        }
        // A node of this node's tag is a CompositeNode of this class.
        auto* nested = static_cast<CompositeNode*>(child);
        NodePtr rest = child->TakeNext();
        NodePtr inner = nested->DetachAll();
        if (inner) {
            ExprNode* last = inner->LastSibling();
            last->SetNext(std::move(rest));
            *slot = std::move(inner);
            slot = &last->NextSlot();
        } else {
            *slot = std::move(rest);
        }
        spliced = true;
    }
    if (spliced) Recount();
}

bool CompositeNode::MarkRun(ExprNode* first, ExprNode* last, std::unique_ptr<CompositeNode> fresh) {
    ForgetTail();
    if (!first || !last) return false;
    if (first == m_first.get() && last->Next() == nullptr) {
        SetMover(true);
        return false;
    }
    NodePtr* slot = SlotOf(first);
    if (!slot) return false;
    const ExprNode* reach = first;
    while (reach && reach != last)
        reach = reach->Next();
    if (!reach) return false; // `last` does not follow `first`
    NodePtr rest = last->TakeNext();
    fresh->m_first = std::move(*slot);
    fresh->Recount();
    fresh->SetSource(fresh->m_first->Source());
    fresh->MutableSource().end = last->Source().end;
    fresh->SetMover(true);
    fresh->SetNext(std::move(rest));
    *slot = std::move(fresh);
    Recount();
    return true;
}

void CompositeNode::AppendKeepingSource(NodePtr child) {
    if (!child) return;
    const NodeSource source = Source();
    const bool hadSource = HasSource();
    CompositeNode::AppendChild(std::move(child));
    if (hadSource)
        SetSource(source);
    else
        MutableSource() = source;
}
