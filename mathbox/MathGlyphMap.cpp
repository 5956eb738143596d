#include "mathbox/MathGlyphMap.h"

#include "mathbox/CharTable.h"

#include <QChar>
#include <QList>
#include <QString>

#include <string_view>

namespace {

struct Named {
    std::string_view name;
    char32_t code;
};

// The character table's math forms (trailing blanks dropped) and the code point each names.
// Lower-case Greek is set in mathematical italic like the Latin letters.
// clang-format off
constexpr Named kNames[] = {
    {R"(\alpha)", 0x1D6FC},    {R"(\beta)", 0x1D6FD},     {R"(\gamma)", 0x1D6FE},
    {R"(\delta)", 0x1D6FF},    {R"(\epsilon)", 0x1D716},  {R"(\zeta)", 0x1D701},
    {R"(\eta)", 0x1D702},      {R"(\theta)", 0x1D703},    {R"(\iota)", 0x1D704},
    {R"(\kappa)", 0x1D705},    {R"(\lambda)", 0x1D706},   {R"(\mu)", 0x1D707},
    {R"(\nu)", 0x1D708},       {R"(\xi)", 0x1D709},       {R"(\pi)", 0x1D70B},
    {R"(\rho)", 0x1D70C},      {R"(\sigma)", 0x1D70E},    {R"(\tau)", 0x1D70F},
    {R"(\varphi)", 0x1D711},   {R"(\chi)", 0x1D712},      {R"(\psi)", 0x1D713},
    {R"(\omega)", 0x1D714},    {R"(\phi)", 0x1D719},      {R"(\partial)", 0x1D715},
    {R"(\Gamma)", 0x0393},     {R"(\Delta)", 0x0394},     {R"(\Theta)", 0x0398},
    {R"(\Lambda)", 0x039B},    {R"(\Xi)", 0x039E},        {R"(\Pi)", 0x03A0},
    {R"(\Sigma)", 0x03A3},     {R"(\Phi)", 0x03A6},       {R"(\Psi)", 0x03A8},
    {R"(\Omega)", 0x03A9},     {R"(\nabla)", 0x2207},     {R"(\in)", 0x2208},
    {R"(\not\in)", 0x2209},    {R"(\supseteq)", 0x2287},  {R"(\supset)", 0x2283},
    {R"(\not\subset)", 0x2284},{R"(\subset)", 0x2282},    {R"(\subseteq)", 0x2286},
    {R"(\propto)", 0x221D},    {R"(\cup)", 0x222A},       {R"(\cap)", 0x2229},
    {R"(\perp)", 0x22A5},      {R"(\cong)", 0x2245},      {R"(\mathcal{F})", 0x2131},
    {R"(\mathcal{L})", 0x2112},{R"(\wedge)", 0x2227},     {R"(\vee)", 0x2228},
    {R"(\prime \prime)", 0x2033}, {R"(\prime)", 0x2032},  {R"(\Leftrightarrow)", 0x21D4},
    {R"(\Rightarrow)", 0x21D2},{R"(\rightarrow)", 0x2192},{R"(^{\circ})", 0x00B0},
    {R"(\exists)", 0x2203},    {R"(\forall)", 0x2200},    {R"(\neq)", 0x2260},
    {R"(\emptyset)", 0x2205},  {R"(\infty)", 0x221E},     {R"(\pm)", 0x00B1},
    {R"(\leq)", 0x2264},       {R"(\geq)", 0x2265},       {R"(\ll)", 0x226A},
    {R"(\gg)", 0x226B},        {R"(\approx)", 0x2248},    {R"(\equiv)", 0x2261},
    {R"(\mathbb{N})", 0x2115}, {R"(\mathbb{Z})", 0x2124}, {R"(\mathbb{R})", 0x211D},
    {R"(\mathbb{C})", 0x2102}, {R"(\mathbb{Q})", 0x211A}, {R"(\sum)", 0x2211},
    {R"(\smallint)", 0x222B},  {R"(\therefore)", 0x2234}, {R"(\neg)", 0x00AC},
    {R"(\triangle)", 0x25B3},  {R"(\ldots)", 0x2026},     {R"(\cdots)", 0x22EF},
    {R"(\vdots)", 0x22EE},     {R"(\ddots)", 0x22F1},     {R"(\otimes)", 0x2297},
    {R"(\oplus)", 0x2295},     {R"(\div)", 0x00F7},       {R"(--)", 0x2013},
    {R"(---)", 0x2014},        {R"(?`)", 0x00BF},         {R"(!`)", 0x00A1},
    {R"(~)", 0x0020},          {R"(\backslash)", 0x005C}, {R"(\#)", '#'},
    {R"(\$)", '$'},            {R"(\%)", '%'},            {R"(\&)", '&'},
    {R"(\_)", '_'},            {R"(\{)", '{'},            {R"(\})", '}'},
    {R"(\mbox{\^{ }})", '^'},  {R"(\~{ })", '~'},         {"\xA2", 0x00A2},
};

// The pieces of built-up delimiters: parenthesis hooks and extensions, brace hooks and middles.
constexpr struct {
    uint8_t code;
    char32_t glyph;
} kPieces[] = {
    {147, 0x239B}, {169, 0x239C}, {145, 0x239D}, {148, 0x239E}, {153, 0x239F}, {146, 0x23A0},
    {163, 0x23A7}, {149, 0x23A8}, {167, 0x23A9}, {182, 0x23AB}, {174, 0x23AC}, {223, 0x23AD},
};
// clang-format on

constexpr std::string_view Trimmed(std::string_view form) {
    while (!form.empty() && form.back() == ' ')
        form.remove_suffix(1);
    return form;
}

char32_t CodeForByte(uint8_t code) {
    for (const auto& piece : kPieces) {
        if (piece.code == code) return piece.glyph;
    }
    if (code == 'h') return 0x210E; // the italic h has its own code point outside the block
    if (code >= 'a' && code <= 'z') return 0x1D44E + (code - 'a');
    if (code >= 'A' && code <= 'Z') return 0x1D434 + (code - 'A');
    // Three ASCII signs mean in mathematics what their text glyphs do not show: the minus
    // (a hyphen is under half as wide as a plus and sits too low), the centred asterisk of a
    // product, and the prime of a derivative.
    if (code == '-') return 0x2212;
    if (code == '*') return 0x2217;
    if (code == '\'') return 0x2032;
    if (code == ' ' || code == '\t') return ' ';
    if (code > ' ' && code < 127) return code; // digits and ASCII signs as they are
    const std::string_view form = Trimmed(CharTable[MathCharIndex[code]].mathForm);
    for (const Named& named : kNames) {
        if (named.name == form) return named.code;
    }
    return kNeutralGlyph;
}

std::array<char32_t, 256> MakeCodes() {
    std::array<char32_t, 256> codes{};
    for (int b = 0; b < 256; ++b)
        codes[b] = CodeForByte(static_cast<uint8_t>(b));
    return codes;
}

} // namespace

const std::array<char32_t, 256> MathGlyphCodes = MakeCodes();

char32_t BigOperatorCode(uint8_t code) {
    switch (code) {
    case 184:
        return 0x220F; // product
    case 190:
        return 0x2211; // sum
    case 189:
        return 0x222B; // integral
    default:
        return MathGlyphCodes[code];
    }
}

char32_t MathTextCode(uint8_t code, bool bigOperator) {
    if (!bigOperator && code < 0x80) return code;
    const char32_t shown = bigOperator ? BigOperatorCode(code) : MathGlyphCodes[code];
    // The mathematical italic letters are the plain ones in a font of their own.
    if (QChar::decompositionTag(shown) == QChar::Font) {
        const QList<uint> plain = QChar::decomposition(shown).toUcs4();
        if (plain.size() == 1) return plain.front();
    }
    return shown;
}
