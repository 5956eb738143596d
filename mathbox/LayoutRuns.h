#pragma once

// The kinds of layout run a paragraph or a math list is laid out in: words, operators, blanks
// and tabs of one face, embedded components, line starts, empty-list placeholders, gray bars and
// equation labels. A run measures and draws itself through the drawing port with its face
// selected; it holds at most 31 characters, blanks or tabs, and refuses the 32nd.

#include "document/Layout.h"
#include "document/Str255.h"

#include <cstdint>
#include <vector>

class CompList;
class LayoutBuilder;
class RefSource;

// The face a math-face name is set in when the name table lists it as upright.
inline constexpr int32_t kUprightFace = 7;
inline constexpr int32_t kRunCapacity = 31;

// A run of one face measured through the port's prefix widths: characters, blanks or tabs. Its
// caret and hit rules are the same for all of them, once a blank run says what it measures.
class FaceRunLayout : public Layout {
public:
    FaceRunLayout(CompList* list, int32_t start, int32_t face)
        : Layout(start), m_list(list), m_face(face) {}

    bool ContainsIndex(int32_t index) const override;
    Rect GetCaretRect(int32_t index) const override;
    bool PosFromPoint(DocPos& out, Point point, bool nearest) override;
    TextComp* ComponentAtPoint(Point point) override;

    int32_t GetFace() const { return m_face; }

protected:
    // The text the run is measured as, and how many of its widths each character stands for.
    virtual Str255 MeasuredText() const = 0;
    virtual int32_t Scale() const { return 1; }

    CompList* m_list;
    int32_t m_face;

private:
    std::vector<int16_t> PrefixWidths() const;
};

// Characters of one face; the base of the word and operator runs, which decide what they take.
class CharacterLayout : public FaceRunLayout {
public:
    CharacterLayout(CompList* list, int32_t start, uint8_t code, int32_t face);

    bool AddChar(uint8_t code, int32_t face) override;
    bool IsCharacterRun() const override { return true; }
    void Measure() override;
    void Draw() override;
    int32_t GetEnd() const override { return m_start + m_text.GetLength(); }
    bool IsSame(const Layout& other) const override;

    const Str31& GetText() const { return m_text; }

protected:
    // Whether the base rules let a character of `face` join: room left and the same face.
    bool HasRoomFor(int32_t face) const;
    Str255 MeasuredText() const override { return Str255(m_text.View()); }

    Str31 m_text;
};

class WordLayout final : public CharacterLayout {
public:
    using CharacterLayout::CharacterLayout;
    bool AddChar(uint8_t code, int32_t face) override;
    bool CanMerge(const Layout& next, bool allowSpaces) const override;
    void Merge(std::unique_ptr<Layout> next) override;
    // A built-in name in the math face is measured (and drawn) upright.
    void Measure() override;
    bool CanBreakBefore(const Layout& other) const override;
    TypeTag GetTypeTag() const override { return tags::WordRun; }
};

class OperatorLayout final : public CharacterLayout {
public:
    using CharacterLayout::CharacterLayout;
    bool AddChar(uint8_t code, int32_t face) override;
    bool CanBreakBefore(const Layout& other) const override;
    TypeTag GetTypeTag() const override { return tags::OperatorRun; }
};

// A stretch of blanks or of tabs; a tab is as wide as two blanks.
class WhiteLayout : public FaceRunLayout {
public:
    WhiteLayout(CompList* list, int32_t start, int32_t face, uint8_t code);

    bool AddChar(uint8_t code, int32_t face) override;
    bool IsWhiteRun() const override { return true; }
    void Measure() override;
    // Draws nothing, not even the background: its frame reaches the line's full height, and
    // erasing it would cut off what overhangs into it (an italic letter before a blank).
    // Whoever redraws in place erases the paragraph's area first.
    int32_t GetEnd() const override { return m_start + m_count; }
    bool IsSame(const Layout& other) const override;
    bool CanBreakBefore(const Layout&) const override { return false; }

    int32_t GetCount() const { return m_count; }

protected:
    // The blanks the run is measured as: one per character.
    Str255 MeasuredText() const override;
    int32_t Scale() const override { return m_code == '\t' ? 2 : 1; }

private:
    int32_t m_count = 1;
    uint8_t m_code;
};

class SpaceLayout final : public WhiteLayout {
public:
    SpaceLayout(CompList* list, int32_t start, int32_t face)
        : WhiteLayout(list, start, face, ' ') {}
    TypeTag GetTypeTag() const override { return tags::SpaceRun; }
};

class TabLayout final : public WhiteLayout {
public:
    TabLayout(CompList* list, int32_t start, int32_t face) : WhiteLayout(list, start, face, '\t') {}
    TypeTag GetTypeTag() const override { return tags::TabRun; }
};

// One embedded component (a math box, a plot, a picture, a link, a reference).
class StructureLayout final : public Layout {
public:
    StructureLayout(TextComp* comp, int32_t start) : Layout(start), m_comp(comp) {}

    void Measure() override;
    void SetOrigin(Point point) override;
    void Offset(Point by) override;
    void Draw() override;
    TextComp* ComponentAtPoint(Point point) override;
    bool PosFromPoint(DocPos& out, Point point, bool nearest) override;
    // The component's own width over the line's height: the room a line's end adds to the frame
    // is for clicks, and a caret after the component stands at its right edge.
    Rect GetCaretRect(int32_t index) const override;
    // True from a layout of the component until `IsSame` has reported it once.
    bool IsChanged() const override { return m_changed; }
    bool IsSame(const Layout& other) const override;
    bool CanBreakBefore(const Layout& other) const override;
    TypeTag GetTypeTag() const override { return tags::StructureRun; }

    TextComp* GetComponent() const { return m_comp; }

private:
    TextComp* m_comp; // owned by the list
    mutable bool m_changed = false;
};

// The start of a line: the indentation, whose width the paragraph's builder gives. Its line box
// becomes the line's vertical extent, and it carries the width of the whole line.
class LineLayout final : public Layout {
public:
    LineLayout(CompList* list, int32_t start, LayoutBuilder& builder)
        : Layout(start), m_list(list), m_builder(builder) {}

    bool IsLineRun() const override { return true; }
    // The indentation holds no child: the caret before the line's first child is that child's
    // run's, where the text starts, even when centring puts the text far from the margin.
    bool ContainsIndex(int32_t) const override { return false; }
    void Measure() override;
    bool PosFromPoint(DocPos& out, Point point, bool nearest) override;
    TypeTag GetTypeTag() const override { return tags::LineRun; }

    int32_t GetLineWidth() const { return m_lineWidth; }
    void SetLineWidth(int32_t width) { m_lineWidth = width; }

private:
    CompList* m_list;
    LayoutBuilder& m_builder;
    int32_t m_lineWidth = 0;
};

// An empty list: the placeholder box, framed when `shown` is 1.
class PlaceholderLayout final : public Layout {
public:
    PlaceholderLayout(CompList* list, int32_t shown) : Layout(1), m_list(list), m_shown(shown) {}
    void Measure() override;
    void Draw() override;
    bool PosFromPoint(DocPos& out, Point point, bool nearest) override;
    TypeTag GetTypeTag() const override { return tags::PlaceholderRun; }

private:
    CompList* m_list;
    int32_t m_shown;
};

// A list too wide to show, as one gray bar that stands for every position in it.
class GrayLayout final : public Layout {
public:
    explicit GrayLayout(CompList* list) : Layout(1), m_list(list) {}
    void Measure() override;
    void Draw() override;
    bool ContainsIndex(int32_t) const override { return true; }
    int32_t GetEnd() const override;
    bool PosFromPoint(DocPos& out, Point point, bool nearest) override;
    TypeTag GetTypeTag() const override { return tags::GrayRun; }

private:
    CompList* m_list;
};

// The number of a numbered paragraph, drawn by its source.
class LabelLayout final : public Layout {
public:
    LabelLayout(RefSource& label, CompList* list) : Layout(0), m_label(label), m_list(list) {}
    void Measure() override;
    void SetOrigin(Point point) override;
    void Offset(Point by) override;
    void Draw() override;
    bool PosFromPoint(DocPos& out, Point point, bool nearest) override;
    bool IsChanged() const override { return true; }
    bool IsSame(const Layout& other) const override;
    bool CanBreakBefore(const Layout&) const override { return false; }
    TypeTag GetTypeTag() const override { return tags::LabelRun; }

    RefSource& GetLabel() const { return m_label; }

private:
    RefSource& m_label;
    CompList* m_list;
};

// Which character a point lies on, and the caret position it chooses, from a run's prefix
// widths `w` (w[0] = 0, w[n] the run's width) and the point's offset `d` from the run's origin.
int32_t CaretIndexAt(const std::vector<int16_t>& w, int32_t d, bool nearest);
int32_t CharIndexAt(const std::vector<int16_t>& w, int32_t d);
