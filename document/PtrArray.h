#pragma once

// The growable array of pointers behind every list of components, layout runs and numbers.
// It owns only its block of pointers, never what they point to. Elements are contiguous from
// index 0. Growth adds the smaller of the capacity and 32 slots, so capacities run 16, 32, 64,
// 96, 128, ...: short lists stay small and long ones waste at most 32 slots. The block is made
// when the first pointer comes in: the many arrays that never hold one (the runs of a paragraph
// that was never laid out) cost no memory.

#include <algorithm>
#include <cassert>
#include <cstdint>
#include <memory>
#include <span>
#include <utility>

template <typename T>
class PtrArray {
public:
    static constexpr int32_t kDefaultCapacity = 16;

    explicit PtrArray(int32_t capacity = kDefaultCapacity)
        : m_capacity(capacity > 0 ? capacity : kDefaultCapacity) {}

    PtrArray(PtrArray&& other) noexcept
        : m_count(std::exchange(other.m_count, 0)), m_capacity(std::exchange(other.m_capacity, 0)),
          m_items(std::move(other.m_items)) {}
    PtrArray& operator=(PtrArray&& other) noexcept {
        m_count = std::exchange(other.m_count, 0);
        m_capacity = std::exchange(other.m_capacity, 0);
        m_items = std::move(other.m_items);
        return *this;
    }
    PtrArray(const PtrArray&) = delete;
    PtrArray& operator=(const PtrArray&) = delete;

    int32_t GetCount() const { return m_count; }
    int32_t GetCapacity() const { return m_capacity; }
    bool IsEmpty() const { return m_count == 0; }

    T* GetAt(int32_t index) const {
        assert(index >= 0 && index < m_count);
        return m_items[index];
    }
    T* const* begin() const { return m_items.get(); }
    T* const* end() const { return m_items.get() + m_count; }

    void Add(T* item) { InsertAt(m_count, item); }
    // Appends all of `items` in their order, growing the block once.
    void AddAll(std::span<T* const> items) {
        const auto count = static_cast<int32_t>(items.size());
        Reserve(m_count + count);
        std::copy(items.begin(), items.end(), m_items.get() + m_count);
        m_count += count;
    }

    void InsertAt(int32_t index, T* item) {
        assert(index >= 0 && index <= m_count);
        Reserve(m_count + 1);
        std::move_backward(begin() + index, end(), m_items.get() + m_count + 1);
        m_items[index] = item;
        ++m_count;
    }

    // Inserts all of `items` before `index`, in their order, moving the tail once.
    void InsertAll(int32_t index, const PtrArray& items) {
        assert(index >= 0 && index <= m_count);
        Reserve(m_count + items.m_count);
        std::move_backward(begin() + index, end(), m_items.get() + m_count + items.m_count);
        std::copy(items.begin(), items.end(), m_items.get() + index);
        m_count += items.m_count;
    }

    // A position at or past the end extends the array with nulls up to it.
    void SetAt(int32_t index, T* item) {
        assert(index >= 0);
        if (index >= m_count) {
            Reserve(index + 1);
            std::fill(m_items.get() + m_count, m_items.get() + index, nullptr);
            m_count = index + 1;
        }
        m_items[index] = item;
    }

    T* RemoveAt(int32_t index) {
        assert(index >= 0 && index < m_count);
        T* item = m_items[index];
        std::move(begin() + index + 1, end(), m_items.get() + index);
        --m_count;
        return item;
    }

    // Takes `count` pointers out from `index` on, in order.
    PtrArray RemoveRange(int32_t index, int32_t count) {
        assert(index >= 0 && count >= 0 && index + count <= m_count);
        PtrArray taken(std::max<int32_t>(count, 1));
        taken.Reserve(count);
        std::copy(begin() + index, begin() + index + count, taken.m_items.get());
        taken.m_count = count;
        std::move(begin() + index + count, end(), m_items.get() + index);
        m_count -= count;
        return taken;
    }

    void RemoveAll() { m_count = 0; }

    // One growth step: capacity + min(capacity, 32).
    void Grow() { Reallocate(NextCapacity(m_capacity)); }

    // Grows by whole steps until `needed` pointers fit, copying the block once.
    void Reserve(int32_t needed) {
        int32_t capacity = m_capacity;
        while (capacity < needed)
            capacity = NextCapacity(capacity);
        if (capacity != m_capacity || (m_items == nullptr && needed > 0)) Reallocate(capacity);
    }

private:
    static int32_t NextCapacity(int32_t capacity) {
        return capacity + std::min<int32_t>(std::max<int32_t>(capacity, 1), 32);
    }
    void Reallocate(int32_t capacity) {
        // Left uninitialised: only the first m_count slots are ever read.
        std::unique_ptr<T*[]> items(new T*[capacity]);
        std::copy(begin(), end(), items.get());
        m_items = std::move(items);
        m_capacity = capacity;
    }

    int32_t m_count = 0;
    int32_t m_capacity;
    std::unique_ptr<T*[]> m_items;
};
