#pragma once

// Small stand-ins for the services the document model reaches through its seams: glyphs, the
// drawing port and the layout runs. Each installs itself with an `Installed` guard for the
// lifetime of the object and puts back what was installed before.
// Runs are deterministic: every character is 10 units wide, ink from -8 to 2.

#include "document/CompList.h"
#include "document/CompositeComp.h"
#include "document/DrawPort.h"
#include "document/GlyphSource.h"
#include "document/Layout.h"
#include "document/MathComp.h"
#include "document/OutBuffer.h"
#include "document/PlotShape.h"
#include "document/RunFactory.h"
#include "document/TextComp.h"
#include "mathbox/CharTable.h"

#include <array>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace fakes {

class Glyph final : public TextComp {
public:
    Glyph(int32_t face, uint8_t code) : m_face(face), m_code(code) {}
    void Destroy() override {}
    OwnedComponent Clone() const override { return OwnedComponent(const_cast<Glyph*>(this)); }
    TypeTag GetTypeTag() const override { return tags::Char; }
    uint8_t GetCharCode() const override { return m_code; }
    int32_t GetStyleId() const override { return m_face; }
    bool GetGlyphKey(GlyphKey& key) const override {
        key = {m_face, m_code};
        return true;
    }
    // Kernel input is the character itself.
    void WriteText(OutBuffer& out) override { out.PutChar(m_code); }

private:
    int32_t m_face;
    uint8_t m_code;
};

class GlyphSource final : public ::GlyphSource {
public:
    GlyphSource() {
        for (int32_t face = 0; face < 8; ++face)
            for (int code = 0; code < 256; ++code)
                m_glyphs[face][code] = std::make_unique<Glyph>(face, static_cast<uint8_t>(code));
    }
    TextComp* GetGlyph(int32_t face, uint8_t code) override {
        return face >= 0 && face < 8 ? m_glyphs[face][code].get() : nullptr;
    }

private:
    std::unique_ptr<Glyph> m_glyphs[8][256];
    Installed<::GlyphSource> m_installed{gGlyphSource, this};
};

inline constexpr int32_t kCharWidth = 10;

// Records the sizes pushed, the faces selected, the strings drawn and the rectangles
// invalidated, and answers fixed page geometry. Text measures by formula, the same in every
// face and size: each character `kCharWidth` wide, ink from -8 to 2 (the fake run's box), so
// layout arithmetic can be checked against exact figures.
class DrawPort final : public ::DrawPort {
public:
    void PushSize(int8_t size) override { sizes.push_back(size); }
    void PopSize() override {
        if (!sizes.empty()) sizes.pop_back();
    }
    int32_t GetLeftMargin() override { return leftMargin; }
    int32_t GetColumnWidth() override { return columnWidth; }

    bool IsPrinting() const override { return false; }
    bool CanInvert() const override { return false; }
    int32_t GetResolutionX() const override { return resolution; }
    int32_t GetResolutionY() const override { return resolution; }
    void SetFace(int32_t face) override { m_face = face; }
    int32_t GetFace() const override { return m_face; }
    void SetBaseSize(int32_t size) override { baseSize = size; }
    int32_t GetBaseSize() const override { return baseSize; }
    int32_t GetSizeIndex() const override { return 5; }
    int32_t GetPointSize() const override { return 14; }
    void SelectLabelFont(int32_t, bool) override {}
    Rect MeasureText(const Str255& text) override {
        measuredFaces.push_back(m_face);
        return Rect(0, -8, GetPrefixWidths(text).back(), 2);
    }
    Rect TextExtent(const Str255& text) override { return MeasureText(text); }
    Rect MeasureChar(uint8_t) override { return Rect(0, -8, kCharWidth, 2); }
    int32_t CharWidth(uint8_t) override { return kCharWidth; }
    std::vector<int16_t> GetPrefixWidths(const Str255& text) override {
        std::vector<int16_t> w(static_cast<size_t>(text.GetLength()) + 1);
        for (int i = 0; i < text.GetLength(); ++i)
            w[i + 1] =
                static_cast<int16_t>(w[i] + (text.GetAt(i) == ' ' ? blankWidth : kCharWidth));
        return w;
    }
    Rect MeasureBigSymbol(uint8_t) override { return {}; }
    int32_t GetSpacing() override { return spacing; }
    int32_t GetMathAxis() override { return 0; }
    int32_t GetBigDelimiterWidth() override { return 0; }
    bool NeedsBigDelimiters(int32_t, int32_t) override { return false; }
    Rect GetPlaceholderBox() override { return Rect(0, -10, 8, 2); }
    Rect GetGrayBox() override { return Rect(0, -10, 32, 2); }
    Rect GetCharBox() override { return {}; }
    int32_t GetNominalAscent() override { return 0; }
    int32_t GetNominalDescent() override { return 0; }
    void SetOrigin(Point) override {}
    Point GetOrigin() const override { return {}; }
    void MoveTo(Point point) override { m_pen = point; }
    void MoveBy(int32_t, int32_t) override {}
    Point GetPen() const override { return {}; }
    void LineBy(int32_t, int32_t) override {}
    void LineToPoint(Point) override {}
    void DrawChar(uint8_t) override {}
    void DrawString(const Str255& text) override {
        drawn.push_back({m_pen, text.ToCString(), m_face});
    }
    void DrawLinkText(const Str255& text) override {
        links.push_back({m_pen, text.ToCString(), m_face});
    }
    void DrawBigSymbol(uint8_t) override {}
    void DrawBigDelimiter(uint8_t, int32_t, int32_t) override {}
    void DrawSymbolPiece(uint8_t) override {}
    void DrawGrayBox(Point) override {}
    void DrawPlaceholderFrame(Point) override {}
    void DrawDot(Point) override {}
    void DrawEllipse(const Rect&) override {}
    void DrawFrame(const Rect&) override {}
    void EraseRect(const Rect&) override {}
    void InvertDocRect(const Rect&) override {}
    void InvertOrFrameRegion(const Region&, bool) override {}
    void FillRegionGray(const Region&) override {}
    void FillRegionBlack(const Region&) override {}
    void FillRegionBackground(const Region&) override {}
    void FrameRegionGray(const Region&) override {}
    void FrameRegionRed(const Region&) override {}
    void FrameRegionBlack(const Region&) override {}
    void EraseRegion(const Region&) override {}
    void SetClipRegion(const Region&) override {}
    void SetClipRect(const Rect&) override {}
    void ClearClip() override {}
    void InvalidateDocRect(const Rect& rect) override { invalidated.push_back(rect); }
    void DrawLabelAfter(Point, const Str255&) override {}
    void DrawLabelBefore(Point, const Str255&) override {}
    Rect LabelRectAfter(Point, const Str255&) override { return {}; }
    Rect LabelRectBefore(Point, const Str255&) override { return {}; }
    int32_t GetPageFormatIndex() const override { return 3; }
    int32_t GetTopMargin() override { return topMargin; }
    int32_t GetRightEdge() override { return rightEdge; }
    int32_t GetPrintMargin() override { return 56; }
    int32_t GetPrintableHeight() override { return printableHeight; }
    int32_t HimetricToPixelsX(int32_t value) override { return value; }
    int32_t HimetricToPixelsY(int32_t value) override { return value; }
    void PlayMetafile(const PictureBytes& picture, const Rect& rect) override {
        played.push_back({picture, rect});
    }

    struct Drawn {
        Point at;
        std::string text;
        int32_t face;
    };

    std::vector<int32_t> sizes;
    std::vector<int32_t> measuredFaces;
    std::vector<Drawn> drawn;
    std::vector<Drawn> links; // in the link colour
    struct Played {
        PictureBytes picture;
        Rect rect;
    };
    std::vector<Played> played;
    std::vector<Rect> invalidated;
    int32_t leftMargin = 21;
    int32_t topMargin = 21;
    int32_t printableHeight = 1000;
    int32_t columnWidth = 581;
    int32_t rightEdge = 549;
    int32_t resolution = 96;
    int32_t baseSize = 5;
    int32_t spacing = 4;
    // A face the platform refused measures its blanks as nothing.
    int32_t blankWidth = kCharWidth;

private:
    int32_t m_face = 0;
    Point m_pen;
    Installed<::DrawPort> m_installed{gDrawPort, this};
};

// One run kind with the acceptance rules of the real kinds, enough to check how a list groups
// its children. Characters hit-test by whole character cells.
class Run final : public Layout {
public:
    Run(TypeTag tag, CompList* list, int32_t start, int32_t face, int32_t count = 1)
        : Layout(start), m_tag(tag), m_list(list), m_face(face), m_count(count) {}
    Run(TextComp* comp, int32_t start) : Layout(start), m_tag(tags::StructureRun), m_comp(comp) {}

    TypeTag GetTypeTag() const override { return m_tag; }
    bool AddChar(uint8_t code, int32_t face) override {
        if (face != m_face || m_count >= capacity) return false;
        const int32_t cls = CharInfoFor(code, face).charClass;
        const int32_t mathCls = CharInfoFor(code, kMathFontKind).charClass;
        const bool fits =
            (m_tag == tags::WordRun && cls == CC_LETTER) ||
            (m_tag == tags::OperatorRun && (mathCls == CC_OTHER || mathCls == CC_RELATION)) ||
            (m_tag == tags::SpaceRun && code == ' ') || (m_tag == tags::TabRun && code == '\t');
        if (fits) ++m_count;
        return fits;
    }
    void Measure() override {
        if (failOnMeasure) throw std::runtime_error("measure failed");
        if (m_comp != nullptr) {
            m_comp->Layout();
            SetMeasured(m_comp->GetBounds());
        } else if (m_tag == tags::PlaceholderRun) {
            SetMeasured(Rect(0, -10, 8, 2));
        } else if (m_tag == tags::GrayRun) {
            SetMeasured(Rect(0, -10, 32, 2));
        } else {
            SetMeasured(Rect(0, -8, m_count * kCharWidth, 2));
        }
    }
    bool ContainsIndex(int32_t index) const override {
        if (m_tag == tags::GrayRun) return true;
        return index >= m_start && index < GetEnd();
    }
    void Draw() override {
        if (m_comp != nullptr) m_comp->Draw();
    }
    int32_t GetEnd() const override { return m_start + m_count; }
    Rect GetCaretRect(int32_t index) const override {
        Rect frame = GetFrame();
        frame.left += (index - m_start) * kCharWidth;
        frame.right = frame.left;
        return frame;
    }
    TextComp* ComponentAtPoint(Point point) override {
        if (m_comp != nullptr) return m_comp->FindAt(point);
        return m_list != nullptr ? m_list->GetAt(m_start + Cell(point)) : nullptr;
    }
    bool PosFromPoint(DocPos& out, Point point, bool) override {
        if (m_list == nullptr) return false;
        out.SetAt(m_list, m_start + Cell(point));
        return true;
    }

    int32_t GetCount() const { return m_count; }
    int32_t GetFace() const { return m_face; }

    static inline bool failOnMeasure = false;
    // How many characters a run takes before it refuses the next.
    static inline int32_t capacity = 31;

private:
    int32_t Cell(Point point) const { return (point.x - GetFrame().left) / kCharWidth; }

    TypeTag m_tag;
    CompList* m_list = nullptr;
    TextComp* m_comp = nullptr;
    int32_t m_face = 0;
    int32_t m_count = 1;
};

class RunFactory final : public ::RunFactory {
public:
    ~RunFactory() override {
        Run::failOnMeasure = false;
        Run::capacity = 31;
    }
    std::unique_ptr<Layout> NewPlaceholder(CompList* list, int32_t mode) override {
        placeholderModes.push_back(mode);
        return std::make_unique<Run>(tags::PlaceholderRun, list, 1, 0);
    }
    std::unique_ptr<Layout> NewGray(CompList* list) override {
        return std::make_unique<Run>(tags::GrayRun, list, 1, 0);
    }
    std::unique_ptr<Layout> NewStructure(TextComp* comp, int32_t start) override {
        return std::make_unique<Run>(comp, start);
    }
    std::unique_ptr<Layout> NewWord(CompList* list, int32_t start, uint8_t, int32_t face) override {
        return std::make_unique<Run>(tags::WordRun, list, start, face);
    }
    std::unique_ptr<Layout> NewOperator(CompList* list, int32_t start, uint8_t,
                                        int32_t face) override {
        return std::make_unique<Run>(tags::OperatorRun, list, start, face);
    }
    std::unique_ptr<Layout> NewSpace(CompList* list, int32_t start, int32_t face) override {
        return std::make_unique<Run>(tags::SpaceRun, list, start, face);
    }
    std::unique_ptr<Layout> NewTab(CompList* list, int32_t start, int32_t face) override {
        return std::make_unique<Run>(tags::TabRun, list, start, face);
    }

    std::vector<int32_t> placeholderModes;

private:
    Installed<::RunFactory> m_installed{gRunFactory, this};
};

// A one-list box of fixed size standing for any math box; counts its instances so tests can
// see that lists destroy what they own.
class Box : public CompositeComp {
public:
    explicit Box(TypeTag tag = tags::Fraction) : m_tag(tag) { ++alive; }
    explicit Box(CompArray&& children, TypeTag tag = tags::Fraction)
        : CompositeComp(std::move(children)), m_tag(tag) {
        ++alive;
    }
    ~Box() override { --alive; }

    OwnedComponent Clone() const override {
        return OwnedComponent(new Box(m_list->CopyChildren(), m_tag));
    }
    TypeTag GetTypeTag() const override { return m_tag; }
    void Write(DocStream& stream) const override { m_list->Write(stream); }
    void Read(DocStream& stream) override { m_list->Read(stream); }
    void Layout() override {
        ++layouts;
        m_bounds = Rect(0, -12, 20, 6);
        m_needsLayout = false;
    }

    int layouts = 0;
    static inline int alive = 0;

private:
    TypeTag m_tag;
};

// A plot with expression lists and nothing computed; the lists begin empty.
class Plot : public MathComp, public PlotShape {
public:
    explicit Plot(int32_t lists = 1) {
        for (int32_t n = 0; n < lists; ++n)
            AppendExpressionList(CompArray());
    }
    OwnedComponent Clone() const override { return OwnedComponent(new Plot()); }
    TypeTag GetTypeTag() const override { return tags::Plot2D; }
    bool IsPlot() const override { return true; }
    int32_t GetListCount() const override { return static_cast<int32_t>(m_lists.size()); }
    CompList* GetList(int32_t n) const override {
        return n >= 1 && n <= GetListCount() ? m_lists[static_cast<size_t>(n - 1)].get() : nullptr;
    }
    void AppendExpressionList(CompArray contents) override {
        m_lists.push_back(std::make_unique<CompList>(std::move(contents)));
        m_lists.back()->SetOwner(this, 0);
    }
    void RemoveLastExpressionList() override {
        if (!m_lists.empty()) m_lists.pop_back();
    }

private:
    std::vector<std::unique_ptr<CompList>> m_lists;
};

// Glyphs of one face for each character of the text.
inline std::vector<TextComp*> Chars(std::string_view text, int32_t face = 0) {
    std::vector<TextComp*> glyphs;
    for (char c : text)
        glyphs.push_back(gGlyphSource->GetGlyph(face, static_cast<uint8_t>(c)));
    return glyphs;
}

inline void AppendChars(CompList& list, std::string_view text, int32_t face = 0) {
    for (TextComp* glyph : Chars(text, face))
        list.Append(glyph);
}

// The tags of a list's runs, in order, as one string of four-character groups.
inline std::string RunTags(const CompList& list) {
    std::string tagsText;
    for (const Layout* run : list.GetRuns()) {
        const uint32_t v = run->GetTypeTag().Value();
        if (!tagsText.empty()) tagsText += ' ';
        for (int shift = 24; shift >= 0; shift -= 8)
            tagsText += static_cast<char>((v >> shift) & 0xFF);
    }
    return tagsText;
}

} // namespace fakes
