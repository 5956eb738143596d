#pragma once

// What positions, ranges and moved material ask of the two kinds of box whose boundaries a caret
// can stand on: grid boxes (matrix, table, equation set, piecewise definition), with boundaries
// between their rows and between their columns, and the partial derivative, with boundaries
// between its differentiation variables. The real boxes live with the math boxes and implement
// these next to the component contract; the model reaches them only through here.
//
// Ownership: every operation that hands rows, columns or variables out hands them out in a new
// box of the same kind, in an `OwnedComponent`; every insertion takes such a box over and
// disposes of what is left of it.

#include "document/Rect.h"
#include "document/TextComp.h"

#include <cstdint>

class CompList;

class GridShape {
public:
    virtual ~GridShape() = default;

    virtual int32_t GetColumnCount() const = 0;
    virtual int32_t GetRowCount() const = 0;
    // The cell list at (column, row), both 1-based and in range.
    virtual CompList* GetCell(int32_t column, int32_t row) const = 0;
    // The column and row of a cell list; false (both 0) when the list is no cell of this grid.
    virtual bool FindCell(const CompList* list, int32_t& column, int32_t& row) const = 0;
    // A row's (column's) rectangle across the whole grid, in the parent's coordinates; one past
    // the last gives the thin band where new rows (columns) would go.
    virtual Rect GetRowRect(int32_t row) const = 0;
    virtual Rect GetColumnRect(int32_t column) const = 0;

    // Copies of (or, for `Remove`, the very) rows or columns first..last in a new grid of this
    // kind. Removing every row or column leaves the grid with none.
    virtual OwnedComponent CopyRows(int32_t first, int32_t last) const = 0;
    virtual OwnedComponent CopyColumns(int32_t first, int32_t last) const = 0;
    virtual OwnedComponent RemoveRows(int32_t first, int32_t last) = 0;
    virtual OwnedComponent RemoveColumns(int32_t first, int32_t last) = 0;
    // Puts every row (column) of `other`, a grid of the same kind, before `row` (`column`).
    virtual void InsertRowsFrom(OwnedComponent other, int32_t row) = 0;
    virtual void InsertColumnsFrom(OwnedComponent other, int32_t column) = 0;
};

class DerivativeShape {
public:
    virtual ~DerivativeShape() = default;

    virtual int32_t GetDifferentialCount() const = 0;
    // Differential i (1-based): its list 1 is the variable, list 2 the order. Both lists name
    // the derivative as their owner.
    virtual TextComp* GetDifferential(int32_t i) const = 0;
    // The number of the differential whose variable or order is `list`; 0 for any other list.
    virtual int32_t IndexOfDifferential(const CompList* list) const = 0;
    // Differential i's frame; one past the last gives the marker where a variable would go.
    virtual Rect GetDifferentialRect(int32_t i) const = 0;

    // Differentials first..last in a new partial derivative. A derivative always keeps one:
    // removing all of them leaves one empty differential behind.
    virtual OwnedComponent CopyDifferentials(int32_t first, int32_t last) const = 0;
    virtual OwnedComponent RemoveDifferentials(int32_t first, int32_t last) = 0;
    // Puts every differential of `other`, a partial derivative, before differential i.
    virtual void InsertDifferentialsFrom(int32_t i, OwnedComponent other) = 0;
};

// The shape of a component, or null when it has none (a partial derivative answers as a
// derivative by its tag "parD" alone; a total derivative has no variable boundaries).
inline GridShape* AsGrid(const TextComp* comp) {
    return comp != nullptr && comp->IsGridBox()
               ? dynamic_cast<GridShape*>(const_cast<TextComp*>(comp))
               : nullptr;
}
inline DerivativeShape* AsDerivative(const TextComp* comp) {
    return comp != nullptr && comp->GetTypeTag() == tags::PartialDerivative
               ? dynamic_cast<DerivativeShape*>(const_cast<TextComp*>(comp))
               : nullptr;
}
