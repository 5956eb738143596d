#include "mathbox/CharTable.h"

#include <cstddef>

namespace {

// Marks a form that is the one-character string made of the character index itself.
constexpr const char* kOwn = nullptr;

struct Row {
    int32_t charClass;
    const char* textForm;
    const char* mathForm;
    int32_t symbolIndex;
    uint8_t altCode;
};

// Indexes 128 to 255, one row each, in index order. Forms are raw strings: R"(\"{A})" is the
// five characters backslash, double quote, brace, A, brace.
// clang-format off
constexpr Row kUpperRows[128] = {
    /* 128 */ {3, R"(\"{A})",       R"(\supseteq )",       0,   128},
    /* 129 */ {3, R"(\.{A})",       R"(\supset )",         0,   230},
    /* 130 */ {3, R"(\c{C})",       R"(\not\subset )",     0,   229},
    /* 131 */ {3, R"(\'{E})",       R"(\subset)",          0,   131},
    /* 132 */ {3, R"(\~{N})",       R"(\subseteq )",       0,   132},
    /* 133 */ {3, R"(\"{O})",       R"(\propto )",         0,   133},
    /* 134 */ {2, R"(\"{U})",       R"(\cup )",            0,   134},
    /* 135 */ {2, R"(\'{a})",       R"(\cap )",            0,   135},
    /* 136 */ {2, R"(\`{a})",       R"(\perp )",           0,   136},
    /* 137 */ {3, R"(\^{a})",       R"(\cong )",           0,   137},
    /* 138 */ {2, R"(\"{a})",       R"(\mathcal{F})",      282, 138},
    /* 139 */ {2, R"(\~{a})",       R"(\mathcal{L})",      284, 139},
    /* 140 */ {2, R"(\.{a})",       "",                    0,   172},
    /* 141 */ {2, R"(??)",          R"(\delta )",          29,  241},
    /* 142 */ {2, R"(\'{e})",       R"(\Pi )",             77,  184},
    /* 143 */ {2, R"(\`{e})",       "",                    0,   143},
    /* 144 */ {2, R"(\^{e})",       "",                    0,   144},
    /* 145 */ {2, R"(\"{e})",       "",                    0,   145},
    /* 146 */ {2, R"(\'{i})",       R"(\wedge )",          0,   146},
    /* 147 */ {2, R"(\`{i})",       "",                    0,   147},
    /* 148 */ {2, R"(\^{i})",       R"(\vee )",            0,   148},
    /* 149 */ {2, R"(\"{i})",       "",                    0,   149},
    /* 150 */ {2, R"(\~{n})",       R"(\tau )",            101, 198},
    /* 151 */ {2, R"(\'{o})",       R"(\psi )",            84,  180},
    /* 152 */ {2, R"(\`{o})",       R"(\prime \prime )",   0,   174},
    /* 153 */ {2, R"(\^{o})",       R"(\nu )",             68,  195},
    /* 154 */ {2, R"(\"{o})",       "",                    0,   154},
    /* 155 */ {2, R"(\~{o})",       R"(\Leftrightarrow )", 0,   155},
    /* 156 */ {2, R"(\'{u})",       "",                    0,   156},
    /* 157 */ {2, R"(\`{u})",       "",                    0,   157},
    /* 158 */ {2, R"(\^{u})",       R"(\Gamma )",          44,  253},
    /* 159 */ {2, R"(\"{u})",       R"(\Xi )",             112, 254},
    /* 160 */ {2, R"(\dagger )",    R"(\Delta )",          30,  150},
    /* 161 */ {2, kOwn,             R"(^{\circ})",         0,   161},
    /* 162 */ {2, R"(\cents )",     kOwn,                  0,   233},
    /* 163 */ {2, kOwn,             "",                    0,   163},
    /* 164 */ {2, R"(\S)",          "",                    0,   164},
    /* 165 */ {2, R"(\bullet )",    "",                    0,   165},
    /* 166 */ {2, R"(\P )",         "",                    0,   166},
    /* 167 */ {2, R"(\ss )",        "",                    0,   219},
    /* 168 */ {2, kOwn,             "",                    0,   220},
    /* 169 */ {2, R"(\copyright )", "",                    0,   221},
    /* 170 */ {2, kOwn,             "",                    0,   170},
    /* 171 */ {2, kOwn,             R"(\exists )",         0,   171},
    /* 172 */ {2, kOwn,             R"(\alpha )",          13,  140},
    /* 173 */ {3, kOwn,             R"(\neq )",            108, 173},
    /* 174 */ {2, R"(\AE )",        "",                    0,   152},
    /* 175 */ {2, R"(\O )",         R"(\emptyset )",       0,   175},
    /* 176 */ {2, R"($\infty$)",    R"(\infty )",          53,  176},
    /* 177 */ {2, R"(\pm )",        R"(\pm )",             79,  177},
    /* 178 */ {3, R"(\leq )",       R"(\leq )",            58,  178},
    /* 179 */ {3, R"(\geq )",       R"(\geq )",            48,  179},
    /* 180 */ {2, kOwn,             R"(\mathbb{N})",       0,   151},
    /* 181 */ {2, R"(\mu )",        R"(\mu )",             67,  181},
    /* 182 */ {2, R"(\delta )",     "",                    0,   141},
    /* 183 */ {2, R"(\Sigma )",     R"(\sum )",            0,   234},
    /* 184 */ {2, R"(\Pi )",        "",                    0,   142},
    /* 185 */ {2, R"(\pi )",        R"(\pi )",             76,  185},
    /* 186 */ {2, R"(\smallint )",  R"(\smallint )",       0,   224},
    /* 187 */ {2, R"(\b{a})",       R"(\mathbb{Z})",       0,   187},
    /* 188 */ {2, R"(\b{o})",       "",                    0,   188},
    /* 189 */ {2, R"(\Omega )",     R"(\Omega )",          71,  227},
    /* 190 */ {2, R"(\ae )",        "",                    0,   225},
    /* 191 */ {2, R"(\o )",         R"(\therefore)",       0,   191},
    /* 192 */ {2, R"(?`)",          R"(?`)",               0,   192},
    /* 193 */ {2, R"(!`)",          R"(!`)",               0,   193},
    /* 194 */ {2, kOwn,             R"(\neg )",            0,     6},
    /* 195 */ {2, kOwn,             "",                    0,   153},
    /* 196 */ {2, kOwn,             R"(\phi )",            74,  196},
    /* 197 */ {3, kOwn,             R"(\approx )",         0,   237},
    /* 198 */ {2, R"(\Delta )",     R"(\triangle )",       0,   235},
    /* 199 */ {2, kOwn,             R"(\ll )",             0,   199},
    /* 200 */ {2, kOwn,             R"(\gg )",             0,   200},
    /* 201 */ {2, R"(\ldots)",      R"(\ldots )",          0,   201},
    /* 202 */ {2, R"(~)",           R"(~)",                0,   202},
    /* 203 */ {2, R"(\`{A})",       R"(\otimes )",         0,   203},
    /* 204 */ {2, R"(\~{A})",       R"(\oplus )",          0,   204},
    /* 205 */ {2, R"(\~{O})",       "",                    0,   205},
    /* 206 */ {2, R"(\OE )",        R"(\Sigma )",          125, 226},
    /* 207 */ {2, R"(\oe )",        R"(\rightarrow )",     90,  239},
    /* 208 */ {2, R"(--)",          R"(--)",               0,   194},
    /* 209 */ {2, R"(---)",         R"(---)",              0,   209},
    /* 210 */ {2, R"(``)",          "",                    0,   210},
    /* 211 */ {2, R"('')",          "",                    0,   211},
    /* 212 */ {2, R"(`)",           "",                    0,   212},
    /* 213 */ {2, R"(')",           "",                    0,   213},
    /* 214 */ {2, kOwn,             R"(\div )",            6,   214},
    /* 215 */ {2, kOwn,             "",                    0,     2},
    /* 216 */ {2, R"(\"{y})",       R"(\kappa )",          55,  216},
    /* 217 */ {3, kOwn,             R"(\equiv )",          0,   217},
    /* 218 */ {2, kOwn,             "",                    0,   218},
    /* 219 */ {2, kOwn,             R"(\sigma )",          92,  167},
    /* 220 */ {2, kOwn,             R"(\rho )",            88,  168},
    /* 221 */ {2, kOwn,             R"(\gamma )",          43,  169},
    /* 222 */ {2, kOwn,             "",                    0,   222},
    /* 223 */ {2, kOwn,             "",                    0,   223},
    /* 224 */ {2, kOwn,             R"(\beta )",           18,  186},
    /* 225 */ {2, kOwn,             R"(\prime )",          0,   190},
    /* 226 */ {2, kOwn,             R"(\Theta )",          104, 183},
    /* 227 */ {2, kOwn,             R"(\zeta )",           113, 189},
    /* 228 */ {2, kOwn,             R"(\mathbb{R})",       0,   228},
    /* 229 */ {2, kOwn,             R"(\mathbb{C})",       0,   130},
    /* 230 */ {2, kOwn,             R"(\forall )",         0,   129},
    /* 231 */ {2, kOwn,             "",                    0,     1},
    /* 232 */ {2, kOwn,             R"(\mathbb{Q})",       0,   232},
    /* 233 */ {2, kOwn,             R"(\epsilon )",        37,  162},
    /* 234 */ {2, kOwn,             R"(\omega )",          70,  206},
    /* 235 */ {2, kOwn,             R"(\varphi )",         110, 160},
    /* 236 */ {2, kOwn,             R"(\Phi )",            75,  236},
    /* 237 */ {2, kOwn,             R"(\xi )",             111, 197},
    /* 238 */ {2, kOwn,             R"(\not\in )",         0,   238},
    /* 239 */ {2, kOwn,             R"(\theta )",          103, 207},
    /* 240 */ {2, kOwn,             "",                    0,   240},
    /* 241 */ {2, kOwn,             R"(\chi )",            20,  182},
    /* 242 */ {2, kOwn,             R"(\vdots )",          0,   242},
    /* 243 */ {2, R"(\partial)",    R"(\partial)",         0,   243},
    /* 244 */ {2, kOwn,             R"(\cdots)",           0,   244},
    /* 245 */ {2, kOwn,             "",                    0,   245},
    /* 246 */ {2, kOwn,             R"(\iota)",            124, 246},
    /* 247 */ {2, kOwn,             R"(\ddots)",           0,   247},
    /* 248 */ {2, kOwn,             R"(\Rightarrow )",     0,   248},
    /* 249 */ {2, kOwn,             "",                    0,   207},
    /* 250 */ {2, kOwn,             "",                    0,     5},
    /* 251 */ {2, kOwn,             "",                    0,   251},
    /* 252 */ {2, kOwn,             R"(\Lambda )",         0,   252},
    /* 253 */ {2, kOwn,             "",                    0,   158},
    /* 254 */ {2, kOwn,             "",                    0,   159},
    /* 255 */ {2, kOwn,             "",                    0,     8},
};

// Map values for bytes 0x7F to 0xFF; bytes below 0x7F map to themselves.
constexpr uint8_t kTextUpper[129] = {
    0xAD,
    0xB0, 0xB6, 0xE2, 0xC4, 0xE3, 0xC9, 0xA0, 0xE0, 0xF6, 0xE4, 0x05, 0xDC, 0xCE, 0xB9, 0xB2, 0xB3,
    0xB6, 0xD4, 0xD5, 0xD2, 0xD3, 0xA5, 0x1C, 0xD1, 0xF7, 0xAA, 0x06, 0xDD, 0xCF, 0xB7, 0xB8, 0xD9,
    0xCA, 0xC1, 0xA2, 0xA3, 0xDB, 0xB4, 0x1B, 0xA4, 0xAC, 0xA9, 0xBB, 0xC7, 0xC2, 0xD0, 0xA8, 0xF8,
    0xA1, 0xB1, 0x1A, 0x19, 0xAB, 0xB5, 0xA6, 0xE1, 0xFC, 0x17, 0xBC, 0xC8, 0x16, 0x15, 0x18, 0xC0,
    0xCB, 0xE7, 0xE5, 0xCC, 0x80, 0x81, 0xAE, 0x82, 0xE9, 0x83, 0xE6, 0xE8, 0xED, 0xEA, 0xEB, 0xEC,
    0x01, 0x84, 0xF1, 0xEE, 0xEF, 0xCD, 0x85, 0x1D, 0xAF, 0xF4, 0xF2, 0xF3, 0x86, 0x07, 0x0B, 0xA7,
    0x88, 0x87, 0x89, 0x8B, 0x8A, 0x8C, 0xBE, 0x8D, 0x8F, 0x8E, 0x90, 0x91, 0x93, 0x92, 0x94, 0x95,
    0x02, 0x96, 0x98, 0x97, 0x99, 0x9B, 0x9A, 0xD6, 0xBF, 0x9D, 0x9C, 0x9E, 0x9F, 0x04, 0x0C, 0xD8,
};

constexpr uint8_t kMathUpper[129] = {
    0x1B,
    0x1A, 0xB6, 0xE2, 0xC4, 0xE3, 0xC9, 0xA0, 0xE0, 0xF6, 0xE4, 0x05, 0xDC, 0xCE, 0x18, 0xCD, 0x16,
    0xBC, 0xD4, 0xD5, 0xD2, 0xD3, 0xA5, 0xD0, 0xD1, 0xF7, 0xAA, 0x06, 0xDD, 0xCF, 0x15, 0x17, 0xD9,
    0xCA, 0xC1, 0xA2, 0xA3, 0xDB, 0xB4, 0xC5, 0xA4, 0xAC, 0xA9, 0xBB, 0xC7, 0xC2, 0x1C, 0xA8, 0xF8,
    0xA1, 0xB1, 0xB0, 0xB3, 0xAB, 0xB5, 0xA6, 0xE1, 0xFC, 0xAD, 0xB2, 0xC8, 0xB9, 0xBA, 0xB7, 0xC0,
    0xCB, 0xE7, 0xE5, 0xCC, 0x80, 0x81, 0xAE, 0x82, 0xE9, 0x83, 0xE6, 0xE8, 0xED, 0xEA, 0xEB, 0xEC,
    0x19, 0x84, 0xF1, 0xEE, 0xEF, 0xC6, 0x85, 0x01, 0xAF, 0xF4, 0xF2, 0xF3, 0x86, 0x07, 0x0B, 0xA7,
    0x88, 0x87, 0x89, 0x8B, 0x8A, 0x8C, 0xBE, 0x8D, 0x8F, 0x8E, 0x90, 0xB8, 0xBD, 0x92, 0x94, 0x95,
    0x02, 0x96, 0x98, 0x97, 0x99, 0x9B, 0x9A, 0xD6, 0xBF, 0x9D, 0x9C, 0x9E, 0x9F, 0x04, 0x0C, 0xD8,
};
// clang-format on

constexpr std::array<std::array<char, 2>, 256> MakeOwnForms() {
    std::array<std::array<char, 2>, 256> forms{};
    for (size_t i = 0; i < forms.size(); ++i)
        forms[i] = {static_cast<char>(i), '\0'};
    return forms;
}

constexpr auto kOwnForms = MakeOwnForms();

constexpr const char* Own(size_t index) {
    return kOwnForms[index].data();
}

constexpr std::array<uint8_t, 256> MakeIndexMap(const uint8_t (&upper)[129]) {
    std::array<uint8_t, 256> map{};
    for (size_t b = 0; b < 0x7F; ++b)
        map[b] = static_cast<uint8_t>(b);
    for (size_t b = 0x7F; b < 256; ++b)
        map[b] = upper[b - 0x7F];
    return map;
}

// clang-format off
constexpr struct {
    char c;
    int32_t symbolIndex;
} kAsciiSymbols[] = {
    {'!', 42}, {'(', 1},  {')', 2},   {'*', 295}, {'+', 3},   {',', 4},  {'-', 5}, {'/', 6},
    {'<', 57}, {'=', 38}, {'>', 47},  {'?', 109}, {'[', 7},   {']', 8},  {'^', 127},
    {'{', 9},  {'}', 10},
};

// The printable characters that LaTeX reserves; every other one is its own form.
constexpr struct {
    char c;
    const char* textForm;
    const char* mathForm;
} kAsciiEscapes[] = {
    {'#',  R"(\#)",           R"(\#)"},
    {'$',  R"(\$)",           R"(\$)"},
    {'%',  R"(\%)",           R"(\%)"},
    {'&',  R"(\&)",           R"(\&)"},
    {'\\', R"($\backslash$)", R"(\backslash )"},
    {'^',  R"(\^{ })",        R"(\mbox{\^{ }})"},
    {'_',  R"(\_)",           R"(\_)"},
    {'{',  R"(\{)",           R"(\{)"},
    {'}',  R"(\})",           R"(\})"},
    {'~',  R"(\~{ })",        R"(\~{ })"},
};
// clang-format on

constexpr CharInfo AsciiInfo(size_t index) {
    const char c = static_cast<char>(index);
    CharInfo info(CC_OTHER, Own(index), Own(index), 0, static_cast<uint8_t>(index));
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))
        info.charClass = CC_LETTER;
    else if (c == '<' || c == '=' || c == '>')
        info.charClass = CC_RELATION;
    for (const auto& symbol : kAsciiSymbols) {
        if (symbol.c == c) info.symbolIndex = symbol.symbolIndex;
    }
    for (const auto& escape : kAsciiEscapes) {
        if (escape.c == c) {
            info.textForm = escape.textForm;
            info.mathForm = escape.mathForm;
        }
    }
    return info;
}

// Control codes: signs with no form, except the few that the math font draws as symbols.
constexpr CharInfo ControlInfo(size_t index) {
    const auto alt = static_cast<uint8_t>(index);
    switch (index) {
    case 1:
        return {CC_OTHER, "", R"(\Psi )", 85, alt};
    case 2:
        return {CC_OTHER, "", R"(\nabla )", 0, alt};
    case 4:
        return {CC_RELATION, "", R"(\in )", 0, alt};
    case 5:
        return {CC_OTHER, "", R"(\eta )", 40, alt};
    case 6:
        return {CC_OTHER, "", R"(\lambda )", 56, alt};
    case 9:
        return {CC_SPACE, " ", " ", 0, alt};
    default:
        return {CC_OTHER, "", "", 0, alt};
    }
}

constexpr std::array<CharInfo, 256> InitCharTable() {
    std::array<CharInfo, 256> table{};
    for (size_t i = 0; i < 32; ++i)
        table[i] = ControlInfo(i);
    table[32] = {CC_SPACE, " ", " ", 0, 32};
    for (size_t i = 33; i < 127; ++i)
        table[i] = AsciiInfo(i);
    table[127] = {CC_SPACE, "", "", 0, 127};
    for (size_t i = 128; i < 256; ++i) {
        const Row& row = kUpperRows[i - 128];
        table[i] = {static_cast<CharClass>(row.charClass), row.textForm ? row.textForm : Own(i),
                    row.mathForm ? row.mathForm : Own(i), row.symbolIndex, row.altCode};
    }
    return table;
}

} // namespace

constinit const std::array<CharInfo, 256> CharTable = InitCharTable();
constinit const std::array<uint8_t, 256> TextCharIndex = MakeIndexMap(kTextUpper);
constinit const std::array<uint8_t, 256> MathCharIndex = MakeIndexMap(kMathUpper);
