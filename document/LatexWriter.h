#pragma once

// What the components ask of the LaTeX export writer. The export subsystem implements it; the
// model only calls it. So far that is what a component list writes: itself as a group of its
// children, each through `WriteComponentChar`, which writes characters itself and hands every
// other component to its `WriteLatex`.

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
};
