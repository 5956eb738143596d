#pragma once

// The document's body: its paragraph sequence, with the document as the sequence's document,
// and the exports that walk it: the writer's header, every paragraph through the operations of
// its style (ParaExport.h), the writer's end.

#include "document/CompSequence.h"
#include "document/DocBody.h"

class CTessaryDoc;
class PageWriter;

class SequenceBody final : public DocBody {
public:
    explicit SequenceBody(CTessaryDoc& doc);

    CompSequence& GetSequence() { return m_sequence; }

    int32_t GetCount() const override { return m_sequence.GetCount(); }
    void Clear() override { m_sequence.Clear(); }
    void AppendNewParagraph(int32_t style) override;
    void Write(DocStream& stream, bool commitEach) const override {
        m_sequence.Write(stream, commitEach);
    }
    void Read(DocStream& stream) override { m_sequence.Read(stream); }
    int32_t GetIdentity(int32_t index) const override;
    void SetIdentity(int32_t index, int32_t identity) override;
    ParaComp* FindByNumber(int32_t identity) const override {
        return m_sequence.FindByNumber(identity);
    }
    bool IsOwnSequence(const ParaSequence* sequence) const override {
        return sequence == &m_sequence;
    }

    void WriteLatex(LatexWriter& writer) override;
    std::optional<DocPos> WriteNotebook(NotebookWriter& writer) override;
    std::optional<DocPos> WriteXhtml(XhtmlWriter& writer) override;
    void WriteHtml(HtmlWriter& writer) override;

private:
    // The two page exports: the head, every paragraph by its style, the end.
    void WritePage(PageWriter& writer);

    CTessaryDoc& m_doc;
    CompSequence m_sequence;
};
