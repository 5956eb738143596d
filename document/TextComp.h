#pragma once

// The base class of every document component: paragraphs, character blocks, links, references,
// pictures, plots and every math box. Its virtual operations are the one contract through which
// layout, drawing, hit-testing, caret movement, key handling, conversion to kernel expressions,
// export and storage reach a component without knowing its kind.
//
// Ownership: a component is owned by the one `CompList` that holds it (at the top, by the
// document's paragraph list) and is copied only through `Clone`, never shared, with one
// exception: characters (tag "Char") are shared objects of the style manager's faces; their
// `Destroy` does nothing and their `Clone` returns the same object. Removing a component from a
// list and deleting it are separate steps, so undo actions can hold removed components; delete
// through `Destroy`, never with `delete`. Whatever hands a component out (a clone, the factory,
// the stream reader, a list giving up a child) hands it out in an `OwnedComponent`, whose end
// calls `Destroy`.

#include "document/DocPos.h"
#include "document/OwningArray.h"
#include "document/Point.h"
#include "document/Rect.h"
#include "document/TypeTag.h"
#include "platform/Installed.h"

#include <cstdint>
#include <memory>

class CompList;
class DocStream;
class ExprNode;
class LatexWriter;
class OutBuffer;
class ParaComp;
class TextComp;

// What names a shared character: the face and the code by which the glyph source hands it out.
struct GlyphKey {
    int32_t face;
    uint8_t code;
};

// Disposes of a component through `Destroy`; null is ignored.
struct ComponentDestroyer {
    void operator()(TextComp* comp) const noexcept;
};
// A component that belongs to no list yet.
using OwnedComponent = std::unique_ptr<TextComp, ComponentDestroyer>;
// Components handed out or taken in bulk, in order.
using CompArray = OwningArray<TextComp, ComponentDestroyer>;

// An array that holds `comp` alone.
inline CompArray CompArrayOf(OwnedComponent comp) {
    CompArray array;
    array.Add(std::move(comp));
    return array;
}

class TextComp {
public:
    TextComp() = default;
    TextComp(const TextComp&) = delete;
    TextComp& operator=(const TextComp&) = delete;

    // Deletes the component; shared characters override it with nothing.
    virtual void Destroy() { delete this; }
    // A deep copy, children included.
    virtual OwnedComponent Clone() const = 0;

    virtual bool NeedsLayout() const { return false; }
    // Marks this component and, through its parent list, every enclosing list and component up
    // to the paragraph.
    virtual void InvalidateLayout() {}
    // Marks this component and all its descendants.
    virtual void InvalidateAll() {}
    // Computes the size and the placement of the children; clears the needs-layout mark.
    virtual void Layout() {}
    virtual void SetOrigin(Point) {}
    virtual Point GetOrigin() const { return {}; }
    // Bounds are relative to the origin, whose y is the baseline.
    virtual void SetBounds(const Rect&) {}
    virtual Rect GetBounds() const { return {}; }
    virtual int32_t GetWidth() const { return 0; }
    // The bounds moved by the origin: what the component covers in its parent's coordinates.
    virtual Rect GetFrame() const { return {}; }
    // All four edges of the frame are inside.
    virtual bool ContainsPoint(Point) const { return false; }
    // The caret position for a point: before the component in its parent list, or after it when
    // `rightHalf` is set and the point lies right of the frame's middle.
    virtual DocPos PosFromPoint(Point point, bool rightHalf);
    // The innermost component at a point; null where none is, as beside the text of a
    // paragraph or of a plot's function row.
    virtual TextComp* FindAt(Point) { return this; }
    virtual void Draw() {}
    virtual TypeTag GetTypeTag() const { return tags::Null; }
    // Structural equality; by default same tag and same character code.
    virtual bool IsEqual(const TextComp& other) const;
    virtual bool IsCharBlock() const { return false; }
    virtual bool IsGridBox() const { return false; }
    // Every component class answers false; the slot is kept for the contract's shape.
    virtual bool ReservedPredicate() const { return false; }
    virtual bool IsPlot() const { return false; }
    virtual void SetParent(CompList*) {}
    virtual CompList* GetParent() const { return nullptr; }
    // The paragraph that holds the component at any depth; a paragraph answers itself.
    virtual ParaComp* GetParagraph() const;
    virtual uint8_t GetCharCode() const { return 0; }
    // A new expression tree that the caller owns and deletes, or null when the component has
    // no expression.
    virtual ExprNode* ToExpression() { return nullptr; }

    // Child lists are numbered from 1. The caret-movement queries answer the list that the caret
    // enters when it leaves `from` in that direction (null `from`: entering from outside), or
    // null when it leaves the component.
    virtual CompList* GetList(int32_t) const { return nullptr; }
    virtual int32_t GetListCount() const { return 0; }
    virtual CompList* ListLeftOf(const CompList* /*from*/) const { return nullptr; }
    virtual CompList* ListRightOf(const CompList* /*from*/) const { return nullptr; }
    virtual CompList* ListAbove(const CompList* /*from*/) const { return nullptr; }
    virtual CompList* ListBelow(const CompList* /*from*/) const { return nullptr; }
    // 1-based number of a child list, 0 when it is not one.
    virtual int32_t IndexOfList(const CompList*) const { return 0; }

    virtual void WriteLatex(LatexWriter&) {}
    // Kernel input text.
    virtual void WriteText(OutBuffer&) {}
    // The component's own body inside its stream record; the record framing is the stream's.
    virtual void Write(DocStream&) const {}
    virtual void Read(DocStream&) {}

    // By default just after the component in its parent list.
    virtual DocPos GetCaretAfterInsert();
    virtual bool SelectsOnInsert() const { return false; }
    virtual bool IsPositionTarget() const { return false; }
    // The style manager's face in which the component's characters are drawn; 3 is the math
    // symbol face.
    virtual int32_t GetStyleId() const { return 0; }
    virtual void ApplyStyle(int32_t /*face*/) {}
    virtual void SetSizeLevel(uint8_t /*level*/) {}
    // An edit code for a key typed at `pos` inside the component, turned into an action by the
    // view; 0 when the component does not handle the key.
    virtual int32_t HandleKey(const DocPos& /*pos*/, int32_t /*key*/, int32_t /*flag1*/,
                              int32_t /*flag2*/) {
        return 0;
    }
    // The element commands (32812 to 32832) are available by default.
    virtual bool IsCommandEnabled(int32_t id, const DocPos& pos) const;

    bool IsNotChar() const { return !(GetTypeTag() == tags::Char); }
    // A character's face and code into `key`, and true; false for any other component. One
    // call where the save visits every character of a document: the default asks the tag, the
    // face and the code in turn, the shared characters answer at once.
    virtual bool GetGlyphKey(GlyphKey& key) const;

    // A new, empty component of the kind a stored record names, or null for a tag that names no
    // storable component ("Para", "Char", layout and node tags, unknown tags, and kinds whose
    // constructor is not installed). The caller lets it `Read` its body.
    static OwnedComponent CreateByTag(TypeTag tag);

    // A storable kind's constructor: a new, empty component of the kind.
    using Creator = OwnedComponent();
    // The slot of a storable kind's constructor, which its subsystem fills with an `Installed`
    // guard at start-up. Only the kinds the factory knows have a slot; any other tag throws
    // std::invalid_argument.
    static ServiceSlot<Creator>& KindSlot(TypeTag tag);

protected:
    virtual ~TextComp() = default;
};

inline void ComponentDestroyer::operator()(TextComp* comp) const noexcept {
    if (comp != nullptr) comp->Destroy();
}
