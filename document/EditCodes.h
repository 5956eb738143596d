#pragma once

// The edit codes: what key handling (a component's `HandleKey`, `DocRange::KeyToCommand`) answers
// for a typed key, and the view turns into an action. One table, so that the boxes that answer
// a code and the view that acts on it can never disagree on a number.

#include <cstdint>

namespace editcode {
// Editing.
inline constexpr int32_t kDeleteBefore = 801;   // the selection, or the element before the caret
inline constexpr int32_t kSplitParagraph = 802; // new paragraph of the current style
inline constexpr int32_t kSplitParagraphFlagged = 803; // new paragraph after an equation
inline constexpr int32_t kJoinWithPrevious = 804; // remove the paragraph break before the caret
inline constexpr int32_t kDeleteComponent = 808;  // reduce the one selected structure
// Caret and selection movements.
inline constexpr int32_t kExitLeft = 805;       // the caret leaves the list to the left
inline constexpr int32_t kExitRight = 806;      // the caret leaves the list to the right
inline constexpr int32_t kExtendLeft = 807;     // grow the selection over the box before the caret
inline constexpr int32_t kBoundaryNext = 902;   // one row, column or variable boundary on
inline constexpr int32_t kBoundaryPrev = 903;   // one boundary back
inline constexpr int32_t kBoundaryBeyond = 904; // the gap after the holding component
inline constexpr int32_t kBeforeOwner = 905;    // the gap before the holding component
inline constexpr int32_t kNextCellDown = 906;   // select the cell below
inline constexpr int32_t kNextCellRight = 907;  // select the cell to the right
inline constexpr int32_t kColumnBoundary = 908; // the column boundary after the caret's cell
inline constexpr int32_t kRowBoundary = 909;    // the row boundary after the caret's cell
inline constexpr int32_t kVariableBoundary = 1301; // the boundary after the caret's variable
inline constexpr int32_t kNextVariable = 1302;     // select the next variable
// Typing and inserting.
inline constexpr int32_t kInsertCharacter = 1001;
inline constexpr int32_t kInsertTab = 1002;
inline constexpr int32_t kInsertColumn = 1004;
inline constexpr int32_t kInsertRow = 1005;
inline constexpr int32_t kInsertVariable = 1006;
inline constexpr int32_t kInsertExpression = 1007; // a new expression list of a plot
// Nothing to do.
inline constexpr int32_t kNoEdit = 2000;
} // namespace editcode
