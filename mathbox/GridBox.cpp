#include "mathbox/GridBox.h"

#include "document/DocStream.h"
#include "document/DrawPort.h"
#include "platform/Exceptions.h"

#include <algorithm>
#include <stdexcept>
#include <string>

namespace {

// The mode word a box's empty list hands its placeholder run.
constexpr int32_t kBoxPlaceholderMode = 1;

constexpr int32_t kBackspace = 8;
constexpr int32_t kTab = 9;
constexpr int32_t kReturn = 13;

// Edit codes the grid answers keys with; the view turns them into actions.
constexpr int32_t kExtendLeft = 807;
constexpr int32_t kBoundaryNext = 902;
constexpr int32_t kBeforeOwner = 905;
constexpr int32_t kExitRight = 906;
constexpr int32_t kNextCellRight = 907;
constexpr int32_t kColumnBoundary = 908;
constexpr int32_t kRowBoundary = 909;
constexpr int32_t kInsertColumn = 1004;
constexpr int32_t kInsertRow = 1005;
constexpr int32_t kNoEdit = 2000;

// The stored counts are 16-bit.
constexpr int32_t kMaxStoredCount = 32767;
// A stored cell is at least its list's 32-bit record count.
constexpr int32_t kMinCellBytes = 4;

std::unique_ptr<CompList> NewCell() {
    return std::make_unique<CompList>();
}

} // namespace

// --- GridColumn ---

GridColumn::GridColumn(int32_t rows) {
    m_cells.reserve(static_cast<size_t>(std::max(rows, 0)));
    for (int32_t r = 0; r < rows; ++r)
        m_cells.push_back(NewCell());
}

void GridColumn::InsertAt(std::unique_ptr<CompList> cell, int32_t row) {
    m_cells.insert(m_cells.begin() + (row - 1), std::move(cell));
}

void GridColumn::InsertAllFrom(GridColumn& other, int32_t row) {
    m_cells.insert(m_cells.begin() + (row - 1), std::make_move_iterator(other.m_cells.begin()),
                   std::make_move_iterator(other.m_cells.end()));
    other.m_cells.clear();
}

std::unique_ptr<GridColumn> GridColumn::Take(int32_t first, int32_t last) {
    auto taken = std::make_unique<GridColumn>();
    taken->m_cells.reserve(static_cast<size_t>(last - first + 1));
    for (int32_t r = first; r <= last; ++r)
        taken->m_cells.push_back(std::move(m_cells[static_cast<size_t>(r - 1)]));
    m_cells.erase(m_cells.begin() + (first - 1), m_cells.begin() + last);
    return taken;
}

std::unique_ptr<GridColumn> GridColumn::Clone() const {
    auto copy = std::make_unique<GridColumn>();
    copy->m_cells.reserve(m_cells.size());
    for (const auto& cell : m_cells)
        copy->m_cells.push_back(cell->Clone());
    return copy;
}

void GridColumn::Adopt(GridBox& grid) {
    for (auto& cell : m_cells) {
        cell->SetOwner(&grid, kBoxPlaceholderMode);
        cell->SetSizeLevel(grid.GetSizeLevel());
    }
}

// --- Construction and access ---

GridBox::GridBox(int32_t columns, int32_t rows) {
    if (columns <= 0 || rows <= 0) return;
    for (int32_t c = 0; c < columns; ++c) {
        auto column = std::make_unique<GridColumn>(rows);
        column->Adopt(*this);
        m_columns.push_back(std::move(column));
    }
    m_rowCount = rows;
}

GridColumn& GridBox::GetColumn(int32_t column) const {
    CheckRange(column, column, GetColumnCount(), "column");
    return *m_columns[static_cast<size_t>(column - 1)];
}

CompList* GridBox::GetCell(int32_t column, int32_t row) const {
    CheckRange(row, row, m_rowCount, "row");
    return GetColumn(column).GetCell(row);
}

bool GridBox::FindCell(const CompList* list, int32_t& column, int32_t& row) const {
    for (int32_t c = 1; c <= GetColumnCount(); ++c)
        for (int32_t r = 1; r <= m_rowCount; ++r)
            if (m_columns[static_cast<size_t>(c - 1)]->GetCell(r) == list) {
                column = c;
                row = r;
                return true;
            }
    column = row = 0;
    return false;
}

void GridBox::CheckRange(int32_t first, int32_t last, int32_t count, const char* what) const {
    if (first < 1 || last < first || last > count)
        throw std::out_of_range(std::string("grid ") + what + " " + std::to_string(first) + ".." +
                                std::to_string(last) + " outside 1.." + std::to_string(count));
}

GridBox& GridBox::SameKind(const OwnedComponent& other) const {
    auto* grid = dynamic_cast<GridBox*>(other.get());
    if (grid == nullptr || !(grid->GetTypeTag() == GetTypeTag()))
        throw std::invalid_argument("rows and columns go only into a grid of their own kind");
    return *grid;
}

// --- Rows and columns ---

void GridBox::AppendColumn(std::unique_ptr<GridColumn> column) {
    const int32_t rows = column->GetCount();
    if (rows == 0 && m_columns.empty()) return;
    // Room first, so that nothing below fails half-way.
    m_columns.reserve(m_columns.size() + 1);
    while (column->GetCount() < m_rowCount)
        column->Append(NewCell());
    for (auto& existing : m_columns)
        while (existing->GetCount() < rows) {
            auto cell = NewCell();
            cell->SetOwner(this, kBoxPlaceholderMode);
            cell->SetSizeLevel(GetSizeLevel());
            existing->Append(std::move(cell));
        }
    column->Adopt(*this);
    m_rowCount = std::max(m_rowCount, rows);
    m_columns.push_back(std::move(column));
    Changed();
}

void GridBox::InsertColumnAt(int32_t column) {
    CheckRange(column, column, GetColumnCount() + 1, "column");
    auto fresh = std::make_unique<GridColumn>(std::max(m_rowCount, 1));
    fresh->Adopt(*this);
    m_columns.insert(m_columns.begin() + (column - 1), std::move(fresh));
    m_rowCount = std::max(m_rowCount, 1);
    Changed();
}

void GridBox::InsertRowAt(int32_t row) {
    CheckRange(row, row, m_rowCount + 1, "row");
    if (m_columns.empty()) {
        InsertColumnAt(1);
        return;
    }
    std::vector<std::unique_ptr<CompList>> cells;
    for (size_t c = 0; c < m_columns.size(); ++c) {
        cells.push_back(NewCell());
        cells.back()->SetOwner(this, kBoxPlaceholderMode);
        cells.back()->SetSizeLevel(GetSizeLevel());
    }
    for (size_t c = 0; c < m_columns.size(); ++c)
        m_columns[c]->InsertAt(std::move(cells[c]), row);
    ++m_rowCount;
    Changed();
}

OwnedComponent GridBox::CopyColumns(int32_t first, int32_t last) const {
    CheckRange(first, last, GetColumnCount(), "columns");
    OwnedGrid copy = NewEmpty();
    for (int32_t c = first; c <= last; ++c)
        copy->AppendColumn(m_columns[static_cast<size_t>(c - 1)]->Clone());
    return OwnedComponent(copy.release());
}

OwnedComponent GridBox::CopyRows(int32_t first, int32_t last) const {
    CheckRange(first, last, m_rowCount, "rows");
    OwnedGrid copy = NewEmpty();
    for (const auto& column : m_columns) {
        auto cells = std::make_unique<GridColumn>();
        for (int32_t r = first; r <= last; ++r)
            cells->Append(column->GetCell(r)->Clone());
        copy->AppendColumn(std::move(cells));
    }
    return OwnedComponent(copy.release());
}

OwnedComponent GridBox::RemoveColumns(int32_t first, int32_t last) {
    CheckRange(first, last, GetColumnCount(), "columns");
    OwnedGrid taken = NewEmpty();
    taken->m_columns.reserve(static_cast<size_t>(last - first + 1));
    for (int32_t c = first; c <= last; ++c) {
        auto& column = m_columns[static_cast<size_t>(c - 1)];
        column->Adopt(*taken);
        taken->m_columns.push_back(std::move(column));
    }
    taken->m_rowCount = m_rowCount;
    m_columns.erase(m_columns.begin() + (first - 1), m_columns.begin() + last);
    if (m_columns.empty()) m_rowCount = 0;
    taken->Changed();
    Changed();
    return OwnedComponent(taken.release());
}

OwnedComponent GridBox::RemoveRows(int32_t first, int32_t last) {
    CheckRange(first, last, m_rowCount, "rows");
    OwnedGrid taken = NewEmpty();
    taken->m_columns.reserve(m_columns.size());
    for (auto& column : m_columns) {
        auto cells = column->Take(first, last);
        cells->Adopt(*taken);
        taken->m_columns.push_back(std::move(cells));
    }
    taken->m_rowCount = last - first + 1;
    m_rowCount -= last - first + 1;
    if (m_rowCount == 0) m_columns.clear();
    taken->Changed();
    Changed();
    return OwnedComponent(taken.release());
}

std::unique_ptr<GridColumn> GridBox::RemoveFirstColumn() {
    CheckRange(1, 1, GetColumnCount(), "column");
    auto column = std::move(m_columns.front());
    m_columns.erase(m_columns.begin());
    if (m_columns.empty()) m_rowCount = 0;
    Changed();
    return column;
}

void GridBox::InsertRowsFrom(OwnedComponent other, int32_t row) {
    GridBox& from = SameKind(other);
    if (m_columns.empty()) {
        InsertColumnsFrom(std::move(other), 1);
        return;
    }
    CheckRange(row, row, m_rowCount + 1, "row");
    if (from.GetColumnCount() != GetColumnCount())
        throw std::invalid_argument("rows must have as many cells as the grid has columns");
    const int32_t added = from.m_rowCount;
    // Room in every column first: after that, moving the cells cannot fail half-way.
    for (auto& column : m_columns)
        column->Reserve(column->GetCount() + added);
    for (auto& column : m_columns) {
        std::unique_ptr<GridColumn> cells = from.RemoveFirstColumn();
        cells->Adopt(*this);
        column->InsertAllFrom(*cells, row);
    }
    m_rowCount += added;
    Changed();
}

void GridBox::InsertColumnsFrom(OwnedComponent other, int32_t column) {
    GridBox& from = SameKind(other);
    CheckRange(column, column, GetColumnCount() + 1, "column");
    if (!m_columns.empty() && from.m_rowCount != m_rowCount)
        throw std::invalid_argument("columns must have as many cells as the grid has rows");
    if (m_columns.empty()) m_rowCount = from.m_rowCount;
    m_columns.reserve(m_columns.size() + from.m_columns.size());
    int32_t at = column - 1;
    for (auto& taken : from.m_columns) {
        taken->Adopt(*this);
        m_columns.insert(m_columns.begin() + at++, std::move(taken));
    }
    from.m_columns.clear();
    from.m_rowCount = 0;
    Changed();
}

Rect GridBox::GetRowRect(int32_t row) const {
    const Rect frame = GetFrame();
    if (m_columns.empty()) return Rect(frame.left, frame.bottom, frame.right, frame.bottom);
    if (row > m_rowCount) {
        const int32_t top = GetCell(1, m_rowCount)->GetGlobalBounds().bottom;
        return Rect(frame.left, top, frame.right, top + 2 * m_unit);
    }
    const Rect cell = GetCell(1, row)->GetGlobalBounds();
    return Rect(frame.left, cell.top, frame.right, cell.bottom);
}

Rect GridBox::GetColumnRect(int32_t column) const {
    const Rect frame = GetFrame();
    if (m_columns.empty()) return Rect(frame.right, frame.top, frame.right, frame.bottom);
    if (column > GetColumnCount()) {
        const int32_t left = GetCell(GetColumnCount(), 1)->GetGlobalBounds().right;
        return Rect(left, frame.top, left + 2 * m_unit, frame.bottom);
    }
    const Rect cell = GetCell(column, 1)->GetGlobalBounds();
    return Rect(cell.left, frame.top, cell.right, frame.bottom);
}

// --- The component contract ---

OwnedComponent GridBox::Clone() const {
    OwnedGrid copy = NewEmpty();
    for (const auto& column : m_columns)
        copy->AppendColumn(column->Clone());
    copy->SetSizeLevel(GetSizeLevel());
    return OwnedComponent(copy.release());
}

void GridBox::InvalidateAll() {
    for (const auto& column : m_columns)
        for (int32_t r = 1; r <= column->GetCount(); ++r)
            column->GetCell(r)->InvalidateAll();
    m_needsLayout = true;
}

void GridBox::Layout() {
    SizeGuard size(GetSizeLevel());
    m_rowTop.assign(static_cast<size_t>(m_rowCount), 0);
    m_rowBottom.assign(static_cast<size_t>(m_rowCount), 0);
    m_unit = gDrawPort->GetSpacing();
    const int32_t gap = 2 * m_unit;
    const int32_t axis = gDrawPort->GetMathAxis();
    m_padding = GetPadding();
    m_columnRule = GetColumnRule();
    m_headerRule = GetHeaderRule();

    int32_t total = 0;
    for (auto& column : m_columns) {
        column->width = 0;
        for (int32_t r = 1; r <= column->GetCount(); ++r) {
            CompList* cell = column->GetCell(r);
            cell->LayoutToPage();
            const Rect frame = cell->GetFrame();
            column->width = std::max(column->width, frame.right);
            const size_t k = static_cast<size_t>(r - 1);
            m_rowTop[k] = std::min(m_rowTop[k], frame.top);
            m_rowBottom[k] = std::max(m_rowBottom[k], frame.bottom);
        }
        total += column->width + gap;
    }

    if (m_columns.empty()) {
        // Nothing to divide: the frame is the padding alone, on the axis.
        m_bounds = Rect(0, axis - m_padding, 2 * m_padding, axis + m_padding);
    } else {
        int32_t height = m_headerRule + m_rowCount * gap;
        for (int32_t r = 0; r < m_rowCount; ++r)
            height += m_rowBottom[static_cast<size_t>(r)] - m_rowTop[static_cast<size_t>(r)];
        const int32_t columns = GetColumnCount();
        m_bounds = Rect(0, axis - height / 2 - m_padding,
                        total + (columns - 1) * m_columnRule + 2 * m_padding,
                        axis + height / 2 + m_padding);
    }
    m_needsLayout = false;
}

void GridBox::SetOrigin(Point point) {
    m_origin = point;
    const int32_t gap = 2 * m_unit;
    int32_t x = point.x + gap / 2 + m_padding;
    for (auto& column : m_columns) {
        int32_t y = point.y + m_bounds.top + gap / 2 + m_padding;
        for (int32_t r = 1; r <= column->GetCount(); ++r) {
            CompList* cell = column->GetCell(r);
            const Rect frame = cell->GetFrame();
            Rect widened = frame;
            if (frame.Width() < column->width) {
                widened.left = (frame.Width() - column->width) / 2;
                widened.right = widened.left + column->width;
            }
            widened.top = GetRowTop(r);
            widened.bottom = GetRowBottom(r);
            cell->SetBounds(widened);
            cell->SetOrigin(Point(x, y - widened.top));
            cell->StretchRuns(cell->GetGlobalBounds());
            y += widened.bottom - widened.top + gap;
            if (r == 1) y += m_headerRule;
        }
        x += column->width + m_columnRule + gap;
    }
}

int32_t GridBox::ColumnAt(int32_t x) const {
    const int32_t gap = 2 * m_unit;
    x -= m_origin.x;
    int32_t end = gap / 2 + m_padding;
    for (int32_t c = 1; c <= GetColumnCount(); ++c) {
        const int32_t width = m_columns[static_cast<size_t>(c - 1)]->width;
        end += width;
        if (x < end && x >= end - width) return c;
        end += m_columnRule + gap;
    }
    return 0;
}

int32_t GridBox::RowAt(int32_t y) const {
    if (m_columns.empty()) return 0;
    const int32_t gap = 2 * m_unit;
    // Row 1's zone takes the header rule below it.
    int32_t end = m_headerRule + m_origin.y + m_bounds.top + gap / 2 + m_padding;
    for (int32_t r = 1; r <= m_rowCount; ++r) {
        const int32_t height = GetRowBottom(r) - GetRowTop(r);
        end += height;
        if (y < end && y >= end - height) return r;
        end += gap;
    }
    return 0;
}

DocPos GridBox::PosFromPoint(Point point, bool rightHalf) {
    const int32_t column = ColumnAt(point.x);
    const int32_t row = RowAt(point.y);
    if (column > 0 && row > 0) return GetCell(column, row)->PosFromPoint(point, rightHalf);
    return TextComp::PosFromPoint(point, rightHalf);
}

TextComp* GridBox::FindAt(Point point) {
    const int32_t column = ColumnAt(point.x);
    const int32_t row = RowAt(point.y);
    if (column == 0 || row == 0) return this;
    TextComp* found = GetCell(column, row)->FindAt(point);
    return found != nullptr ? found : this;
}

void GridBox::DrawCells() {
    for (const auto& column : m_columns)
        for (int32_t r = 1; r <= column->GetCount(); ++r)
            column->GetCell(r)->Draw();
}

void GridBox::Draw() {
    DrawCells();
}

bool GridBox::IsEqual(const TextComp& other) const {
    if (!(other.GetTypeTag() == GetTypeTag()) || other.GetListCount() != GetListCount())
        return false;
    // Two grids of one cell count but other shapes are not the same grid.
    const auto* grid = dynamic_cast<const GridBox*>(&other);
    if (grid == nullptr || grid->GetColumnCount() != GetColumnCount()) return false;
    for (int32_t i = 1; i <= GetListCount(); ++i)
        if (!GetList(i)->IsEqual(*other.GetList(i))) return false;
    return true;
}

CompList* GridBox::GetList(int32_t i) const {
    if (i < 1 || i > GetListCount()) return nullptr;
    const int32_t columns = GetColumnCount();
    return GetCell((i - 1) % columns + 1, (i - 1) / columns + 1);
}

int32_t GridBox::IndexOfList(const CompList* list) const {
    int32_t column = 0;
    int32_t row = 0;
    return FindCell(list, column, row) ? (row - 1) * GetColumnCount() + column : 0;
}

CompList* GridBox::ListLeftOf(const CompList* from) const {
    if (m_columns.empty()) return nullptr;
    if (from == nullptr) return GetCell(GetColumnCount(), m_rowCount);
    int32_t c = 0;
    int32_t r = 0;
    if (!FindCell(from, c, r)) return nullptr;
    if (c > 1) return GetCell(c - 1, r);
    return r > 1 ? GetCell(GetColumnCount(), r - 1) : nullptr;
}

CompList* GridBox::ListRightOf(const CompList* from) const {
    if (m_columns.empty()) return nullptr;
    if (from == nullptr) return GetCell(1, 1);
    int32_t c = 0;
    int32_t r = 0;
    if (!FindCell(from, c, r)) return nullptr;
    if (c < GetColumnCount()) return GetCell(c + 1, r);
    return r < m_rowCount ? GetCell(1, r + 1) : nullptr;
}

CompList* GridBox::ListAbove(const CompList* from) const {
    int32_t c = 0;
    int32_t r = 0;
    return FindCell(from, c, r) && r > 1 ? GetCell(c, r - 1) : nullptr;
}

CompList* GridBox::ListBelow(const CompList* from) const {
    int32_t c = 0;
    int32_t r = 0;
    return FindCell(from, c, r) && r < m_rowCount ? GetCell(c, r + 1) : nullptr;
}

void GridBox::Write(DocStream& stream) const {
    if (GetColumnCount() > kMaxStoredCount || m_rowCount > kMaxStoredCount)
        throw platform::FileException(platform::FileException::Cause::TooLarge, 0,
                                      "a grid has more rows or columns than a document can hold");
    stream.WriteShort(static_cast<int16_t>(GetColumnCount()));
    for (const auto& column : m_columns) {
        stream.WriteShort(static_cast<int16_t>(column->GetCount()));
        for (int32_t r = 1; r <= column->GetCount(); ++r)
            column->GetCell(r)->Write(stream);
    }
}

void GridBox::Read(DocStream& stream) {
    if (!m_columns.empty()) throw std::logic_error("a grid reads its record only while empty");
    const int32_t columns = stream.ReadShort();
    if (columns < 0) stream.Fail();
    // Every column is at least its own cell count.
    stream.RequireBytes(int64_t{columns} * 2);
    std::vector<std::unique_ptr<GridColumn>> read;
    read.reserve(static_cast<size_t>(columns));
    for (int32_t c = 0; c < columns; ++c) {
        const int32_t cells = stream.ReadShort();
        if (cells < 0) stream.Fail();
        stream.RequireBytes(int64_t{cells} * kMinCellBytes);
        auto column = std::make_unique<GridColumn>();
        for (int32_t r = 0; r < cells; ++r) {
            auto cell = NewCell();
            cell->Read(stream);
            column->Append(std::move(cell));
        }
        read.push_back(std::move(column));
    }
    // Columns of different lengths (a damaged record) are padded to the longest, so that no
    // stored cell is lost; a grid without a single cell is an empty grid.
    for (auto& column : read)
        AppendColumn(std::move(column));
    if (m_rowCount == 0) m_columns.clear();
    InvalidateLayout();
}

DocPos GridBox::GetCaretAfterInsert() {
    DocPos pos;
    if (m_columns.empty()) return TextComp::GetCaretAfterInsert();
    pos.SetAt(GetCell(1, 1), 1);
    return pos;
}

void GridBox::ApplyStyle(int32_t face) {
    for (int32_t i = 1; i <= GetListCount(); ++i) {
        CompList* cell = GetList(i);
        cell->ApplyStyle(face, 1, cell->GetCount() + 1);
    }
}

void GridBox::SetSizeLevel(uint8_t level) {
    MathComp::SetSizeLevel(level);
    for (const auto& column : m_columns)
        for (int32_t r = 1; r <= column->GetCount(); ++r)
            column->GetCell(r)->SetSizeLevel(level);
}

int32_t GridBox::HandleKey(const DocPos& pos, int32_t key, int32_t flag1, int32_t flag2) {
    const bool onBoundary = pos.kind == DocPos::kOnGrid;
    switch (key & 0xFF) {
    case kBackspace:
        if (onBoundary) return pos.index == 1 ? kBeforeOwner : kExtendLeft;
        break;
    case kTab:
        if (!onBoundary) return flag1 != 0 ? kColumnBoundary : kNextCellRight;
        if (pos.columns == 0) return kNoEdit;
        return flag2 != 0 ? kInsertColumn : kBoundaryNext;
    case kReturn:
        if (!onBoundary) return flag1 != 0 ? kRowBoundary : kExitRight;
        if (pos.columns != 0) return kNoEdit;
        return flag2 != 0 ? kInsertRow : kBoundaryNext;
    default:
        break;
    }
    return MathComp::HandleKey(pos, key, flag1, flag2);
}

bool GridBox::IsCommandEnabled(int32_t id, const DocPos& pos) const {
    if (id == kInsertColumn) return pos.kind == DocPos::kOnGrid && pos.columns != 0;
    if (id == kInsertRow) return pos.kind == DocPos::kOnGrid && pos.columns == 0;
    return TextComp::IsCommandEnabled(id, pos);
}
