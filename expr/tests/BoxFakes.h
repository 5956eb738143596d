#pragma once

// A recording box factory and glyph source: every box remembers what it was made of, and
// Describe shows a list of boxes as text, glyphs as their characters (codes above 0x7E as
// <xNN>) and made boxes as Name{part|part}. Boxes also write plain text, so the default text
// of a node can be read.

#include "document/GlyphSource.h"
#include "document/OutBuffer.h"
#include "document/TextComp.h"
#include "expr/BoxFactory.h"
#include "expr/ExprNode.h"

#include <array>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace exprtest {

std::string Describe(const TextComp& box);

inline std::string DescribeAll(const std::vector<OwnedComponent>& boxes) {
    std::string out;
    for (const OwnedComponent& box : boxes)
        out += Describe(*box);
    return out;
}

class FakeGlyph final : public TextComp {
public:
    FakeGlyph(int32_t face, uint8_t code) : m_face(face), m_code(code) {}
    void Destroy() override {}
    OwnedComponent Clone() const override { return OwnedComponent(const_cast<FakeGlyph*>(this)); }
    TypeTag GetTypeTag() const override { return tags::Char; }
    uint8_t GetCharCode() const override { return m_code; }
    int32_t GetStyleId() const override { return m_face; }
    void WriteText(OutBuffer& out) override { out.PutChar(m_code); }

private:
    int32_t m_face;
    uint8_t m_code;
};

class FakeBox final : public TextComp {
public:
    FakeBox(std::string name, std::vector<BoxList> parts) : m_name(std::move(name)) {
        for (BoxList& part : parts)
            m_parts.push_back(part.Release());
    }
    OwnedComponent Clone() const override { return nullptr; }
    void WriteText(OutBuffer& out) override {
        const char* open = m_name == "Paren" ? "(" : m_name == "Bracket" ? "[" : "";
        const char* close = m_name == "Paren" ? ")" : m_name == "Bracket" ? "]" : "";
        if (m_name == "Expo") out.PutChar('^');
        if (m_name == "Sqrt") out.PutString("sqrt(");
        out.PutString(open);
        for (size_t i = 0; i < m_parts.size(); ++i) {
            if (i > 0) out.PutChar(m_name == "Frac" ? '/' : ',');
            for (const OwnedComponent& box : m_parts[i])
                box->WriteText(out);
        }
        out.PutString(close);
        if (m_name == "Sqrt") out.PutChar(')');
    }

    std::string Describe() const {
        std::string out = m_name + "{";
        for (size_t i = 0; i < m_parts.size(); ++i)
            out += (i ? "|" : "") + DescribeAll(m_parts[i]);
        return out + "}";
    }

private:
    std::string m_name;
    std::vector<std::vector<OwnedComponent>> m_parts;
};

inline std::string Describe(const TextComp& box) {
    if (const auto* made = dynamic_cast<const FakeBox*>(&box)) return made->Describe();
    const uint8_t code = box.GetCharCode();
    if (code >= 0x20 && code < 0x7F) return std::string(1, static_cast<char>(code));
    char hex[8];
    std::snprintf(hex, sizeof hex, "<x%02X>", code);
    return hex;
}

// Installs itself as the glyph source and the box factory for its lifetime.
class FakeBoxes final : public GlyphSource, public BoxFactory {
public:
    FakeBoxes() : m_glyphScope(gGlyphSource, this), m_factoryScope(gBoxFactory, this) {}

    TextComp* GetGlyph(int32_t face, uint8_t code) override {
        if (face < 0 || face > 7) return nullptr;
        auto& slot = m_glyphs[static_cast<size_t>(face)][code];
        if (!slot) slot = std::make_unique<FakeGlyph>(face, code);
        return slot.get();
    }

    OwnedComponent FracComp(BoxList n, BoxList d) override { return Make("Frac", n, d); }
    OwnedComponent ExpoComp(BoxList e) override { return Make("Expo", e); }
    OwnedComponent SubsComp(BoxList s) override { return Make("Subs", s); }
    OwnedComponent SqrtComp(BoxList r, BoxList i, bool hasIndex) override {
        return hasIndex ? Make("Root", r, i) : Make("Sqrt", r);
    }
    OwnedComponent ParenComp(BoxList c) override { return Make("Paren", c); }
    OwnedComponent BracketComp(BoxList c) override { return Make("Bracket", c); }
    OwnedComponent AbsVComp(BoxList c) override { return Make("AbsV", c); }
    OwnedComponent OverComp(BoxList c) override { return Make("Over", c); }
    OwnedComponent LimitComp(BoxList c) override { return Make("Limit", c); }
    OwnedComponent SumComp(BoxList u, BoxList l, bool hasUpper) override {
        return hasUpper ? Make("Sum", l, u) : Make("Sum", l);
    }
    OwnedComponent ProdComp(BoxList u, BoxList l, bool hasUpper) override {
        return hasUpper ? Make("Prod", l, u) : Make("Prod", l);
    }
    OwnedComponent InteComp(BoxList f, BoxList x, BoxList u, BoxList l, bool bounds) override {
        return bounds ? Make("Inte", f, x, l, u) : Make("Inte", f, x);
    }
    OwnedComponent TotalDerivativeBox(BoxList v, BoxList p, BoxList f) override {
        return Make("totD", v, p, f);
    }
    OwnedComponent PartialDerivativeBox(std::vector<DerivativeVariable> vs, BoxList f) override {
        BoxList all;
        for (auto& v : vs)
            all.Add(Make("Var", v.variable, v.power));
        return Make("parD", all, f);
    }
    OwnedComponent MatrixBox(std::vector<std::vector<BoxList>> rows) override {
        return Grid("Matr", "Row", std::move(rows));
    }
    OwnedComponent TableBox(std::vector<std::vector<BoxList>> columns) override {
        return Grid("Tabl", "Col", std::move(columns));
    }
    OwnedComponent EquationSetBox(std::vector<BoxList> equations) override {
        return OwnedComponent(new FakeBox("eqSt", std::move(equations)));
    }
    OwnedComponent PiecewiseBox(std::vector<BoxList> values,
                                std::vector<BoxList> conditions) override {
        std::vector<std::vector<BoxList>> lines;
        lines.push_back(std::move(values));
        lines.push_back(std::move(conditions));
        return Grid("splF", "Line", std::move(lines));
    }

private:
    // Lines of cells are shown as Line{cell|cell} inside Name{...}.
    static OwnedComponent Grid(const char* name, const char* line,
                               std::vector<std::vector<BoxList>> lines) {
        BoxList all;
        for (auto& cells : lines)
            all.Add(OwnedComponent(new FakeBox(line, std::move(cells))));
        return Make(name, all);
    }

    template <typename... Lists>
    static OwnedComponent Make(const char* name, Lists&... lists) {
        std::vector<BoxList> parts;
        (parts.push_back(std::move(lists)), ...);
        return OwnedComponent(new FakeBox(name, std::move(parts)));
    }

    std::array<std::array<std::unique_ptr<FakeGlyph>, 256>, 8> m_glyphs;
    Installed<GlyphSource> m_glyphScope;
    Installed<BoxFactory> m_factoryScope;
};

// The boxes a node builds at a level, as text.
inline std::string BoxesOf(ExprNode& node, int32_t level = 1) {
    BoxList boxes;
    node.BuildBoxes(boxes, level);
    return DescribeAll(boxes.Release());
}

} // namespace exprtest
