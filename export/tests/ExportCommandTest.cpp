#include "document/KernelSession.h"
#include "document/LinkComp.h"
#include "document/SequenceBody.h"
#include "document/TessaryDoc.h"
#include "document/tests/FakeHost.h"
#include "export/ExportServices.h"
#include "export/tests/ExportFixture.h"
#include "export/tests/TypesetText.h"
#include "export/tests/XhtmlCheck.h"

#include <QDir>
#include <QFile>

#include <fstream>
#include <iterator>

namespace exporttest {
namespace {

using namespace exportcmd;

// A kernel that is connected and idle: the notebook export needs one.
class ConnectedKernel final : public KernelSession {
public:
    bool IsConnected() const override { return true; }
    bool IsBusy() const override { return false; }
    void ShowMessage(const char*) override {}

private:
    Installed<KernelSession> m_installed{gKernelSession, this};
};

// The kernel's box text of every formula.
std::string BoxText(const ExprNode&) {
    return "BOX";
}

class ExportCommandTest : public ExportTest {
protected:
    ExportCommandTest() {
        document.OnNewDocument();
        host.title = "Week.tsy";
        // The new document's equation, then a text paragraph with a fraction in it.
        ParaComp& equation = *Sequence().GetAt(1);
        Add(equation, "x+1", kMath);
        document.GetBody().AppendNewParagraph(ParaStyle::kParagraph);
        ParaComp& text = *Sequence().GetAt(Sequence().GetCount());
        Add(text, "so ", kRoman);
        AddFraction(text, "1", "x");
    }
    CompSequence& Sequence() {
        return static_cast<SequenceBody&>(document.GetBody()).GetSequence();
    }
    // The page and notebook exports stop with the message, leave no file and put the caret
    // before child `index` of `list`.
    void ExpectRefused(const CompList* list, int32_t index) {
        for (int32_t command : {kMathML, kNotebook}) {
            SCOPED_TRACE(command);
            host.messages.clear();
            host.selected.clear();
            const std::string name = command == kMathML ? "Week.xml" : "Week.nb";
            host.saveAnswer = FilePath(name);
            EXPECT_FALSE(document.OnExport(command));
            EXPECT_FALSE(QFile::exists(QString::fromStdString(FilePath(name))));
            ASSERT_EQ(host.messages.size(), 1u);
            EXPECT_EQ(host.messages[0], CTessaryDoc::kBadExpressionMessage);
            ASSERT_EQ(host.selected.size(), 1u);
            EXPECT_EQ(host.selected[0].GetList(), list);
            EXPECT_EQ(host.selected[0].index, index);
        }
    }
    // A new paragraph of the style at the document's end.
    ParaComp& NewParagraph(int32_t style) {
        document.GetBody().AppendNewParagraph(style);
        return *Sequence().GetAt(Sequence().GetCount());
    }
    std::string Read(const std::string& name) {
        std::ifstream in(FilePath(name), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    // The command writes `file` holding `contains`, with nothing to report or select.
    void ExpectExported(int32_t command, const std::string& file, const char* contains) {
        SCOPED_TRACE(file);
        host.saveAnswer = FilePath(file);
        EXPECT_TRUE(document.OnExport(command));
        EXPECT_NE(Read(file).find(contains), std::string::npos) << Read(file);
        EXPECT_TRUE(host.reports.empty());
        EXPECT_TRUE(host.messages.empty()) << host.messages[0];
        EXPECT_TRUE(host.selected.empty());
    }

    fakes::Host host;
    CTessaryDoc document{host};
};

TEST_F(ExportCommandTest, InstalledWritersEnableTheCommands) {
    for (int32_t command : {kLatex, kTechExplorer, kMathML, kHtml, kNotebook})
        EXPECT_FALSE(document.IsExportEnabled(command)) << command;
    {
        ExportServices exports;
        for (int32_t command : {kLatex, kTechExplorer, kMathML, kHtml})
            EXPECT_TRUE(document.IsExportEnabled(command)) << command;
        EXPECT_FALSE(document.IsExportEnabled(kNotebook)) << "no kernel to convert formulas";
    }
    EXPECT_FALSE(document.IsExportEnabled(kLatex)) << "the guard took its factory away";
}

TEST_F(ExportCommandTest, EachCommandWritesItsFile) {
    ExportServices exports;
    const struct {
        int32_t command;
        const char* file;
        const char* contains;
    } cases[] = {
        {kLatex, "Week.tex", "\\[x+1\\]\n\\par\\noindent\nso $\\frac{1}{x}$\n\\end{document}\n"},
        {kTechExplorer, "Week.tcx", "\\documentstyle{article}"},
        {kMathML, "Week.xml", "<mo>+</mo><mn>1</mn>"},
        {kHtml, "Week.htm", "<p>so <img SRC=\"Week-htm1.png\"></p>"},
    };
    for (const auto& c : cases)
        ExpectExported(c.command, c.file, c.contains);
    EXPECT_TRUE(QFile::exists(QString::fromStdString(FilePath("Week-htm0.png"))));
    EXPECT_TRUE(QFile::exists(QString::fromStdString(FilePath("Week-htm1.png"))));
}

TEST_F(ExportCommandTest, APictureThatCannotBeWrittenIsReportedOnceAfterTheExport) {
    ExportServices exports;
    // A folder where the picture's file would go.
    QDir(QString::fromStdString(dir)).mkdir(QStringLiteral("Week-htm0.png"));
    host.saveAnswer = FilePath("Week.htm");
    EXPECT_TRUE(document.OnExport(kHtml));
    EXPECT_NE(Read("Week.htm").find("<img SRC=\"Week-htm0.png\">"), std::string::npos);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0], "The document was exported, but 1 picture file could not be "
                                "written.\nThe first was " +
                                    FilePath("Week-htm0.png") + ".");
}

TEST_F(ExportCommandTest, AFormulaThatDoesNotParseStopsTheMathMLAndNotebookExports) {
    ConnectedKernel kernel;
    ExportServices exports(BoxText);
    Add(*Sequence().GetAt(1), "+", kMath);
    ExpectRefused(Sequence().GetAt(1)->GetList(1), 1);
}

// The paragraph "See [link] here." through every export command: the link's shown text is
// text, and nothing stops an export that checks its formulas first.
TEST_F(ExportCommandTest, ALinkInBodyTextIsItsShownTextInEveryExport) {
    ConnectedKernel kernel;
    ExportServices exports(BoxText);
    document.GetBody().AppendNewParagraph(ParaStyle::kParagraph);
    ParaComp& para = *Sequence().GetAt(Sequence().GetCount());
    Add(para, "See ", kRoman);
    para.GetList(1)->Append(
        new LinkComp(Str255("http://example.org/"), Str255("the example page"), true));
    Add(para, " here.", kRoman);
    const struct {
        int32_t command;
        const char* file;
        const char* contains;
    } cases[] = {
        {kLatex, "Week.tex", "\\par\\noindent\nSee the example page here.\n"},
        {kTechExplorer, "Week.tcx",
         "\\par\\noindent\nSee \\docLink{http://example.org/}{the example page} here.\n"},
        {kHtml, "Week.htm",
         "<p>See <A HREF=\"http://example.org/\">the example page</A> here.</p>"},
        {kMathML, "Week.xml",
         "<p>See <a href=\"http://example.org/\">the example page</a> here.</p>"},
        {kNotebook, "Week.nb", "Cell[TextData[{\n\"See the example page here.\"}],  \"Text\"]"},
    };
    for (const auto& c : cases)
        ExpectExported(c.command, c.file, c.contains);
}

// Blanks and words in the math face are no badly formed formula.
TEST_F(ExportCommandTest, WordsInTheMathFaceDoNotStopAnExport) {
    ConnectedKernel kernel;
    ExportServices exports(BoxText);
    document.GetBody().AppendNewParagraph(ParaStyle::kParagraph);
    ParaComp& text = *Sequence().GetAt(Sequence().GetCount());
    Add(text, "a", kRoman).Add(text, " ", kMath).Add(text, "b ", kRoman);
    Add(text, "and so on.", kMath);
    document.GetBody().AppendNewParagraph(ParaStyle::kPlainEquation);
    Add(*Sequence().GetAt(Sequence().GetCount()), " ", kMath);
    ExpectExported(kMathML, "Week.xml", "<mtext>and so on.</mtext>");
    ExpectExported(kNotebook, "Week.nb", "\"and so on.\"");
}

// Every character of the text faces, each after a letter and before a blank, through the
// LaTeX export: pdflatex sets the file, and on the page each character keeps the blank after
// it, though TeX skips the blanks after a control word such as "\S" or "\P", and no letter
// runs into a control word, in text or in mathematics. A switch of face, a link's text and a
// reference whose target is gone write their text the same way.
TEST_F(ExportCommandTest, LatexKeepsTheBlankAfterEveryCharacter) {
    ExportServices exports;
    // Guillemets, low quotes, thorn and eth, which the page's font encoding lacks.
    const std::string lacking = "\xAB\xBB\x8B\x9B\x84\x82\xFE\xDE\xF0\xD0";
    int32_t cases = 0;
    const auto paragraph = [&]() -> ParaComp& {
        ++cases;
        return NewParagraph(ParaStyle::kParagraph);
    };
    for (int code = 0x21; code <= 0xFF; ++code) {
        const std::string c(1, static_cast<char>(code));
        if (code == 0x7F || lacking.find(c) != std::string::npos) continue;
        Add(paragraph(), c + "Z " + c + " Z", kRoman);
    }
    for (int32_t face : {kItalic, kBold, kCode}) {
        ParaComp& para = paragraph();
        Add(para, "Z", kRoman).Add(para, " Z", face);
    }
    ParaComp& linked = paragraph();
    Add(linked, "Z", kRoman);
    linked.GetList(1)->Append(new LinkComp(Str255("http://example.org/"), Str255("\xA7 Z"), true));
    // A label is stored with the section sign at 0xA4.
    ParaComp& referred = paragraph();
    referred.GetList(1)->Append(new RefComp(99, Str31("(\xA4"
                                                      "1)")));
    Add(referred, " \xA7 Z", kRoman);
    // In mathematics, the letter after iota, diagonal dots, subset, centred dots and partial.
    Add(NewParagraph(ParaStyle::kPlainEquation), "\x88x\x98x\xC9x\xD9x\xDBx", kMath);
    host.saveAnswer = FilePath("Week.tex");
    ASSERT_TRUE(document.OnExport(kLatex));
    const std::string latex = Read("Week.tex");
    EXPECT_NE(latex.find("\\partial x"), std::string::npos) << latex;
    EXPECT_NE(latex.find("\\S{} Z"), std::string::npos) << latex;
    EXPECT_NE(latex.find("Z{\\em {} Z}"), std::string::npos) << latex;

    const ToolRun run = Typeset("Week.tex", dir);
    if (!run.found) GTEST_SKIP() << "pdflatex is not installed";
    ASSERT_EQ(run.exitCode, 0) << latex << "\n" << run.output;
    const std::optional<std::vector<Glyph>> glyphs = GlyphsOf("Week.pdf", dir);
    if (!glyphs) GTEST_SKIP() << "gs is not installed";
    SavePages("Week.pdf", dir, drawtest::OutputPath("export-latex-blanks.png"));
    int32_t checked = 0;
    std::string page = "\n";
    for (const TypesetLine& line : LinesOf(*glyphs)) {
        page += line.text + "\n";
        if (line.glyphs.back().text != "Z") continue;
        ++checked;
        EXPECT_EQ(line.text.substr(line.text.size() - 2), " Z") << line.text;
    }
    EXPECT_EQ(checked, cases);
    // The reference's label as the document shows it.
    EXPECT_NE(page.find("\n(\xC2\xA7"
                        "1) \xC2\xA7 Z\n"),
              std::string::npos)
        << page;
}

// A link whose address holds every character TeX reserves, and a reference to a section,
// through the TechExplorer export, read by TeX with the two link commands defined as a reader
// would: the address reaches its command whole, in the character references the viewer
// decodes, and the page shows the link's text and the reference's label as the document does.
TEST_F(ExportCommandTest, TechExplorerLinksAndReferencesReachTheirReaderWhole) {
    ExportServices exports;
    ParaComp& section = NewParagraph(ParaStyle::kSection);
    Add(section, "Intro", kBold);
    ParaComp& text = NewParagraph(ParaStyle::kParagraph);
    const std::string address = "http://example.org/a%20b/{x}_1^2~$y\\z.htm?q=\"1\"&r=<2>#top\xE9";
    Add(text, "See ", kRoman);
    text.GetList(1)->Append(
        new LinkComp(Str255(address.c_str()), Str255("100% sure \xA7 Z"), true));
    Add(text, " and ", kRoman);
    text.GetList(1)->Append(new RefComp(*section.GetNumberSource()));
    Add(text, " here.", kRoman);
    Sequence().PlaceAll(false);
    host.saveAnswer = FilePath("Week.tcx");
    ASSERT_TRUE(document.OnExport(kTechExplorer));
    const std::string tcx = Read("Week.tcx");

    // The reader: each address into a file of its own lines, each text set as it comes.
    WriteText(FilePath("reader.tex"),
              "\\newwrite\\addresses\\immediate\\openout\\addresses=addresses.txt\n"
              "\\def\\docLink#1#2{\\immediate\\write\\addresses{\\detokenize{#1}}#2}\n"
              "\\def\\labelLink#1#2{#2}\n\\input{Week.tcx}\n");
    const ToolRun run = Typeset("reader.tex", dir);
    if (!run.found) GTEST_SKIP() << "pdflatex is not installed";
    ASSERT_EQ(run.exitCode, 0) << tcx << "\n" << run.output;
    // TeX shows a parameter character doubled; the viewer reads character references.
    std::string read = Read("addresses.txt");
    ASSERT_FALSE(read.empty()) << tcx;
    read.pop_back();
    std::string decoded;
    for (size_t i = 0; i < read.size(); ++i) {
        if (read.compare(i, 2, "##") == 0) ++i;
        decoded += read[i];
    }
    EXPECT_EQ(Unescape(decoded), exporttext::Utf8OfText(address)) << tcx;

    const std::optional<std::vector<Glyph>> glyphs = GlyphsOf("reader.pdf", dir);
    if (!glyphs) GTEST_SKIP() << "gs is not installed";
    std::string page = "\n";
    for (const TypesetLine& line : LinesOf(*glyphs))
        page += line.text + "\n";
    EXPECT_NE(page.find("\nSee 100% sure \xC2\xA7 Z and (\xC2\xA7"
                        "1) here.\n"),
              std::string::npos)
        << tcx << page;
}

// An equation with a link beside its formula and one with a reference: the page and the
// notebook write the formula and the link's and reference's text beside it, and the page is
// valid XHTML with MathML.
TEST_F(ExportCommandTest, LinksInEquationsAreTextBesideTheFormula) {
    ConnectedKernel kernel;
    ExportServices exports(BoxText);
    ParaComp& section = NewParagraph(ParaStyle::kSection);
    Add(section, "S", kBold);
    ParaComp& energy = NewParagraph(ParaStyle::kPlainEquation);
    Add(energy, "E=mc", kMath);
    energy.GetList(1)->Append(new ExpoComp(Glyphs("2", kMath)));
    energy.GetList(1)->Append(
        new LinkComp(Str255("http://example.org/"), Str255("(source)"), true));
    ParaComp& numbered = NewParagraph(ParaStyle::kNumberedEquation);
    Add(numbered, "y=2 ", kMath);
    numbered.GetList(1)->Append(new RefComp(*section.GetNumberSource()));
    Sequence().PlaceAll(false);
    ExpectExported(kMathML, "Week.xml",
                   "<msup><mi>mc</mi><mn>2</mn></msup></mrow><mtext>(source)</mtext></math>");
    ExpectExported(kMathML, "Week.xml", "<mn>2</mn></mrow><mtext>(&#167;1)</mtext></math>");
    const int count = CheckPage(Read("Week.xml"), dir);
    if (count >= 0) EXPECT_EQ(count, 4);
    ExpectExported(kNotebook, "Week.nb",
                   "Cell[BoxData[\nRowBox[{BOX, \"(source)\"}]],  \"DisplayFormula\"");
    ExpectExported(kNotebook, "Week.nb",
                   "Cell[BoxData[\nRowBox[{BOX, \"(\\:00a71)\"}]],  \"NumberedEquation\"");
}

// A reference to an equation inside a formula stands for that equation's expression, as the
// kernel reads it, and is written as its mathematics, not as its label.
TEST_F(ExportCommandTest, AReferenceToAnEquationInAFormulaIsItsExpression) {
    ConnectedKernel kernel;
    ExportServices exports(BoxText);
    ParaComp& square = NewParagraph(ParaStyle::kNumberedEquation);
    Add(square, "q", kMath);
    square.GetList(1)->Append(new ExpoComp(Glyphs("2", kMath)));
    ParaComp& sum = NewParagraph(ParaStyle::kPlainEquation);
    Add(sum, "y=", kMath);
    sum.GetList(1)->Append(new RefComp(*square.GetNumberSource()));
    Add(sum, "+1", kMath);
    Sequence().PlaceAll(false);
    ExpectExported(kMathML, "Week.xml",
                   "<msup><mi>q</mi><mn>2</mn></msup><mo>+</mo><mn>1</mn></mrow></mrow></math>");
    const std::string page = Read("Week.xml");
    EXPECT_EQ(page.find("<mtext>(1)</mtext>"), std::string::npos) << page;
    ExpectExported(kNotebook, "Week.nb", "\"DisplayFormula\"");
}

// A formula that does not parse stops the page and notebook exports wherever a link stands
// beside it, and the caret goes to it.
TEST_F(ExportCommandTest, ABadFormulaBesideALinkStillStopsTheExport) {
    ConnectedKernel kernel;
    ExportServices exports(BoxText);
    ParaComp& equation = NewParagraph(ParaStyle::kPlainEquation);
    equation.GetList(1)->Append(new LinkComp(Str255("http://example.org/"), Str255("see"), true));
    Add(equation, "y+", kMath);
    ExpectRefused(equation.GetList(1), 2);
}

} // namespace
} // namespace exporttest
