#pragma once

// The base of math boxes that hold child lists. It owns one nested list (list 1) and is that
// list's owner with placeholder mode 1; boxes with several lists add theirs in their own classes
// and override the list queries. Destroying the box destroys the list and its children.

#include "document/CompList.h"
#include "document/MathComp.h"

#include <memory>

class CompositeComp : public MathComp {
public:
    void InvalidateAll() override;
    void SetOrigin(Point point) override;
    // The first child list whose frame holds the point answers; else the box's own position.
    DocPos PosFromPoint(Point point, bool rightHalf) override;
    TextComp* FindAt(Point point) override;
    bool IsEqual(const TextComp& other) const override;
    CompList* GetList(int32_t n) const override { return n == 1 ? m_list.get() : nullptr; }
    int32_t GetListCount() const override { return 1; }
    CompList* ListLeftOf(const CompList* from) const override { return Entered(from); }
    CompList* ListRightOf(const CompList* from) const override { return Entered(from); }
    CompList* ListAbove(const CompList* from) const override { return Entered(from); }
    CompList* ListBelow(const CompList* from) const override { return Entered(from); }
    int32_t IndexOfList(const CompList* list) const override {
        return list == m_list.get() ? 1 : 0;
    }
    DocPos GetCaretAfterInsert() override;
    void ApplyStyle(int32_t face) override;
    void SetSizeLevel(uint8_t level) override;

protected:
    CompositeComp();
    // Takes the components of `children` into the nested list.
    explicit CompositeComp(CompArray&& children);

    // The caret enters the nested list from outside and leaves the box from inside it.
    CompList* Entered(const CompList* from) const { return from ? nullptr : m_list.get(); }

    std::unique_ptr<CompList> m_list;
};
