#include "document/RefComp.h"

#include "document/CompList.h"
#include "document/DocStream.h"
#include "document/DrawPort.h"
#include "document/LatexWriter.h"
#include "document/OutBuffer.h"
#include "document/ParaComp.h"
#include "document/ParaDocument.h"
#include "document/RefSource.h"

namespace {

// References are drawn in the plain text face, whatever the paragraph's style.
constexpr int32_t kLabelFace = 0;

OwnedComponent NewReference() {
    return OwnedComponent(new RefComp);
}

// Installed for the life of the process, as character blocks are.
const Installed<TextComp::Creator> kReferenceKind(TextComp::KindSlot(tags::Reference),
                                                  &NewReference);

ParaDocument* DocumentOf(const TextComp& comp) {
    const ParaComp* para = comp.GetParagraph();
    return para != nullptr ? para->GetDocument() : nullptr;
}

} // namespace

RefComp::RefComp(RefSource& target)
    : m_target(&target), m_identity(target.GetOwner().GetIdentity()),
      m_label(target.FormatLabel(false)) {
    target.AddReference(this);
}

RefComp::~RefComp() {
    if (m_target != nullptr) m_target->RemoveReference(this);
}

void RefComp::Detach() {
    UpdateLabel();
    m_target = nullptr;
}

ParaComp* RefComp::Resolve() {
    if (m_target == nullptr && m_identity > 0) {
        ParaDocument* doc = DocumentOf(*this);
        ParaComp* para = doc != nullptr ? doc->FindParagraph(m_identity) : nullptr;
        if (para != nullptr && para->GetNumberSource() != nullptr) {
            m_target = para->GetNumberSource();
            m_target->AddReference(this);
        }
    }
    return m_target != nullptr ? &m_target->GetOwner() : nullptr;
}

void RefComp::UpdateLabel() {
    if (m_target == nullptr) return;
    const ParaComp& targetPara = m_target->GetOwner();
    const bool otherDocument = DocumentOf(*this) != targetPara.GetDocument();
    m_identity = otherDocument ? -targetPara.GetIdentity() : targetPara.GetIdentity();
    m_label = m_target->FormatLabel(otherDocument);
}

Str255 RefComp::ShownLabel() const {
    return RefSource::Shown(m_label);
}

OwnedComponent RefComp::Clone() const {
    auto* self = const_cast<RefComp*>(this);
    if (self->Resolve() != nullptr) return OwnedComponent(new RefComp(*m_target));
    return OwnedComponent(new RefComp(m_identity, m_label));
}

void RefComp::Layout() {
    Resolve();
    UpdateLabel();
    SizeGuard size(m_sizeLevel);
    gDrawPort->SetFace(kLabelFace);
    m_bounds = gDrawPort->MeasureText(ShownLabel());
    m_needsLayout = false;
}

void RefComp::Draw() {
    SizeGuard size(m_sizeLevel);
    gDrawPort->SetFace(kLabelFace);
    gDrawPort->MoveTo(m_origin);
    gDrawPort->DrawString(ShownLabel());
}

bool RefComp::IsEqual(const TextComp& other) const {
    return other.GetTypeTag() == GetTypeTag() &&
           static_cast<const RefComp&>(other).m_label == m_label;
}

ExprNode* RefComp::ToExpression() {
    ParaComp* target = Resolve();
    // A reference to anything but an equation has no expression.
    return target != nullptr && target->IsEquation() ? target->ToExpression() : nullptr;
}

void RefComp::WriteLatex(LatexWriter& writer) {
    if (Resolve() != nullptr)
        writer.WriteReference(*m_target, m_identity < 0);
    else
        writer.WriteText(ShownLabel());
}

void RefComp::WriteText(OutBuffer& out) {
    const Str255 shown = ShownLabel();
    for (int i = 0; i < shown.GetLength(); ++i)
        out.PutChar(shown.GetAt(i));
}

void RefComp::Write(DocStream& stream) const {
    const_cast<RefComp*>(this)->UpdateLabel();
    stream.WriteLong(m_identity);
    // The label's bytes go as they are, and are read back as they are.
    stream.WriteByte(static_cast<uint8_t>(m_label.GetLength()));
    stream.WriteBytes(m_label.View().data(), m_label.GetLength());
}

void RefComp::Read(DocStream& stream) {
    m_identity = stream.ReadLong();
    const uint8_t length = stream.ReadByte();
    stream.RequireBytes(length);
    char bytes[255];
    stream.ReadBytes(bytes, length);
    m_label = Str31(std::string_view(bytes, length));
    m_needsLayout = true;
}
