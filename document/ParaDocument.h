#pragma once

// What a paragraph needs of the document and the paragraph sequence that hold it. The document
// class implements these; the paragraph sees only this much, so it can be built and tested
// before the document is.

#include <cstdint>

class ParaComp;
class ParaSequence;

class ParaDocument {
public:
    virtual ~ParaDocument() = default;

    // Hands out a paragraph identity: `identity` itself when it is above 0 and free, otherwise
    // the pool's next number.
    virtual int32_t ClaimParagraphNumber(int32_t identity) = 0;
    virtual void ReleaseParagraphNumber(int32_t identity) = 0;
    // The paragraph of the document with that identity, or null.
    virtual ParaComp* FindParagraph(int32_t identity) const = 0;
    // The larger-equations setting: equation paragraphs are set one size larger.
    virtual bool HasLargerEquations() const = 0;

    // Every sequence that names the document (its body, or detached material) registers
    // while it does; a document that closes detaches the ones still registered, and one that
    // empties itself the ones other than its body, so that none gives numbers back to it
    // afterwards.
    virtual void RegisterSequence(ParaSequence*) {}
    virtual void UnregisterSequence(ParaSequence*) {}
};

class ParaSequence {
public:
    virtual ~ParaSequence() = default;
    // The document the sequence belongs to; null for a detached sequence (clipboard, undo).
    virtual ParaDocument* GetDocument() const = 0;
    // The document is closing: forget it.
    virtual void DetachDocument() {}
    // One of its paragraphs was marked for layout.
    virtual void ParagraphInvalidated(const ParaComp&) {}
    // Someone asks where the paragraph lies: a sequence that put off placing it places it now,
    // with everything before it.
    virtual void PlaceDeferred(const ParaComp&) {}
};
