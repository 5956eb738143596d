#pragma once

// What the equation set and the piecewise definition share: a fixed number of columns behind
// a left brace (the equation set has a right one as well), padding of the brace's width, and
// the keys that add rows but never columns.

#include "mathbox/GridBox.h"

class BracedGridBox : public GridBox {
public:
    int32_t HandleKey(const DocPos& pos, int32_t key, int32_t flag1, int32_t flag2) override;
    // Row insertion is always on offer; the columns are fixed.
    bool IsCommandEnabled(int32_t id, const DocPos& pos) const override;

protected:
    BracedGridBox() = default;
    BracedGridBox(int32_t columns, int32_t rows) : GridBox(columns, rows) {}

    int32_t GetPadding() override;
    // The edit code of tab inside a cell.
    virtual int32_t TabInCell() const = 0;
    // The brace `code` ("{" or "}") in the symbol face with its left edge at `x` (relative to
    // the origin): the character centred on the box when the box is short, a built-up brace
    // from top to bottom otherwise.
    void DrawBrace(uint8_t code, int32_t x);
};
