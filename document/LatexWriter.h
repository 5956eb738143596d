#pragma once

// What the components ask of the LaTeX export writer. The export subsystem implements it; the
// model only calls it. So far that is what a component list writes: itself as a group of its
// children, each through `WriteComponentChar`, which writes characters itself and hands every
// other component to its `WriteLatex`.

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
    // A paragraph's opening and closing for its style's kind (a Source Code paragraph that is
    // not all code text comes as a Paragraph); `number` is the number of a section, list entry
    // or numbered equation, `leadingWhite` tells a Paragraph that it starts with a blank or tab.
    virtual void BeginParagraph(int32_t kind, const RefSource* number, bool leadingWhite) = 0;
    virtual void EndParagraph(int32_t kind, const RefSource* number) = 0;
    // An equation paragraph that is one unreferenced equation set, written as one block.
    virtual void BeginEquationBlock() = 0;
    virtual void EndEquationBlock() = 0;
};
