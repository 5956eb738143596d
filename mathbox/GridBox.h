#pragma once

// The common base of the four math boxes that hold a rectangle of editable cells: the matrix,
// the table, the equation set and the piecewise definition. It keeps the cells, answers the
// component contract for all of them and offers the row and column operations that editing,
// positions and ranges call (through `GridShape`). The subclasses add only their decorations,
// spacing, text, LaTeX and expression conversion.
//
// Cells: the grid is a list of columns, left to right; a column is a list of cells, top to
// bottom. A cell is addressed by (column, row), both 1-based. Seen as the component's child
// lists (`GetList`), the cells are numbered along each row first: list i is the cell in row
// (i - 1) / columns + 1 and column (i - 1) % columns + 1.
//
// Invariants: every column has `GetRowCount()` cells; a grid without columns has no rows, and
// one whose last row goes loses its columns too. An empty grid has no lists at all: its caret
// queries answer none and its writers write only their frame.
//
// Ownership: the grid owns its columns, a column its cells, a cell its components. Every cell
// names the grid as its owner. Rows and columns handed out travel in a new grid of the same
// kind (`NewEmpty`); insertions take such a grid over.

#include "document/BoxShapes.h"
#include "document/CompList.h"
#include "document/MathComp.h"

#include <cstdint>
#include <memory>
#include <vector>

class GridBox;

// One column of a grid: its cells from the top, and its width from the last layout.
class GridColumn {
public:
    GridColumn() = default;
    // `rows` empty cells.
    explicit GridColumn(int32_t rows);
    GridColumn(const GridColumn&) = delete;
    GridColumn& operator=(const GridColumn&) = delete;

    int32_t GetCount() const { return static_cast<int32_t>(m_cells.size()); }
    // Row 1 to count.
    CompList* GetCell(int32_t row) const { return m_cells[static_cast<size_t>(row - 1)].get(); }
    void Append(std::unique_ptr<CompList> cell) { m_cells.push_back(std::move(cell)); }
    // Inserts before row `row` (count + 1 appends).
    void InsertAt(std::unique_ptr<CompList> cell, int32_t row);
    // Moves every cell of `other`, in order, before row `row`.
    void InsertAllFrom(GridColumn& other, int32_t row);
    void Reserve(int32_t count) { m_cells.reserve(static_cast<size_t>(count)); }
    // Takes rows first..last out, in order, into a new column.
    std::unique_ptr<GridColumn> Take(int32_t first, int32_t last);
    std::unique_ptr<GridColumn> Clone() const;
    // Makes `grid` the owner of every cell and gives them its size level.
    void Adopt(GridBox& grid);

    int32_t width = 0;

private:
    std::vector<std::unique_ptr<CompList>> m_cells;
};

class GridBox : public MathComp, public GridShape {
public:
    using OwnedGrid = std::unique_ptr<GridBox, ComponentDestroyer>;

    // --- Counting and access ---
    int32_t GetColumnCount() const override { return static_cast<int32_t>(m_columns.size()); }
    int32_t GetRowCount() const override { return m_rowCount; }
    // Column 1 to count.
    GridColumn& GetColumn(int32_t column) const;
    CompList* GetCell(int32_t column, int32_t row) const override;
    bool FindCell(const CompList* list, int32_t& column, int32_t& row) const override;

    // --- Rows and columns; each marks the grid for layout ---
    // Takes a column in at the right. A column of another length than the grid's rows is
    // padded with empty cells, or the grid's columns are, so every cell is kept.
    void AppendColumn(std::unique_ptr<GridColumn> column);
    // A new column (row) of empty cells before `column` (`row`); count + 1 appends. A grid
    // without columns gets one of a single cell.
    void InsertColumnAt(int32_t column);
    void InsertRowAt(int32_t row);
    OwnedComponent CopyRows(int32_t first, int32_t last) const override;
    OwnedComponent CopyColumns(int32_t first, int32_t last) const override;
    OwnedComponent RemoveRows(int32_t first, int32_t last) override;
    OwnedComponent RemoveColumns(int32_t first, int32_t last) override;
    std::unique_ptr<GridColumn> RemoveFirstColumn();
    // `other` must be a grid of this kind with as many columns (rows) as this one, unless this
    // one is empty, which then takes all of `other`; otherwise std::invalid_argument, and
    // neither grid changes.
    void InsertRowsFrom(OwnedComponent other, int32_t row) override;
    void InsertColumnsFrom(OwnedComponent other, int32_t column) override;
    Rect GetRowRect(int32_t row) const override;
    Rect GetColumnRect(int32_t column) const override;

    // --- The component contract ---
    OwnedComponent Clone() const override;
    bool IsGridBox() const override { return true; }
    void InvalidateAll() override;
    void Layout() override;
    void SetOrigin(Point point) override;
    DocPos PosFromPoint(Point point, bool rightHalf) override;
    TextComp* FindAt(Point point) override;
    void Draw() override;
    bool IsEqual(const TextComp& other) const override;
    CompList* GetList(int32_t i) const override;
    int32_t GetListCount() const override { return GetColumnCount() * m_rowCount; }
    int32_t IndexOfList(const CompList* list) const override;
    CompList* ListLeftOf(const CompList* from) const override;
    CompList* ListRightOf(const CompList* from) const override;
    CompList* ListAbove(const CompList* from) const override;
    CompList* ListBelow(const CompList* from) const override;
    void Write(DocStream& stream) const override;
    void Read(DocStream& stream) override;
    DocPos GetCaretAfterInsert() override;
    void ApplyStyle(int32_t face) override;
    void SetSizeLevel(uint8_t level) override;
    int32_t HandleKey(const DocPos& pos, int32_t key, int32_t flag1, int32_t flag2) override;
    bool IsCommandEnabled(int32_t id, const DocPos& pos) const override;

    // Row `row`'s extent above and below its baselines, from the last layout.
    int32_t GetRowTop(int32_t row) const { return m_rowTop[static_cast<size_t>(row - 1)]; }
    int32_t GetRowBottom(int32_t row) const { return m_rowBottom[static_cast<size_t>(row - 1)]; }

protected:
    GridBox() = default;
    GridBox(int32_t columns, int32_t rows);

    // A new grid of the same class without columns or rows.
    virtual OwnedGrid NewEmpty() const = 0;
    // Called at the box's size level during layout: space around the cells on every side,
    // between two columns, and below the first row.
    virtual int32_t GetPadding() { return 0; }
    virtual int32_t GetColumnRule() { return 0; }
    virtual int32_t GetHeaderRule() { return 0; }

    // The cells, column by column.
    void DrawCells();
    // The row (column) zone a point falls in, 0 for none; from the last placement.
    int32_t RowAt(int32_t y) const;
    int32_t ColumnAt(int32_t x) const;
    bool IsEmpty() const { return m_columns.empty(); }

    // From the last layout: the size unit, the padding, the column and header rules.
    int32_t m_unit = 0;
    int32_t m_padding = 0;
    int32_t m_columnRule = 0;
    int32_t m_headerRule = 0;

private:
    void CheckRange(int32_t first, int32_t last, int32_t count, const char* what) const;
    // Takes another grid of this kind out of its handle, or throws std::invalid_argument.
    GridBox& SameKind(const OwnedComponent& other) const;
    void Changed() { InvalidateLayout(); }

    std::vector<std::unique_ptr<GridColumn>> m_columns;
    std::vector<int32_t> m_rowTop;
    std::vector<int32_t> m_rowBottom;
    int32_t m_rowCount = 0;
};
