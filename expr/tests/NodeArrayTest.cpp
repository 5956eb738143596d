#include "expr/NodeArray.h"

#include "NodeCases.h"
#include "expr/ListNodes.h"
#include "expr/NodePool.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace exprtest {
namespace {

NodePtr ListOf(int32_t count) {
    NodePtr chain;
    for (int32_t i = count; i > 0; --i) {
        NodePtr item = Int(i);
        item->SetNext(std::move(chain));
        chain = std::move(item);
    }
    return std::make_unique<ListNode>(std::move(chain));
}

class NodeArrays : public NodeTest {};

TEST_F(NodeArrays, TakesAListApartAndPutsItBack) {
    NodeArray array;
    array.FromList(ListOf(3));
    ASSERT_EQ(array.GetCount(), 3);
    Str255 text;
    array.ItemText(2, text);
    EXPECT_EQ(text.ToCString(), "2");
    NodePtr last = array.RemoveAt(3);
    EXPECT_EQ(Own(*last), "3");
    EXPECT_EQ(last->Next(), nullptr);
    EXPECT_EQ(array.GetCount(), 2);
    std::unique_ptr<ListNode> list = array.ToListNode();
    EXPECT_EQ(Own(*list), "List[1, 2]");
    EXPECT_EQ(array.GetCount(), 0);
    EXPECT_EQ(Own(*NodeArray().ToListNode()), "List[]");
}

// Positions outside the array find nothing instead of reading past it.
TEST_F(NodeArrays, PositionsOutsideFindNothing) {
    NodeArray array;
    array.Append(Sym("a"));
    for (int32_t position : {0, -1, 2}) {
        EXPECT_EQ(array.RemoveAt(position), nullptr) << position;
        Str255 text;
        array.ItemText(position, text);
        EXPECT_TRUE(text.IsEmpty());
    }
    EXPECT_EQ(array.GetCount(), 1);
    array.DeleteAll();
    EXPECT_EQ(array.GetCount(), 0);
}

// Only a list-like node gives items: anything else (a kernel question whose options are no
// list) leaves the array empty, and the node is dropped.
TEST_F(NodeArrays, TakesItemsOnlyFromListLikeNodes) {
    NodeArray array;
    array.FromList(Sym("x"));
    array.FromList(nullptr);
    EXPECT_EQ(array.GetCount(), 0);
    EXPECT_EQ(array.RemoveAt(1), nullptr);
    array.FromList(ListOf(2));
    EXPECT_EQ(array.GetCount(), 2);
}

} // namespace
} // namespace exprtest

namespace {

// The pool hands out distinct, aligned blocks per size, reuses what is given back, and passes
// large requests to the general allocator.
TEST(SizeClassPool, HandsOutAndReusesBlocks) {
    SizeClassPool pool;
    std::vector<void*> blocks;
    for (int i = 0; i < 5000; ++i) {
        void* block = pool.Allocate(40);
        ASSERT_EQ(reinterpret_cast<uintptr_t>(block) % alignof(std::max_align_t), 0u);
        std::memset(block, i & 0xFF, 40);
        blocks.push_back(block);
    }
    std::sort(blocks.begin(), blocks.end());
    for (size_t i = 1; i < blocks.size(); ++i)
        ASSERT_GE(static_cast<char*>(blocks[i]) - static_cast<char*>(blocks[i - 1]), 48);
    void* given = blocks.back();
    pool.Release(given, 40);
    EXPECT_EQ(pool.Allocate(33), given); // the same size class
    for (void* block : blocks)
        if (block != given) pool.Release(block, 40);
    pool.Release(given, 40);
    void* large = pool.Allocate(1000);
    std::memset(large, 0, 1000);
    pool.Release(large, 1000);
}

} // namespace
