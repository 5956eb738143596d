#pragma once

// What the document, its paragraphs and their components ask of the LaTeX export writer. The
// export subsystem implements it (the LaTeX and the TechExplorer writer); the model only calls
// it. The document's export writes the header, then every paragraph opens and closes its block
// by its style and writes its children through `WriteComponentChar` (characters are written by
// the writer, every other component by its `WriteLatex`), and the document ends it.

#include "document/DrawPort.h"
#include "document/Str255.h"

#include <cstdint>
#include <string>

class RefSource;
class TextComp;

// The picture files an export could not write: how many, and the first one's path.
struct PictureFailures {
    int32_t count = 0;
    std::string first;
};

class LatexWriter {
public:
    virtual ~LatexWriter() = default;

    // Writes "{" when `brace` is set, enters math mode and opens one group level.
    virtual void BeginGroup(bool brace) = 0;
    // Flushes pending characters, returns to math mode, writes "}" when `brace` is set and
    // closes one group level.
    virtual void EndGroup(bool brace) = 0;
    // One child of a list; `alignMode` is the list's alignment flag.
    virtual void WriteComponentChar(TextComp& comp, bool alignMode) = 0;
    // Flushes pending characters, then appends the NUL-terminated text.
    virtual void WriteRaw(const char* text) = 0;
    // A reference to a numbered paragraph's number; `otherDocument` when it lies in another
    // document.
    virtual void WriteReference(const RefSource& target, bool otherDocument) = 0;

    // The preamble: the document class and packages, then the page numbering of the settings.
    virtual void WriteHeader(bool numberPages, int32_t firstPage) = 0;
    // Closes an open list or verbatim block, writes the end of the document and flushes.
    virtual void EndDocument() = 0;

    // A paragraph's opening and closing for its style's kind (a Source Code paragraph that is
    // not all code text comes as a Paragraph); `number` is the number of a section, list entry
    // or numbered equation, `leadingWhite` tells a Paragraph that it starts with a blank or tab.
    virtual void BeginParagraph(int32_t kind, const RefSource* number, bool leadingWhite) = 0;
    virtual void EndParagraph(int32_t kind, const RefSource* number) = 0;
    // An equation paragraph that is one unreferenced equation set, written as one block.
    virtual void BeginEquationBlock() = 0;
    virtual void EndEquationBlock() = 0;

    // Document text (cp1252) written as text, as the writer writes the text faces'
    // characters.
    virtual void WriteText(const Str255& text) { WriteRaw(text.GetCString()); }
    // A link shows its text (cp1252); writers that keep links also write the target.
    virtual void WriteLink(const Str255& /*target*/, const Str255& shown) {
        WriteRaw(shown.GetCString());
    }
    // A picture of `width` by `height` points; its bytes (null for none) go to a file beside
    // the export.
    virtual void WriteImage(int32_t /*width*/, int32_t /*height*/,
                            const PictureBytes* /*picture*/) {}
    // Read after the export: the picture files that could not be written.
    virtual PictureFailures GetPictureFailures() const { return {}; }
};
