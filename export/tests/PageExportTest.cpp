#include "document/LinkComp.h"
#include "document/MetaPictComp.h"
#include "export/tests/ExportFixture.h"
#include "export/tests/ExternalTools.h"
#include "export/tests/PictureFileSize.h"
#include "export/tests/XhtmlCheck.h"

#include <QDir>
#include <QFile>
#include <QImage>

#include <functional>

namespace exporttest {
namespace {

using Style = ParaStyle;

constexpr const char* kMathOpen = "<math xmlns=\"http://www.w3.org/1998/Math/MathML\">";

bool Exists(const std::string& path) {
    return QFile::exists(QString::fromStdString(path));
}

// What lies between the page head and the closing tags.
std::string PageBody(const std::string& page, const char* bodyTag) {
    const size_t from = page.find(bodyTag);
    const size_t start = page.find('\n', from) + 1;
    const size_t end = page.rfind("</body>");
    return page.substr(start, end - start);
}
std::string HtmlBody(const std::string& page) {
    const std::string marker = "<BASEFONT SIZE=\"+3\">\n";
    const size_t start = page.find(marker) + marker.size();
    return page.substr(start, page.rfind("</body>") - start);
}
std::string XhtmlBody(const std::string& page) {
    return PageBody(page, "<body bgcolor");
}

class PageExportTest : public ExportTest {};

TEST_F(PageExportTest, PagesBeginWithTheirHeadsAndEndClosed) {
    title = "R&D <1>";
    Add(Para(Style::kParagraph), "a", kRoman);
    EXPECT_EQ(Html(), "<HTML>\n<HEAD>\n<TITLE>R&amp;D &lt;1&gt;</TITLE>\n</HEAD>\n"
                      "<BODY BGCOLOR=\"FFFFFF\" TEXT=\"000000\" LINK=\"0000FF\">\n"
                      "<BASEFONT SIZE=\"+3\">\n<p>a</p>\n</body>\n</html>");
    EXPECT_EQ(Xhtml(), "<?xml version=\"1.0\"?>\n<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 "
                       "Strict//EN\" \"mathml.dtd\">\n<html "
                       "xmlns=\"http://www.w3.org/1999/xhtml\">\n<head>\n<title>R&amp;D "
                       "&lt;1&gt;</title>\n</head>\n<body bgcolor=\"#FFFFFF\">\n<p>a</p>\n"
                       "</body>\n</html>");
}

TEST_F(PageExportTest, StylesBecomeElementsAndBlocksCloseWhenTheKindChanges) {
    ParaComp& text = Para(Style::kParagraph);
    Add(text, "a ", kRoman).Add(text, "word", kItalic).Add(text, " ", kRoman);
    Add(text, "b", kBold).Add(text, "t", kCode);
    Add(Para(Style::kListEntry), "one", kRoman);
    Add(Para(Style::kListEntry), "two", kRoman);
    Add(Para(Style::kHeading), "H", kBold);
    Add(Para(Style::kSourceCode), "if a<b", kCode);
    Add(Para(Style::kSourceCode), "x", kCode);
    Add(Para(Style::kTitle), "T", kRoman);
    Add(Para(Style::kSection), "S", kBold);
    const std::string expected = "<p>a <i>word</i> <b>b</b><font face=\"courier\">t</font></p>\n"
                                 "<ol>\n<li>one</li>\n<li>two</li>\n</ol>\n<h3>H</h3>\n"
                                 "<pre>\nif a&lt;b\nx\n</pre>\n";
    EXPECT_EQ(HtmlBody(Html()), expected + "<h1 align=\"CENTER\">T</h1>\n<h2>S</h2>\n");
    EXPECT_EQ(XhtmlBody(Xhtml()), expected + "<h1 align=\"Center\">T</h1>\n<h2>S</h2>\n");
}

TEST_F(PageExportTest, CharactersGoAsReferencesAndNeverAsControls) {
    // e acute and the euro sign of cp1252; a control byte; and the math face's alpha.
    ParaComp& text = Para(Style::kParagraph);
    Add(text, "\xE9\x80\x01\x81\"", kRoman);
    const std::string html = HtmlBody(Html());
    EXPECT_EQ(html, "<p>&#233;&#8364;&#65533;&#65533;&quot;</p>\n");
    EXPECT_EQ(XhtmlBody(Xhtml()), html);
    for (char c : Html() + Xhtml())
        EXPECT_FALSE(static_cast<unsigned char>(c) < 0x20 && c != '\n') << int(c);
}

TEST_F(PageExportTest, HtmlMathIsItalicTextOrAPicture) {
    ParaComp& text = Para(Style::kParagraph);
    Add(text, "a ", kRoman).Add(text, "x+1", kMath).Add(text, " b ", kRoman);
    AddFraction(text, "1", "x");
    const std::string body = HtmlBody(Html());
    EXPECT_EQ(body, "<p>a <i>x+1</i> b <img SRC=\"pic0.png\"></p>\n");
    QImage image(QString::fromStdString(FilePath("pic0.png")));
    ASSERT_FALSE(image.isNull());
    EXPECT_GT(drawtest::InkIn(image, Rect(0, 0, image.width(), image.height())), 10);
    image.save(QString::fromStdString(drawtest::OutputPath("export-html-fraction.png")));
    EXPECT_EQ(pageFailures.count, 0);
}

TEST_F(PageExportTest, EquationsAreTablesOfAPictureAndTheLabel) {
    Add(Para(Style::kNumberedEquation), "x=1", kMath);
    Add(Para(Style::kPlainEquation), "y", kMath);
    EXPECT_EQ(HtmlBody(Html()),
              "<p><table><tr><td width=\"500\"><p align=\"CENTER\"><img SRC=\"pic0.png\"></p></td>"
              "<td width=\"600\"><p align=\"Right\">(1)</p></td></tr></table></p>\n"
              "<p><table><tr><td width=\"500\"><p align=\"CENTER\"><img SRC=\"pic1.png\"></p></td>"
              "<td width=\"600\"><p align=\"Right\">&nbsp;</p></td></tr></table></p>\n");
    EXPECT_TRUE(Exists(FilePath("pic0.png")));
    EXPECT_TRUE(Exists(FilePath("pic1.png")));
}

TEST_F(PageExportTest, XhtmlMathIsMathML) {
    ParaComp& text = Para(Style::kParagraph);
    Add(text, "so ", kRoman).Add(text, "x+1", kMath).Add(text, ".", kRoman);
    Add(Para(Style::kNumberedEquation), "x=1", kMath);
    Add(Para(Style::kPlainEquation), "y", kMath);
    const std::string body = XhtmlBody(Xhtml());
    EXPECT_EQ(body, std::string("<p>so ") + kMathOpen +
                        "<mrow><mi>x</mi><mo>+</mo><mn>1</mn></mrow></math>.</p>\n"
                        "<p><table><tr><td width=\"10%\"><p>&nbsp;</p></td><td width=\"80%\">"
                        "<p align=\"center\">" +
                        kMathOpen +
                        "<mrow><mi>x</mi><mo>=</mo><mn>1</mn></mrow></math></p></td>"
                        "<td width=\"10%\"><p align=\"Right\">(1)</p></td></tr></table></p>\n"
                        "<p align=\"center\">" +
                        kMathOpen + "<mi>y</mi></math></p>\n");
    EXPECT_FALSE(firstFailure.has_value());
}

TEST_F(PageExportTest, AFormulaThatDoesNotParseIsSkippedAndReported) {
    ParaComp& text = Para(Style::kParagraph);
    Add(text, "a ", kRoman).Add(text, "x+", kMath).Add(text, " b", kRoman);
    EXPECT_EQ(XhtmlBody(Xhtml()), std::string("<p>a ") + kMathOpen + "</math> b</p>\n");
    ASSERT_TRUE(firstFailure.has_value());
    EXPECT_EQ(firstFailure->GetList(), text.GetList(1));
    EXPECT_EQ(firstFailure->index, 3);
}

// Mathematics that is no formula but words is written as text, never refused; a real error
// still is.
TEST_F(PageExportTest, WordsInTheMathFaceAreText) {
    const std::string math = kMathOpen;
    const struct {
        const char* name;
        int32_t style;
        std::vector<std::pair<const char*, int32_t>> pieces;
        std::string xhtml;
    } cases[] = {
        {"a blank between text",
         Style::kParagraph,
         {{"a", kRoman}, {" ", kMath}, {"b", kRoman}},
         "<p>a" + math + "<mtext> </mtext></math>b</p>\n"},
        {"a word and a full stop",
         Style::kParagraph,
         {{"so ", kRoman}, {"x.", kMath}},
         "<p>so " + math + "<mtext>x.</mtext></math></p>\n"},
        {"prose marks",
         Style::kParagraph,
         {{"so, then; ok!", kMath}},
         "<p>" + math + "<mtext>so, then; ok!</mtext></math></p>\n"},
        {"an equation of blanks",
         Style::kPlainEquation,
         {{"  ", kMath}},
         "<p align=\"center\">" + math + "<mtext>  </mtext></math></p>\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ClearDocument();
        ParaComp& para = Para(c.style);
        for (const auto& [text, face] : c.pieces)
            Add(para, text, face);
        EXPECT_EQ(XhtmlBody(Xhtml()), c.xhtml);
        EXPECT_FALSE(firstFailure.has_value());
    }
}

TEST_F(PageExportTest, AttributeValuesAreEscapedAndSourcesEncoded) {
    base = "my \"pic\"&\xE9";
    Add(Para(Style::kParagraph), "a", kRoman);
    ParaComp& lone = Para(Style::kParagraph);
    AddFraction(lone, "1", "2");
    const std::string html = HtmlBody(Html());
    EXPECT_NE(html.find("<img SRC=\"my%20%22pic%22%26%C3%A90.png\">"), std::string::npos) << html;
    EXPECT_TRUE(Exists(FilePath("my \"pic\"&\xC3\xA9"
                                "0.png")));
    StringStream out;
    XhtmlFileWriter writer(out, Str255("t"), Str255(base.c_str()), dir, false);
    writer.WriteLinkElement(Str255("a.htm?x=1&y=\"2\""), Str255("<see>"));
    writer.Flush();
    EXPECT_EQ(out.text, "<a href=\"a.htm?x=1&amp;y=&quot;2&quot;\">&lt;see&gt;</a>");
}

TEST_F(PageExportTest, XhtmlPicturesAreEmptyImageElementsAndFilesOnlyWhenEnabled) {
    ParaComp& lone = Para(Style::kPlainEquation);
    AddFraction(lone, "a", "b");
    // A lone picture or plot paragraph is an image; a lone fraction is mathematics. Either way
    // a disabled pass makes no file.
    EXPECT_EQ(XhtmlBody(Xhtml(false)), std::string("<p align=\"center\">") + kMathOpen +
                                           "<mfrac><mi>a</mi><mi>b</mi></mfrac></math></p>\n");
    StringStream out;
    XhtmlFileWriter writer(out, Str255("t"), Str255("img"), dir, false);
    ParaComp& picture = Para(Style::kParagraph);
    AddFraction(picture, "1", "2");
    writer.WriteImageParagraph(picture);
    writer.Flush();
    EXPECT_EQ(out.text, "<p><table align=\"center\" border=\"2\"><tr><td>"
                        "<img src=\"img1.png\" alt=\"img1\" /></td></tr></table></p>\n");
    EXPECT_FALSE(Exists(FilePath("img1.png")));
}

TEST_F(PageExportTest, APictureThatCannotBeWrittenLeavesItsElementAndIsCounted) {
    dir += "missing/";
    ParaComp& text = Para(Style::kParagraph);
    AddFraction(text, "1", "x");
    AddFraction(text, "2", "x");
    EXPECT_EQ(HtmlBody(Html()), "<p><img SRC=\"pic0.png\"></p>\n");
    EXPECT_EQ(pageFailures.count, 1) << "one run of math, one picture";
    EXPECT_EQ(pageFailures.first, dir + "pic0.png");
}

// A red square picture, 10 pixels a side.
MetaPictComp* RedSquare() {
    const std::string svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"10\" "
                            "height=\"10\"><rect width=\"10\" height=\"10\" fill=\"red\"/></svg>";
    return new MetaPictComp(PictureBytes(svg.begin(), svg.end()));
}

void ExpectRedCentre(const std::string& path) {
    const QImage image(QString::fromStdString(path));
    ASSERT_FALSE(image.isNull()) << path;
    EXPECT_EQ(image.pixel(image.width() / 2, image.height() / 2), qRgb(255, 0, 0)) << path;
}

// A plot stand-in: function lists, and a red picture 20 by 10 pixels.
class FakePlot final : public fakes::Plot {
public:
    using Plot::Plot;
    void Layout() override {
        m_bounds = Rect(0, -8, 12, 0);
        m_needsLayout = false;
    }
    std::optional<ExportPicture> GetExportPicture() override {
        const std::string svg =
            "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"20\" "
            "height=\"10\"><rect width=\"20\" height=\"10\" fill=\"red\"/></svg>";
        return ExportPicture{PictureBytes(svg.begin(), svg.end()), 20, 10};
    }
};

TEST_F(PageExportTest, LinksAndReferencesStayInTheirText) {
    ParaComp& text = Para(Style::kParagraph);
    Add(text, "see ", kRoman);
    text.GetList(1)->Append(
        new LinkComp(Str255("http://a.b/?x=1&y=\"2\""), Str255("A & \xE9"), true));
    Add(text, " or ", kRoman).Add(text, "it ", kItalic);
    text.GetList(1)->Append(new LinkComp(Str255("b.htm"), Str255("b"), true));
    Add(text, " in ", kRoman).Add(text, "x", kMath);
    // A link or reference right after mathematics ends the formula; text continues after it.
    text.GetList(1)->Append(new LinkComp(Str255("c.htm"), Str255("c"), true));
    Add(text, "y", kMath);
    text.GetList(1)->Append(new RefComp(7, Str31("(2)")));
    Add(text, ".", kRoman);
    const std::string html = HtmlBody(Html());
    EXPECT_EQ(html, "<p>see <A HREF=\"http://a.b/?x=1&amp;y=&quot;2&quot;\">A &amp; &#233;</A> or "
                    "<i>it <A HREF=\"b.htm\">b</A></i> in <i>x</i><A HREF=\"c.htm\">c</A>"
                    "<i>y</i>(2).</p>\n");
    const std::string mathX = std::string(kMathOpen) + "<mi>x</mi></math>";
    const std::string mathY = std::string(kMathOpen) + "<mi>y</mi></math>";
    EXPECT_EQ(XhtmlBody(Xhtml()),
              "<p>see <a href=\"http://a.b/?x=1&amp;y=&quot;2&quot;\">A &amp; &#233;</a> or "
              "<i>it <a href=\"b.htm\">b</a></i> in " +
                  mathX + "<a href=\"c.htm\">c</a>" + mathY + "(2).</p>\n");
    EXPECT_FALSE(firstFailure.has_value());
    EXPECT_EQ(pageFailures.count, 0);
}

TEST_F(PageExportTest, PicturesAmongTextBecomeImages) {
    ParaComp& text = Para(Style::kParagraph);
    Add(text, "a ", kRoman);
    text.GetList(1)->Append(RedSquare());
    Add(text, " b ", kRoman).Add(text, "x", kMath);
    text.GetList(1)->Append(new FakePlot());
    Add(text, " c", kRoman);
    text.GetList(1)->Append(new LinkComp(Str255("d.htm"), Str255("d"), true));
    Para(Style::kParagraph).GetList(1)->Append(RedSquare());
    // HTML: a picture is a run of mathematics of its own, and a plot joins the formula before
    // it in one picture; a lone picture is framed in a table.
    EXPECT_EQ(HtmlBody(Html()),
              "<p>a <img SRC=\"pic0.png\"> b <img SRC=\"pic1.png\"> c<A HREF=\"d.htm\">d</A></p>\n"
              "<p><TABLE ALIGN=\"CENTER\" BORDER=\"2\"><TR><TD><img SRC=\"pic2.png\">"
              "</TD></TR></TABLE></p>\n");
    ExpectRedCentre(FilePath("pic0.png"));
    const QString shown =
        QString::fromStdString(drawtest::OutputPath("export-html-inline-picture.png"));
    QFile::remove(shown);
    QFile::copy(QString::fromStdString(FilePath("pic0.png")), shown);
    EXPECT_EQ(pageFailures.count, 0);
    // XHTML: pictures and plots are images of their own; the formula stays MathML.
    EXPECT_EQ(XhtmlBody(Xhtml()),
              "<p>a <img src=\"pic1.png\" alt=\"pic1\" /> b " + std::string(kMathOpen) +
                  "<mi>x</mi></math><img src=\"pic2.png\" alt=\"pic2\" /> c<a "
                  "href=\"d.htm\">d</a></p>\n<p><table align=\"center\" border=\"2\"><tr><td>"
                  "<img src=\"pic3.png\" alt=\"pic3\" /></td></tr></table></p>\n");
    ExpectRedCentre(FilePath("pic1.png"));
    EXPECT_TRUE(Exists(FilePath("pic2.png")));
    EXPECT_TRUE(Exists(FilePath("pic3.png")));
    EXPECT_EQ(pageFailures.count, 0);
    EXPECT_FALSE(firstFailure.has_value());
}

// A picture that declares a huge size (its stored frame here; its SVG size or view box make it
// the same way) is exported in every format at the largest image, drawn smaller to fit: its
// files neither take the declared size nor fail, and the LaTeX asks for a size TeX can hold.
TEST_F(PageExportTest, AHugePictureIsExportedAtTheLargestImageInEveryFormat) {
    const std::string svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"10\" "
                            "height=\"10\"><rect width=\"10\" height=\"10\" fill=\"red\"/></svg>";
    ParaComp& text = Para(Style::kParagraph);
    Add(text, "a ", kRoman);
    text.GetList(1)->Append(
        new MetaPictComp(PictureBytes(svg.begin(), svg.end()), PictureFrame{INT32_MAX, INT32_MAX}));
    const struct {
        const char* name;
        std::function<std::string()> run;
    } formats[] = {
        {"html", [&] { return Html(); }},
        {"xhtml", [&] { return Xhtml(); }},
        {"latex", [&] { return Latex(); }},
        {"techexplorer", [&] { return Tcx(); }},
    };
    const std::string top = dir;
    for (const auto& format : formats) {
        SCOPED_TRACE(format.name);
        dir = top + format.name + "/";
        ASSERT_TRUE(QDir().mkpath(QString::fromStdString(dir)));
        const std::string out = format.run();
        EXPECT_EQ(latexFailures.count + pageFailures.count, 0);
        const QStringList files = QDir(QString::fromStdString(dir)).entryList(QDir::Files);
        EXPECT_EQ(files.size(), 1) << files.join(' ').toStdString();
        for (const QString& file : files) {
            SCOPED_TRACE(file.toStdString());
            const QString path = QString::fromStdString(dir) + file;
            const QSize size = picturetest::PictureFileSize(path);
            // The room a stretch is drawn with for overhanging ink shares the limits.
            EXPECT_GE(size.width(), 900) << "drawn large, as far as the limits allow";
            EXPECT_LE(size.width(), kLargestImageSide);
            EXPECT_LE(int64_t{size.width()} * size.height(), kLargestImageArea);
            if (file.endsWith(QStringLiteral(".png"))) ExpectRedCentre(path.toStdString());
        }
        if (std::string(format.name) == "latex")
            EXPECT_NE(out.find("width=2834pt,height=2834pt"), std::string::npos) << out;
    }
    dir = top;
    QImage(QString::fromStdString(top + "html/pic0.png"))
        .save(QString::fromStdString(drawtest::OutputPath("export-huge-picture.png")));
}

TEST_F(PageExportTest, ALonePlotIsATableOfItsPictureAndItsFunctions) {
    auto* plot = new FakePlot(2);
    plot->GetList(1)->InsertArrayAt(Glyphs("x+1", kMath), 1);
    plot->GetList(2)->Append(new FracComp(Glyphs("1", kMath), Glyphs("x", kMath)));
    Para(Style::kParagraph).GetList(1)->Append(plot);
    const std::string row = "<tr align=\"center\"><td>";
    const std::string rowEnd = "</td></tr>";
    EXPECT_EQ(HtmlBody(Html()), "<p><table align=\"center\" border=\"2\">" + row +
                                    "<img SRC=\"pic0.png\">" + rowEnd + row +
                                    "<img SRC=\"pic1.png\">" + rowEnd + row +
                                    "<img SRC=\"pic2.png\">" + rowEnd + "</table></p>\n");
    QImage picture(QString::fromStdString(FilePath("pic0.png")));
    EXPECT_EQ(picture.size(), QSize(20, 10));
    EXPECT_EQ(picture.pixel(10, 5), qRgb(255, 0, 0));
    QImage fraction(QString::fromStdString(FilePath("pic2.png")));
    ASSERT_FALSE(fraction.isNull());
    EXPECT_GT(drawtest::InkIn(fraction, Rect(0, 0, fraction.width(), fraction.height())), 10);
    EXPECT_EQ(pageFailures.count, 0);
    EXPECT_EQ(XhtmlBody(Xhtml()),
              "<p align=\"center\"><table align=\"center\" border=\"2\">" + row +
                  "<img src=\"pic1.png\" alt=\"pic1\" />" + rowEnd + row + kMathOpen +
                  "<mrow><mi>x</mi><mo>+</mo><mn>1</mn></mrow></math>" + rowEnd + row + kMathOpen +
                  "<mfrac><mn>1</mn><mi>x</mi></mfrac></math>" + rowEnd + "</table></p>\n");
    EXPECT_EQ(QImage(QString::fromStdString(FilePath("pic1.png"))).size(), QSize(20, 10));
    EXPECT_FALSE(firstFailure.has_value());
}

// The page of every kind of paragraph and the common structures, for the outside checkers.
class CheckedPageTest : public PageExportTest {};

TEST_F(CheckedPageTest, TheXhtmlPageIsWellFormedAndItsMathValid) {
    FillAllKinds();
    const int count = CheckPage(Xhtml(), dir);
    if (count < 0) GTEST_SKIP() << "xmllint or the MathML DTD is missing";
    EXPECT_EQ(count, 4);
}

// Browsers draw no "mfenced" element: every fence is an "mrow" with its marks as operators,
// which is valid MathML 2 as well; a negation writes its minus sign.
TEST_F(CheckedPageTest, FencesAreMarksBrowsersDraw) {
    AddFenceEquations();
    const std::string page = Xhtml();
    EXPECT_FALSE(firstFailure.has_value());
    EXPECT_EQ(page.find("mfenced"), std::string::npos) << page;
    for (const char* expected :
         {"<msup><mrow><mo>(</mo><mrow><mi>a</mi><mo>+</mo><mi>b</mi></mrow><mo>)</mo></mrow>"
          "<mn>2</mn></msup>",
          "<mi>f</mi><mo>&InvisibleTimes;</mo><mrow><mo>(</mo><mi>x</mi><mo>)</mo></mrow>",
          "<mo>=</mo><mrow><mo>-</mo><mi>x</mi></mrow>",
          "<mi>f</mi><mo>&af;</mo><mrow><mo>[</mo><mrow><mi>x</mi><mo>+</mo><mn>1</mn></mrow>"
          "<mo>]</mo></mrow>",
          "<mrow><mo>[</mo><mtable>", "</mtable><mo>]</mo></mrow>", "<mrow><mo>|</mo><mtable>",
          "</mtable><mo>|</mo></mrow>", "<mrow><mo>|</mo><mi>x</mi><mo>|</mo></mrow>",
          "<mrow><mo>{</mo><mtable>", "</mtable><mo>}</mo></mrow>"})
        EXPECT_NE(page.find(expected), std::string::npos) << expected << "\n" << page;
    EXPECT_EQ(page.find("<mn>-1</mn>"), std::string::npos) << page;
    const int count = CheckPage(page, dir);
    if (count < 0) GTEST_SKIP() << "xmllint or the MathML DTD is missing";
    EXPECT_EQ(count, 6);
}

// A cell left empty in the editor is empty on the page too, not the word "Null".
TEST_F(CheckedPageTest, AnEmptyMatrixCellIsEmptyOnThePage) {
    auto* grid = new MatrixBox(2, 2);
    const char* cells[] = {"a", nullptr, "c", "d"};
    for (int32_t i = 0; i < 4; ++i)
        if (cells[i] != nullptr)
            grid->GetCell(i % 2 + 1, i / 2 + 1)->InsertArrayAt(Glyphs(cells[i], kMath), 1);
    Para(ParaStyle::kPlainEquation).GetList(1)->Append(grid);
    const std::string page = Xhtml();
    EXPECT_FALSE(firstFailure.has_value());
    EXPECT_EQ(page.find("Null"), std::string::npos) << page;
    EXPECT_NE(page.find("<mtd></mtd>"), std::string::npos) << page;
    const int count = CheckPage(page, dir);
    if (count < 0) GTEST_SKIP() << "xmllint or the MathML DTD is missing";
    EXPECT_EQ(count, 1);
}

TEST_F(CheckedPageTest, TheHtmlPicturesPassPngcheck) {
    FillAllKinds();
    Html();
    EXPECT_EQ(pageFailures.count, 0);
    QStringList pictures;
    for (int i = 0; i < 3; ++i) {
        const std::string name = "pic" + std::to_string(i) + ".png";
        ASSERT_TRUE(Exists(FilePath(name))) << name;
        pictures << QString::fromStdString(name);
    }
    const ToolRun run = RunTool("pngcheck", pictures, dir);
    if (!run.found) GTEST_SKIP() << "pngcheck is not installed";
    EXPECT_EQ(run.exitCode, 0) << run.output;
}

} // namespace
} // namespace exporttest
