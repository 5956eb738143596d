#pragma once

// How expression nodes build display boxes without knowing the math boxes: the math-box layer
// implements BoxFactory and installs it in `gBoxFactory` with an `Installed` guard. One-character
// glyphs come from the document's shared glyph source.
//
// Boxes travel in BoxLists that own them. A box made from lists takes their boxes over.

#include "document/TextComp.h"
#include "platform/Installed.h"

#include <cstdint>
#include <vector>

// The faces glyphs are drawn in: the math face for numbers, symbols, operators and
// punctuation, a text face for strings.
inline constexpr int32_t kMathGlyphFace = 3;
inline constexpr int32_t kTextGlyphFace = 0;

class BoxList {
public:
    BoxList() = default;
    BoxList(BoxList&&) = default;
    BoxList& operator=(BoxList&&) = default;

    void Add(OwnedComponent box) {
        if (box) m_boxes.push_back(std::move(box));
    }
    // The shared glyph of a character code in a face.
    void AddGlyph(uint8_t code, int32_t face = kMathGlyphFace);
    // The glyphs of each character of a text, in the math face.
    void AddGlyphs(std::string_view text, int32_t face = kMathGlyphFace);
    void Append(BoxList&& other);

    int32_t Count() const { return static_cast<int32_t>(m_boxes.size()); }
    bool IsEmpty() const { return m_boxes.empty(); }
    TextComp* At(int32_t index) const { return m_boxes[static_cast<size_t>(index)].get(); }
    // Hands the boxes out in order; the list is left empty.
    std::vector<OwnedComponent> Release() { return std::move(m_boxes); }

private:
    std::vector<OwnedComponent> m_boxes;
};

class BoxFactory {
public:
    virtual ~BoxFactory() = default;

    virtual OwnedComponent FracComp(BoxList numerator, BoxList denominator) = 0;
    // Raised after the box before it in the same line.
    virtual OwnedComponent ExpoComp(BoxList exponent) = 0;
    // Lowered after the box before it in the same line.
    virtual OwnedComponent SubsComp(BoxList script) = 0;
    // A root of the given index, or a square root when `hasIndex` is false.
    virtual OwnedComponent SqrtComp(BoxList radicand, BoxList index, bool hasIndex) = 0;
    virtual OwnedComponent ParenComp(BoxList contents) = 0;
    virtual OwnedComponent BracketComp(BoxList contents) = 0;
    virtual OwnedComponent AbsVComp(BoxList contents) = 0;
    virtual OwnedComponent OverComp(BoxList contents) = 0;
    // "lim" with the condition beneath.
    virtual OwnedComponent LimitComp(BoxList condition) = 0;
    // The summation or product sign with its bounds; no upper bound when `hasUpper` is false.
    virtual OwnedComponent SumComp(BoxList upper, BoxList lower, bool hasUpper) = 0;
    virtual OwnedComponent ProdComp(BoxList upper, BoxList lower, bool hasUpper) = 0;
    // The integral sign, the integrand and d followed by the variable; with bounds when
    // `hasBounds` is true.
    virtual OwnedComponent InteComp(BoxList integrand, BoxList variable, BoxList upper,
                                    BoxList lower, bool hasBounds) = 0;
    // d/dx of an operand: the variable with its power (empty for none).
    virtual OwnedComponent TotalDerivativeBox(BoxList variable, BoxList power, BoxList operand) = 0;
    // The partial derivative of an operand in several variables, each with its power.
    struct DerivativeVariable {
        BoxList variable;
        BoxList power;
    };
    virtual OwnedComponent PartialDerivativeBox(std::vector<DerivativeVariable> variables,
                                                BoxList operand) = 0;
    // A matrix grid, filled row by row; each row holds one box list per cell.
    virtual OwnedComponent MatrixBox(std::vector<std::vector<BoxList>> rows) = 0;
    // A ruled table, given by its columns, each a run of cells from the top.
    virtual OwnedComponent TableBox(std::vector<std::vector<BoxList>> columns) = 0;
    // The equations of a set, one per cell, in order.
    virtual OwnedComponent EquationSetBox(std::vector<BoxList> equations) = 0;
    // Each value beside its condition.
    virtual OwnedComponent PiecewiseBox(std::vector<BoxList> values,
                                        std::vector<BoxList> conditions) = 0;
};

// The installed factory; without one, nodes build no boxes but glyphs. Not owned here.
extern ServiceSlot<BoxFactory> gBoxFactory;
