#pragma once

// The containers of a 3-D plot's primitives. A `PrimList3D` is one list of primitives in
// order; a `PrimStore3D` holds the lists of one plot: the box's face grid first, then its tick
// labels, then one list per item of the kernel's graphics. Both own what they hold; a copy that
// fails part-way disposes of itself and passes the failure on.
//
// Stored form as for the 2-D store: a list is a 32-bit count and the framed primitive records,
// a store a 16-bit count of lists and the lists.

#include "document/OwningArray.h"
#include "plot/PrimStore.h"
#include "plot/Prims3D.h"

#include <cstdint>
#include <memory>
#include <vector>

class DocStream;

class PrimList3D {
public:
    void Append(std::unique_ptr<GraphicsPrim3D> prim);
    std::unique_ptr<PrimList3D> Clone() const;
    void Write(DocStream& stream) const;
    // Appends the records of the stream's list; unknown codes are skipped.
    void Read(DocStream& stream);
    void DrawGridAll(Plot3DScene& scene) const;
    void Draw3DAll(Plot3DScene& scene) const;
    int32_t CountPatches() const;
    bool HasPatches() const { return CountPatches() > 0; }
    // A group of this list's patches becomes group `groupCounter` of the collection, which
    // then moves on; nothing for a list without patches.
    void BuildGroup(const Plot3DScene& scene, prism3d::Collection& collection,
                    int32_t& groupCounter) const;
    // Appends the primitives a graphics item stands for: a list of polygons becomes one mesh,
    // other lists nest; lines, points and texts become primitives; anything else adds nothing.
    void AddNode3D(const ExprNode& node);

    int32_t GetCount() const { return m_prims.GetCount(); }
    const GraphicsPrim3D* GetAt(int32_t index) const { return m_prims.GetAt(index); }

private:
    OwningArray<GraphicsPrim3D> m_prims;
};

class PrimStore3D {
public:
    static constexpr int32_t kMaxLists = PrimStore::kMaxLists;

    // A new list under construction that `EndList` appends.
    void BeginList();
    // A new list under construction that `EndList` puts in place of the list at `slot` (from
    // 1); a slot beyond the lists appends.
    void BeginListAt(int32_t slot);
    void EndList();
    // Appends to the list under construction; nothing when there is none.
    void AddPrim(std::unique_ptr<GraphicsPrim3D> prim);
    // "Graphics3D": one list per item of its primitive list; "SurfaceGraphics": one surface
    // over the ranges. Anything else adds nothing.
    void AddGraphics3D(const ExprNode& node, double x0, double x1, double y0, double y1);
    // A surface from rows of heights over (x0, x1) and (y0, y1) into the list under
    // construction. Nothing for no rows, ragged rows or more than `kMaxSurfacePoints`; a single
    // row or column stands at its range's start.
    void AddSurface(const ExprNode& node, double x0, double x1, double y0, double y1);
    // The scene of every list with patches; null when none has any.
    std::unique_ptr<prism3d::Collection> BuildCollection(const Plot3DScene& scene) const;
    int32_t CountPatchLists() const;
    void DrawAll(Plot3DScene& scene) const;
    void Draw3DAll(Plot3DScene& scene) const;
    std::unique_ptr<PrimStore3D> Clone() const;
    // Fails with TooLarge above `kMaxLists` lists.
    void Write(DocStream& stream) const;
    void Read(DocStream& stream, int32_t count);

    int32_t GetListCount() const { return static_cast<int32_t>(m_lists.size()); }
    const PrimList3D* GetList(int32_t index) const {
        return m_lists[static_cast<size_t>(index)].get();
    }

private:
    std::vector<std::unique_ptr<PrimList3D>> m_lists;
    std::unique_ptr<PrimList3D> m_current;
    int32_t m_slot = 0;
};
