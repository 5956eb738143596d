#pragma once

// Material taken out of a document or copied from it: the detached sequence that holds it and
// the range that says which part of the sequence is the material (list children, whole grid
// rows or columns, derivative variables, or whole paragraphs). It owns the sequence, so
// dropping it on any path frees the material once.

#include "document/CompSequence.h"
#include "document/DocRange.h"

#include <memory>

struct Material {
    // Moves the material into the document before `target` and returns the range that covers
    // it there; the material is empty afterwards. Material that does not fit the target (see
    // `DocRange::CanInsertContent`) throws std::invalid_argument and stays whole.
    DocRange MoveInto(const DocPos& target);
    bool IsEmpty() const { return sequence == nullptr; }

    std::unique_ptr<CompSequence> sequence;
    DocRange range;
};
