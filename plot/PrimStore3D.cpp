#include "plot/PrimStore3D.h"

#include "document/DocStream.h"
#include "expr/CompositeNode.h"
#include "plot/GraphicsNodes.h"

// --- PrimList3D ---

void PrimList3D::Append(std::unique_ptr<GraphicsPrim3D> prim) {
    if (prim) m_prims.Add(std::move(prim));
}

std::unique_ptr<PrimList3D> PrimList3D::Clone() const {
    auto copy = std::make_unique<PrimList3D>();
    copy->m_prims.Reserve(GetCount());
    for (const GraphicsPrim3D* prim : m_prims)
        copy->Append(prim->Clone());
    return copy;
}

void PrimList3D::Write(DocStream& stream) const {
    stream.WriteLong(GetCount());
    for (const GraphicsPrim3D* prim : m_prims)
        stream.WritePrimitive3D(*prim);
}

void PrimList3D::Read(DocStream& stream) {
    // Every record takes at least its code and length.
    const int32_t count = ReadCount(stream, 8);
    for (int32_t i = 0; i < count; ++i) {
        std::unique_ptr<StoredPrim> read = stream.ReadPrimitive3D();
        // The installed factory makes only this subsystem's 3-D kinds for `ReadPrimitive3D`.
        if (read)
            Append(std::unique_ptr<GraphicsPrim3D>(static_cast<GraphicsPrim3D*>(read.release())));
    }
}

void PrimList3D::DrawGridAll(Plot3DScene& scene) const {
    for (const GraphicsPrim3D* prim : m_prims)
        prim->DrawGrid(scene);
}

void PrimList3D::Draw3DAll(Plot3DScene& scene) const {
    for (const GraphicsPrim3D* prim : m_prims)
        prim->Draw(scene);
}

int32_t PrimList3D::CountPatches() const {
    int32_t count = 0;
    for (const GraphicsPrim3D* prim : m_prims)
        if (prim->IsPatch()) ++count;
    return count;
}

void PrimList3D::BuildGroup(const Plot3DScene& scene, prism3d::Collection& collection,
                            int32_t& groupCounter) const {
    const int32_t patches = CountPatches();
    if (patches <= 0) return;
    // The group is released if a patch cannot be added, and the failure passes on.
    std::unique_ptr<prism3d::Group> group = prism3d::NewGroup(patches);
    int32_t slot = 0;
    for (const GraphicsPrim3D* prim : m_prims)
        prim->AddToGroup(scene, *group, slot);
    collection.groups.at(static_cast<size_t>(groupCounter)) = std::move(group);
    ++groupCounter;
}

void PrimList3D::AddNode3D(const ExprNode& node) {
    if (HasTag(node, "lisN")) {
        const ExprNode* first = FirstItem(&node);
        if (first != nullptr && HasTag(*first, "plyN")) {
            Append(MeshBuilder(node).Build());
            return;
        }
        for (const ExprNode* item = first; item != nullptr; item = item->Next())
            AddNode3D(*item);
        return;
    }
    const auto* graphics = dynamic_cast<const SlotNode*>(&node);
    if (graphics == nullptr) return;
    if (HasTag(node, "linN")) {
        std::vector<Point3D> points;
        for (const ExprNode* item = FirstItem(graphics->Child(0)); item != nullptr;
             item = item->Next())
            points.push_back(GetPoint3D(item));
        if (points.size() == 2)
            Append(std::make_unique<LinePrim3D>(points[0], points[1]));
        else
            Append(std::make_unique<PolylinePrim3D>(std::move(points)));
    } else if (HasTag(node, "poiN")) {
        Append(std::make_unique<PointPrim3D>(GetPoint3D(graphics->Child(0))));
    } else if (HasTag(node, "texN")) {
        ExprNode* text = graphics->Child(0);
        const Str31 label = text != nullptr ? PlainText(*text) : Str31();
        Append(std::make_unique<TextPrim3D>(GetPoint3D(graphics->Child(1)), label));
    }
}

// --- PrimStore3D ---

void PrimStore3D::BeginList() {
    m_current = std::make_unique<PrimList3D>();
    m_slot = GetListCount() + 1;
}

void PrimStore3D::BeginListAt(int32_t slot) {
    m_current = std::make_unique<PrimList3D>();
    m_slot = slot;
}

void PrimStore3D::EndList() {
    if (!m_current) return;
    if (m_slot >= 1 && m_slot <= GetListCount())
        m_lists[static_cast<size_t>(m_slot - 1)] = std::move(m_current);
    else
        m_lists.push_back(std::move(m_current));
    m_current.reset();
}

void PrimStore3D::AddPrim(std::unique_ptr<GraphicsPrim3D> prim) {
    if (m_current) m_current->Append(std::move(prim));
}

void PrimStore3D::AddGraphics3D(const ExprNode& node, double x0, double x1, double y0, double y1) {
    if (HasTag(node, "surN")) {
        BeginList();
        AddSurface(node, x0, x1, y0, y1);
        EndList();
        return;
    }
    if (!HasTag(node, "grfN")) return;
    const auto& graphics = static_cast<const SlotNode&>(node);
    for (const ExprNode* item = FirstItem(graphics.Child(0)); item != nullptr;
         item = item->Next()) {
        if (GetListCount() >= kMaxLists) {
            // The stored count has no room for another list: the rest joins the last one.
            m_lists.back()->AddNode3D(*item);
            continue;
        }
        BeginList();
        m_current->AddNode3D(*item);
        EndList();
    }
}

void PrimStore3D::AddSurface(const ExprNode& node, double x0, double x1, double y0, double y1) {
    const auto* surface = dynamic_cast<const SlotNode*>(&node);
    if (surface == nullptr) return;
    const ExprNode* heights = surface->Child(0);
    int64_t rows = 0;
    int64_t columns = -1;
    for (const ExprNode* row = FirstItem(heights); row != nullptr; row = row->Next()) {
        int64_t length = 0;
        for (const ExprNode* item = FirstItem(row); item != nullptr; item = item->Next())
            ++length;
        // Rows of different lengths name no grid.
        if (columns >= 0 && length != columns) return;
        columns = length;
        ++rows;
        if (rows * columns > prim3d::kMaxSurfacePoints) return;
    }
    if (rows <= 0 || columns <= 0) return;
    // One row or column has no step: its points stand at the range's start.
    const double dy = rows > 1 ? (y1 - y0) / static_cast<double>(rows - 1) : 0.0;
    const double dx = columns > 1 ? (x1 - x0) / static_cast<double>(columns - 1) : 0.0;
    std::vector<Point3D> points;
    points.reserve(static_cast<size_t>(rows * columns));
    int64_t r = 0;
    for (const ExprNode* row = FirstItem(heights); row != nullptr; row = row->Next(), ++r) {
        int64_t c = 0;
        for (const ExprNode* item = FirstItem(row); item != nullptr; item = item->Next(), ++c)
            points.push_back(Point3D{x0 + static_cast<double>(c) * dx,
                                     y0 + static_cast<double>(r) * dy, item->GetReal()});
    }
    AddPrim(std::make_unique<SurfacePrim3D>(static_cast<int32_t>(rows),
                                            static_cast<int32_t>(columns), std::move(points)));
}

int32_t PrimStore3D::CountPatchLists() const {
    int32_t count = 0;
    for (const auto& list : m_lists)
        if (list->HasPatches()) ++count;
    return count;
}

std::unique_ptr<prism3d::Collection> PrimStore3D::BuildCollection(const Plot3DScene& scene) const {
    const int32_t lists = CountPatchLists();
    if (lists == 0) return nullptr;
    std::unique_ptr<prism3d::Collection> collection = prism3d::NewCollection(lists);
    int32_t groupCounter = 0;
    for (const auto& list : m_lists)
        list->BuildGroup(scene, *collection, groupCounter);
    return collection;
}

void PrimStore3D::DrawAll(Plot3DScene& scene) const {
    for (const auto& list : m_lists)
        list->DrawGridAll(scene);
}

void PrimStore3D::Draw3DAll(Plot3DScene& scene) const {
    for (const auto& list : m_lists)
        list->Draw3DAll(scene);
}

std::unique_ptr<PrimStore3D> PrimStore3D::Clone() const {
    auto copy = std::make_unique<PrimStore3D>();
    copy->m_lists.reserve(m_lists.size());
    for (const auto& list : m_lists)
        copy->m_lists.push_back(list->Clone());
    return copy;
}

void PrimStore3D::Write(DocStream& stream) const {
    WriteListCount(stream, GetListCount());
    for (const auto& list : m_lists)
        list->Write(stream);
}

void PrimStore3D::Read(DocStream& stream, int32_t count) {
    for (int32_t i = 0; i < count; ++i) {
        auto list = std::make_unique<PrimList3D>();
        list->Read(stream);
        m_lists.push_back(std::move(list));
    }
}
