#include "NodeCases.h"
#include "expr/CompositeNode.h"
#include "expr/GroupNode.h"
#include "expr/LeafNodes.h"
#include "expr/PlusNode.h"
#include "expr/PowerNode.h"
#include "expr/TimesNode.h"

namespace exprtest {
namespace {

std::unique_ptr<PlusNode> LongSum(int32_t terms) {
    auto sum = std::make_unique<PlusNode>();
    NodePtr chain;
    for (int32_t i = 0; i < terms; ++i) {
        NodePtr term = std::make_unique<MachineIntegerNode>(i);
        term->SetNext(std::move(chain));
        chain = std::move(term);
    }
    return std::make_unique<PlusNode>(std::move(chain));
}

class Trees : public NodeTest {};

// A peer can send a sum of any length: it is destroyed, copied, written and passed over
// without recursing along the chain.
TEST_F(Trees, LongChainsNeedNoDeepStack) {
    constexpr int32_t kTerms = 300000;
    auto sum = LongSum(kTerms);
    EXPECT_EQ(sum->ChildCount(), kTerms);
    NodePtr copy = sum->Clone();
    EXPECT_EQ(copy->ChildCount(), kTerms);
    copy->VisitTreeNoArg();
    copy->PutToLink(link, kNoMarkers);
    ASSERT_TRUE(QKEndPacket(link));
    ASSERT_TRUE(QKFlush(link));
    const char* head = nullptr;
    int32_t count = 0;
    ASSERT_TRUE(QKGetFunction(link, &head, &count));
    EXPECT_STREQ(head, "TYPlus");
    QKDisownSymbol(link, head);
    EXPECT_EQ(count, kTerms);
}

TEST_F(Trees, CloneCopiesChildrenAndSourcesButNotMarks) {
    auto product = std::make_unique<TimesNode>(NodeSource(nullptr, 2, 9), Sym("x"));
    product->AppendChild(
        std::make_unique<PowerNode>(std::make_unique<MachineIntegerNode>(2), Sym("y"), false));
    product->AppendChild(std::make_unique<GroupNode>(Sym("z"), false));
    product->SetMover(true);
    NodePtr copy = product->Clone();
    EXPECT_EQ(Own(*copy, kTargetAndMover), "TYTimes[x, TYPower[y, 2], z]");
    EXPECT_EQ(Own(*product, kTargetAndMover), "TYMover[TYTimes[x, TYPower[y, 2], z]]");
    EXPECT_EQ(copy->Source().start, 2);
    EXPECT_EQ(copy->Source().end, 9);
    EXPECT_FALSE(copy->IsMover());
    // The copy's power kept its flag: the negative exponent below is still the kernel's.
    EXPECT_EQ(copy->ChildCount(), 3);
}

TEST_F(Trees, AppendingToAnEmptyCompositeTakesTheChildsSource) {
    PlusNode sum;
    auto term = Sym("a");
    term->MutableSource() = NodeSource(nullptr, 3, 4);
    sum.AppendChild(std::move(term));
    EXPECT_EQ(sum.ChildCount(), 1);
    EXPECT_EQ(sum.Source().start, 3);
    auto next = Sym("b");
    next->SetSource(NodeSource(nullptr, 5, 7));
    sum.AppendChild(std::move(next));
    EXPECT_EQ(sum.Source().start, 3);
    EXPECT_EQ(sum.Source().end, 7);
}

TEST_F(Trees, FindsParentsAndLastChildren) {
    auto inner = std::make_unique<TimesNode>(Sym("x"));
    ExprNode* x = inner->FirstChild();
    TimesNode* innerRaw = inner.get();
    NodePtr a = Sym("a");
    ExprNode* aRaw = a.get();
    a->SetNext(std::move(inner));
    PlusNode root(std::move(a));
    EXPECT_EQ(root.FindParentOf(aRaw), &root);
    EXPECT_EQ(root.FindParentOf(x), innerRaw);
    MachineIntegerNode outside(1);
    EXPECT_EQ(root.FindParentOf(&outside), nullptr);
    EXPECT_EQ(root.LastChild(), innerRaw);
    EXPECT_EQ(innerRaw->LastChild(), x);
    EXPECT_EQ(PlusNode().LastChild(), nullptr);
}

TEST_F(Trees, ReplacingChildren) {
    NodePtr a = Sym("a");
    ExprNode* aRaw = a.get();
    a->SetNext(Sym("b"));
    PlusNode sum(std::move(a));
    MachineIntegerNode stranger(7);
    EXPECT_EQ(sum.ReplaceChild(&stranger, Sym("c")), nullptr);
    EXPECT_EQ(Own(sum), "TYPlus[a, b]");
    NodePtr old = sum.ReplaceChild(aRaw, Sym("c"));
    ASSERT_EQ(old.get(), aRaw);
    EXPECT_EQ(old->Next(), nullptr); // handed back detached
    EXPECT_EQ(Own(sum), "TYPlus[c, b]");

    DivideNode quotient(Sym("p"), Sym("q"));
    NodePtr p = quotient.ReplaceChild(quotient.Numerator(), Sym("r"));
    EXPECT_EQ(Own(quotient), "TYDivide[r, q]");
}

TEST_F(Trees, BareCompositeStandsForItsChildren) {
    NodePtr a = Sym("a");
    a->SetNext(Sym("b"));
    CompositeNode composite(std::move(a));
    composite.PutToLink(link, kNoMarkers);
    EXPECT_EQ(ReadBack(), "a");
    EXPECT_EQ(ReadExpr(), "b");
    EXPECT_EQ(composite.Clone(), nullptr); // no class to rebuild
}

} // namespace
} // namespace exprtest
