#include "document/KernelSession.h"
#include "document/LinkComp.h"
#include "document/SequenceBody.h"
#include "document/TessaryDoc.h"
#include "document/tests/FakeHost.h"
#include "export/ExportServices.h"
#include "export/tests/ExportFixture.h"

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
        EXPECT_EQ(host.selected[0].GetList(), Sequence().GetAt(1)->GetList(1));
    }
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

} // namespace
} // namespace exporttest
