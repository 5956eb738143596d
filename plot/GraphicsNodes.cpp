#include "plot/GraphicsNodes.h"

#include "expr/BoxFactory.h"
#include "expr/CompositeNode.h"
#include "expr/LeafNodes.h"
#include "expr/ListNodes.h"
#include "expr/symbols/SymbolTable.h"
#include "plot/Plot2DComp.h"
#include "plot/PlotPrims.h"

#include <algorithm>

namespace {

bool IsList(const ExprNode* node) {
    return node != nullptr && node->TypeTag() == TypeTag("lisN");
}

// Graphics data is read with every real as a machine real; the reader's mode comes back at the
// end, also when reading fails.
class PlainReals {
public:
    explicit PlainReals(LinkReader& reader) : m_reader(reader), m_saved(reader.PlainReals()) {
        reader.SetPlainReals(true);
    }
    ~PlainReals() { m_reader.SetPlainReals(m_saved); }
    PlainReals(const PlainReals&) = delete;
    PlainReals& operator=(const PlainReals&) = delete;

private:
    LinkReader& m_reader;
    bool m_saved;
};

// Reads `count` arguments into the first slots (as many as there are) and drops the rest;
// `keep` decides, per slot, whether a read argument stays.
template <typename Keep>
void ReadSlots(LinkReader& reader, int32_t count, std::vector<NodePtr>& into, Keep keep) {
    const int32_t taken = std::min<int32_t>(count, static_cast<int32_t>(into.size()));
    for (int32_t i = 0; i < taken; ++i) {
        NodePtr argument = reader.ReadExpr();
        if (keep(i, *argument)) into[static_cast<size_t>(i)] = std::move(argument);
    }
    reader.Discard(count - taken);
}

void ReadAll(LinkReader& reader, int32_t count, std::vector<NodePtr>& into) {
    ReadSlots(reader, count, into, [](int32_t, const ExprNode&) { return true; });
}

// Plot requests keep their function and range arguments only when they are lists.
void ReadRequest(LinkReader& reader, int32_t count, std::vector<NodePtr>& into) {
    const auto last = static_cast<int32_t>(into.size()) - 1;
    ReadSlots(reader, count, into,
              [last](int32_t i, const ExprNode& node) { return i == last || IsList(&node); });
}

CompArray ToArray(BoxList boxes) {
    CompArray array;
    for (OwnedComponent& box : boxes.Release())
        array.Add(std::move(box));
    return array;
}

BoxList BoxesOf(ExprNode& node) {
    BoxList boxes;
    node.BuildBoxes(boxes, 0);
    return boxes;
}

NodePtr RangeList(NodePtr variable, NodePtr min, NodePtr max) {
    auto list = std::make_unique<ListNode>();
    list->AppendChild(std::move(variable));
    list->AppendChild(std::move(min));
    list->AppendChild(std::move(max));
    return list;
}

void AppendFunction(NodePtr& functions, NodePtr function) {
    if (!functions) functions = std::make_unique<ListNode>();
    functions->AppendChild(std::move(function));
}

// A range list's variable name, minimum and maximum, with the defaults for what it lacks.
struct RangeValues {
    Str31 name;
    double min = -1.0;
    double max = 1.0;
};

RangeValues ReadRange(const ExprNode* range, const char* defaultName) {
    RangeValues values{Str31(defaultName)};
    const ExprNode* variable = FirstItem(range);
    if (variable == nullptr) return values;
    if (variable->TypeTag() == TypeTag("symN")) {
        Str255 name;
        static_cast<const SymbolNode*>(variable)->GetName(name);
        values.name = Str31(name);
    }
    if (const ExprNode* min = variable->Next()) {
        values.min = min->GetReal();
        if (const ExprNode* max = min->Next()) values.max = max->GetReal();
    }
    return values;
}

// Fills a plot's function lists from a request's functions: the first into the plot's own first
// list, each further one as a list of its own.
void FillFunctions(PlotComp& plot, const ExprNode* functions) {
    const ExprNode* function = FirstItem(functions);
    if (function != nullptr) {
        plot.GetList(1)->InsertArrayAt(ToArray(BoxesOf(const_cast<ExprNode&>(*function))), 1);
        function = function->Next();
    }
    for (; function != nullptr; function = function->Next())
        plot.AddFunction(ToArray(BoxesOf(const_cast<ExprNode&>(*function))));
}

// The standard form of a plot request: one function plots alone, several are shown together,
// each plotted over the same ranges.
void PutStandardPlot(QKLINK link, const ExprNode* functions, const char* head,
                     std::initializer_list<const ExprNode*> ranges) {
    const auto* list = IsList(functions) ? static_cast<const CompositeNode*>(functions) : nullptr;
    const int32_t n = list != nullptr ? list->Count() : 0;
    auto plotOne = [&](const ExprNode* function) {
        QKPutFunction(link, head, 1 + static_cast<int32_t>(ranges.size()));
        function->PutStandardToLink(link);
        for (const ExprNode* range : ranges) {
            if (range != nullptr)
                range->PutStandardToLink(link);
            else
                QKPutFunction(link, "List", 0);
        }
    };
    if (n == 1) {
        plotOne(list->FirstChild());
        return;
    }
    QKPutFunction(link, "Show", 1);
    QKPutFunction(link, "List", n);
    for (const ExprNode* f = list != nullptr ? list->FirstChild() : nullptr; f != nullptr;
         f = f->Next())
        plotOne(f);
}

} // namespace

// --- SlotNode ---

SlotNode::SlotNode(int32_t slotCount) : m_slots(static_cast<size_t>(slotCount)) {}

SlotNode::SlotNode(const NodeSource& source, int32_t slotCount)
    : ExprNode(source), m_slots(static_cast<size_t>(slotCount)) {}

SlotNode::~SlotNode() = default;

ExprNode* SlotNode::Child(int32_t i) const {
    return i >= 0 && i < ChildCount() ? m_slots[static_cast<size_t>(i)].get() : nullptr;
}

NodePtr SlotNode::TakeChild(int32_t i) {
    return i >= 0 && i < ChildCount() ? std::move(m_slots[static_cast<size_t>(i)]) : nullptr;
}

void SlotNode::CloneSlotsInto(SlotNode& copy) const {
    for (size_t i = 0; i < m_slots.size(); ++i)
        copy.m_slots[i] = CloneOrNull(m_slots[i].get());
}

void SlotNode::PutSlot(QKLINK link, int32_t i, MarkerMode mode, bool standard) const {
    const ExprNode* child = Child(i);
    if (child == nullptr)
        QKPutFunction(link, "List", 0);
    else if (standard)
        child->PutStandardToLink(link);
    else
        child->PutToLink(link, mode);
}

void SlotNode::BuildHeadText(BoxList& boxes, std::string_view head, int32_t slotCount,
                             const char* empty) const {
    boxes.AddGlyphs(head);
    boxes.AddGlyph('[');
    for (int32_t i = 0; i < slotCount; ++i) {
        if (i > 0) boxes.AddGlyph(',');
        if (ExprNode* child = Child(i))
            child->BuildBoxes(boxes, 0);
        else if (empty != nullptr)
            boxes.AddGlyphs(empty);
    }
    boxes.AddGlyph(']');
    boxes.AddGlyph(' ');
}

NodePtr SlotNode::ReplaceChild(ExprNode* old, NodePtr replacement) {
    if (old == nullptr || !replacement) return nullptr;
    for (NodePtr& slot : m_slots) {
        if (slot.get() == old) {
            std::swap(slot, replacement);
            return replacement;
        }
    }
    return nullptr;
}

void SlotNode::VisitTree(ExprNode& collector) {
    for (NodePtr& slot : m_slots)
        if (slot) slot->VisitTree(collector);
}

intptr_t SlotNode::FindInTree() {
    for (NodePtr& slot : m_slots) {
        if (!slot) continue;
        if (const intptr_t found = slot->FindInTree()) return found;
    }
    return 0;
}

void SlotNode::VisitTreeNoArg() {
    for (NodePtr& slot : m_slots)
        if (slot) slot->VisitTreeNoArg();
}

ExprNode* SlotNode::FindParentOf(const ExprNode* node) {
    if (node == nullptr) return nullptr;
    for (const NodePtr& slot : m_slots)
        if (slot.get() == node) return this;
    for (NodePtr& slot : m_slots) {
        if (!slot) continue;
        if (ExprNode* found = slot->FindParentOf(node)) return found;
    }
    return nullptr;
}

// --- Plot2DNode ---

Plot2DNode::Plot2DNode(LinkReader& reader, int32_t count) : SlotNode(4) {
    ReadRequest(reader, count, m_slots);
}

NodePtr Plot2DNode::Clone() const {
    auto copy = std::make_unique<Plot2DNode>();
    CloneSlotsInto(*copy);
    return WithSource(std::move(copy));
}

void Plot2DNode::PutToLink(QKLINK link, MarkerMode mode) const {
    PutMarkerHead(link, mode);
    QKPutFunction(link, "TYTwoDPlot", 3);
    for (int32_t i = kFunctions; i <= kYRange; ++i)
        PutSlot(link, i, mode, false);
}

void Plot2DNode::PutStandardToLink(QKLINK link) const {
    PutStandardPlot(link, Child(kFunctions), "Plot", {Child(kXRange)});
}

void Plot2DNode::BuildBoxes(BoxList& boxes, int32_t) {
    auto plot = std::make_unique<Plot2DComp>();
    FillFunctions(*plot, Child(kFunctions));
    const RangeValues x = ReadRange(Child(kXRange), "x");
    const RangeValues y = ReadRange(Child(kYRange), "y");
    plot->SetXRange(x.name, x.min, x.max);
    plot->SetYRange(y.name, y.min, y.max);
    if (NodePtr graphics = TakeChild(kGraphics)) plot->SetGraphics(std::move(graphics));
    boxes.Add(OwnedComponent(plot.release()));
}

ExprNode* Plot2DNode::FindMarker(const DocPos& position) {
    ExprNode* functions = Child(kFunctions);
    return functions != nullptr && functions->SourceHolds(position) ? functions : nullptr;
}

void Plot2DNode::AddFunction(NodePtr function) {
    if (function) AppendFunction(m_slots[kFunctions], std::move(function));
}

void Plot2DNode::SetXRange(NodePtr variable, NodePtr min, NodePtr max) {
    m_slots[kXRange] = RangeList(std::move(variable), std::move(min), std::move(max));
}

void Plot2DNode::SetYRange(NodePtr variable, NodePtr min, NodePtr max) {
    m_slots[kYRange] = RangeList(std::move(variable), std::move(min), std::move(max));
}

// --- Plot3DNode ---

Plot3DNode::Plot3DNode(LinkReader& reader, int32_t count) : SlotNode(5) {
    ReadRequest(reader, count, m_slots);
}

NodePtr Plot3DNode::Clone() const {
    auto copy = std::make_unique<Plot3DNode>();
    CloneSlotsInto(*copy);
    return WithSource(std::move(copy));
}

void Plot3DNode::PutToLink(QKLINK link, MarkerMode mode) const {
    PutMarkerHead(link, mode);
    QKPutFunction(link, "TYThreeDPlot", 4);
    for (int32_t i = kFunctions; i <= kValueRange; ++i)
        PutSlot(link, i, mode, false);
}

void Plot3DNode::PutStandardToLink(QKLINK link) const {
    PutStandardPlot(link, Child(kFunctions), "Plot3D", {Child(kFirstRange), Child(kSecondRange)});
}

void Plot3DNode::BuildBoxes(BoxList& boxes, int32_t) {
    // The 3-D plot is whatever kind is installed for its tag; without one there is no box.
    OwnedComponent made = TextComp::CreateByTag(tags::Plot3D);
    auto* plot = dynamic_cast<PlotComp*>(made.get());
    if (plot == nullptr) return;
    FillFunctions(*plot, Child(kFunctions));
    const RangeValues first = ReadRange(Child(kFirstRange), "x");
    const RangeValues second = ReadRange(Child(kSecondRange), "y");
    const RangeValues value = ReadRange(Child(kValueRange), "z");
    plot->SetXRange(first.name, first.min, first.max);
    plot->SetYRange(second.name, second.min, second.max);
    plot->SetZRange(value.name, value.min, value.max);
    if (NodePtr graphics = TakeChild(kGraphics)) plot->SetGraphics(std::move(graphics));
    boxes.Add(std::move(made));
}

ExprNode* Plot3DNode::FindMarker(const DocPos& position) {
    ExprNode* functions = Child(kFunctions);
    return functions != nullptr && functions->SourceHolds(position) ? functions : nullptr;
}

void Plot3DNode::AddFunction(NodePtr function) {
    if (function) AppendFunction(m_slots[kFunctions], std::move(function));
}

void Plot3DNode::SetFirstRange(NodePtr variable, NodePtr min, NodePtr max) {
    m_slots[kFirstRange] = RangeList(std::move(variable), std::move(min), std::move(max));
}

void Plot3DNode::SetSecondRange(NodePtr variable, NodePtr min, NodePtr max) {
    m_slots[kSecondRange] = RangeList(std::move(variable), std::move(min), std::move(max));
}

void Plot3DNode::SetValueRange(NodePtr variable, NodePtr min, NodePtr max) {
    m_slots[kValueRange] = RangeList(std::move(variable), std::move(min), std::move(max));
}

// --- Graphics ---

GraphicsNode::GraphicsNode(bool twoD, NodePtr primitives, NodePtr options)
    : SlotNode(2), m_twoD(twoD) {
    m_slots[0] = std::move(primitives);
    m_slots[1] = std::move(options);
}

GraphicsNode::GraphicsNode(LinkReader& reader, int32_t count, bool twoD)
    : SlotNode(2), m_twoD(twoD) {
    PlainReals plain(reader);
    ReadAll(reader, count, m_slots);
}

NodePtr GraphicsNode::Clone() const {
    return std::make_unique<GraphicsNode>(m_twoD, CloneOrNull(Child(0)), CloneOrNull(Child(1)));
}

void GraphicsNode::PutToLink(QKLINK link, MarkerMode mode) const {
    PutMarkerHead(link, mode);
    QKPutFunction(link, m_twoD ? "Graphics" : "Graphics3D", Child(1) != nullptr ? 2 : 1);
    PutSlot(link, 0, mode, false);
    if (Child(1) != nullptr) PutSlot(link, 1, mode, false);
}

void GraphicsNode::BuildBoxes(BoxList& boxes, int32_t) {
    BuildHeadText(boxes, m_twoD ? "Graphics" : "Graphics3D", 2, "{}");
}

PrimitiveNode::PrimitiveNode(Kind kind, NodePtr argument) : SlotNode(1), m_kind(kind) {
    m_slots[0] = std::move(argument);
}

PrimitiveNode::PrimitiveNode(LinkReader& reader, int32_t count, Kind kind)
    : SlotNode(1), m_kind(kind) {
    ReadAll(reader, count, m_slots);
}

namespace {
const char* HeadOf(PrimitiveNode::Kind kind) {
    switch (kind) {
    case PrimitiveNode::Kind::Line:
        return "Line";
    case PrimitiveNode::Kind::Point:
        return "Point";
    case PrimitiveNode::Kind::Polygon:
        return "Polygon";
    }
    return "Line";
}
} // namespace

NodePtr PrimitiveNode::Clone() const {
    return std::make_unique<PrimitiveNode>(m_kind, CloneOrNull(Child(0)));
}

void PrimitiveNode::PutToLink(QKLINK link, MarkerMode mode) const {
    PutMarkerHead(link, mode);
    QKPutFunction(link, HeadOf(m_kind), 1);
    PutSlot(link, 0, mode, false);
}

void PrimitiveNode::BuildBoxes(BoxList& boxes, int32_t) {
    BuildHeadText(boxes, HeadOf(m_kind), 1, nullptr);
}

::TypeTag PrimitiveNode::TypeTag() const {
    switch (m_kind) {
    case Kind::Point:
        return ::TypeTag("poiN");
    case Kind::Polygon:
        return ::TypeTag("plyN");
    case Kind::Line:
        break;
    }
    return ::TypeTag("linN");
}

GraphicsTextNode::GraphicsTextNode(NodePtr text, NodePtr position) : SlotNode(2) {
    m_slots[0] = std::move(text);
    m_slots[1] = std::move(position);
}

GraphicsTextNode::GraphicsTextNode(LinkReader& reader, int32_t count) : SlotNode(2) {
    ReadAll(reader, count, m_slots);
}

NodePtr GraphicsTextNode::Clone() const {
    return std::make_unique<GraphicsTextNode>(CloneOrNull(Child(0)), CloneOrNull(Child(1)));
}

void GraphicsTextNode::PutToLink(QKLINK link, MarkerMode mode) const {
    PutMarkerHead(link, mode);
    QKPutFunction(link, "Text", 2);
    PutSlot(link, 0, mode, false);
    PutSlot(link, 1, mode, false);
}

void GraphicsTextNode::BuildBoxes(BoxList& boxes, int32_t) {
    BuildHeadText(boxes, "Text", 2, nullptr);
}

SurfaceGraphicsNode::SurfaceGraphicsNode(NodePtr heights, NodePtr options) : SlotNode(2) {
    m_slots[0] = std::move(heights);
    m_slots[1] = std::move(options);
}

SurfaceGraphicsNode::SurfaceGraphicsNode(LinkReader& reader, int32_t count) : SlotNode(2) {
    PlainReals plain(reader);
    ReadAll(reader, count, m_slots);
}

NodePtr SurfaceGraphicsNode::Clone() const {
    return std::make_unique<SurfaceGraphicsNode>(CloneOrNull(Child(0)), CloneOrNull(Child(1)));
}

void SurfaceGraphicsNode::PutToLink(QKLINK link, MarkerMode mode) const {
    PutMarkerHead(link, mode);
    QKPutFunction(link, "SurfaceGraphics", Child(1) != nullptr ? 2 : 1);
    PutSlot(link, 0, mode, false);
    if (Child(1) != nullptr) PutSlot(link, 1, mode, false);
}

void SurfaceGraphicsNode::BuildBoxes(BoxList& boxes, int32_t) {
    BuildHeadText(boxes, "SurfaceGraphics", 1, nullptr);
}

// --- Registration with the reader ---

GraphicsReaderInstall::GraphicsReaderInstall() : m_installed(gGraphicsNodeReader, this) {}

NodePtr GraphicsReaderInstall::Read(LinkReader& reader, int32_t kind, int32_t count) {
    switch (static_cast<SymbolKind>(kind)) {
    case SymbolKind::kPlot2D:
        return std::make_unique<Plot2DNode>(reader, count);
    case SymbolKind::kPlot3D:
        return std::make_unique<Plot3DNode>(reader, count);
    case SymbolKind::kGraphics:
        return std::make_unique<GraphicsNode>(reader, count, true);
    case SymbolKind::kGraphics3D:
        return std::make_unique<GraphicsNode>(reader, count, false);
    case SymbolKind::kLine:
        return std::make_unique<PrimitiveNode>(reader, count, PrimitiveNode::Kind::Line);
    case SymbolKind::kPoint:
        return std::make_unique<PrimitiveNode>(reader, count, PrimitiveNode::Kind::Point);
    case SymbolKind::kPolygon:
        return std::make_unique<PrimitiveNode>(reader, count, PrimitiveNode::Kind::Polygon);
    case SymbolKind::kText:
        return std::make_unique<GraphicsTextNode>(reader, count);
    case SymbolKind::kSurface:
        return std::make_unique<SurfaceGraphicsNode>(reader, count);
    default:
        // Not a graphics head: read its arguments so the link stays in step.
        reader.Discard(count);
        return std::make_unique<ErrorNode>();
    }
}
