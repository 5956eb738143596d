#include "document/OwningArray.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Records every element it disposes of.
std::vector<int> gDisposed;
struct Recorder {
    void operator()(int* item) const {
        gDisposed.push_back(*item);
        delete item;
    }
};
using Array = OwningArray<int, Recorder>;

Array Of(std::initializer_list<int> values) {
    Array array;
    for (int v : values)
        array.Add(Array::Handle(new int(v)));
    return array;
}

} // namespace

TEST(OwningArray, EveryWayAnArrayEndsDisposesOfWhatItHolds) {
    gDisposed.clear();
    {
        Array a = Of({1, 2});
        Array b = Of({3});
        b = std::move(a); // 3 goes; 1 and 2 move over
        EXPECT_EQ(gDisposed, std::vector<int>{3});
        EXPECT_EQ(b.GetCount(), 2);
        Array::Handle two = b.RemoveAt(1);
        EXPECT_EQ(*two, 2);
    }
    EXPECT_EQ(gDisposed, (std::vector<int>{3, 2, 1}));
}

TEST(OwningArray, ReleasedPointersAreTheCallersAndAdoptedOnesTheArrays) {
    gDisposed.clear();
    Array array = Of({7, 8});
    PtrArray<int> raw = array.ReleaseAll();
    EXPECT_TRUE(array.IsEmpty());
    EXPECT_EQ(raw.GetCount(), 2);
    {
        const Array again = Array::Adopt(std::move(raw));
        EXPECT_EQ(*again.GetAt(1), 8);
        EXPECT_TRUE(gDisposed.empty());
    }
    EXPECT_EQ(gDisposed, (std::vector<int>{7, 8}));
    array.Add(Array::Handle(new int(9))); // a released array is still usable
    EXPECT_EQ(array.GetCount(), 1);
}
