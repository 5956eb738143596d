#pragma once

// The four-character code by which every component, layout run and stored record says what kind
// it is. The characters are packed big-endian into 32 bits and padded on the right with blanks,
// so "Sum" and "Sum " are one tag. The packed value is what the document stream stores.

#include <cstdint>
#include <string>

class TypeTag {
public:
    constexpr TypeTag() = default;

    // At most the first four characters of the NUL-terminated name are used.
    constexpr explicit TypeTag(const char* name) {
        int taken = 0;
        for (; taken < 4 && name[taken] != '\0'; ++taken)
            m_value = (m_value << 8) | static_cast<uint8_t>(name[taken]);
        for (; taken < 4; ++taken)
            m_value = (m_value << 8) | 0x20u;
    }

    static constexpr TypeTag FromValue(uint32_t value) {
        TypeTag tag;
        tag.m_value = value;
        return tag;
    }

    constexpr uint32_t Value() const { return m_value; }

    friend constexpr bool operator==(TypeTag, TypeTag) = default;

private:
    uint32_t m_value = 0;
};

// For messages: "Frac" in quotes, or the hexadecimal value when a byte is not printable.
inline std::string DescribeTag(TypeTag tag) {
    const uint32_t value = tag.Value();
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const auto c = static_cast<char>(value >> shift);
        if (c < 0x20 || c > 0x7E) {
            static constexpr char kHex[] = "0123456789ABCDEF";
            text = "0x";
            for (int nibble = 28; nibble >= 0; nibble -= 4)
                text.push_back(kHex[(value >> nibble) & 0xF]);
            return text;
        }
        text.push_back(c);
    }
    return '"' + text + '"';
}

// The shared list of tags. The first 38 ("null" to "line") are the component and layout
// vocabulary; the last nine are the graphics-node tags of plot results. Expression nodes carry
// tags of their own.
namespace tags {
inline constexpr TypeTag Null{"null"};
inline constexpr TypeTag Plot3D{"3Plt"};
inline constexpr TypeTag Plot2D{"2Plt"};
inline constexpr TypeTag Char{"Char"};
inline constexpr TypeTag Exponent{"Expo"};
inline constexpr TypeTag EquationSet{"eqSt"};
inline constexpr TypeTag CharBlock{"chBk"};
inline constexpr TypeTag TotalDerivative{"totD"};
inline constexpr TypeTag PartialDerivative{"parD"};
inline constexpr TypeTag Split{"splF"};
inline constexpr TypeTag BraceGroup{"brcG"};
inline constexpr TypeTag ParenGroup{"parG"};
inline constexpr TypeTag Table{"Tabl"};
inline constexpr TypeTag Fraction{"Frac"};
inline constexpr TypeTag Subscript{"Subs"};
inline constexpr TypeTag Matrix{"Matr"};
inline constexpr TypeTag AbsValue{"AbsV"};
inline constexpr TypeTag Missing{"Miss"};
inline constexpr TypeTag Overbar{"Over"};
inline constexpr TypeTag Integral{"Inte"};
inline constexpr TypeTag Product{"Prod"};
inline constexpr TypeTag Sum{"Sum "};
inline constexpr TypeTag Radical{"Sqrt"};
inline constexpr TypeTag Limit{"Limt"};
inline constexpr TypeTag Reference{"Ref "};
inline constexpr TypeTag Paragraph{"Para"};
inline constexpr TypeTag Link{"Link"};
inline constexpr TypeTag Metafile{"Meta"};
inline constexpr TypeTag None{"none"};
inline constexpr TypeTag PlaceholderRun{"plac"};
inline constexpr TypeTag GrayRun{"gray"};
inline constexpr TypeTag WordRun{"word"};
inline constexpr TypeTag SpaceRun{"spcL"};
inline constexpr TypeTag TabRun{"tabL"};
inline constexpr TypeTag OperatorRun{"nonA"};
inline constexpr TypeTag StructureRun{"strL"};
inline constexpr TypeTag LabelRun{"labl"};
inline constexpr TypeTag LineRun{"line"};
inline constexpr TypeTag ListNode{"lisN"};
inline constexpr TypeTag SymbolNode{"symN"};
inline constexpr TypeTag StringNode{"strN"};
inline constexpr TypeTag GraphicsNode{"grfN"};
inline constexpr TypeTag LineNode{"linN"};
inline constexpr TypeTag PointNode{"poiN"};
inline constexpr TypeTag TextNode{"texN"};
inline constexpr TypeTag SurfaceNode{"surN"};
inline constexpr TypeTag PolygonNode{"plyN"};
} // namespace tags
