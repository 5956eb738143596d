#pragma once

// What a paragraph asks of its style. The eight styles (0 Title, 1 Section, 2 Heading,
// 3 Paragraph, 4 List Entry, 5 Plain Equation, 6 Numbered Equation, 7 Source Code) are shared
// objects of one table, which the layout subsystem builds at start-up and installs in
// `gParaStyles` with an `Installed` guard; a paragraph only points at its style, so the model
// links no layout code. GUI thread only.

#include "document/Point.h"
#include "document/Str255.h"
#include "platform/Installed.h"

#include <cstdint>

class ParaComp;

// The running number record that numbering passes through a document's paragraphs in order.
struct NumberRecord {
    int32_t section = 0;  // sections
    int32_t equation = 0; // numbered equations
    int32_t list = 0;     // list entries since the last break in the list
    bool operator==(const NumberRecord&) const = default;
};

class ParaStyle {
public:
    static constexpr int32_t kTitle = 0;
    static constexpr int32_t kSection = 1;
    static constexpr int32_t kHeading = 2;
    static constexpr int32_t kParagraph = 3;
    static constexpr int32_t kListEntry = 4;
    static constexpr int32_t kPlainEquation = 5;
    static constexpr int32_t kNumberedEquation = 6;
    static constexpr int32_t kSourceCode = 7;

    virtual ~ParaStyle() = default;

    // The style number, which is also its index in the table.
    virtual int32_t GetKind() const = 0;
    // The face of the style's text and labels, and the face for ordinary characters typed in it.
    virtual int32_t GetFace() const = 0;
    virtual int32_t GetTextFace() const = 0;
    // The size that laying out and drawing the paragraph push (negative is larger type); the
    // paragraph's list keeps it as its size level.
    virtual int8_t GetRelativeSize(const ParaComp& para) const = 0;
    // Whether paragraphs of the style carry a number (and so a number source).
    virtual bool IsNumbered() const = 0;
    // Whether the number follows the paragraph's content rather than preceding it.
    virtual bool HasTrailingLabel() const = 0;

    // Builds the paragraph's runs and lines into its list's run array, which must be empty,
    // between the two x limits; `previous` is the paragraph before it, or null.
    virtual void BuildLines(ParaComp& para, const ParaComp* previous, int32_t left,
                            int32_t right) = 0;
    // Places the built lines with the paragraph's frame starting at `start` (its top left).
    virtual void PlaceLines(ParaComp& para, Point start) = 0;

    // Steps the running record for a paragraph of this style.
    virtual void AdvanceCounter(NumberRecord& record) const = 0;
    // The number as the paragraph shows it ("3.", "(2)"); empty for unnumbered styles.
    virtual Str31 GetNumberText(const NumberRecord& record) const = 0;
    // The number as a reference shows it; `brackets` for a reference from another document.
    virtual Str31 GetReferenceText(const NumberRecord& record, bool brackets) const = 0;
};

class ParaStyleTable {
public:
    virtual ~ParaStyleTable() = default;
    // The style of a number; any number outside 0 to 7 gives the Paragraph style.
    virtual ParaStyle& GetStyle(int32_t number) = 0;
};

// The installed table; not owned here.
extern ServiceSlot<ParaStyleTable> gParaStyles;
