// The XHTML page as a browser shows it: headless Chromium takes a screenshot of the exported
// page, written with the page into the test output folder for a person to look at. Chromium is too
// heavy for every machine: without it the whole check ends with the return code ctest counts as
// skipped.

#include "document/LinkComp.h"
#include "document/MetaPictComp.h"
#include "export/tests/ExportFixture.h"
#include "export/tests/ExternalTools.h"

#include <QApplication>
#include <QFile>
#include <QImage>

#include <cstdio>
#include <cstdlib>
#include <fstream>

namespace exporttest {
namespace {

// What ctest is told to count as skipped.
constexpr int kSkipped = 77;

const char* ChromiumProgram() {
    for (const char* name : {"chromium", "chromium-browser", "google-chrome"})
        if (!QStandardPaths::findExecutable(QString::fromLatin1(name)).isEmpty()) return name;
    return nullptr;
}

class ChromiumRenderTest : public ExportTest {};

TEST_F(ChromiumRenderTest, TheXhtmlPageParsesAndShowsItsTextMathAndPictures) {
    FillAllKinds();
    ParaComp& more = Para(ParaStyle::kParagraph);
    Add(more, "A link to ", kRoman);
    more.GetList(1)->Append(
        new LinkComp(Str255("http://example.org/?a=1&b=2"), Str255("the \xE9xample"), true));
    Add(more, " and a picture ", kRoman);
    const std::string svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"40\" "
                            "height=\"20\"><rect width=\"40\" height=\"20\" fill=\"red\"/></svg>";
    more.GetList(1)->Append(new MetaPictComp(PictureBytes(svg.begin(), svg.end())));
    Add(more, " in the text.", kRoman);
    const std::string page = Xhtml();
    ASSERT_EQ(pageFailures.count, 0);
    for (const std::string& path :
         {FilePath("page.xml"), drawtest::OutputPath("export-xhtml-chromium.xml")}) {
        std::ofstream out(path, std::ios::binary);
        out << page;
    }
    const char* chromium = ChromiumProgram();
    ASSERT_NE(chromium, nullptr);
    const std::string shot = drawtest::OutputPath("export-xhtml-chromium.png");
    QFile::remove(QString::fromStdString(shot));
    // One start of the browser: it is slow to start.
    const ToolRun render =
        RunTool(chromium,
                {"--headless", "--no-sandbox", "--disable-gpu", "--hide-scrollbars",
                 "--no-first-run", "--user-data-dir=" + QString::fromStdString(FilePath("profile")),
                 "--window-size=800,900", "--screenshot=" + QString::fromStdString(shot),
                 QStringLiteral("file://") + QString::fromStdString(FilePath("page.xml"))},
                dir);
    ASSERT_EQ(render.exitCode, 0) << render.output;
    QImage image(QString::fromStdString(shot));
    ASSERT_FALSE(image.isNull()) << render.output;
    EXPECT_EQ(image.size(), QSize(800, 900));
    // Text and formulas put ink on the page; the picture shows its red; a page the browser
    // could not parse would open with its pink error box instead.
    EXPECT_GT(drawtest::InkIn(image, Rect(0, 0, image.width(), image.height())), 2000);
    int red = 0;
    int errorPink = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            red += image.pixel(x, y) == qRgb(255, 0, 0) ? 1 : 0;
            errorPink += image.pixel(x, y) == qRgb(255, 221, 221) ? 1 : 0;
        }
    EXPECT_GT(red, 100);
    EXPECT_EQ(errorPink, 0);
}

} // namespace
} // namespace exporttest

int main(int argc, char** argv) {
    if (exporttest::ChromiumProgram() == nullptr) {
        std::puts("no chromium installed: the rendering check is skipped");
        return exporttest::kSkipped;
    }
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
