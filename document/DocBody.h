#pragma once

// What the document asks of its body, the paragraph sequence it owns: `SequenceBody` is the
// real one; tests may give a document a simpler body.

#include "document/DocPos.h"

#include <cstdint>
#include <optional>

class DocStream;
class HtmlWriter;
class LatexWriter;
class NotebookWriter;
class ParaComp;
class ParaSequence;
class XhtmlWriter;

class DocBody {
public:
    virtual ~DocBody() = default;

    virtual int32_t GetCount() const = 0;
    // Deletes every paragraph; each gives its identity back to the document first.
    virtual void Clear() = 0;
    // Appends a new empty paragraph of the style, with an identity from the document.
    virtual void AppendNewParagraph(int32_t style) = 0;

    // The paragraph count, then every paragraph's record; with `commitEach` the stream hands
    // its bytes on after every paragraph.
    virtual void Write(DocStream& stream, bool commitEach) const = 0;
    // Appends the paragraphs of the record; they keep the identities they were stored with,
    // which the document then checks.
    virtual void Read(DocStream& stream) = 0;

    // The identity number of the paragraph at the 1-based index, and a new one for it.
    virtual int32_t GetIdentity(int32_t index) const = 0;
    virtual void SetIdentity(int32_t index, int32_t identity) = 0;
    // The first paragraph with that identity, or null.
    virtual ParaComp* FindByNumber(int32_t identity) const = 0;
    // Whether `sequence` is the body's own paragraph sequence; any other sequence that names
    // the document carries material taken from it.
    virtual bool IsOwnSequence(const ParaSequence* sequence) const {
        (void)sequence;
        return false;
    }

    // The exports: the writer's header, every paragraph through the operation of its style,
    // the writer's end. The notebook and XHTML passes answer the position of the first formula
    // that could not be converted, or nothing.
    virtual void WriteLatex(LatexWriter& writer) = 0;
    virtual std::optional<DocPos> WriteNotebook(NotebookWriter& writer) = 0;
    virtual std::optional<DocPos> WriteXhtml(XhtmlWriter& writer) = 0;
    virtual void WriteHtml(HtmlWriter& writer) = 0;
};
