#pragma once

// The expression nodes of plot requests and of the graphics the kernel sends back. A plot
// component converts itself into a `Plot2DNode` (or `Plot3DNode`), which goes to the kernel as
// "TYTwoDPlot" ("TYThreeDPlot"); the answer comes back under the same head with the computed
// graphics as one more argument, and the link reader builds the classes here from their heads
// (`GraphicsReaderInstall` registers them with the reader).
//
// Every class keeps its children in fixed slots, any of which may be empty; a missing child is
// written as an empty list, so a head's argument count always holds. A node reads exactly the
// arguments its head announced: what it has no slot for is read and dropped. Graphics data is
// read with the reader's plain-real mode on, so every real is a machine real.

#include "expr/ExprNode.h"
#include "expr/LinkReader.h"

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

class PlotComp;

// The base of the classes here: children in numbered slots and the tree passes over them.
class SlotNode : public ExprNode {
public:
    ~SlotNode() override;

    NodePtr ReplaceChild(ExprNode* old, NodePtr replacement) override;
    void VisitTree(ExprNode& collector) override;
    intptr_t FindInTree() override;
    void VisitTreeNoArg() override;
    ExprNode* FindParentOf(const ExprNode* node) override;
    int32_t ChildCount() const override { return static_cast<int32_t>(m_slots.size()); }

    // Slot `i` from 0; null when empty or out of range.
    ExprNode* Child(int32_t i) const;
    // Hands slot `i`'s node out, leaving the slot empty.
    NodePtr TakeChild(int32_t i);

protected:
    explicit SlotNode(int32_t slotCount);
    SlotNode(const NodeSource& source, int32_t slotCount);
    // Copies of every slot into `copy`'s slots.
    void CloneSlotsInto(SlotNode& copy) const;
    // Writes slot `i` (an empty list when it is missing).
    void PutSlot(QKLINK link, int32_t i, MarkerMode mode, bool standard) const;
    // Appends "head[", the boxes of the slots with commas between them, "]" and a blank; an
    // empty slot shows `empty` (nothing when null).
    void BuildHeadText(BoxList& boxes, std::string_view head, int32_t slotCount,
                       const char* empty) const;

    std::vector<NodePtr> m_slots;
};

// A 2-D plot request, and its answer: functions, x range, y range, computed graphics.
class Plot2DNode final : public SlotNode {
public:
    static constexpr int32_t kFunctions = 0;
    static constexpr int32_t kXRange = 1;
    static constexpr int32_t kYRange = 2;
    static constexpr int32_t kGraphics = 3;

    Plot2DNode() : SlotNode(4) {}
    explicit Plot2DNode(const NodeSource& source) : SlotNode(source, 4) {}
    // Reads `count` arguments: the first three are kept only when they are lists.
    Plot2DNode(LinkReader& reader, int32_t count);

    NodePtr Clone() const override;
    void PutToLink(QKLINK link, MarkerMode mode) const override;
    void PutStandardToLink(QKLINK link) const override;
    // A `Plot2DComp` holding the functions, ranges and graphics; the graphics move into it.
    void BuildBoxes(BoxList& boxes, int32_t level) override;
    ExprNode* FindMarker(const DocPos& position) override;

    void AddFunction(NodePtr function);
    // Replaces a range by the list {variable, min, max}.
    void SetXRange(NodePtr variable, NodePtr min, NodePtr max);
    void SetYRange(NodePtr variable, NodePtr min, NodePtr max);
};

// A 3-D plot request and its answer: functions, first, second and value range, graphics. Its
// component is whatever kind "3Plt" makes, so the 3-D plot plugs in by registering its kind.
class Plot3DNode final : public SlotNode {
public:
    static constexpr int32_t kFunctions = 0;
    static constexpr int32_t kFirstRange = 1;
    static constexpr int32_t kSecondRange = 2;
    static constexpr int32_t kValueRange = 3;
    static constexpr int32_t kGraphics = 4;

    Plot3DNode() : SlotNode(5) {}
    explicit Plot3DNode(const NodeSource& source) : SlotNode(source, 5) {}
    Plot3DNode(LinkReader& reader, int32_t count);

    NodePtr Clone() const override;
    void PutToLink(QKLINK link, MarkerMode mode) const override;
    void PutStandardToLink(QKLINK link) const override;
    void BuildBoxes(BoxList& boxes, int32_t level) override;
    ExprNode* FindMarker(const DocPos& position) override;

    void AddFunction(NodePtr function);
    void SetFirstRange(NodePtr variable, NodePtr min, NodePtr max);
    void SetSecondRange(NodePtr variable, NodePtr min, NodePtr max);
    void SetValueRange(NodePtr variable, NodePtr min, NodePtr max);
};

// "Graphics" (2-D) or "Graphics3D": primitives, options.
class GraphicsNode final : public SlotNode {
public:
    GraphicsNode(bool twoD, NodePtr primitives, NodePtr options = nullptr);
    GraphicsNode(LinkReader& reader, int32_t count, bool twoD);

    NodePtr Clone() const override;
    void PutToLink(QKLINK link, MarkerMode mode) const override;
    void BuildBoxes(BoxList& boxes, int32_t level) override;
    ::TypeTag TypeTag() const override { return ::TypeTag("grfN"); }

    bool IsTwoD() const { return m_twoD; }

private:
    bool m_twoD;
};

// "Line", "Point", "Polygon": one argument, the point or the list of points.
class PrimitiveNode final : public SlotNode {
public:
    enum class Kind : uint8_t { Line, Point, Polygon };

    PrimitiveNode(Kind kind, NodePtr argument);
    PrimitiveNode(LinkReader& reader, int32_t count, Kind kind);

    NodePtr Clone() const override;
    void PutToLink(QKLINK link, MarkerMode mode) const override;
    void BuildBoxes(BoxList& boxes, int32_t level) override;
    ::TypeTag TypeTag() const override;

    Kind GetKind() const { return m_kind; }

private:
    Kind m_kind;
};

// "Text": the text, its position.
class GraphicsTextNode final : public SlotNode {
public:
    GraphicsTextNode(NodePtr text, NodePtr position);
    GraphicsTextNode(LinkReader& reader, int32_t count);

    NodePtr Clone() const override;
    void PutToLink(QKLINK link, MarkerMode mode) const override;
    void BuildBoxes(BoxList& boxes, int32_t level) override;
    ::TypeTag TypeTag() const override { return ::TypeTag("texN"); }
};

// "SurfaceGraphics": rows of heights, options.
class SurfaceGraphicsNode final : public SlotNode {
public:
    SurfaceGraphicsNode(NodePtr heights, NodePtr options = nullptr);
    SurfaceGraphicsNode(LinkReader& reader, int32_t count);

    NodePtr Clone() const override;
    void PutToLink(QKLINK link, MarkerMode mode) const override;
    void BuildBoxes(BoxList& boxes, int32_t level) override;
    ::TypeTag TypeTag() const override { return ::TypeTag("surN"); }
};

// Registers the classes here with the link reader for its lifetime, restoring what was
// registered before.
class GraphicsReaderInstall final : public GraphicsNodeReader {
public:
    GraphicsReaderInstall();
    NodePtr Read(LinkReader& reader, int32_t kind, int32_t count) override;

private:
    Installed<GraphicsNodeReader> m_installed;
};
