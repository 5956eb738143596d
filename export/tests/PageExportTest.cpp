#include "export/tests/ExportFixture.h"
#include "export/tests/ExternalTools.h"

#include <QFile>
#include <QImage>

#include <fstream>
#include <regex>

namespace exporttest {
namespace {

using Style = ParaStyle;

constexpr const char* kMathOpen = "<math xmlns=\"http://www.w3.org/1998/Math/MathML\">";
constexpr const char* kMathDtd =
    "/usr/share/xml/w3c-sgml-lib/schema/dtd/XX-MathML2-20031104/xhtml-math11-f.dtd";

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

// The page of every kind of paragraph and the common structures, for the outside checkers.
class CheckedPageTest : public PageExportTest {
protected:
    void FillDocument() {
        title = "All \xE9 <kinds>";
        Add(Para(Style::kTitle), "Title", kRoman);
        Add(Para(Style::kSection), "Section", kBold);
        ParaComp& text = Para(Style::kParagraph);
        Add(text, "Text \xE9\x80 & <more> ", kRoman).Add(text, "it", kItalic);
        Add(text, " ", kRoman).Add(text, "x!+y", kMath).Add(text, " ", kRoman);
        AddFraction(text, "a", "b");
        Add(Para(Style::kListEntry), "one", kRoman);
        Add(Para(Style::kListEntry), "two", kRoman);
        ParaComp& equation = Para(Style::kNumberedEquation);
        Add(equation, "sin(x)=", kMath);
        AddFraction(equation, "1", "2");
        Add(Para(Style::kPlainEquation), "f'(x)+alpha", kMath);
        Add(Para(Style::kSourceCode), "a<b && c", kCode);
        Add(Para(Style::kHeading), "End", kBold);
    }
};

std::string WriteText(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
    return path;
}

TEST_F(CheckedPageTest, TheXhtmlPageIsWellFormedAndItsMathValid) {
    FillDocument();
    const std::string page = Xhtml();
    WriteText(FilePath("page.xml"), page);
    if (!QFile::exists(QString::fromLatin1(kMathDtd))) GTEST_SKIP() << "no MathML DTD";
    // The DTD the page names, beside it, for its entities.
    QFile::copy(QString::fromLatin1(kMathDtd), QString::fromStdString(FilePath("mathml.dtd")));
    const ToolRun parsed = RunTool("xmllint", {"--noout", "--loaddtd", "page.xml"}, dir);
    if (!parsed.found) GTEST_SKIP() << "xmllint is not installed";
    // xmllint ends well even for undefined entities: its output is the verdict.
    EXPECT_EQ(parsed.output, "") << page;
    EXPECT_EQ(parsed.exitCode, 0);
    // Every formula on its own against the XHTML and MathML DTD.
    const std::regex math("<math[^>]*>[\\s\\S]*?</math>");
    int count = 0;
    for (auto it = std::sregex_iterator(page.begin(), page.end(), math);
         it != std::sregex_iterator(); ++it, ++count) {
        const std::string name = "math" + std::to_string(count) + ".xml";
        WriteText(FilePath(name),
                  "<?xml version=\"1.0\"?>\n<!DOCTYPE math SYSTEM \"mathml.dtd\">\n" + it->str());
        const ToolRun valid = RunTool("xmllint", {"--noout", "--valid", name.c_str()}, dir);
        EXPECT_EQ(valid.output, "") << it->str();
    }
    EXPECT_EQ(count, 4);
}

TEST_F(CheckedPageTest, TheHtmlPicturesPassPngcheck) {
    FillDocument();
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
