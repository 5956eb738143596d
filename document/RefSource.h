#pragma once

// The number of a numbered paragraph (section, list entry, numbered equation) and the references
// that show it. A numbered paragraph owns its source; a reference (`RefComp`) sits in any list,
// shows the source's current label and registers itself with the source, which never owns it.
// When the source goes, its references keep their last label and find their target again by
// the paragraph's identity.

#include "document/ParaStyle.h"
#include "document/Point.h"
#include "document/Rect.h"
#include "document/Str255.h"

#include <cstdint>
#include <vector>

class OutBuffer;
class ParaComp;
class ParaDocument;
class RefComp;

class RefSource {
public:
    explicit RefSource(ParaComp& owner) : m_owner(owner) {}
    // Detaches every reference: each takes its label one last time and forgets the target.
    ~RefSource();
    RefSource(const RefSource&) = delete;
    RefSource& operator=(const RefSource&) = delete;

    void AddReference(RefComp* reference);
    void RemoveReference(RefComp* reference);
    // True once any reference was added, even when all have gone since.
    bool IsReferenced() const { return m_referenced; }
    int32_t GetReferenceCount() const { return static_cast<int32_t>(m_references.size()); }

    // Lets the owner's style advance the running record for its kind; a changed number is
    // stored, relabelled and shown by every reference.
    void SetNumber(NumberRecord& running);
    const NumberRecord& GetNumber() const { return m_number; }
    // Marks every reference for layout (the paragraph changed documents).
    void Renumber();

    // The number as a reference shows it, bracketed for a reference from another document; in
    // the stored character set, like every label.
    Str31 FormatLabel(bool otherDocument) const;
    // A label as shown: in the text faces' character set (the section sign differs).
    static Str255 Shown(const Str31& label);
    const Str31& GetLabel() const { return m_label; }
    // The section number, then "." and the equation number when there is one.
    void WriteNumber(OutBuffer& out) const;
    // The name a LaTeX label and the references to it use, one per numbered paragraph of a
    // document: the number as WriteNumber writes it, which no other section or equation
    // shares; a list entry's number comes again in every list and after every equation, so
    // "item" and its paragraph's identity instead.
    Str31 GetLatexKey() const;
    // "\label{key} ", the blank included.
    void WriteLatexLabel(OutBuffer& out) const;

    // Measures and draws the label at the base size in the style's face.
    void Layout();
    void Draw();
    bool NeedsLayout() const { return m_needsLayout; }
    void SetOrigin(Point origin) { m_origin = origin; }
    Point GetOrigin() const { return m_origin; }
    Rect GetBounds() const { return m_bounds; }
    Rect GetFrame() const { return m_bounds.Shifted(m_origin); }

    ParaComp& GetOwner() const { return m_owner; }
    ParaDocument* GetDocument() const;

private:
    // What WriteNumber writes.
    Str31 NumberText() const;

    ParaComp& m_owner;
    std::vector<RefComp*> m_references; // not owned
    bool m_referenced = false;
    NumberRecord m_number;
    Str31 m_label;
    Point m_origin;
    Rect m_bounds;
    bool m_needsLayout = true;
};
