// Every request the editor makes, against the answer tree the kernel sends back.

#include "KernelHarness.h"
#include "RealDigits.h"
#include "Records.h"

#include <gtest/gtest.h>

namespace standin::testing {
namespace {

Expr eq(Expr a, Expr b) {
    return equation(std::move(a), std::move(b));
}
Expr pow(Expr a, Expr b) {
    return fn("TYPower", {std::move(a), std::move(b)});
}
Expr times(std::initializer_list<Expr> f) {
    return fn("TYTimes", f);
}
Expr plus(std::initializer_list<Expr> t) {
    return fn("TYPlus", t);
}
Expr evaluate(int kind, Expr node) {
    return fn("TYEvaluate", {num(kind), std::move(node)});
}
// The constant an indefinite integral gains: its index is the editor's to choose.
Expr newConstant() {
    return fn("TYSubscript", {sym("C"), sym("tyReplSub")});
}
Expr x() {
    return sym("x");
}

struct Case {
    const char* name;
    Expr request;
    Expr expected;
    bool bare = false; // sent as its own packet, not inside "EvaluatePacket"
};

void PrintTo(const Case& c, std::ostream* out) {
    *out << c.name;
}

std::vector<Case> cases() {
    return {
        {"package load answers Null", fn("Needs", {Expr::string("TYCompute`")}), sym("Null")},
        {"session preferences answer Null", fn("TYSetSessionPrefs", {sym("x"), sym("xi"), num(0)}),
         sym("Null")},
        {"preferences with the default ordering answer Null",
         fn("TYSetSessionPrefs", {sym("x"), sym("xi"), num(0), sym("tyDefaultSortPriorities")}),
         sym("Null")},
        {"sort priorities", sym("tySortPriorities"),
         list({sym("False"), list({list({sym("x"), num(3)}), list({sym("y"), num(2)}),
                                   list({sym("z"), num(1)})})})},
        {"default sort priorities", sym("tyDefaultSortPriorities"),
         list({sym("False"), list({list({sym("x"), num(3)}), list({sym("y"), num(2)}),
                                   list({sym("z"), num(1)})})})},
        {"setting priorities answers Null",
         fn("TYSetSortPriorities", {list({sym("True"), list({list({sym("a"), num(7)})})})}),
         sym("Null")},
        {"declaring a constant answers Null", fn("SetAttributes", {sym("a"), sym("Constant")}),
         sym("Null")},
        {"clearing a constant answers Null", fn("ClearAttributes", {sym("a"), sym("Constant")}),
         sym("Null")},
        {"next priority is the largest plus one",
         fn("Plus",
            {fn("Part", {fn("Sort", {list({num(3), num(7), num(5)}), sym("Greater")}), num(1)}),
             num(1)}),
         num(8)},
        {"standard-form text is the linear text wrapped",
         fn("ToString", {fn("Hold", {fn("Plus", {sym("a"), fn("Power", {sym("b"), num(2)})})}),
                         sym("StandardForm")}),
         Expr::string("\\!\\(Hold[a + b^2]\\)"), true},
        {"simplify", fn("TYSimplify", {plus({x(), x()})}), times({num(2), x()})},
        {"evaluate", evaluate(kEvaluate, plus({num(2), num(3)})), num(5)},
        {"expand", evaluate(kExpand, pow(plus({x(), num(1)}), num(2))),
         plus({pow(x(), num(2)), times({num(2), x()}), num(1)})},
        {"factor", evaluate(kFactor, plus({pow(x(), num(2)), num(-1)})),
         times({plus({x(), num(-1)}), plus({x(), num(1)})})},
        {"an integer factors into its prime powers", evaluate(kFactor, num(360)),
         times({pow(num(2), num(3)), pow(num(3), num(2)), num(5)})},
        {"numeric value keeps fifteen digits, a last zero too",
         evaluate(kNumeric, fn("TYRadical", {num(2), num(2)})), Expr::realText("1.41421356237310")},
        {"solve answers a disjunction of equations", evaluate(kSolve, eq(pow(x(), num(2)), num(4))),
         fn("TYOr", {eq(x(), num(-2)), eq(x(), num(2))})},
        {"one solution is one equation", evaluate(kSolve, eq(times({num(2), x()}), num(6))),
         eq(x(), num(3))},
        {"indefinite integral gains the constant",
         evaluate(kIntegrate, fn("TYIntegrate", {fn("TYCos", {x()}), x()})),
         plus({fn("TYSin", {x()}), newConstant()})},
        {"an indefinite integral comes back with its numbers cancelled",
         evaluate(kIntegrate, fn("TYIntegrate", {times({num(2), x()}), x()})),
         plus({pow(x(), num(2)), newConstant()})},
        {"a definite integral's numbers cancel too",
         evaluate(kIntegrate, fn("TYIntegrate", {times({num(6), pow(x(), num(2))}),
                                                 list({x(), num(0), sym("a")})})),
         times({num(2), pow(sym("a"), num(3))})},
        {"definite integral has none",
         evaluate(kIntegrate, fn("TYIntegrate", {x(), list({x(), num(0), num(2)})})), num(2)},
        {"differentiate", evaluate(kDifferentiate, fn("TYD", {pow(x(), num(3)), x()})),
         times({num(3), pow(x(), num(2))})},
        {"limit",
         evaluate(kLimit, fn("TYLimit", {fn("TYDivide", {fn("TYSin", {x()}), x()}),
                                         fn("Rule", {x(), num(0)})})),
         num(1)},
        {"limit from above",
         evaluate(kLimit, fn("TYLimit", {fn("TYDivide", {num(1), x()}), fn("Rule", {x(), num(0)}),
                                         fn("Rule", {sym("Direction"), num(-1)})})),
         sym("Infinity")},
        {"sum", evaluate(kSumProduct, fn("TYSum", {sym("i"), list({sym("i"), num(1), num(10)})})),
         num(55)},
        {"product",
         evaluate(kSumProduct, fn("TYProduct", {sym("i"), list({sym("i"), num(1), num(5)})})),
         num(120)},
        {"Laplace transform into the transform variable", evaluate(kLaplace, fn("TYSin", {x()})),
         fn("TYDivide", {num(1), plus({pow(sym("xi"), num(2)), num(1)})})},
        {"a piecewise definition evaluated where its condition is known",
         fn("TYStringEvaluate", {list({Expr::string("piecewise(2>1, 5, 7)")})}), num(5)},
        {"code in the algebra's own syntax",
         fn("TYStringEvaluate", {list({Expr::string("a:=3;a*4")})}), num(12)},
        {"code typed as the kernel's own calls",
         fn("TYStringEvaluate", {list({fn("Expand", {pow(plus({x(), num(1)}), num(2))})})}),
         plus({pow(x(), num(2)), times({num(2), x()}), num(1)})},
        {"code that does not parse", fn("TYStringEvaluate", {list({Expr::string("1+*")})}),
         sym("$Failed")},
        {"a ten-digit answer is number text",
         fn("TYStringEvaluate", {list({Expr::string("2^40")})}),
         Expr::integerText("1099511627776")},
        {"declare constant through an evaluation", evaluate(kDeclareConstant, sym("k")),
         sym("Null")},
        {"unknown kind", evaluate(99, x()), sym("$Failed")},
        {"unknown request", fn("TYFrobnicate", {x()}), sym("$Failed")},
        {"shuffle without a move cancels", fn("TYShuffle", {num(1), plus({x(), num(1)})}),
         sym("$Canceled")},
    };
}

class RequestTable : public ::testing::TestWithParam<Case> {};

TEST_P(RequestTable, AnswersAsExpected) {
    const Case& c = GetParam();
    KernelHarness kernel;
    auto answer = c.bare ? kernel.bare(c.request) : kernel.request(c.request);
    ASSERT_TRUE(answer) << "no answer; last packet " << kernel.lastPacket;
    EXPECT_EQ(linearText(*answer), linearText(c.expected));
    EXPECT_TRUE(*answer == c.expected) << linearText(*answer);
    EXPECT_EQ(kernel.lastPacket, RETURNPKT);
}

INSTANTIATE_TEST_SUITE_P(Kernel, RequestTable, ::testing::ValuesIn(cases()), [](const auto& info) {
    std::string name;
    for (char c : std::string(info.param.name))
        name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    return name;
});

// Reals go out with the precision of the calculation preferences, 0 being the default of 15
// digits: no noise of binary arithmetic, and a zero before the point. A real that needs more
// than six digits goes out longer than 15 characters, so the editor keeps its text: every digit
// asked for, and below 15 asked, guard digits after them; six digits or fewer go out short.
TEST(Precision, RealsInAnswersHaveTheDigitsAsked) {
    struct Row {
        const char* name;
        int precision;
        Expr request;
        const char* text;
    };
    const Expr sinTwoSquared = pow(fn("TYSin", {num(2)}), num(2));
    const Row rows[] = {
        {"a value below one", 0, evaluate(kNumeric, sinTwoSquared), "0.826821810431806"},
        {"a value below one to five digits", 5, evaluate(kNumeric, sinTwoSquared), "0.82682"},
        {"a sum of reals to five digits", 5,
         evaluate(kNumeric, plus({Expr::machine(1.2345), Expr::machine(0.2736)})), "1.5081"},
        {"a sum of reals simplified", 0,
         fn("TYSimplify", {plus({Expr::machine(0.1), Expr::machine(0.2)})}), "0.3"},
        {"a small value", 16, evaluate(kNumeric, fn("TYDivide", {num(1), num(3000000)})),
         "3.333333333333333e-7"},
        {"more digits than a double holds", 20,
         evaluate(kNumeric, fn("TYRadical", {num(2), num(2)})), "1.4142135623730950488"},
        {"reals inside an expression", 4, evaluate(kNumeric, plus({x(), fn("TYSin", {num(1)})})),
         "0.8415 + x"},
        {"a last zero counts", 0, evaluate(kNumeric, fn("TYRadical", {num(2), num(2)})),
         "1.41421356237310"},
        {"ten digits asked, guard digits after them", 10,
         evaluate(kNumeric, fn("TYDivide", {num(2), num(3)})), "0.66666666666666666667"},
        {"a whole number of fifteen digits, with an exponent", 0,
         evaluate(kNumeric, fn("TYDivide", {Expr::integerText("246913578024690"), num(2)})),
         "1.23456789012345e14"},
        {"a decimal of eight digits keeps its zeros", 0,
         fn("TYSimplify", {times({Expr::machine(12345.678), num(1)})}), "12345.6780000000"},
        {"a product of decimals", 0,
         fn("TYSimplify", {times({Expr::machine(1.5), Expr::machine(0.3)})}), "0.45"},
        {"a product of decimals to thirty digits", 30,
         evaluate(kNumeric, times({Expr::machine(1.1), Expr::machine(1.1)})), "1.21"},
        {"a product of a decimal and a whole number", 0,
         evaluate(kNumeric, times({Expr::machine(2.2), num(3)})), "6.6"},
        {"a double spelled out is the decimal it stands for", 30,
         fn("TYSimplify", {times({Expr::machine(1.5), Expr::realText("0.29999999999999999")})}),
         "0.45"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        KernelHarness kernel;
        ASSERT_TRUE(kernel.request(fn("TYSetSessionPrefs", {x(), sym("xi"), num(row.precision)})));
        auto answer = kernel.request(row.request);
        ASSERT_TRUE(answer) << "no answer; last packet " << kernel.lastPacket;
        EXPECT_EQ(linearText(*answer), row.text);
    }
}

TEST(Precision, RealTextIsRoundedToItsSignificantDigits) {
    struct Row {
        const char* text;
        int digits;
        std::optional<std::string> rounded;
    };
    const Row rows[] = {
        {".82682181043180591", 15, "0.826821810431806"},
        {"1.5080999999999998", 15, "1.5081"},
        {"9.9999999999999999", 15, "10"},
        {"-0.000012345678", 3, "-1.23e-5"},
        {"0.00012345", 3, "0.000123"},
        {"123456789", 3, "1.23e8"},
        {"123.456", 3, "123"},
        {"1e+20", 15, "1e20"},
        {"2.5", 1, "3"},
        {"-0.0", 5, "0.0"},
        {"inf", 5, std::nullopt},
        {"-nan", 5, std::nullopt},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(roundedRealText(row.text, row.digits), row.rounded);
    }
}

TEST(Precision, OnlyTheSeventeenDigitsOfADoubleAreTakenForIt) {
    const struct {
        const char* text;
        bool machine;
    } rows[] = {
        {".29999999999999999", true},
        {"-0.10000000000000001", true},
        {"2.2000000000000002e-20", true},
        {"0.29999999999999998", false}, // 17 digits, but not those of the nearest double
        {"0.3", false},
        {"1.41421356237310", false},
        {"3.14159265358979323846", false},
        {"inf", false},
    };
    for (const auto& row : rows)
        EXPECT_EQ(isMachineRealText(row.text), row.machine) << row.text;
}

} // namespace
} // namespace standin::testing
