#include "NodeCases.h"
#include "document/CompList.h"
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

// A term of a typed sum: its value, placed in the gap after it.
NodePtr PlacedTerm(CompList& line, int32_t value) {
    NodePtr term = Int(value);
    term->SetSource(NodeSource(&line, value, value + 1));
    return term;
}

// A typed sum or list as long as a generated one is built one append at a time; every term
// must land in order, counted, with the sum's source widened over all of them.
TEST_F(Trees, LongSumsBuiltByAppendingKeepTheirStructure) {
    constexpr int32_t kTerms = 200000;
    CompList line;
    PlusNode sum;
    for (int32_t i = 1; i <= kTerms; ++i)
        sum.AppendChild(PlacedTerm(line, i));
    ASSERT_EQ(sum.ChildCount(), kTerms);
    int32_t expected = 1;
    for (const ExprNode* child = sum.FirstChild(); child; child = child->Next(), ++expected) {
        const auto* term = dynamic_cast<const MachineIntegerNode*>(child);
        ASSERT_TRUE(term);
        ASSERT_EQ(term->GetInteger(), expected);
    }
    EXPECT_EQ(expected, kTerms + 1);
    EXPECT_EQ(sum.LastChild(), sum.FirstChild()->LastSibling());
    EXPECT_EQ(sum.Source().component, &line);
    EXPECT_EQ(sum.Source().start, 1);
    EXPECT_EQ(sum.Source().end, kTerms + 1);
}

// Whatever changes the chain between two appends, the next append goes after the real last
// child of this node (under the sanitizers a stale end would be a use after free).
TEST_F(Trees, AppendsAfterTheChainChangedLandAtItsEnd) {
    const struct {
        const char* name;
        std::function<void(PlusNode&)> change;
        const char* text;
    } cases[] = {
        {"nothing", [](PlusNode&) {}, "a + b + c + z"},
        {"the last child replaced",
         [](PlusNode& sum) { sum.ReplaceChild(sum.LastChild(), Sym("d")); }, "a + b + d + z"},
        {"the last child unlinked by a caller",
         [](PlusNode& sum) { sum.FirstChild()->Next()->TakeNext(); }, "a + b + z"},
        {"a child linked on by a caller", [](PlusNode& sum) { sum.LastChild()->SetNext(Sym("e")); },
         "a + b + c + e + z"},
        {"the chain handed out", [](PlusNode& sum) { sum.DetachAll(); }, "z"},
        {"a nested sum flattened",
         [](PlusNode& sum) {
             auto inner = std::make_unique<PlusNode>(Sym("p"));
             inner->AppendChild(Sym("q"));
             sum.AppendChild(std::move(inner));
             sum.VisitTreeNoArg();
         },
         "a + b + c + p + q + z"},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        PlusNode sum(Sym("a"));
        sum.AppendChild(Sym("b"));
        sum.AppendChild(Sym("c"));
        row.change(sum);
        sum.AppendChild(Sym("z"));
        EXPECT_EQ(Text(sum), row.text);
    }
}

} // namespace
} // namespace exprtest
