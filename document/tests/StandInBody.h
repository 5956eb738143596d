#pragma once

// The document's body for the tests, the fuzz target and the benchmark, until the paragraph
// sequence is there to take its place: paragraphs of a style, an identity and one component
// list, stored as the real ones are (style 16-bit, identity 32-bit, the list's chunk). Numbers
// enter and leave through the document, as the sequence's do. The export operations hand the
// writers their header and end, and each paragraph's text through the LaTeX writer.

#include "document/CompList.h"
#include "document/DocBody.h"
#include "document/DocStream.h"
#include "document/ExportWriters.h"
#include "document/TessaryDoc.h"

#include <memory>
#include <optional>
#include <vector>

namespace fakes {

class StandInBody final : public DocBody {
public:
    struct Para {
        int16_t style;
        int32_t identity;
        std::unique_ptr<CompList> list;
    };

    explicit StandInBody(CTessaryDoc& doc) : m_doc(doc) {}
    static CTessaryDoc::BodyMaker Maker() {
        return [](CTessaryDoc& doc) { return std::make_unique<StandInBody>(doc); };
    }

    int32_t GetCount() const override { return static_cast<int32_t>(paras.size()); }
    void Clear() override {
        for (const Para& para : paras)
            m_doc.ReleaseParagraphNumber(para.identity);
        paras.clear();
    }
    void AppendNewParagraph(int32_t style) override { Append(style, std::make_unique<CompList>()); }
    void Append(int32_t style, std::unique_ptr<CompList> list) {
        paras.push_back(
            {static_cast<int16_t>(style), m_doc.ClaimParagraphNumber(0), std::move(list)});
    }

    void Write(DocStream& stream, bool commitEach) const override {
        stream.WriteLong(GetCount());
        for (const Para& para : paras) {
            stream.WriteShort(para.style);
            stream.WriteLong(para.identity);
            para.list->Write(stream);
            if (commitEach) stream.Commit();
        }
    }
    void Read(DocStream& stream) override {
        const int32_t countAt = stream.GetPosition();
        const int32_t count = stream.ReadLong();
        if (count < 0) stream.Fail(countAt);
        for (int32_t i = 0; i < count; ++i) {
            Para para{stream.ReadShort(), stream.ReadLong(), std::make_unique<CompList>()};
            para.list->Read(stream);
            paras.push_back(std::move(para));
        }
    }

    int32_t GetIdentity(int32_t index) const override { return paras.at(index - 1).identity; }
    void SetIdentity(int32_t index, int32_t identity) override {
        paras.at(index - 1).identity = identity;
    }

    ParaComp* FindByNumber(int32_t) const override { return nullptr; }

    void WriteLatex(LatexWriter& writer) override {
        const DocSettings& settings = m_doc.GetSettings();
        writer.WriteHeader(settings.numberPages != 0, settings.firstPage);
        for (const Para& para : paras)
            writer.WriteRaw(para.list->GetText().GetCString());
        writer.EndDocument();
    }
    std::optional<DocPos> WriteNotebook(NotebookWriter& writer) override {
        writer.WriteHeader();
        writer.EndDocument();
        return badFormula;
    }
    std::optional<DocPos> WriteXhtml(XhtmlWriter& writer) override {
        writer.WriteHeader();
        writer.EndDocument();
        return badFormula;
    }
    void WriteHtml(HtmlWriter& writer) override {
        writer.WriteHeader();
        writer.EndDocument();
    }

    std::vector<Para> paras;
    // What the notebook and XHTML passes answer.
    std::optional<DocPos> badFormula;

private:
    CTessaryDoc& m_doc;
};

} // namespace fakes
