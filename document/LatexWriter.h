#pragma once

// What the document, its paragraphs and their components ask of the LaTeX export writer. The
// export subsystem implements it (the LaTeX and the TechExplorer writer); the model only calls
// it. The document's export writes the header, then every paragraph opens and closes its block
// by its style and writes its children through `WriteComponentChar` (characters are written by
// the writer, every other component by its `WriteLatex`), and the document ends it.

#include "document/DrawPort.h"
#include "document/Str255.h"

#include <cstdint>

class RefSource;
class TextComp;

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
    // A link: where it leads and the text it shows.
    virtual void WriteLink(const Str255& target, const Str255& shown) = 0;
    // A picture of the given size in points, from its recorded bytes.
    virtual void WritePicture(int32_t widthPoints, int32_t heightPoints,
                              const PictureBytes& picture) = 0;

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
};
