#include "document/SequenceBody.h"

#include "document/ExportWriters.h"
#include "document/LatexWriter.h"
#include "document/ParaExport.h"
#include "document/TessaryDoc.h"

#include <memory>

SequenceBody::SequenceBody(CTessaryDoc& doc) : m_doc(doc), m_sequence(&doc) {}

void SequenceBody::AppendNewParagraph(int32_t style) {
    m_sequence.Append(std::make_unique<ParaComp>(style));
}

int32_t SequenceBody::GetIdentity(int32_t index) const {
    return m_sequence.GetAt(index)->GetIdentity();
}

void SequenceBody::SetIdentity(int32_t index, int32_t identity) {
    m_sequence.GetAt(index)->SetIdentity(identity);
}

void SequenceBody::WriteLatex(LatexWriter& writer) {
    const DocSettings& settings = m_doc.GetSettings();
    writer.WriteHeader(settings.numberPages != 0, settings.firstPage);
    for (int32_t i = 1; i <= m_sequence.GetCount(); ++i)
        m_sequence.GetAt(i)->WriteLatex(writer);
    writer.EndDocument();
}

std::optional<DocPos> SequenceBody::WriteNotebook(NotebookWriter& writer) {
    writer.WriteHeader();
    for (int32_t i = 1; i <= m_sequence.GetCount(); ++i)
        WriteParagraphNotebook(*m_sequence.GetAt(i), writer);
    writer.EndDocument();
    return writer.GetFirstFailure();
}

std::optional<DocPos> SequenceBody::WriteXhtml(XhtmlWriter& writer) {
    WritePage(writer);
    return writer.GetFirstFailure();
}

void SequenceBody::WriteHtml(HtmlWriter& writer) {
    WritePage(writer);
}

void SequenceBody::WritePage(PageWriter& writer) {
    writer.WriteHeader();
    for (int32_t i = 1; i <= m_sequence.GetCount(); ++i)
        WriteParagraphPage(*m_sequence.GetAt(i), writer);
    writer.EndDocument();
}
