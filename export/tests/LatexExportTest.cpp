#include "document/LinkComp.h"
#include "export/tests/ExportFixture.h"
#include "export/tests/ExternalTools.h"

#include <QFile>

#include <fstream>
#include <functional>
#include <iterator>

namespace exporttest {
namespace {

using Style = ParaStyle;

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class LatexExportTest : public ExportTest {};

TEST_F(LatexExportTest, TheHeaderFollowsThePageNumbering) {
    Add(Para(Style::kParagraph), "a", kRoman);
    const std::string preamble = "\\documentclass{article}\n\\usepackage{amsfonts}\n"
                                 "\\usepackage{eucal}\n\\usepackage{graphicx}\n"
                                 "\\begin{document}\n";
    EXPECT_EQ(Latex(false, 1), preamble + "\\pagestyle{empty}\n\\par\\noindent\na\n"
                                          "\\end{document}\n");
    EXPECT_EQ(Latex(true, 1), preamble + "\\par\\noindent\na\n\\end{document}\n");
    EXPECT_EQ(Latex(true, 3), preamble + "\\setcounter{page}{3}\n\\par\\noindent\na\n"
                                         "\\end{document}\n");
    EXPECT_EQ(Tcx(), "\\documentstyle{article}\n\\begin{document}\n\\par\\noindent\na\n"
                     "\\end{document}\n");
}

// Each row is one paragraph of pieces in faces; the body of its export.
TEST_F(LatexExportTest, ModesOpenAndCloseAroundStylesAndMath) {
    struct Piece {
        const char* text;
        int32_t face;
    };
    const struct {
        const char* name;
        int32_t style;
        std::vector<Piece> pieces;
        const char* expected;
    } cases[] = {
        {"emphasis in roman",
         Style::kParagraph,
         {{"a ", kRoman}, {"word", kItalic}, {" c", kRoman}},
         "\\par\\noindent\na {\\em word} c\n"},
        {"bold and typewriter",
         Style::kParagraph,
         {{"b", kBold}, {"t", kCode}},
         "\\par\\noindent\n{\\bf b}{\\tt t}\n"},
        {"inline math",
         Style::kParagraph,
         {{"a ", kRoman}, {"x", kMath}, {" b", kRoman}},
         "\\par\\noindent\na $x$\\/ b\n"},
        {"math to the end",
         Style::kParagraph,
         {{"a ", kRoman}, {"x", kMath}},
         "\\par\\noindent\na $x$\n"},
        {"leading blank indents", Style::kParagraph, {{" a", kRoman}}, "\\par\n a\n"},
        {"known names", Style::kPlainEquation, {{"sin(x)", kMath}}, "\\[\\sin (x)\\]\n"},
        {"greek names get their backslash",
         Style::kPlainEquation,
         {{"alpha+beta", kMath}},
         "\\[\\alpha +\\beta \\]\n"},
        {"no thin space after a digit", Style::kPlainEquation, {{"x2y", kMath}}, "\\[x2y\\]\n"},
        {"text in display math",
         Style::kPlainEquation,
         {{"x", kMath}, {"if", kRoman}},
         "\\[x\\mbox{if}\\]\n"},
        {"a heading is bold already",
         Style::kHeading,
         {{"H", kBold}, {"i", kRoman}},
         "\\subsection*{H{\\rm i}}\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ClearDocument();
        ParaComp& para = Para(c.style);
        for (const Piece& piece : c.pieces)
            Add(para, piece.text, piece.face);
        EXPECT_EQ(Body(Latex()), c.expected);
    }
}

TEST_F(LatexExportTest, TextCharactersAreLookedUpByTheirFaceAndStayAscii) {
    // e acute, e diaeresis and O tilde in cp1252 once stood for Pi, Omega and Delta; the euro
    // sign has no LaTeX form and goes as UTF-8.
    Add(Para(Style::kParagraph), "\xE9\xEB\xD5 \x80", kRoman);
    const std::string body = Body(Latex());
    EXPECT_EQ(body, "\\par\\noindent\n\\'{e}\\\"{e}\\~{O} \xE2\x82\xAC\n");
    EXPECT_EQ(body.find("\\Pi"), std::string::npos);
}

TEST_F(LatexExportTest, ALongWordIsWrittenWhole) {
    const std::string word(300, 'w');
    Add(Para(Style::kParagraph), word, kRoman);
    Add(Para(Style::kPlainEquation), std::string(200, 'x'), kMath);
    EXPECT_EQ(Body(Latex()),
              "\\par\\noindent\n" + word + "\n\\[" + std::string(200, 'x') + "\\]\n");
}

TEST_F(LatexExportTest, ListsAndCodeBlocksStayOpenAcrossTheirParagraphs) {
    Add(Para(Style::kListEntry), "one", kRoman);
    Add(Para(Style::kListEntry), "two", kRoman);
    Add(Para(Style::kParagraph), "p", kRoman);
    Add(Para(Style::kSourceCode), "f[x]", kCode);
    Add(Para(Style::kSourceCode), "g", kCode);
    Add(Para(Style::kParagraph), "q", kRoman);
    EXPECT_EQ(Body(Latex()), "\\begin{enumerate}\n\\item \\label{item1} one\n"
                             "\\item \\label{item2} two\n"
                             "\\end{enumerate}\n\\par\\noindent\np\n"
                             "\\begin{verbatim}\nf[x]\ng\n\\end{verbatim}\n\\par\\noindent\nq\n");
}

TEST_F(LatexExportTest, ATitleStartsFreshAfterAnEquation) {
    // The equation leaves math as the paragraph mode; the title's text must not go into an
    // \mbox of it.
    Add(Para(Style::kPlainEquation), "x", kMath);
    Add(Para(Style::kTitle), "T", kRoman);
    EXPECT_EQ(Body(Latex()),
              "\\[x\\]\n\\vskip 1in\n\\begin{center}\n{\\Huge T}\n\\end{center}\n\\vskip 1in\n");
}

TEST_F(LatexExportTest, NumberedParagraphsCarryTheirLabels) {
    Add(Para(Style::kSection), "S", kBold);
    Add(Para(Style::kNumberedEquation), "x", kMath);
    EXPECT_EQ(Body(Latex()), "\\section{S}\n\\label{1} \\begin{equation}x\\label{1.1} "
                             "\\end{equation}\n");
    EXPECT_EQ(Body(Tcx()), "\\section{S}\\label{1}\n\\begin{equation}x\\end{equation}"
                           "\\label{1.1}\n");
}

// A list entry's number comes again after every equation and in every list; each label is
// unique, and a reference names the label of its own target.
TEST_F(LatexExportTest, EveryLabelIsUniqueAndReferencesFindTheirOwn) {
    Add(Para(Style::kSection), "S", kBold);
    ParaComp& equation = Para(Style::kNumberedEquation);
    Add(equation, "x", kMath);
    ParaComp& item = Para(Style::kListEntry);
    Add(item, "a", kRoman);
    Add(Para(Style::kParagraph), "p", kRoman);
    Add(Para(Style::kListEntry), "b", kRoman);
    ParaComp& text = Para(Style::kParagraph);
    text.GetList(1)->Append(new RefComp(*equation.GetNumberSource()));
    text.GetList(1)->Append(new RefComp(*item.GetNumberSource()));
    EXPECT_EQ(Body(Latex()), "\\section{S}\n\\label{1} \\begin{equation}x\\label{1.1} "
                             "\\end{equation}\n\\begin{enumerate}\n\\item \\label{item3} a\n"
                             "\\end{enumerate}\n\\par\\noindent\np\n\\begin{enumerate}\n"
                             "\\item \\label{item5} b\n\\end{enumerate}\n\\par\\noindent\n"
                             "\\ref{1.1}\\ref{item3}\n");
    EXPECT_EQ(Body(Tcx()), "\\section{S}\\label{1}\n\\begin{equation}x\\end{equation}"
                           "\\label{1.1}\n\\begin{enumerate}\n\\item a\\label{item3}\n"
                           "\\end{enumerate}\n\\par\\noindent\np\n\\begin{enumerate}\n"
                           "\\item b\\label{item5}\n\\end{enumerate}\n\\par\\noindent\n"
                           "\\labelLink{1.1}{(1)}\\labelLink{item3}{(\\#1)}\n");
}

TEST_F(LatexExportTest, ALabelThatWouldRepeatIsWrittenOnce) {
    // Two paragraphs with one identity, as a damaged file may hold them.
    Add(Para(Style::kListEntry), "a", kRoman);
    Add(Para(Style::kListEntry), "b", kRoman);
    doc.paragraphs[1]->SetIdentity(doc.paragraphs[0]->GetIdentity());
    EXPECT_EQ(Body(Latex()), "\\begin{enumerate}\n\\item \\label{item1} a\n\\item b\n"
                             "\\end{enumerate}\n");
}

// A link shows its text as text wherever it stands, in the text mode around it; amid
// mathematics in the text's mode, in an equation as roman text.
TEST_F(LatexExportTest, ALinkIsTextWhereverItStands) {
    const auto link = [] {
        return new LinkComp(Str255("http://example.org/?a=1"), Str255("the page"), true);
    };
    const struct {
        const char* name;
        int32_t style;
        std::function<void(ParaComp&)> fill;
        const char* latex;
        const char* tcx;
    } cases[] = {
        {"in body text", Style::kParagraph,
         [&](ParaComp& p) {
             Add(p, "See ", kRoman);
             p.GetList(1)->Append(link());
             Add(p, " here.", kRoman);
         },
         "\\par\\noindent\nSee the page here.\n",
         "\\par\\noindent\nSee \\docLink{http://example.org/?a=1}{the page} here.\n"},
        {"in emphasis", Style::kParagraph,
         [&](ParaComp& p) {
             Add(p, "it ", kItalic);
             p.GetList(1)->Append(link());
         },
         "\\par\\noindent\n{\\em it the page}\n",
         "\\par\\noindent\n{\\em it \\docLink{http://example.org/?a=1}{the page}}\n"},
        {"after inline math", Style::kParagraph,
         [&](ParaComp& p) {
             Add(p, "x", kMath);
             p.GetList(1)->Append(link());
             Add(p, "y", kMath);
         },
         "\\par\\noindent\n$x$\\/the page$y$\n",
         "\\par\\noindent\n$x$\\/\\docLink{http://example.org/?a=1}{the page}$y$\n"},
        {"in an equation", Style::kPlainEquation,
         [&](ParaComp& p) {
             Add(p, "x", kMath);
             p.GetList(1)->Append(link());
         },
         "\\[x\\mbox{the page}\\]\n",
         "\\[x\\mbox{\\docLink{http://example.org/?a=1}{the page}}\\]\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ClearDocument();
        c.fill(Para(c.style));
        EXPECT_EQ(Body(Latex()), c.latex);
        EXPECT_EQ(Body(Tcx()), c.tcx);
    }
}

TEST_F(LatexExportTest, TechExplorerLinksEscapeTheirTargets) {
    StringStream out;
    TcxWriter writer(out, Str255("p"), dir);
    writer.WriteLink(Str255("a&b<\"\xE9"), Str255("see \xE9"));
    writer.Flush();
    EXPECT_EQ(out.text, "\\docLink{a&amp;b&lt;&quot;&#233;}{see \\'{e}}");

    StringStream plain;
    LatexFileWriter latex(plain, Str255("p"), dir);
    latex.WriteLink(Str255("http://x"), Str255("see"));
    latex.Flush();
    EXPECT_EQ(plain.text, "see");
}

TEST_F(LatexExportTest, PicturesAreNamedByCounterAndWrittenBesideTheExport) {
    const std::string svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"10\" "
                            "height=\"10\"><rect width=\"10\" height=\"10\" fill=\"red\"/></svg>";
    const PictureBytes picture(svg.begin(), svg.end());
    const PictureBytes legacy = {1, 0, 0, 0, 0x6C, 0, 0, 0, 0xAB};
    StringStream out;
    LatexFileWriter writer(out, Str255("fig"), dir);
    writer.WriteImage(72, 36, &picture);
    writer.WriteImage(10, 10, &legacy);
    writer.WriteImage(10, 10, nullptr);
    writer.Flush();
    EXPECT_EQ(out.text, "\\includegraphics[width=72pt,height=36pt]{fig1.png}"
                        "\\includegraphics[width=10pt,height=10pt]{fig2.png}"
                        "\\includegraphics[width=10pt,height=10pt]{fig3.png}");
    // PNG files of the size in pixels at 96 dpi, which pdflatex reads as they are.
    const QImage first(QString::fromStdString(FilePath("fig1.png")));
    EXPECT_EQ(first.size(), QSize(96, 48));
    EXPECT_EQ(first.pixel(48, 24), qRgb(255, 0, 0));
    EXPECT_EQ(ReadFile(FilePath("fig1.png")).substr(1, 3), "PNG");
    // A picture of an older document, which nothing draws, is a grey frame; no bytes, no file.
    const QImage second(QString::fromStdString(FilePath("fig2.png")));
    EXPECT_EQ(second.size(), QSize(13, 13));
    EXPECT_NE(second.pixel(0, 0), qRgb(255, 255, 255));
    EXPECT_EQ(second.pixel(6, 6), qRgb(255, 255, 255));
    EXPECT_FALSE(QFile::exists(QString::fromStdString(FilePath("fig3.png"))));
    EXPECT_EQ(writer.GetPictureFailures().count, 0);
}

TEST_F(LatexExportTest, TechExplorerPicturesArePngsOfTheirSizeInPixels) {
    const std::string svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"4\" height=\"4\">"
                            "<rect width=\"4\" height=\"4\" fill=\"black\"/></svg>";
    const PictureBytes picture(svg.begin(), svg.end());
    StringStream out;
    TcxWriter writer(out, Str255("t"), dir);
    writer.WriteImage(72, 36, &picture);
    writer.WriteImage(0, 5, &picture);
    writer.Flush();
    EXPECT_EQ(out.text, "\\includegraphics{t1.png}\\includegraphics{t2.png}");
    // 72 points are one inch: 96 pixels here, not 54; a zero width is one pixel.
    QImage first(QString::fromStdString(FilePath("t1.png")));
    EXPECT_EQ(first.size(), QSize(96, 48));
    EXPECT_EQ(first.pixel(48, 24), qRgb(0, 0, 0));
    QImage second(QString::fromStdString(FilePath("t2.png")));
    EXPECT_EQ(second.size(), QSize(1, 6));
    EXPECT_EQ(TcxWriter::PixelsOf(72, 96), 96);
    EXPECT_EQ(TcxWriter::PixelsOf(0, 96), 1);
}

TEST_F(LatexExportTest, APictureThatCannotBeWrittenIsCounted) {
    const PictureBytes legacy = {1, 2, 3};
    StringStream out;
    LatexFileWriter writer(out, Str255("p"), dir + "missing/");
    writer.WriteImage(1, 1, &legacy);
    writer.WriteImage(1, 1, &legacy);
    EXPECT_EQ(writer.GetPictureFailures().count, 2);
    EXPECT_EQ(writer.GetPictureFailures().first, dir + "missing/p1.png");
}

TEST_F(LatexExportTest, TheExportCompilesWithPdflatex) {
    Add(Para(Style::kTitle), "A Title", kRoman);
    Add(Para(Style::kSection), "Intro", kBold);
    ParaComp& text = Para(Style::kParagraph);
    Add(text, "Caf\xE9 costs 5 \x80 and ", kRoman).Add(text, "more", kItalic);
    Add(text, " for ", kRoman).Add(text, "x+1", kMath);
    AddFraction(text, "a", "b");
    Add(text, " done. See ", kRoman);
    text.GetList(1)->Append(
        new LinkComp(Str255("http://example.org/?a=1&b=2"), Str255("the $5 & 50% page"), true));
    Add(text, " here.", kRoman);
    ParaComp& first = Para(Style::kListEntry);
    Add(first, "first", kRoman);
    Add(Para(Style::kListEntry), "second", kRoman);
    ParaComp& equation = Para(Style::kNumberedEquation);
    Add(equation, "sin(x)=", kMath);
    AddFraction(equation, "1", "2");
    // List entries after an equation, in a list of their own: their numbers repeat.
    Add(Para(Style::kListEntry), "again", kRoman);
    Add(Para(Style::kPlainEquation), "x2y+alpha", kMath);
    Add(Para(Style::kListEntry), "once more", kRoman);
    ParaComp& refers = Para(Style::kParagraph);
    Add(refers, "By ", kRoman);
    refers.GetList(1)->Append(new RefComp(*equation.GetNumberSource()));
    Add(refers, " and ", kRoman);
    refers.GetList(1)->Append(new RefComp(*first.GetNumberSource()));
    Add(Para(Style::kSourceCode), "Integrate[x, x]", kCode);
    Add(Para(Style::kHeading), "End", kBold);
    const std::string latex = Latex(true, 2);
    {
        std::ofstream file(FilePath("doc.tex"), std::ios::binary);
        file << latex;
    }
    // Twice, as a writer does, so the references meet their labels.
    ToolRun run;
    for (int pass = 0; pass < 2; ++pass) {
        run = RunTool("pdflatex", {"-interaction=nonstopmode", "-halt-on-error", "doc.tex"}, dir);
        if (!run.found) GTEST_SKIP() << "pdflatex is not installed";
        ASSERT_EQ(run.exitCode, 0) << latex << "\n" << run.output;
    }
    EXPECT_TRUE(QFile::exists(QString::fromStdString(FilePath("doc.pdf"))));
    const std::string log = ReadFile(FilePath("doc.log"));
    EXPECT_EQ(log.find("multiply defined"), std::string::npos) << latex << "\n" << log;
    EXPECT_EQ(log.find("undefined"), std::string::npos) << latex << "\n" << log;
    // The link's text is text: no math italics, its marks as they are.
    EXPECT_NE(latex.find("See the \\$5 \\& 50\\% page here."), std::string::npos) << latex;
}

} // namespace
} // namespace exporttest
