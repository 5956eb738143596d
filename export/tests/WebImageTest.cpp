#include "export/WebImage.h"

#include "export/tests/ExternalTools.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <fstream>

namespace exporttest {
namespace {

// A bitmap of one row (or more) from its bytes, bottom row first.
DibPixels Dib(int32_t bits, int32_t width, std::vector<uint8_t> bytes, int32_t height = 1) {
    DibPixels dib;
    dib.bitCount = bits;
    dib.width = width;
    dib.height = height;
    dib.bits = std::move(bytes);
    return dib;
}

std::vector<uint8_t> Rgb(const PngRows& rows, int32_t y, int32_t x) {
    const uint8_t* at = rows.data.data() + y * rows.stride + x * 3;
    return {at[0], at[1], at[2]};
}

TEST(DibRowsTest, EveryPixelFormatBecomesRgbRows) {
    struct Case {
        const char* name;
        DibPixels dib;
        std::vector<uint8_t> rgb;
    };
    DibPixels fields565 = Dib(16, 1, {0x00, 0xF8, 0, 0});
    fields565.compression = 3;
    fields565.masks[0] = 0xF800;
    fields565.masks[1] = 0x07E0;
    fields565.masks[2] = 0x001F;
    // Ten bits a channel: masks wider than a byte are shifted down, not up.
    DibPixels fields10 = Dib(32, 1, {0xFF, 0x03, 0x00, 0x20});
    fields10.compression = 3;
    fields10.masks[0] = 0x000003FF;
    fields10.masks[1] = 0x000FFC00;
    fields10.masks[2] = 0x3FF00000;
    const Case cases[] = {
        {"16 bits, five a channel", Dib(16, 1, {0xFF, 0x7F, 0, 0}), {0xF8, 0xF8, 0xF8}},
        {"16 bits, red only", Dib(16, 1, {0x00, 0x7C, 0, 0}), {0xF8, 0, 0}},
        {"16 bits, 5-6-5 fields", fields565, {0xF8, 0, 0}},
        {"32 bits, 10-bit fields", fields10, {0xFF, 0x00, 0x80}},
        {"32 bits", Dib(32, 1, {0x33, 0x22, 0x11, 0}), {0x11, 0x22, 0x33}},
        {"24 bits, blue first", Dib(24, 1, {0x33, 0x22, 0x11, 0}), {0x11, 0x22, 0x33}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const PngRows rows = ConvertDibRows(c.dib);
        ASSERT_EQ(rows.error, "");
        EXPECT_EQ(rows.colorType, 2);
        EXPECT_EQ(rows.stride, 4) << "one pixel wide, padded to four bytes";
        EXPECT_EQ(Rgb(rows, 0, 0), c.rgb);
    }
}

TEST(DibRowsTest, RowsComeTopFirstAndPalettesStay) {
    // Two rows of two 24-bit pixels: the bottom row (stored first) is red.
    const DibPixels dib =
        Dib(24, 2, {0, 0, 0xFF, 0, 0, 0xFF, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0}, 2);
    const PngRows rows = ConvertDibRows(dib);
    ASSERT_EQ(rows.error, "");
    EXPECT_EQ(rows.stride, 8);
    EXPECT_EQ(Rgb(rows, 0, 0), (std::vector<uint8_t>{0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(Rgb(rows, 1, 1), (std::vector<uint8_t>{0xFF, 0, 0}));

    DibPixels indexed = Dib(8, 3, {2, 1, 0, 0});
    indexed.palette = {0xFFFFFF, 0x000000, 0xFF0000};
    const PngRows palette = ConvertDibRows(indexed);
    ASSERT_EQ(palette.error, "");
    EXPECT_EQ(palette.colorType, 3);
    EXPECT_EQ(palette.bitDepth, 8);
    EXPECT_EQ(std::vector<uint8_t>(palette.data.begin(), palette.data.begin() + 3),
              (std::vector<uint8_t>{2, 1, 0}));
}

TEST(DibRowsTest, BitmapsItCannotReadAreRefusedWithTheirReason) {
    DibPixels core = Dib(24, 1, {0, 0, 0, 0});
    core.headerSize = 12;
    DibPixels odd = core;
    odd.headerSize = 50;
    DibPixels rle = Dib(8, 1, {0, 0, 0, 0});
    rle.compression = 1;
    DibPixels unknown = Dib(24, 1, {0, 0, 0, 0});
    unknown.compression = 7;
    // The header's colour count beyond what eight bits index, and one the table does not hold.
    DibPixels tooMany = Dib(8, 1, {0, 0, 0, 0});
    tooMany.palette = {0xFFFFFF};
    tooMany.colorsUsed = 300;
    DibPixels shortTable = tooMany;
    shortTable.colorsUsed = 3;
    const struct {
        DibPixels dib;
        const char* reason;
    } cases[] = {
        {core, "DIB has BITMAPCOREHEADER.\n\rUnsupported DIB type."},
        {odd, "Invalid DIB BITMAPINFOHEADER"},
        {rle, "DIB Compression Type: 1, not supported."},
        {unknown, "Invalid DIB Compression Type: 7."},
        {Dib(7, 1, {0, 0, 0, 0}), "Bit depth of 7 is invalid\nfor color type 2."},
        {Dib(24, 4, {0, 0, 0, 0}), "Couldn't allocate enough memory"},
        {tooMany, "Invalid biClrUsed field value: 300"},
        {shortTable, "Invalid biClrUsed field value: 3"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ConvertDibRows(c.dib).error, c.reason);
}

TEST(DibRowsTest, RowsTheEncoderCannotTakeAreRefusedBeforeEncoding) {
    const auto rows = [](int32_t colorType, int32_t depth) {
        PngRows made;
        made.colorType = colorType;
        made.bitDepth = depth;
        made.stride = 4;
        made.data.assign(4, 0);
        return made;
    };
    const std::vector<uint32_t> two = {0xFFFFFF, 0};
    const struct {
        PngRows rows;
        std::vector<uint32_t> palette;
        const char* reason;
    } cases[] = {
        {rows(4, 8), {}, "Invalid color type: 4"},
        {rows(6, 8), {}, "Invalid color type: 6"},
        {rows(3, 16), two, "Bit depth of 16 is invalid\nfor color type 3."},
        {rows(2, 4), {}, "Bit depth of 4 is invalid\nfor color type 2."},
        {rows(3, 8), {}, "Illegal num_colors: 0"},
        {rows(3, 1), {0, 1, 2}, "Illegal num_colors: 3"},
        {rows(3, 8), std::vector<uint32_t>(300, 0), "Illegal num_colors: 300"},
    };
    for (const auto& c : cases) {
        std::string error;
        EXPECT_TRUE(EncodePng(c.rows, 1, 1, c.palette, false, std::nullopt, error).empty());
        EXPECT_EQ(error, c.reason);
    }
    std::string error;
    EXPECT_FALSE(EncodePng(rows(3, 8), 1, 1, two, false, std::nullopt, error).empty());
    EXPECT_EQ(error, "");
}

class WebImageTest : public ::testing::Test {
protected:
    std::string Path(const std::string& name) const {
        return QDir(dir.path()).absoluteFilePath(QString::fromStdString(name)).toStdString();
    }
    QTemporaryDir dir;
};

TEST_F(WebImageTest, EachPixelFormatDecodesToItsPixels) {
    const struct {
        QImage::Format format;
        int tolerance; // the bits a channel loses in the format
    } cases[] = {
        {QImage::Format_RGB32, 0},  {QImage::Format_RGB888, 0}, {QImage::Format_RGB16, 7},
        {QImage::Format_RGB555, 7}, {QImage::Format_BGR30, 0},  {QImage::Format_Indexed8, 0},
    };
    const QRgb colors[3] = {qRgb(255, 0, 0), qRgb(0, 128, 255), qRgb(0, 0, 0)};
    QStringList files;
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.format));
        WebImage picture(3, 2, c.format);
        QImage& image = picture.Image();
        if (c.format == QImage::Format_Indexed8) {
            image.setColorTable({qRgb(255, 255, 255), colors[0], colors[1], colors[2]});
            image.fill(0);
            for (int x = 0; x < 3; ++x)
                image.setPixel(x, 1, static_cast<uint>(x + 1));
        } else {
            for (int x = 0; x < 3; ++x)
                image.setPixel(x, 1, colors[x]);
        }
        const std::string name = "f" + std::to_string(static_cast<int>(c.format)) + ".png";
        ASSERT_FALSE(picture.SaveAsPng(Path(name), true, std::nullopt).has_value());
        files << QString::fromStdString(name);
        const QImage back(QString::fromStdString(Path(name)));
        ASSERT_EQ(back.size(), QSize(3, 2));
        EXPECT_NEAR(qRed(back.pixel(1, 0)), 255, c.tolerance);
        EXPECT_NEAR(qBlue(back.pixel(1, 0)), 255, c.tolerance);
        for (int x = 0; x < 3; ++x) {
            const QRgb got = back.pixel(x, 1);
            EXPECT_NEAR(qRed(got), qRed(colors[x]), c.tolerance);
            EXPECT_NEAR(qGreen(got), qGreen(colors[x]), c.tolerance);
            EXPECT_NEAR(qBlue(got), qBlue(colors[x]), c.tolerance);
        }
    }
    const ToolRun run = RunTool("pngcheck", files, dir.path().toStdString());
    if (!run.found) GTEST_SKIP() << "pngcheck is not installed";
    EXPECT_EQ(run.exitCode, 0) << run.output;
}

// Palette pictures: the table must hold the colours, and a transparent colour must be one of
// them, whose entry alone turns transparent.
TEST_F(WebImageTest, APalettePictureIsCheckedAndKeepsItsTransparentColour) {
    WebImage picture(2, 1, QImage::Format_Indexed8);
    QImage& image = picture.Image();
    image.setColorTable({qRgb(255, 255, 255), qRgb(255, 0, 0)});
    image.setPixel(1, 0, 1);
    ASSERT_FALSE(picture.SaveAsPng(Path("clear.png"), true, 0xFFFFFFu).has_value());
    const QImage back(QString::fromStdString(Path("clear.png")));
    EXPECT_EQ(qAlpha(back.pixel(0, 0)), 0);
    EXPECT_EQ(back.pixel(1, 0), qRgba(255, 0, 0, 255));

    EXPECT_EQ(picture.SaveAsPng(Path("green.png"), true, 0x00FF00u),
              "Illegal # of transparent entries in palette: 0.");
    image.setColorTable({});
    EXPECT_EQ(picture.SaveAsPng(Path("empty.png"), true, std::nullopt), "Illegal num_colors: 0");
    EXPECT_FALSE(QFile::exists(QString::fromStdString(Path("green.png"))));
    EXPECT_FALSE(QFile::exists(QString::fromStdString(Path("empty.png"))));
    const ToolRun run = RunTool("pngcheck", {"clear.png"}, dir.path().toStdString());
    if (!run.found) GTEST_SKIP() << "pngcheck is not installed";
    EXPECT_EQ(run.exitCode, 0) << run.output;
}

TEST_F(WebImageTest, AFailedSaveLeavesNoFileAndANewFileHasTheUsualPermissions) {
    WebImage picture(2, 2);
    EXPECT_TRUE(picture.SaveAsPng(Path("missing/x.png"), false, std::nullopt).has_value());
    EXPECT_FALSE(QFile::exists(QString::fromStdString(Path("missing/x.png"))));

    ASSERT_FALSE(picture.SaveAsPng(Path("new.png"), false, 0xFFFFFFu).has_value());
    std::ofstream(Path("plain.txt")) << "x";
    struct stat made {};
    struct stat plain {};
    ASSERT_EQ(stat(Path("new.png").c_str(), &made), 0);
    ASSERT_EQ(stat(Path("plain.txt").c_str(), &plain), 0);
    EXPECT_EQ(made.st_mode & 0777, plain.st_mode & 0777);
    // Only the two files: no temporary file is left behind.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
}

} // namespace
} // namespace exporttest
