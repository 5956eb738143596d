#include "mathbox/BracedGridBox.h"

#include "document/DrawPort.h"
#include "document/GlyphSource.h"

namespace {

constexpr int32_t kBackspace = 8;
constexpr int32_t kTab = 9;
constexpr int32_t kReturn = 13;

constexpr int32_t kBoundaryNext = 902;
constexpr int32_t kExitRight = 906;
constexpr int32_t kRowBoundary = 909;
constexpr int32_t kInsertRow = 1005;
constexpr int32_t kNoEdit = 2000;

} // namespace

int32_t BracedGridBox::GetPadding() {
    gDrawPort->SetFace(kMathFace);
    return gDrawPort->CharWidth('{');
}

int32_t BracedGridBox::HandleKey(const DocPos& pos, int32_t key, int32_t flag1, int32_t flag2) {
    const bool onBoundary = pos.kind == DocPos::kOnGrid;
    switch (key & 0xFF) {
    case kTab:
        return onBoundary ? kNoEdit : TabInCell();
    case kReturn:
        if (onBoundary) return flag2 != 0 ? kInsertRow : kBoundaryNext;
        return flag1 != 0 ? kRowBoundary : kExitRight;
    case kBackspace:
    default:
        return GridBox::HandleKey(pos, key, flag1, flag2);
    }
}

bool BracedGridBox::IsCommandEnabled(int32_t id, const DocPos& pos) const {
    if (id == kInsertRow) return true;
    return TextComp::IsCommandEnabled(id, pos);
}

void BracedGridBox::DrawBrace(uint8_t code, int32_t x) {
    SizeGuard size(GetSizeLevel());
    gDrawPort->SetFace(kMathFace);
    const Rect glyph = gDrawPort->MeasureChar(code);
    const int32_t height = m_bounds.bottom - m_bounds.top;
    if (height < 2 * (glyph.bottom - glyph.top)) {
        gDrawPort->MoveTo(Point(m_origin.x + x, m_origin.y + (m_bounds.top + m_bounds.bottom) / 2));
        gDrawPort->DrawChar(code);
    } else {
        gDrawPort->MoveTo(Point(m_origin.x + x, m_origin.y));
        gDrawPort->DrawBigDelimiter(code, m_bounds.top, m_bounds.bottom);
    }
}
