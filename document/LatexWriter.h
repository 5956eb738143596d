#pragma once

// What the document, its paragraphs and their components ask of the LaTeX export writer. The
// export subsystem implements it (the LaTeX and the TechExplorer writer); the model only calls
// it. The document's export writes the header, then every paragraph opens and closes its block
// by its style and writes its list through `BeginGroup`, `WriteComponentChar` and `EndGroup`
// (characters are written by the writer, every other component by its `WriteLatex`), and the
// document ends it. List and verbatim blocks stay open across paragraphs of their own kind.

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

    // The preamble: the document class and packages, then the page numbering of the settings.
    virtual void WriteHeader(bool numberPages, int32_t firstPage) = 0;
    // Closes an open list or verbatim block, writes the end of the document and flushes.
    virtual void EndDocument() = 0;

    // Paragraph blocks, opened and closed by the paragraph's style. The labels are the
    // paragraphs' number sources; a source without a number writes no label.
    virtual void BeginTitle() = 0;
    virtual void EndTitle() = 0;
    virtual void BeginSection() = 0;
    virtual void EndSection(const RefSource& label) = 0;
    virtual void BeginSubsection() = 0;
    virtual void EndHeading() = 0;
    // `indented` when the paragraph begins with a blank or a tab.
    virtual void BeginParagraph(bool indented) = 0;
    virtual void EndParagraph() = 0;
    virtual void BeginListItem(const RefSource& label) = 0;
    virtual void EndListItem(const RefSource& label) = 0;
    virtual void BeginDisplayMath() = 0;
    virtual void EndDisplayMath() = 0;
    virtual void BeginEquation() = 0;
    virtual void EndEquation(const RefSource& label) = 0;
    // Around a numbered equation that holds a labelled equation set.
    virtual void BeginEqnarray() = 0;
    virtual void EndEqnarray() = 0;
    virtual void BeginVerbatim() = 0;
    virtual void NewLine() = 0;

    // A link shows its text (and, where the format has links, its target).
    virtual void WriteLink(const Str255& target, const Str255& shown) = 0;
};
