#include "PaletteBlit.h"

#include "gdi/gdi.h"

#include <cstring>
#include <memory>

namespace rastrum {

PaletteTree::PaletteTree(const std::vector<PALETTEENTRY>& palette) : m_palette(palette) {
    m_nodes.push_back({{128, 128, 128}, Nearest(128, 128, 128), {}});
    for (const PALETTEENTRY& entry : palette)
        insert({entry.peRed, entry.peGreen, entry.peBlue});
}

uint8_t PaletteTree::Nearest(uint8_t red, uint8_t green, uint8_t blue) const {
    int best = 0, bestDistance = INT32_MAX;
    for (std::size_t i = 0; i < m_palette.size(); ++i) {
        const int dr = m_palette[i].peRed - red, dg = m_palette[i].peGreen - green,
                  db = m_palette[i].peBlue - blue;
        const int distance = dr * dr + dg * dg + db * db;
        if (distance < bestDistance) {
            best = int(i);
            bestDistance = distance;
        }
    }
    return uint8_t(best);
}

void PaletteTree::insert(const std::array<uint8_t, 3>& colour) {
    std::size_t at = 0;
    for (;;) {
        if (m_nodes[at].colour == colour) return;
        const int child = childOf(m_nodes[at], colour[0], colour[1], colour[2]);
        const int next = m_nodes[at].children[child];
        if (!next) {
            m_nodes[at].children[child] = int(m_nodes.size());
            m_nodes.push_back({colour, Nearest(colour[0], colour[1], colour[2]), {}});
            return;
        }
        at = std::size_t(next);
    }
}

uint8_t PaletteTree::Lookup(uint8_t red, uint8_t green, uint8_t blue) const {
    std::size_t at = 0;
    for (;;) {
        const Node& node = m_nodes[at];
        if (node.colour[0] == red && node.colour[1] == green && node.colour[2] == blue)
            return node.index;
        const int next = node.children[childOf(node, red, green, blue)];
        if (!next) return node.index;
        at = std::size_t(next);
    }
}

namespace {

void stretch(HDC dc, const Surface& surface, const RECT& destination, const void* bits,
             const BITMAPINFO* info) {
    gdi::StretchDIBits(dc, destination.left, destination.top,
                       int(int64_t(destination.right) - destination.left + 1),
                       int(int64_t(destination.bottom) - destination.top + 1), 0, 0,
                       surface.Width(), surface.Height(), bits, info, DIB_RGB_COLORS, SRCCOPY);
}

} // namespace

void BlitThroughPalette(HDC dc, const Surface& surface, const std::vector<PALETTEENTRY>& palette,
                        const RECT& destination) {
    const PaletteTree tree(palette);
    const uint8_t black = tree.Nearest(0, 0, 0);
    const std::size_t stride = (std::size_t(surface.Width()) + 3) / 4 * 4;
    const std::size_t headerSize = sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD);
    std::vector<uint8_t> block(headerSize + stride * std::size_t(surface.Height()), 0);
    auto* info = reinterpret_cast<BITMAPINFO*>(block.data());
    info->bmiHeader = {40,
                       surface.Width(),
                       surface.Height(),
                       1,
                       8,
                       BI_RGB,
                       uint32_t(stride * std::size_t(surface.Height())),
                       1024,
                       1024,
                       uint32_t(palette.size()),
                       0};
    for (std::size_t i = 0; i < palette.size(); ++i)
        info->bmiColors[i] = {palette[i].peBlue, palette[i].peGreen, palette[i].peRed, 0};
    uint8_t* indices = block.data() + headerSize;
    for (int32_t row = 0; row < surface.Height(); ++row) {
        const uint8_t* from = surface.Bits() + std::size_t(row) * surface.Stride();
        uint8_t* to = indices + std::size_t(row) * stride;
        for (int32_t column = 0; column < surface.Width(); ++column, from += 3) {
            const bool isBlack = !from[0] && !from[1] && !from[2];
            to[column] = isBlack ? black : tree.Lookup(from[2], from[1], from[0]);
        }
    }
    stretch(dc, surface, destination, indices, info);
}

void BlitDirect(HDC dc, const Surface& surface, const RECT& destination) {
    BITMAPINFO info{};
    info.bmiHeader = surface.Header();
    stretch(dc, surface, destination, surface.Bits(), &info);
}

} // namespace rastrum
