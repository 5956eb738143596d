#include "document/RefSource.h"

#include "document/DrawPort.h"
#include "document/OutBuffer.h"
#include "document/ParaComp.h"
#include "document/RefComp.h"

#include <algorithm>

RefSource::~RefSource() {
    // Detaching changes nothing in the array, but a reference must not reach back into it.
    for (RefComp* reference : std::exchange(m_references, {}))
        reference->Detach();
}

void RefSource::AddReference(RefComp* reference) {
    m_references.push_back(reference);
    m_referenced = true;
}

void RefSource::RemoveReference(RefComp* reference) {
    const auto found = std::find(m_references.begin(), m_references.end(), reference);
    if (found != m_references.end()) m_references.erase(found);
}

void RefSource::SetNumber(NumberRecord& running) {
    const ParaStyle& style = m_owner.GetStyle();
    style.AdvanceCounter(running);
    if (running == m_number) return;
    m_number = running;
    m_label = style.GetNumberText(m_number);
    Renumber();
    m_needsLayout = true;
    m_owner.InvalidateLayout();
}

void RefSource::Renumber() {
    for (RefComp* reference : m_references)
        reference->InvalidateLayout();
}

Str31 RefSource::FormatLabel(bool otherDocument) const {
    return m_owner.GetStyle().GetReferenceText(m_number, otherDocument);
}

Str255 RefSource::Shown(const Str31& label) {
    Str255 shown(label.View());
    shown.MacToAnsi();
    return shown;
}

Str31 RefSource::NumberText() const {
    Str31 text;
    text.AppendNumber(m_number.section);
    if (m_number.equation > 0) text.AppendChar('.').AppendNumber(m_number.equation);
    return text;
}

void RefSource::WriteNumber(OutBuffer& out) const {
    out.PutString(NumberText().GetCString());
}

Str31 RefSource::GetLatexKey() const {
    if (m_owner.GetStyle().GetKind() != ParaStyle::kListEntry) return NumberText();
    Str31 key("item");
    return key.AppendNumber(m_owner.GetIdentity());
}

void RefSource::WriteLatexLabel(OutBuffer& out) const {
    out.PutString("\\label{");
    out.PutString(GetLatexKey().GetCString());
    out.PutString("} ");
}

void RefSource::Layout() {
    SizeGuard size(int8_t{0});
    gDrawPort->SetFace(m_owner.GetStyle().GetFace());
    m_bounds = gDrawPort->MeasureText(Str255(m_label.View()));
    m_needsLayout = false;
}

void RefSource::Draw() {
    SizeGuard size(int8_t{0});
    gDrawPort->SetFace(m_owner.GetStyle().GetFace());
    gDrawPort->MoveTo(m_origin);
    gDrawPort->DrawString(Str255(m_label.View()));
}

ParaDocument* RefSource::GetDocument() const {
    return m_owner.GetDocument();
}
