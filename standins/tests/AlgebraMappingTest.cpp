// The program's own heads to the algebra and back: a tree that the algebra leaves alone comes
// back as it went, and the shapes the algebra prefers come back in the program's own form.

#include "Algebra.h"
#include "KernelHarness.h"

#include <gtest/gtest.h>

namespace standin::testing {
namespace {

struct RoundTrip {
    const char* name;
    Expr sent;
    Expr back;
};

void PrintTo(const RoundTrip& c, std::ostream* out) {
    *out << c.name;
}

Expr x() {
    return sym("x");
}

std::vector<RoundTrip> roundTrips() {
    const Expr same;
    return {
        {"machine integer", num(123456789), num(123456789)},
        {"long integer keeps every digit", Expr::integerText("123456789012345678901234567890"),
         Expr::integerText("123456789012345678901234567890")},
        {"negative integer", num(-42), num(-42)},
        {"machine real", Expr::machine(0.25), Expr::machine(0.25)},
        {"symbol", sym("alpha"), sym("alpha")},
        {"pi", sym("Pi"), sym("Pi")},
        {"imaginary unit", sym("I"), sym("I")},
        {"infinity", sym("Infinity"), sym("Infinity")},
        {"sum", fn("TYPlus", {x(), sym("y")}), fn("TYPlus", {x(), sym("y")})},
        {"difference", fn("TYPlus", {x(), fn("TYTimes", {num(-1), sym("y")})}),
         fn("TYPlus", {x(), fn("TYTimes", {num(-1), sym("y")})})},
        {"product", fn("TYTimes", {num(2), x()}), fn("TYTimes", {num(2), x()})},
        {"power", fn("TYPower", {x(), num(3)}), fn("TYPower", {x(), num(3)})},
        {"quotient", fn("TYDivide", {x(), sym("y")}), fn("TYDivide", {x(), sym("y")})},
        {"square root", fn("TYRadical", {x(), num(2)}), fn("TYRadical", {x(), num(2)})},
        {"cube root", fn("TYRadical", {x(), num(3)}), fn("TYRadical", {x(), num(3)})},
        {"exponential", fn("TYExp", {x()}), fn("TYPower", {sym("E"), x()})},
        {"natural logarithm", fn("TYLog", {x()}), fn("TYLog", {x()})},
        {"sine", fn("TYSin", {x()}), fn("TYSin", {x()})},
        {"arc tangent", fn("TYArcTan", {x()}), fn("TYArcTan", {x()})},
        {"absolute value", fn("TYAbs", {x()}), fn("TYAbs", {x()})},
        {"factorial", fn("TYFactorial", {sym("n")}), fn("TYFactorial", {sym("n")})},
        {"equation", equation(x(), num(2)), equation(x(), num(2))},
        {"inequality", fn("TYInequality", {x(), sym("Less"), num(2)}),
         fn("TYInequality", {x(), sym("Less"), num(2)})},
        {"list", list({num(1), x()}), list({num(1), x()})},
        {"matrix of rows", fn("TYMatrix", {list({num(1), num(2)}), list({num(3), num(4)})}),
         fn("TYMatrix", {list({num(1), num(2)}), list({num(3), num(4)})})},
        {"table of columns becomes a matrix of rows",
         fn("TYTable", {fn("TYColumn", {num(1), num(2)}), fn("TYColumn", {num(3), num(4)})}),
         fn("TYMatrix", {list({num(1), num(3)}), list({num(2), num(4)})})},
        {"piecewise definition",
         fn("TYSplit", {list({num(1), fn("TYInequality", {x(), sym("Greater"), num(0)})}),
                        list({num(0), sym("tyOtherwise")})}),
         fn("TYSplit", {list({num(1), fn("TYInequality", {x(), sym("Greater"), num(0)})}),
                        list({num(0), sym("tyOtherwise")})})},
        {"piecewise definition without a default",
         fn("TYSplit", {list({x(), fn("TYInequality", {x(), sym("Less"), num(0)})})}),
         fn("TYSplit", {list({x(), fn("TYInequality", {x(), sym("Less"), num(0)})})})},
        {"subscript", fn("TYSubscript", {sym("C"), num(1)}), fn("TYSubscript", {sym("C"), num(1)})},
        {"function of the user's own", fn("f", {x()}), fn("f", {x()})},
        {"function of two arguments", fn("f", {x(), sym("y")}), fn("f", {x(), sym("y")})},
        {"standard heads read as the own ones", fn("Plus", {x(), fn("Sin", {x()})}),
         fn("TYPlus", {x(), fn("TYSin", {x()})})},
        {"complex number", fn("Complex", {num(1), num(2)}),
         fn("TYPlus", {num(1), fn("TYTimes", {num(2), sym("I")})})},
        {"marks are dropped", fn("TYMover", {x()}), x()},
        {"default variable", sym("tyDefaultVar"), x()},
        {"transform variable", sym("tyTransformVar"), sym("xi")},
    };
}

class AlgebraMapping : public ::testing::TestWithParam<RoundTrip> {};

TEST_P(AlgebraMapping, ComesBackInTheOwnForm) {
    const RoundTrip& c = GetParam();
    Expr back = algebra::roundTrip(c.sent, algebra::Settings{});
    EXPECT_TRUE(back == c.back) << linearText(back) << " instead of " << linearText(c.back);
}

INSTANTIATE_TEST_SUITE_P(Kernel, AlgebraMapping, ::testing::ValuesIn(roundTrips()),
                         [](const auto& info) {
                             std::string name;
                             for (char c : std::string(info.param.name))
                                 name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                             return name;
                         });

TEST(AlgebraMapping, HeadsWithoutAlgebraAreRefused) {
    for (const Expr& e : {sym("$Failed"), fn("TYFrobnicate", {x()}), sym("Null")})
        EXPECT_THROW(algebra::roundTrip(e, algebra::Settings{}), algebra::AlgebraError)
            << linearText(e);
}

TEST(AlgebraMapping, HighPrecisionRealsKeepTheirDigits) {
    algebra::Settings thirty;
    thirty.precision = 30;
    Expr root = algebra::transform(algebra::Op::Numeric, fn("TYRadical", {num(2), num(2)}), thirty);
    ASSERT_EQ(root.kind, Expr::Kind::Real);
    EXPECT_FALSE(root.machineReal);
    EXPECT_EQ(root.text.substr(0, 30), "1.4142135623730950488016887242");

    Expr big = algebra::transform(algebra::Op::Numeric, fn("TYPower", {num(10), num(40)}), thirty);
    EXPECT_EQ(big.text.find("e+"), std::string::npos) << big.text;
    EXPECT_NE(big.text.find('e'), std::string::npos) << big.text;
    EXPECT_DOUBLE_EQ(big.real, 1e40) << big.text;

    Expr back = algebra::roundTrip(Expr::realText("3.14159265358979323846264338327950288"),
                                   algebra::Settings{});
    EXPECT_EQ(back.text.substr(0, 30), "3.1415926535897932384626433832") << back.text;
}

} // namespace
} // namespace standin::testing
