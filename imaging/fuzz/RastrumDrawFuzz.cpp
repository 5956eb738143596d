// Feeds arbitrary bytes to Rastrum's surface. The first byte chooses what the rest is: a bitmap
// for RSM_LoadDIB (its header and colour table, then as many bytes of rows as the header says,
// zero-padded), or a run of drawing calls with any coordinates. Each input starts a surface of
// its own and ends with a palette, so sanitizers catch a write outside the surface, an overflow
// or a division by an empty box anywhere on the way.

#include "Surface.h"
#include "gdi/gdi.h"
#include "rastrum/rastrum.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

class Reader {
public:
    Reader(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
    bool Empty() const { return m_at >= m_size; }
    uint8_t Byte() { return m_at < m_size ? m_data[m_at++] : 0; }
    int32_t Int() {
        uint32_t value = 0;
        for (int i = 0; i < 4; ++i)
            value = value << 8 | Byte();
        return int32_t(value);
    }
    // A coordinate: mostly near the surface, sometimes anywhere.
    int32_t Coordinate() {
        const uint8_t kind = Byte();
        return kind < 192 ? int32_t(kind % 40) - 10 : Int();
    }
    size_t Take(void* to, size_t count) {
        const size_t taken = std::min(count, m_size - std::min(m_at, m_size));
        if (taken) std::memcpy(to, m_data + m_at, taken);
        m_at += taken;
        return taken;
    }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_at = 0;
};

void loadBitmap(Reader& in) {
    // A header and a full colour table, aligned as a caller's would be.
    std::vector<uint32_t> info((sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD)) / 4, 0);
    in.Take(info.data(), sizeof(BITMAPINFOHEADER) + in.Byte() * sizeof(RGBQUAD));
    const auto* bitmap = reinterpret_cast<const BITMAPINFO*>(info.data());
    const size_t needed = rastrum::DibBitsSize(bitmap->bmiHeader);
    if (needed > (size_t(1) << 20)) return;
    std::vector<uint8_t> bits(std::max<size_t>(needed, 1), 0);
    in.Take(bits.data(), needed);
    RSM_LoadDIB(bitmap, bits.data());
}

void draw(Reader& in, HDC dc) {
    std::vector<POINT> points;
    while (!in.Empty()) {
        switch (in.Byte() % 7) {
        case 0:
            gdi::DeleteObject(CreatePen(PS_SOLID, 1, uint32_t(in.Int())));
            break;
        case 1:
            MoveToEx(dc, in.Coordinate(), in.Coordinate(), nullptr);
            break;
        case 2:
            LineTo(dc, in.Coordinate(), in.Coordinate());
            break;
        case 3:
        case 4: {
            points.resize(in.Byte() % 8);
            for (POINT& point : points)
                point = {in.Coordinate(), in.Coordinate()};
            if (in.Byte() & 1)
                Polyline(dc, points.data(), int(points.size()));
            else
                Polygon(dc, points.data(), int(points.size()));
            break;
        }
        case 5:
            SetPixel(dc, in.Coordinate(), in.Coordinate(), uint32_t(in.Int()));
            break;
        default:
            RSM_Erase(uint32_t(in.Int()));
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static HDC dc = gdi::CreateImageDC(4, 4, 256, RGB(255, 255, 255));
    Reader in(data, size);
    const uint8_t mode = in.Byte();
    // Bits 2 to 4 and 5 to 7 of the first byte size the surface; its corner lies anywhere.
    const int32_t left = in.Coordinate() % 8, top = in.Coordinate() % 8;
    const RECT surface{left, top, left + (mode >> 2) % 8 * 3, top + (mode >> 5) * 3};
    if (!RSM_Init(&surface, dc)) return 0;
    if (mode & 1)
        loadBitmap(in);
    else
        draw(in, dc);
    gdi::DeleteObject(RSM_GetPalette(mode & 2 ? RSM_ADD_SURFACE | RSM_DITHER : RSM_ADD_SURFACE));
    RSM_Dispose();
    return 0;
}
