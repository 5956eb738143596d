#include "expr/symbols/SymbolTable.h"

#include "expr/symbols/BuiltinNames.h"
#include "mathbox/CharTable.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

std::string LinkName(int32_t row) {
    const SymbolRow* r = BuiltinSymbol(row);
    return r ? r->linkName : "<none>";
}

// Every row that the character table points at, with the symbol it must be.
const std::map<int32_t, std::string> kCharacterRows = {
    {1, "("},
    {2, ")"},
    {3, "+"},
    {4, ","},
    {5, "-"},
    {6, "/"},
    {7, "["},
    {8, "]"},
    {9, "{"},
    {10, "}"},
    {13, "alpha"},
    {18, "beta"},
    {20, "chi"},
    {29, "delta"},
    {30, "capDelta"},
    {37, "epsilon"},
    {38, "Equal"},
    {40, "eta"},
    {42, "TYFactorial"},
    {43, "gamma"},
    {44, "capGamma"},
    {47, "Greater"},
    {48, "GreaterEqual"},
    {53, "Infinity"},
    {55, "kappa"},
    {56, "lambda"},
    {57, "Less"},
    {58, "LessEqual"},
    {67, "mu"},
    {68, "nu"},
    {70, "omega"},
    {71, "capOmega"},
    {74, "phi"},
    {75, "capPhi"},
    {76, "Pi"},
    {77, "capPi"},
    {79, "plusMinus"},
    {84, "psi"},
    {85, "capPsi"},
    {88, "rho"},
    {90, "Rule"},
    {92, "sigma"},
    {101, "tau"},
    {103, "theta"},
    {104, "capTheta"},
    {108, "Unequal"},
    {109, "unknown"},
    {110, "varphi"},
    {111, "xi"},
    {112, "capXi"},
    {113, "zeta"},
    {124, "iota"},
    {125, "capSigma"},
    {127, "^"},
    {282, "scriptF"},
    {284, "scriptL"},
    {295, "*"},
};

TEST(SymbolTable, EveryCharacterTableRowIsTheSymbolItStandsFor) {
    std::set<int32_t> seen;
    for (size_t index = 0; index < CharTable.size(); ++index) {
        const int32_t row = CharTable[index].symbolIndex;
        if (row == 0) continue;
        const auto expected = kCharacterRows.find(row);
        ASSERT_NE(expected, kCharacterRows.end()) << "character " << index << " row " << row;
        EXPECT_EQ(LinkName(row), expected->second) << "character " << index;
        seen.insert(row);
    }
    EXPECT_EQ(seen.size(), kCharacterRows.size()) << "a pinned row no character reaches";
}

struct NamedRow {
    int32_t row;
    const char* linkName;
    const char* display;
    SymbolKind kind;
    int32_t precedence;
};

// Rows that the nodes, the parser and the lists name by number.
const NamedRow kNamedRows[] = {
    {0, " ", " ", SymbolKind::kWrapper, 292},
    {38, "Equal", " = ", SymbolKind::kRelation, 266},
    {39, "Error", "Error", SymbolKind::kPlain, 293},
    {42, "TYFactorial", "!", SymbolKind::kFactorial, 287},
    {62, "TYLog", "ln", SymbolKind::kFunction, 263},
    {63, "TYLog", "log", SymbolKind::kLogarithm, 271},
    {64, "TYLog", "log", SymbolKind::kLogarithm, 271},
    {66, "TYMod", "mod", SymbolKind::kMod, 288},
    {69, "Null", "Null", SymbolKind::kNull, 258},
    {72, "TYOr", " or ", SymbolKind::kOr, 285},
    {79, "plusMinus", "\xB1", SymbolKind::kPlusMinus, 275},
    {83, "TYProduct", "\xB8", SymbolKind::kBigOperator, 259},
    {86, "TYRadical", "Radical", SymbolKind::kRadical, 259},
    {90, "Rule", "\xF9", SymbolKind::kRule, 286},
    {95, "TYSum", "\xB7", SymbolKind::kBigOperator, 259},
    {96, "TYT", "T", SymbolKind::kPlain, 258},
    {13, "alpha", "\xAC", SymbolKind::kPlain, 258},
    {23, "TYCos", "cos", SymbolKind::kFunction, 263},
};

TEST(SymbolTable, RowsNamedByNumberHoldTheirSymbols) {
    for (const NamedRow& expected : kNamedRows) {
        SCOPED_TRACE(expected.row);
        const SymbolRow* row = BuiltinSymbol(expected.row);
        ASSERT_NE(row, nullptr);
        EXPECT_STREQ(row->linkName, expected.linkName);
        EXPECT_STREQ(row->display, expected.display);
        EXPECT_EQ(row->kind, expected.kind);
        EXPECT_EQ(row->precedence, expected.precedence);
    }
    EXPECT_EQ(symbol_row::kEqual, 38);
    EXPECT_EQ(symbol_row::kLogWithBase, 64);
    EXPECT_EQ(symbol_row::kProduct, 83);
    EXPECT_EQ(symbol_row::kSum, 95);
}

TEST(SymbolTable, HasExactlyItsRowsAndNothingOutside) {
    EXPECT_NE(BuiltinSymbol(kSymbolRowCount - 1), nullptr);
    EXPECT_EQ(BuiltinSymbol(kSymbolRowCount), nullptr);
    EXPECT_EQ(BuiltinSymbol(-1), nullptr);
    std::map<SymbolKind, int> perKind;
    for (int32_t i = 0; i < kSymbolRowCount; ++i) {
        const SymbolRow& row = *BuiltinSymbol(i);
        ++perKind[row.kind];
        EXPECT_NE(row.kind, SymbolKind::kSequence) << i;
        EXPECT_EQ(row.flags & kRestricted, 0u) << i;
        for (const char* text :
             {row.display, row.linkName, row.standardHead, row.latex, row.mathml})
            ASSERT_NE(text, nullptr) << i;
    }
    EXPECT_EQ(perKind[SymbolKind::kPlain], 48);
    EXPECT_EQ(perKind[SymbolKind::kFunction], 149);
    EXPECT_EQ(perKind[SymbolKind::kIndexedFunction], 16);
    EXPECT_EQ(perKind[SymbolKind::kRelation], 6);
    EXPECT_EQ(perKind[SymbolKind::kWrapper], 17);
}

// Kinds whose rows the table order fixes, in that order.
TEST(SymbolTable, KindsKeepTheirRowsInTableOrder) {
    const std::map<SymbolKind, std::vector<std::string>> expected = {
        {SymbolKind::kAbsDet, {"TYAbs", "TYDet"}},
        {SymbolKind::kMod, {"TYMod", "TYMod"}},
        {SymbolKind::kBigOperator, {"TYProduct", "TYSum"}},
        {SymbolKind::kQuotient, {"TYDivide", "Rational"}},
        {SymbolKind::kLogarithm, {"TYLog", "TYLog"}},
        {SymbolKind::kTransform, {"TYFourierTransform", "TYLaplaceTransform"}},
        {SymbolKind::kRelation,
         {"Equal", "Greater", "GreaterEqual", "Less", "LessEqual", "Unequal"}},
        {SymbolKind::kPower, {"TYPower"}},
        {SymbolKind::kPowerKeep, {"TYPower"}},
        {SymbolKind::kWrapper,
         {" ", "(", ")", "+", ",", "-", "/", "[", "]", "{", "}", "Hold", "Literal", "TYMover",
          "TYTarget", "^", "*"}},
    };
    for (const auto& [kind, names] : expected) {
        std::vector<std::string> actual;
        for (int32_t i = 0; i < kSymbolRowCount; ++i) {
            if (BuiltinSymbol(i)->kind == kind) actual.push_back(BuiltinSymbol(i)->linkName);
        }
        EXPECT_EQ(actual, names) << static_cast<int>(kind);
    }
}

TEST(SymbolTable, FlagsMarkUprightNamesAndLargeOperators) {
    for (int32_t row : {14, 23, 62, 63, 64, 66, 72, 59})
        EXPECT_TRUE(BuiltinSymbol(row)->flags & kUpright) << LinkName(row);
    for (int32_t row : {95, 54, 59, 0, 282, 284})
        EXPECT_TRUE(BuiltinSymbol(row)->flags & kLargeOperator) << LinkName(row);
    EXPECT_EQ(BuiltinSymbol(13)->flags, 0u);
}

// MathML forms go into documents read by any MathML 2 reader: a named entity must be one it
// defines; anything else is a numeric reference.
TEST(SymbolTable, MathMLFormsUseOnlyDefinedEntities) {
    const std::set<std::string> defined = {"ImaginaryI", "gt", "lt"};
    for (int32_t i = 0; i < kSymbolRowCount; ++i) {
        const std::string form = BuiltinSymbol(i)->mathml;
        for (size_t at = form.find('&'); at != std::string::npos; at = form.find('&', at + 1)) {
            const size_t end = form.find(';', at);
            ASSERT_NE(end, std::string::npos) << form;
            const std::string name = form.substr(at + 1, end - at - 1);
            if (name[0] == '#') continue;
            EXPECT_TRUE(defined.count(name)) << LinkName(i) << ": &" << name << ";";
        }
    }
    EXPECT_STREQ(BuiltinSymbol(36)->mathml, "&#x2147;"); // E, the exponential e
}

TEST(SymbolTable, DisplayCodesDrawTheGlyphsTheCharactersStandFor) {
    // A display code is a character index; the glyph is the math-font byte of that index.
    EXPECT_EQ(MathCharIndex[MathDisplayCode(0xAC)], 0xAC); // alpha
    EXPECT_EQ(MathCharIndex[MathDisplayCode(0xB9)], 0xB9); // pi
    EXPECT_EQ(MathDisplayCode('x'), 'x');
    // The rule arrow draws the math font's arrow, the character of the rule row.
    EXPECT_EQ(CharTable[MathCharIndex[MathDisplayCode(0xF9)]].symbolIndex, symbol_row::kRule);
}

class NameTable : public ::testing::Test {
protected:
    BuiltinNamesScope names;
};

TEST_F(NameTable, HoldsTheFullListAndNoBlankOrPunctuation) {
    const auto list = BuiltinNameList();
    EXPECT_EQ(list.size(), 507u);
    std::set<std::string> keys;
    for (const auto& entry : list) {
        EXPECT_GT(entry.value, 0u) << entry.key;
        EXPECT_LT(entry.value, static_cast<uint32_t>(kSymbolRowCount)) << entry.key;
        EXPECT_TRUE(keys.insert(entry.key).second) << "twice: " << entry.key;
    }
}

struct Lookup {
    const char* name;
    int32_t row; // 0: not a built-in
};

const Lookup kLookups[] = {
    {"Log", 64},
    {"TYLog", 64},
    {"log", 63},
    {"ln", 62},
    {"Sin", 93},
    {"sin", 93},
    {"TYSin", 93},
    {"alpha", 13},
    {"E", 36},
    {"I", 51},
    {"Part", 121},
    {"TYEqual", 38},
    {"Sigma", 125},
    {"Lambda", 126},
    {"TYPostPlus", 78},
    {"or", 72},
    {"mod", 66},
    {"Null", 69},
    {"ArcCos", 14},
    {"arccos", 14},
    // Not built-ins: punctuation, spellings that differ in case, Greek letters' display
    // forms, names never seen.
    {"(", 0},
    {"*", 0},
    {"ARCCOS", 0},
    {"e", 0},
    {"i", 0},
    {"x", 0},
    {"Foo", 0},
    {"", 0},
};

TEST_F(NameTable, LooksUpNames) {
    for (const Lookup& lookup : kLookups)
        EXPECT_EQ(LookupBuiltinName(lookup.name), lookup.row) << lookup.name;
    EXPECT_EQ(LinkName(LookupBuiltinName("TYExpIntegralEi")), "ExpIntegralEi");
}

// A kernel answer names a row by its link name: every one must find a row of that name.
TEST_F(NameTable, EveryLinkNameFindsItsRow) {
    for (int32_t i = 11; i < kSymbolRowCount; ++i) {
        const std::string name = BuiltinSymbol(i)->linkName;
        if (name == "^" || name == "*") continue;
        const int32_t found = LookupBuiltinName(name.c_str());
        EXPECT_EQ(LinkName(found), name) << i;
    }
}

// A word typed in an equation is set upright when it names an operator of the table.
TEST_F(NameTable, TellsWhichTypedNamesAreSetUpright) {
    const struct {
        std::string name;
        bool upright;
    } cases[] = {
        {"sin", true},    {"log", true},  {"arctan", true}, {"x", false},
        {"alpha", false}, {"Foo", false}, {"", false},      {std::string(40, 's'), false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsUprightBuiltinName(c.name), c.upright) << c.name;
}

TEST(NameTableScope, PutsBackWhatWasThere) {
    EXPECT_EQ(LookupBuiltinName("Sin"), 0);
    {
        BuiltinNamesScope names;
        EXPECT_EQ(LookupBuiltinName("Sin"), 93);
    }
    EXPECT_EQ(LookupBuiltinName("Sin"), 0);
    EXPECT_FALSE(IsUprightBuiltinName("sin"));
}

} // namespace
