#pragma once

// Copying the surface to a device, through a palette or as it is.

#include "Surface.h"
#include "gdi/types.h"

#include <array>
#include <vector>

namespace rastrum {

// Finds a palette index for a colour: a tree rooted at mid-grey, every node with eight children
// chosen by whether red, green and blue lie below the node's. A lookup answers the index of an
// exact match, or of the last node it reaches.
class PaletteTree {
public:
    explicit PaletteTree(const std::vector<PALETTEENTRY>& palette);
    uint8_t Lookup(uint8_t red, uint8_t green, uint8_t blue) const;
    // The index of the palette colour nearest by squared distance (the lower index on a tie).
    uint8_t Nearest(uint8_t red, uint8_t green, uint8_t blue) const;

private:
    struct Node {
        std::array<uint8_t, 3> colour;
        uint8_t index;
        std::array<int, 8> children;
    };
    static int childOf(const Node& node, uint8_t red, uint8_t green, uint8_t blue) {
        return (red < node.colour[0]) | (green < node.colour[1]) << 1 |
               (blue < node.colour[2]) << 2;
    }
    void insert(const std::array<uint8_t, 3>& colour);

    const std::vector<PALETTEENTRY>& m_palette;
    std::vector<Node> m_nodes;
};

// The surface as an 8-bit bitmap through the palette (header, 256 colour-table entries, rows),
// drawn into the destination rectangle.
void BlitThroughPalette(HDC dc, const Surface& surface, const std::vector<PALETTEENTRY>& palette,
                        const RECT& destination);
// The surface's own 24-bit bitmap drawn into the destination rectangle.
void BlitDirect(HDC dc, const Surface& surface, const RECT& destination);

} // namespace rastrum
