#pragma once

// The base of math boxes that hold child lists. It owns one nested list (list 1) and is that
// list's owner with placeholder mode 1; boxes with several lists add theirs in their own classes
// and override the list queries. Destroying the box destroys the list and its children.

#include "document/CompList.h"
#include "document/MathComp.h"

class CompositeComp : public MathComp {
public:
    void InvalidateAll() override;
    void SetOrigin(Point point) override;
    // The first child list whose frame holds the point answers; else the box's own position.
    DocPos PosFromPoint(Point point, bool rightHalf) override;
    TextComp* FindAt(Point point) override;
    bool IsEqual(const TextComp& other) const override;
    CompList* GetList(int32_t n) override { return n == 1 ? &m_list : nullptr; }
    int32_t GetListCount() const override { return 1; }
    CompList* ListLeftOf(const CompList* from) override { return from ? nullptr : &m_list; }
    CompList* ListRightOf(const CompList* from) override { return from ? nullptr : &m_list; }
    CompList* ListAbove(const CompList* from) override { return from ? nullptr : &m_list; }
    CompList* ListBelow(const CompList* from) override { return from ? nullptr : &m_list; }
    int32_t IndexOfList(const CompList* list) const override { return list == &m_list ? 1 : 0; }
    DocPos GetCaretAfterInsert() override;
    void ApplyStyle(int32_t face) override;
    void SetSizeLevel(uint8_t level) override;

protected:
    CompositeComp();
    // Takes the components of `children` into the nested list.
    explicit CompositeComp(PtrArray<TextComp>&& children);

    CompList m_list;
};
