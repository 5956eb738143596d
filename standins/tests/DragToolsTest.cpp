// What a drag means: the moves offered for a marked tree and the trees they make, decided on
// structure alone so that the order a person wrote survives.

#include "DragTools.h"

#include "KernelHarness.h"

#include <gtest/gtest.h>

#include <optional>

namespace standin::testing {
namespace {

using namespace drag;

Expr mover(Expr e) {
    return fn("TYMover", {std::move(e)});
}
Expr target(Expr e) {
    return fn("TYTarget", {std::move(e)});
}
Expr plus(std::initializer_list<Expr> t) {
    return fn("TYPlus", t);
}
Expr times(std::initializer_list<Expr> f) {
    return fn("TYTimes", f);
}
Expr a() {
    return sym("a");
}
Expr b() {
    return sym("b");
}
Expr c() {
    return sym("c");
}
Expr x() {
    return sym("x");
}
Expr y() {
    return sym("y");
}

std::vector<int> values(const std::vector<Record>& records) {
    std::vector<int> out;
    for (const Record& r : records)
        out.push_back(r.value);
    return out;
}

struct ShuffleCase {
    const char* name;
    Expr marked;
    std::vector<int> offered;
    std::optional<Expr> moved; // the tree the first offered move makes
};

void PrintTo(const ShuffleCase& c, std::ostream* out) {
    *out << c.name;
}

std::vector<ShuffleCase> shuffles() {
    return {
        {"a term moves forward to the target's place",
         plus({mover(a()), b(), target(c())}),
         {kMoveTerm},
         plus({b(), c(), a()})},
        {"a term moves backward",
         plus({a(), target(b()), mover(c())}),
         {kMoveTerm},
         plus({a(), c(), b()})},
        {"a factor moves",
         times({mover(num(2)), x(), target(y())}),
         {kMoveFactor},
         times({x(), y(), num(2)})},
        {"a term crosses the equation with its sign changed",
         equation(plus({x(), mover(num(3))}), target(num(7))),
         {kOtherSide},
         equation(x(), plus({num(7), num(-3)}))},
        {"a whole side crosses and leaves 0",
         equation(mover(x()), plus({target(y()), num(1)})),
         {kOtherSide},
         equation(num(0), plus({y(), num(1), times({num(-1), x()})}))},
        {"a factor distributes over a sum beside it",
         times({mover(a()), target(plus({b(), c()}))}),
         {kDistribute, kMoveFactor},
         plus({times({a(), b()}), times({a(), c()})})},
        {"a factor common to every term comes out",
         target(plus({times({mover(a()), b()}), times({a(), c()})})),
         {kFactorOut},
         times({a(), plus({b(), c()})})},
        {"a term that is the factor leaves 1",
         target(plus({mover(a()), times({a(), c()})})),
         {kFactorOut},
         times({a(), plus({num(1), c()})})},
        {"a factor missing from one term does not come out",
         target(plus({times({mover(a()), b()}), c()})),
         {},
         std::nullopt},
        {"a target in another branch offers nothing",
         plus({mover(a()), times({b(), target(c())})}),
         {},
         std::nullopt},
        {"without a target nothing moves", plus({mover(a()), b()}), {}, std::nullopt},
    };
}

class Shuffles : public ::testing::TestWithParam<ShuffleCase> {};

TEST_P(Shuffles, OfferAndMakeTheMove) {
    const ShuffleCase& c = GetParam();
    EXPECT_EQ(values(shuffleChoices(c.marked)), c.offered);
    int kind = c.offered.empty() ? kMoveTerm : c.offered.front();
    auto moved = shuffle(kind, c.marked);
    ASSERT_EQ(moved.has_value(), c.moved.has_value());
    if (moved) {
        EXPECT_TRUE(*moved == *c.moved) << linearText(*moved);
    }
}

INSTANTIATE_TEST_SUITE_P(Kernel, Shuffles, ::testing::ValuesIn(shuffles()), [](const auto& info) {
    std::string name;
    for (char ch : std::string(info.param.name))
        name += std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
    return name;
});

TEST(Shuffles, AMoveThatDoesNotFitTheMarksMakesNothing) {
    Expr marked = plus({mover(a()), b(), target(c())});
    EXPECT_FALSE(shuffle(kFactorOut, marked));
    EXPECT_FALSE(shuffle(kOtherSide, marked));
    EXPECT_FALSE(shuffle(99, marked));
}

TEST(Drops, AnEquationSubstitutesIntoAnExpressionThatHasItsLeftSide) {
    Expr node = equation(x(), num(2));
    Expr onto = plus({x(), y(), times({num(3), x()})});
    EXPECT_EQ(values(dropChoices(node, onto)), std::vector<int>{kSubstituteEquation});
    auto result = drop(kSubstituteEquation, node, onto);
    ASSERT_TRUE(result);
    EXPECT_TRUE(*result == plus({num(2), y(), times({num(3), num(2)})})) << linearText(*result);
    EXPECT_TRUE(dropChoices(node, plus({y(), num(1)})).empty());
}

TEST(Drops, TwoEquationsAddAndSubtractSideBySide) {
    Expr node = equation(x(), num(1));
    Expr onto = equation(plus({y(), b()}), num(2));
    EXPECT_EQ(values(dropChoices(node, onto)),
              (std::vector<int>{kAddEquations, kSubtractEquations}));
    auto sum = drop(kAddEquations, node, onto);
    ASSERT_TRUE(sum);
    EXPECT_TRUE(*sum == equation(plus({y(), b(), x()}), plus({num(2), num(1)})))
        << linearText(*sum);
    auto difference = drop(kSubtractEquations, node, onto);
    ASSERT_TRUE(difference);
    EXPECT_TRUE(*difference ==
                equation(plus({y(), b(), times({num(-1), x()})}), plus({num(2), num(-1)})))
        << linearText(*difference);
}

TEST(Drops, AnythingButAnEquationOffersNothing) {
    EXPECT_TRUE(dropChoices(x(), equation(x(), num(1))).empty());
    EXPECT_FALSE(drop(kAddEquations, x(), equation(x(), num(1))));
}

TEST(Drops, OverTheLinkTheRecordsAndTheEmptyRecord) {
    KernelHarness kernel;
    auto offered =
        kernel.request(fn("TYEvaluateDrop", {equation(x(), num(1)), equation(y(), num(2))}));
    ASSERT_TRUE(offered);
    EXPECT_TRUE(*offered ==
                list({list({num(kAddEquations), Expr::string("Add equations"), num(kWholeAnswer)}),
                      list({num(kSubtractEquations), Expr::string("Subtract equations"),
                            num(kWholeAnswer)})}))
        << linearText(*offered);
    auto nothing = kernel.request(fn("TYEvaluateShuffle", {plus({a(), b()})}));
    ASSERT_TRUE(nothing);
    EXPECT_TRUE(*nothing == list({list({num(0), Expr::string(""), num(0)})}))
        << linearText(*nothing);
    auto moved = kernel.request(fn("TYShuffle", {num(kMoveTerm), plus({mover(a()), target(b())})}));
    ASSERT_TRUE(moved);
    EXPECT_TRUE(*moved == plus({b(), a()})) << linearText(*moved);
}

} // namespace
} // namespace standin::testing
