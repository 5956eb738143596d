#pragma once

// The picture both imaging benchmarks work on: 4000 x 3000 pixels of 24 bits, smooth gradients
// with a fine pattern over them, so that it holds many colours as a photograph would, written
// once as a BMP file.

#include "BmpFiles.h"

#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace tessary::bench {

constexpr int kPictureWidth = 4000;
constexpr int kPictureHeight = 3000;

inline COLORREF pictureColour(int x, int y) {
    const uint32_t noise = (uint32_t(x) * 2654435761u ^ uint32_t(y) * 40503u) >> 27;
    return RGB(x * 255 / (kPictureWidth - 1) ^ noise, y * 255 / (kPictureHeight - 1),
               (x / 16 + y / 16) % 256 ^ noise);
}

inline std::vector<uint8_t> pictureFile() {
    return imaging::testing::makeBmp({kPictureWidth, kPictureHeight, 24}, pictureColour);
}

// The picture's file in the temporary folder, removed when this ends.
class PictureFile {
public:
    PictureFile()
        : m_path((std::filesystem::temp_directory_path() /
                  ("imaging-bench-" + std::to_string(getpid()) + ".bmp"))
                     .string()) {
        imaging::testing::writeFile(m_path, pictureFile());
    }
    ~PictureFile() { std::filesystem::remove(m_path); }
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};

} // namespace tessary::bench
