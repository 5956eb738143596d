#include "expr/NodeArray.h"

#include "NodeCases.h"
#include "expr/ListNodes.h"

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

} // namespace
} // namespace exprtest
