#include "document/LinkComp.h"

#include "document/CompList.h"
#include "document/DocStream.h"
#include "document/DrawPort.h"
#include "document/LatexWriter.h"
#include "document/OutBuffer.h"

namespace {

// Links are drawn in the plain text face, whatever the paragraph's style.
constexpr int32_t kLinkFace = 0;

OwnedComponent NewLink() {
    return OwnedComponent(new LinkComp);
}

// Installed for the life of the process, as character blocks are.
const Installed<TextComp::Creator> kLinkKind(TextComp::KindSlot(tags::Link), &NewLink);

} // namespace

OwnedComponent LinkComp::Clone() const {
    return OwnedComponent(new LinkComp(m_target, m_shown, m_external));
}

void LinkComp::Layout() {
    SizeGuard size(m_sizeLevel);
    gDrawPort->SetFace(kLinkFace);
    m_bounds = gDrawPort->TextExtent(m_shown);
    m_needsLayout = false;
}

void LinkComp::Draw() {
    SizeGuard size(m_sizeLevel);
    gDrawPort->SetFace(kLinkFace);
    gDrawPort->MoveTo(m_origin);
    gDrawPort->DrawLinkText(m_shown);
}

DocPos LinkComp::PosFromPoint(Point, bool) {
    DocPos pos;
    if (m_parent != nullptr) pos.SetAt(m_parent, m_parent->IndexOf(this));
    return pos;
}

bool LinkComp::IsEqual(const TextComp& other) const {
    if (other.GetTypeTag() != GetTypeTag()) return false;
    const auto& link = static_cast<const LinkComp&>(other);
    return link.m_shown == m_shown && link.m_target == m_target;
}

void LinkComp::WriteLatex(LatexWriter& writer) {
    writer.WriteLink(m_target, m_shown);
}

void LinkComp::WriteText(OutBuffer& out) {
    for (int i = 0; i < m_shown.GetLength(); ++i)
        out.PutChar(m_shown.GetAt(i));
}

void LinkComp::SetTexts(const Str255& target, const Str255& shown) {
    m_target = target;
    m_shown = shown;
    InvalidateLayout();
}

void LinkComp::Write(DocStream& stream) const {
    stream.WriteStr255(m_target, false);
    stream.WriteStr255(m_shown, false);
    stream.WriteByte(m_external ? 1 : 0);
}

void LinkComp::Read(DocStream& stream) {
    stream.ReadStr255(m_target, false);
    stream.ReadStr255(m_shown, false);
    m_external = stream.ReadByte() != 0;
    m_needsLayout = true;
}
