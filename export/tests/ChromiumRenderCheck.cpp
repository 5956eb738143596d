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
#include <QFileInfo>
#include <QImage>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <regex>

namespace exporttest {
namespace {

// What ctest is told to count as skipped.
constexpr int kSkipped = 77;

const char* ChromiumProgram() {
    for (const char* name : {"chromium", "chromium-browser", "google-chrome"})
        if (!QStandardPaths::findExecutable(QString::fromLatin1(name)).isEmpty()) return name;
    return nullptr;
}

// A screenshot of the page by headless Chromium: on a closed network, with a fresh profile.
ToolRun Screenshot(const std::string& page, const std::string& shot, QSize size,
                   const std::string& profile) {
    QFile::remove(QString::fromStdString(shot));
    return RunTool(ChromiumProgram(),
                   {"--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
                    "--no-first-run", "--disable-background-networking",
                    "--disable-component-update", "--disable-sync", "--hide-scrollbars",
                    "--user-data-dir=" + QString::fromStdString(profile),
                    QStringLiteral("--window-size=%1,%2").arg(size.width()).arg(size.height()),
                    "--screenshot=" + QString::fromStdString(shot),
                    QStringLiteral("file://") + QString::fromStdString(page)},
                   QFileInfo(QString::fromStdString(page)).absolutePath().toStdString());
}

void WriteFile(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
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
    AddFenceEquations();
    const std::string page = Xhtml();
    ASSERT_EQ(pageFailures.count, 0);
    for (const std::string& path :
         {FilePath("page.xml"), drawtest::OutputPath("export-xhtml-chromium.xml")})
        WriteFile(path, page);
    const std::string shot = drawtest::OutputPath("export-xhtml-chromium.png");
    const ToolRun render =
        Screenshot(FilePath("page.xml"), shot, QSize(800, 1100), FilePath("profile"));
    ASSERT_EQ(render.exitCode, 0) << render.output;
    QImage image(QString::fromStdString(shot));
    ASSERT_FALSE(image.isNull()) << render.output;
    EXPECT_EQ(image.size(), QSize(800, 1100));
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

// Each exported formula beside itself without its fence marks, in cells of one size: a
// browser that draws the fences puts more ink in the left cell. (An "mfenced" element draws
// nothing in a browser of today, so both cells would match.)
TEST_F(ChromiumRenderTest, TheFencesOfEveryFormulaAreDrawn) {
    AddFenceEquations();
    const std::string exported = Xhtml();
    ASSERT_FALSE(firstFailure.has_value());
    const std::regex formula("<math[^>]*>[\\s\\S]*?</math>");
    const std::regex fence("<mo>[()\\[\\]{}|]</mo>");
    std::string rows;
    int count = 0;
    for (auto it = std::sregex_iterator(exported.begin(), exported.end(), formula);
         it != std::sregex_iterator(); ++it) {
        const std::string bare = std::regex_replace(it->str(), fence, "");
        if (bare == it->str()) continue;
        rows += "<tr><td>" + it->str() + "</td><td>" + bare + "</td></tr>\n";
        ++count;
    }
    ASSERT_EQ(count, 5);
    constexpr int kCell = 120;
    const std::string page =
        // The exported page's head, whose document type brings the entities.
        exported.substr(0, exported.find("<head>")) +
        "<head>"
        "<title>Fences</title><style type=\"text/css\">body { margin: 0 } table { "
        "border-collapse: collapse } td { width: 400px; height: " +
        std::to_string(kCell) +
        "px; padding: 0; font-size: 32px; text-align: center; vertical-align: middle }"
        "</style></head>\n<body><table>\n" +
        rows + "</table></body></html>\n";
    WriteFile(FilePath("fences.xml"), page);
    WriteFile(drawtest::OutputPath("export-mathml-fences.xml"), page);
    const std::string shot = drawtest::OutputPath("export-mathml-fences.png");
    const ToolRun render =
        Screenshot(FilePath("fences.xml"), shot, QSize(800, kCell * count), FilePath("profile"));
    ASSERT_EQ(render.exitCode, 0) << render.output;
    const QImage image(QString::fromStdString(shot));
    ASSERT_EQ(image.size(), QSize(800, kCell * count)) << render.output;
    for (int row = 0; row < count; ++row) {
        const int top = row * kCell;
        const int fenced = drawtest::InkIn(image, Rect(0, top, 400, top + kCell));
        const int bare = drawtest::InkIn(image, Rect(400, top, 800, top + kCell));
        EXPECT_GT(bare, 50) << "row " << row;
        // Two marks of at least a stroke's width and the content's height.
        EXPECT_GT(fenced, bare + 60) << "row " << row;
    }
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
