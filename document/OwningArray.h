#pragma once

// An array that owns what it points to: whatever the model hands out in bulk (components taken
// out of a list or copied from it, the runs of a laid-out line) travels in one, so that no path
// loses them, an exception included. Destroying the array disposes of every element through
// `Deleter` (components through `Destroy`, which leaves shared characters alone). It grows by
// the `PtrArray` rule; elements are contiguous from index 0.

#include "document/PtrArray.h"

#include <cstdint>
#include <memory>
#include <utility>

template <typename T, typename Deleter = std::default_delete<T>>
class OwningArray {
public:
    using Handle = std::unique_ptr<T, Deleter>;

    OwningArray() = default;
    OwningArray(OwningArray&&) noexcept = default;
    OwningArray& operator=(OwningArray&& other) noexcept {
        if (this != &other) {
            DisposeAll();
            m_items = std::move(other.m_items);
        }
        return *this;
    }
    ~OwningArray() { DisposeAll(); }

    int32_t GetCount() const { return m_items.GetCount(); }
    bool IsEmpty() const { return m_items.IsEmpty(); }
    // Observes; the array keeps the element.
    T* GetAt(int32_t index) const { return m_items.GetAt(index); }
    T* const* begin() const { return m_items.begin(); }
    T* const* end() const { return m_items.end(); }

    void Reserve(int32_t needed) { m_items.Reserve(needed); }
    // The room is made before the array takes the item, so a failed growth leaves it with the
    // caller's handle.
    void Add(Handle item) {
        m_items.Reserve(GetCount() + 1);
        m_items.Add(item.release());
    }
    Handle RemoveAt(int32_t index) { return Handle(m_items.RemoveAt(index)); }

    // The boundary with a container that disposes of its pointers itself (a component list):
    // `Adopt` takes every pointer over, `ReleaseAll` hands them all out and leaves this empty.
    static OwningArray Adopt(PtrArray<T>&& items) noexcept {
        OwningArray array;
        array.m_items = std::move(items);
        return array;
    }
    PtrArray<T> ReleaseAll() noexcept { return std::move(m_items); }

private:
    void DisposeAll() noexcept {
        const Deleter dispose{};
        for (T* item : m_items)
            dispose(item);
        m_items.RemoveAll();
    }

    PtrArray<T> m_items;
};
