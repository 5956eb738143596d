#include "plot/PrimStore.h"

#include "document/CompList.h"
#include "document/DocStream.h"
#include "expr/BoxFactory.h"
#include "platform/Exceptions.h"
#include "plot/GraphicsNodes.h"

#include <array>

Str31 PlainText(ExprNode& node) {
    BoxList boxes;
    node.BuildBoxes(boxes, 0);
    CompArray array;
    for (OwnedComponent& box : boxes.Release())
        array.Add(std::move(box));
    CompList list(std::move(array));
    return Str31(list.GetText());
}

void WriteListCount(DocStream& stream, int32_t count) {
    if (count > PrimStore::kMaxLists)
        throw platform::FileException(platform::FileException::Cause::TooLarge, -1,
                                      "a plot holds " + std::to_string(count) +
                                          " primitive lists, more than a document can store");
    stream.WriteShort(static_cast<int16_t>(count));
}

// --- PrimList ---

void PrimList::Append(std::unique_ptr<GraphicsPrim> prim) {
    if (prim) m_prims.Add(std::move(prim));
}

void PrimList::DrawAll(const PlotMapping& mapping, uint32_t color) const {
    for (const GraphicsPrim* prim : m_prims)
        prim->Draw(mapping, color);
}

std::unique_ptr<PrimList> PrimList::Clone() const {
    auto copy = std::make_unique<PrimList>();
    copy->m_prims.Reserve(GetCount());
    for (const GraphicsPrim* prim : m_prims)
        copy->Append(prim->Clone());
    return copy;
}

void PrimList::Write(DocStream& stream) const {
    stream.WriteLong(GetCount());
    for (const GraphicsPrim* prim : m_prims)
        stream.WritePrimitive2D(*prim);
}

void PrimList::Read(DocStream& stream) {
    // Every record takes at least its code and length.
    const int32_t count = ReadCount(stream, 8);
    for (int32_t i = 0; i < count; ++i) {
        std::unique_ptr<StoredPrim> read = stream.ReadPrimitive2D();
        // The installed factory makes only this subsystem's 2-D kinds for `ReadPrimitive2D`.
        if (read) Append(std::unique_ptr<GraphicsPrim>(static_cast<GraphicsPrim*>(read.release())));
    }
}

void PrimList::AddNode(const ExprNode& node) {
    if (HasTag(node, "lisN")) {
        for (const ExprNode* item = FirstItem(&node); item != nullptr; item = item->Next())
            AddNode(*item);
        return;
    }
    const auto* graphics = dynamic_cast<const SlotNode*>(&node);
    if (graphics == nullptr) return;
    if (HasTag(node, "linN")) {
        std::vector<Point2D> points;
        for (const ExprNode* item = FirstItem(graphics->Child(0)); item != nullptr;
             item = item->Next())
            points.push_back(GetPoint2D(item));
        if (points.size() == 2)
            Append(std::make_unique<LinePrim>(points[0], points[1]));
        else
            Append(std::make_unique<PolylinePrim>(std::move(points)));
    } else if (HasTag(node, "poiN")) {
        Append(std::make_unique<PointPrim>(GetPoint2D(graphics->Child(0))));
    } else if (HasTag(node, "texN")) {
        ExprNode* text = graphics->Child(0);
        const Str31 label = text != nullptr ? PlainText(*text) : Str31();
        Append(std::make_unique<TextPrim>(GetPoint2D(graphics->Child(1)), label));
    }
}

// --- PrimStore ---

uint32_t PrimStore::ListColor(int32_t index) {
    // Blue, red, green, orange, purple, teal: told apart on screen and on paper alike.
    static constexpr std::array<uint32_t, 6> kCurves{0xB45A1F, 0x2A27D6, 0x2CA02C,
                                                     0x0E7FFF, 0xBD6794, 0x8C8C17};
    if (index <= 0) return 0;
    return kCurves[static_cast<size_t>(index - 1) % kCurves.size()];
}

void PrimStore::DrawAll(const PlotMapping& mapping) const {
    for (int32_t i = 0; i < m_lists.GetCount(); ++i)
        m_lists.GetAt(i)->DrawAll(mapping, ListColor(i));
}

void PrimStore::AddPrim(std::unique_ptr<GraphicsPrim> prim) {
    if (m_current) m_current->Append(std::move(prim));
}

void PrimStore::BeginList() {
    m_current = std::make_unique<PrimList>();
}

int32_t PrimStore::EndList() {
    if (!m_current) return 0;
    m_lists.Add(std::move(m_current));
    return m_lists.GetCount();
}

int32_t PrimStore::AddGraphics(const ExprNode& node) {
    if (!HasTag(node, "grfN")) return 0;
    const auto& graphics = static_cast<const SlotNode&>(node);
    int32_t count = 1;
    for (const ExprNode* item = FirstItem(graphics.Child(0)); item != nullptr;
         item = item->Next()) {
        if (m_lists.GetCount() >= kMaxLists) {
            // The stored count has no room for another list: the rest joins the last one.
            m_lists.GetAt(m_lists.GetCount() - 1)->AddNode(*item);
            continue;
        }
        BeginList();
        m_current->AddNode(*item);
        count = EndList();
    }
    return count;
}

std::unique_ptr<PrimStore> PrimStore::Clone() const {
    auto copy = std::make_unique<PrimStore>();
    copy->m_lists.Reserve(GetListCount());
    for (const PrimList* list : m_lists)
        copy->m_lists.Add(list->Clone());
    return copy;
}

void PrimStore::Write(DocStream& stream) const {
    WriteListCount(stream, GetListCount());
    for (const PrimList* list : m_lists)
        list->Write(stream);
}

void PrimStore::Read(DocStream& stream, int32_t count) {
    for (int32_t i = 0; i < count; ++i) {
        auto list = std::make_unique<PrimList>();
        list->Read(stream);
        m_lists.Add(std::move(list));
    }
}
