#include "NodeCases.h"
#include "expr/ExprSettings.h"
#include "expr/LeafNodes.h"
#include "expr/PlusNode.h"
#include "expr/PowerNode.h"
#include "expr/TimesNode.h"

namespace exprtest {
namespace {

// Chains the nodes in order.
NodePtr Chain(std::vector<NodePtr> nodes) {
    NodePtr first;
    for (auto it = nodes.rbegin(); it != nodes.rend(); ++it) {
        (*it)->SetNext(std::move(first));
        first = std::move(*it);
    }
    return first;
}

template <typename... Nodes>
NodePtr Sum(Nodes... terms) {
    std::vector<NodePtr> v;
    (v.push_back(std::move(terms)), ...);
    return std::make_unique<PlusNode>(Chain(std::move(v)));
}

template <typename... Nodes>
std::unique_ptr<TimesNode> Product(Nodes... factors) {
    std::vector<NodePtr> v;
    (v.push_back(std::move(factors)), ...);
    return std::make_unique<TimesNode>(Chain(std::move(v)));
}

NodePtr PlusMinusTimes(NodePtr factor) {
    auto product = Product(std::move(factor));
    product->PrependPlusMinus(NodeSource());
    return product;
}

const NodeCase kSumsAndProducts[] = {
    {"difference", [] { return Sum(Sym("a"), Product(Int(-1), Sym("x"))); },
     "TYPlus[a, TYTimes[-1, x]]", "Plus[a, Times[-1, x]]",
     "<mrow><mi>a</mi><mo>-</mo><mi>x</mi></mrow>", "a - x", "a - x"},
    {"leading minus", [] { return Sum(Int(-2), Sym("y")); }, "TYPlus[-2, y]", nullptr,
     "<mrow><mo>-</mo><mn>2</mn><mo>+</mo><mi>y</mi></mrow>", nullptr, "-2 + y"},
    {"plus-or-minus term", [] { return Sum(Sym("a"), PlusMinusTimes(Sym("x"))); },
     "TYPlus[a, TYTimes[plusMinus, x]]", "Plus[a, Times[plusMinus, x]]",
     "<mrow><mi>a</mi><mo>&PlusMinus;</mo><mi>x</mi></mrow>", nullptr, "a <xB1> x"},
    {"numbers first", [] { return Product(Int(2), Sym("x"), Int(3)); }, "TYTimes[2, x, 3]",
     "Times[2, x, 3]",
     "<mrow><mn>2</mn><mo>&InvisibleTimes;</mo><mi>x</mi><mo>&InvisibleTimes;</mo><mn>3</mn>"
     "</mrow>",
     nullptr, "2 3 x"},
    // MathML of a product writes its sign as a sign, as the boxes draw it.
    {"signed product", [] { return Product(Int(-1), Sym("x")); }, nullptr, nullptr,
     "<mrow><mo>-</mo><mi>x</mi></mrow>", nullptr, "-x"},
    {"negative number factor", [] { return Product(Int(-2), Sym("x")); }, nullptr, nullptr,
     "<mrow><mo>-</mo><mrow><mn>2</mn><mo>&InvisibleTimes;</mo><mi>x</mi></mrow></mrow>", nullptr,
     "-2 x"},
    {"negated sum", [] { return Product(Int(-1), Sum(Sym("a"), Sym("b"))); }, nullptr, nullptr,
     "<mrow><mo>-</mo><mrow><mo>(</mo><mrow><mi>a</mi><mo>+</mo><mi>b</mi></mrow><mo>)</mo>"
     "</mrow></mrow>",
     nullptr, "-Paren{a + b}"},
    {"plus-or-minus product", [] { return PlusMinusTimes(Sym("x")); }, "TYTimes[plusMinus, x]",
     nullptr, "<mrow><mo>&PlusMinus;</mo><mi>x</mi></mrow>", nullptr, "<xB1>x"},
    {"lone factor", [] { return Product(Sum(Sym("a"), Sym("b"))); }, nullptr, nullptr, nullptr,
     nullptr, "a + b"},
};

class SumsAndProducts : public NodeTest {};

TEST_F(SumsAndProducts, WriteEveryForm) {
    for (const NodeCase& row : kSumsAndProducts)
        Check(row);
}

struct LevelCase {
    const char* name;
    std::function<NodePtr()> make;
    int32_t level;
    const char* boxes;
};

// A sum after "-" or "±" keeps its parentheses in both forms: (a - (b + c))^2 must not read
// as (a - b + c)^2.
TEST_F(SumsAndProducts, LevelsDecideParentheses) {
    const LevelCase rows[] = {
        {"sum in a power base", [] { return Sum(Sym("a"), Product(Int(-1), Sym("x"))); }, 10,
         "Paren{a - x}"},
        {"difference of a sum, wrapped",
         [] { return Sum(Sym("a"), Product(Int(-1), Sum(Sym("b"), Sym("c")))); }, 10,
         "Paren{a - Paren{b + c}}"},
        {"difference of a sum, straight",
         [] { return Sum(Sym("a"), Product(Int(-1), Sum(Sym("b"), Sym("c")))); }, 1,
         "a - Paren{b + c}"},
        {"sum of a sum", [] { return Sum(Sym("a"), Sum(Sym("b"), Sym("c"))); }, 1, "a + b + c"},
        {"product in a power base", [] { return Product(Int(2), Sym("x")); }, 9, "Paren{2 x}"},
        {"product in a product", [] { return Product(Int(2), Sym("x")); }, 8, "2 x"},
        {"lone factor keeps the caller's level", [] { return Product(Sum(Sym("a"), Sym("b"))); }, 7,
         "Paren{a + b}"},
        {"negative number factor", [] { return Product(Sym("x"), Int(-3)); }, 1, "-3 x"},
    };
    for (const LevelCase& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(BoxesOf(*row.make(), row.level), row.boxes);
    }
    auto power = std::make_unique<PowerNode>(
        Int(2), Sum(Sym("a"), Product(Int(-1), Sum(Sym("b"), Sym("c")))), true);
    EXPECT_EQ(BoxesOf(*power), "Paren{a - Paren{b + c}}Expo{2}");
}

// A term whose order key is above zero (an integration constant) is drawn after the others
// when the session asks for it; the chain keeps its order.
class Keyed final : public SymbolNode {
public:
    Keyed(const char* name, int32_t key)
        : SymbolNode(NodeSource(), std::string(name)), m_key(key) {}
    int32_t OrderValue() const override { return m_key; }

private:
    int32_t m_key;
};

TEST_F(SumsAndProducts, ConstantsGoToTheBackWhenAsked) {
    auto make = [] {
        return Sum(std::make_unique<Keyed>("C2x", 2), std::make_unique<Keyed>("C1y", 1), Sym("z"));
    };
    EXPECT_EQ(BoxesOf(*make()), "C2x + C1y + z");
    ExprSettings chosen;
    chosen.precision = 0;
    chosen.constantsToBack = true;
    Installed installed(gExprSettings, &chosen);
    auto sum = make();
    EXPECT_EQ(BoxesOf(*sum), "z + C1y + C2x");
    EXPECT_EQ(Own(*sum), "TYPlus[C2x, C1y, z]");
}

TEST_F(SumsAndProducts, NegatingAProduct) {
    auto machine = Product(Int(3), Sym("x"));
    machine->Negate(NodeSource());
    EXPECT_EQ(Own(*machine), "TYTimes[-1, 3, x]");
    EXPECT_EQ(machine->Count(), 3);
    auto real = Product(std::make_unique<MachineRealNode>(1.5), Sym("x"));
    real->Negate(NodeSource());
    EXPECT_EQ(Own(*real), "TYTimes[R:-1.5, x]");
    auto plusMinus = Product(Sym("x"));
    plusMinus->PrependPlusMinus(NodeSource());
    EXPECT_EQ(plusMinus->Count(), 2);
}

TEST_F(SumsAndProducts, ProductGathersItsFractions) {
    auto product = Product(Int(2), std::make_unique<DivideNode>(Sym("a"), Sym("b")),
                           std::make_unique<DivideNode>(Sym("c"), Sym("d")));
    std::optional<Fraction> fraction = product->ExtractFraction();
    ASSERT_TRUE(fraction);
    EXPECT_EQ(Own(*fraction->numerator), "TYTimes[2, a, c]");
    EXPECT_EQ(Own(*fraction->denominator), "TYTimes[b, d]");
    EXPECT_EQ(product->Count(), 0);

    auto plain = Product(Int(2), Sym("x"));
    EXPECT_FALSE(plain->ExtractFraction());
    EXPECT_EQ(Own(*plain), "TYTimes[2, x]");

    // A sum replaces each term that is a fraction by a quotient.
    NodePtr sum = Sum(Sym("a"), Product(Sym("x"), std::make_unique<DivideNode>(Int(1), Sym("y"))));
    EXPECT_FALSE(sum->ExtractFraction());
    EXPECT_EQ(Own(*sum), "TYPlus[a, TYDivide[x, y]]");
}

TEST_F(SumsAndProducts, FlatteningSplicesNestedSumsAndDropsEmptyOnes) {
    auto sum = Sum(std::make_unique<PlusNode>(), Sym("a"), Sum(Sym("b"), Sum(Sym("c"))),
                   std::make_unique<PlusNode>(), Sym("d"));
    sum->VisitTreeNoArg();
    EXPECT_EQ(Own(*sum), "TYPlus[a, b, c, d]");
    EXPECT_EQ(sum->ChildCount(), 4);
    auto product = Product(Product(Sym("x"), Sym("y")), Sym("z"));
    product->VisitTreeNoArg();
    EXPECT_EQ(Own(*product), "TYTimes[x, y, z]");
}

TEST_F(SumsAndProducts, MarkingARunOfTerms) {
    auto whole = Sum(Sym("a"), Sym("b"));
    auto* wholeSum = static_cast<PlusNode*>(whole.get());
    EXPECT_FALSE(wholeSum->SetMark(wholeSum->FirstChild(), wholeSum->LastChild()));
    EXPECT_EQ(Own(*whole, kTargetAndMover), "TYMover[TYPlus[a, b]]");

    auto four = Sum(Sym("a"), Sym("b"), Sym("c"), Sym("d"));
    auto* sum = static_cast<PlusNode*>(four.get());
    ExprNode* second = sum->FirstChild()->Next();
    EXPECT_TRUE(sum->SetMark(second, second->Next()));
    EXPECT_EQ(sum->ChildCount(), 3);
    EXPECT_EQ(Own(*four, kTargetAndMover), "TYPlus[a, TYMover[TYPlus[b, c]], d]");
    // A run whose end does not follow its start leaves the chain alone.
    EXPECT_FALSE(sum->SetMark(sum->LastChild(), sum->FirstChild()));
    EXPECT_EQ(sum->ChildCount(), 3);
}

TEST_F(SumsAndProducts, NumericQueries) {
    EXPECT_EQ(Product(Int(2), Int(-3))->GetInteger(), -6);
    EXPECT_DOUBLE_EQ(Product(Int(2), std::make_unique<MachineRealNode>(0.25))->GetReal(), 0.5);
    EXPECT_TRUE(Product(Int(1))->IsOne());
    EXPECT_TRUE(Sum(Sym("x"))->IsAtom());
    EXPECT_FALSE(Sum(Sym("x"), Sym("y"))->IsAtom());
    EXPECT_EQ(PlusMinusNode().StripNegative(), kPlusMinusSign);
}

} // namespace
} // namespace exprtest
