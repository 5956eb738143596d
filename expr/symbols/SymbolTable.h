#pragma once

// The built-in kernel symbols: one row per symbol with every form in which it is shown or
// sent (on the link, on screen, in LaTeX, in MathML), its precedence and its kind.
//
// Row numbers are stored: a symbol node keeps only its row, and the character table, the
// parser and the node classes name rows by number. The order is therefore fixed for good; a
// test pins every row that something else refers to. Row 0 (the blank) is never the answer of
// a name lookup, since 0 means "not a built-in".
//
// Constant data, complete before any dynamic initialiser runs; any layer may read it.

#include <cstdint>
#include <string_view>

// What a row's head becomes when the link reader meets it.
enum class SymbolKind : int32_t {
    kPlain = 0,
    kDefaultVar = 1,
    kTransformVar = 2,
    kComplex = 3,
    kPlusMinus = 4,
    kAbsDet = 5,
    kMod = 6,
    kBigOperator = 7,
    kQuotient = 8,
    kFunction = 9,
    kFunctionDerivative = 10,
    kIndexedFunction = 11,
    kIndexedFunctionDerivative = 12,
    kDoublyIndexedFunction = 13,
    kKroneckerDelta = 14,
    kLogarithm = 15,
    kTransform = 16,
    kInverseTransform = 17,
    kIntegral = 18,
    kLimit = 19,
    kList = 20,
    kMatrix = 21,
    kTable = 22,
    kEquationSet = 23,
    kSplit = 24,
    kColumn = 25,
    kPartialDerivative = 26,
    kProduct = 27,
    kSequence = 28, // no row has it
    kSum = 29,
    kPower = 30,
    kPowerKeep = 31, // the power whose negative exponent stays an exponent
    kDerivative = 32,
    kFactorial = 33,
    kConjugate = 34,
    kDirectionAbove = 35,
    kDirectionBelow = 36,
    kRadical = 37,
    kRelation = 38,
    kRule = 39,
    kSubscript = 40,
    kTotalDerivative = 41,
    kInequality = 42,
    kOr = 43,
    kDirectedInfinity = 44,
    kPlot2D = 45,
    kGraphics = 46,
    kGraphics3D = 47,
    kLine = 48,
    kText = 49,
    kPoint = 50,
    kPolygon = 51,
    kSurface = 52,
    kPlot3D = 53,
    kNull = 54,
    kWrapper = 55, // a head that stands for its argument (punctuation, Hold, markers)
};

// Row flags.
inline constexpr uint32_t kUpright = 0x1;         // an operator name set upright
inline constexpr uint32_t kLargeOperator = 0x100; // a large operator or transform symbol
// Refused while the editor works through the calculation server. No row carries it yet.
inline constexpr uint32_t kRestricted = 0x10000;

struct SymbolRow {
    // Characters drawn, as display codes of the math font (see MathDisplayCode).
    const char* display;
    // The name on the link; the program's own kernel names start with "TY" or "ty".
    const char* linkName;
    // The kernel's own head, in internal character codes (converted before it is sent).
    const char* standardHead;
    const char* latex;
    // Written raw inside the MathML element: a name or a numeric character reference.
    const char* mathml;
    // The infix lexer's token code for the symbol; a symbol node's binding strength.
    int32_t precedence;
    SymbolKind kind;
    uint32_t flags;
};

inline constexpr int32_t kSymbolRowCount = 297;

// Rows that code elsewhere names by number.
namespace symbol_row {
inline constexpr int32_t kBlank = 0;
inline constexpr int32_t kTimesSign = 295; // "*"
inline constexpr int32_t kCaret = 127;     // "^"
inline constexpr int32_t kAlpha = 13;
inline constexpr int32_t kEqual = 38;
inline constexpr int32_t kError = 39;
inline constexpr int32_t kFactorial = 42;
inline constexpr int32_t kInfinity = 53;
inline constexpr int32_t kLn = 62;
inline constexpr int32_t kLog = 63;
inline constexpr int32_t kLogWithBase = 64;
inline constexpr int32_t kMod = 66;
inline constexpr int32_t kNull = 69;
inline constexpr int32_t kPlusMinus = 79;
inline constexpr int32_t kProduct = 83;
inline constexpr int32_t kRadical = 86;
inline constexpr int32_t kRule = 90;
inline constexpr int32_t kSum = 95;
inline constexpr int32_t kTranspose = 96; // "TYT"
inline constexpr int32_t kUnknown = 109;
} // namespace symbol_row

// The row, or null outside 0 to kSymbolRowCount - 1.
const SymbolRow* BuiltinSymbol(int32_t row);

// The math font's glyph code for a display code of a row.
uint8_t MathDisplayCode(uint8_t display);
