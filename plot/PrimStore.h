#pragma once

// The containers of a plot's 2-D primitives. A `PrimList` is one curve's (or the axes')
// primitives in order; a `PrimStore` holds the lists of one computed plot: the axes first, then
// one list per item of the kernel's graphics list. Both own what they hold; a copy that fails
// part-way disposes of itself and passes the failure on.
//
// Stored form: a list is a 32-bit count and the framed primitive records; a store is a 16-bit
// count of lists and the lists. The count cannot name more than 32,767 lists, so a store never
// grows past that: graphics beyond it fold into the last list, and the writer refuses a store
// that somehow holds more.

#include "document/OwningArray.h"
#include "plot/PlotPrims.h"

#include <cstdint>
#include <memory>

class DocStream;

// The plain text of a node's display boxes, at most 31 characters.
Str31 PlainText(ExprNode& node);
// A store's count of lists, as both plots' stores write it; fails with TooLarge above
// `PrimStore::kMaxLists`.
void WriteListCount(DocStream& stream, int32_t count);

class PrimList {
public:
    void Append(std::unique_ptr<GraphicsPrim> prim);
    void DrawAll(const PlotMapping& mapping, uint32_t color) const;
    std::unique_ptr<PrimList> Clone() const;
    void Write(DocStream& stream) const;
    // Appends the records of the stream's list; unknown codes are skipped.
    void Read(DocStream& stream);
    // Appends the primitives a graphics item stands for (lists nest; lines, points and texts
    // become primitives; anything else adds nothing).
    void AddNode(const ExprNode& node);

    int32_t GetCount() const { return m_prims.GetCount(); }
    const GraphicsPrim* GetAt(int32_t index) const { return m_prims.GetAt(index); }

private:
    OwningArray<GraphicsPrim> m_prims;
};

class PrimStore {
public:
    static constexpr int32_t kMaxLists = 32767;

    // The colour of list `index` (0-based): the axes' list 0 is black, the curves take turns
    // through a palette.
    static uint32_t ListColor(int32_t index);

    void DrawAll(const PlotMapping& mapping) const;
    // Appends to the list under construction; nothing when there is none.
    void AddPrim(std::unique_ptr<GraphicsPrim> prim);
    void BeginList();
    // Appends the list under construction and answers the new number of lists; 0 when none
    // was under construction.
    int32_t EndList();
    // Adds one list per item of a "Graphics" node's primitive list; answers the last
    // `EndList`'s count, 1 for an empty list, 0 (adding nothing) for any other node.
    int32_t AddGraphics(const ExprNode& node);
    std::unique_ptr<PrimStore> Clone() const;
    // Fails with TooLarge above `kMaxLists` lists.
    void Write(DocStream& stream) const;
    // Reads `count` lists and appends them; none for a count of 0 or below.
    void Read(DocStream& stream, int32_t count);

    int32_t GetListCount() const { return m_lists.GetCount(); }
    const PrimList* GetList(int32_t index) const { return m_lists.GetAt(index); }

private:
    OwningArray<PrimList> m_lists;
    std::unique_ptr<PrimList> m_current;
};
