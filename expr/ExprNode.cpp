#include "expr/ExprNode.h"

#include "document/ByteStream.h"
#include "document/DocRange.h"
#include "document/OutBuffer.h"
#include "expr/BoxFactory.h"

namespace {

// Collects plain text into a Str255; what does not fit is dropped.
class Str255Stream final : public ByteStream {
public:
    explicit Str255Stream(Str255& out) : m_out(out) {}
    int32_t Write(const void* data, int32_t count) override {
        const auto* bytes = static_cast<const char*>(data);
        for (int32_t i = 0; i < count; ++i)
            m_out.AppendChar(bytes[i]);
        return count;
    }
    int32_t GetSize() override { return m_out.GetLength(); }

private:
    Str255& m_out;
};

} // namespace

ExprNode::~ExprNode() {
    // Unlink the chain one node at a time, so a long chain does not recurse.
    NodePtr next = std::move(m_next);
    while (next)
        next = std::move(next->m_next);
}

void ExprNode::AppendChild(NodePtr) {}

void ExprNode::BuildBoxes(BoxList&, int32_t) {}

void ExprNode::WriteMathML(MathMLWriter&) {}

void ExprNode::WriteText(Str255& out) const {
    out = Str255();
    const NodePtr copy = Clone();
    if (!copy) return;
    BoxList boxes;
    copy->BuildBoxes(boxes, 1);
    Str255Stream stream(out);
    OutBuffer buffer(stream);
    for (int32_t i = 0; i < boxes.Count(); ++i)
        boxes.At(i)->WriteText(buffer);
    buffer.Flush();
}

NodePtr ExprNode::ReplaceChild(ExprNode*, NodePtr) {
    return nullptr;
}

void ExprNode::VisitTree(ExprNode&) {}

intptr_t ExprNode::FindInTree() {
    return 0;
}

bool ExprNode::SetMark(ExprNode*, ExprNode*) {
    m_mover = true;
    return false;
}

void ExprNode::VisitTreeNoArg() {}

DocRange ExprNode::GetSource() const {
    return m_source.ToDocRange();
}

ExprNode* ExprNode::FindMarker(const DocPos&) {
    return nullptr;
}

ExprNode* ExprNode::FindParentOf(const ExprNode*) {
    return nullptr;
}

void ExprNode::PutMarkerHead(QKLINK link, MarkerMode mode) const {
    if (mode == kTargetAndMover) {
        if (m_target)
            QKPutFunction(link, "TYTarget", 1);
        else if (m_mover)
            QKPutFunction(link, "TYMover", 1);
    } else if (mode == kMarkerOnly && m_mover) {
        QKPutFunction(link, "TYMarker", 1);
    }
}

ExprNode* ExprNode::LastSibling() {
    ExprNode* node = this;
    while (node->m_next)
        node = node->m_next.get();
    return node;
}

void ExprNode::PutElements(QKLINK link, MarkerMode mode, bool standard) const {
    PutChildToLink(link, this, mode, standard);
}

void PutChildToLink(QKLINK link, const ExprNode* child, MarkerMode mode, bool standard) {
    if (!child)
        QKPutSymbol(link, "Null");
    else if (standard)
        child->PutStandardToLink(link);
    else
        child->PutToLink(link, mode);
}
