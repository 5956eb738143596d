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
        {kHtml, "Week.htm", "<p>so <img SRC=\"Week1.png\"></p>"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        host.saveAnswer = FilePath(c.file);
        EXPECT_TRUE(document.OnExport(c.command));
        EXPECT_NE(Read(c.file).find(c.contains), std::string::npos) << Read(c.file);
        EXPECT_TRUE(host.reports.empty());
        EXPECT_TRUE(host.messages.empty());
    }
    EXPECT_TRUE(QFile::exists(QString::fromStdString(FilePath("Week0.png"))));
    EXPECT_TRUE(QFile::exists(QString::fromStdString(FilePath("Week1.png"))));
}

TEST_F(ExportCommandTest, APictureThatCannotBeWrittenIsReportedOnceAfterTheExport) {
    ExportServices exports;
    // A folder where the picture's file would go.
    QDir(QString::fromStdString(dir)).mkdir(QStringLiteral("Week0.png"));
    host.saveAnswer = FilePath("Week.htm");
    EXPECT_TRUE(document.OnExport(kHtml));
    EXPECT_NE(Read("Week.htm").find("<img SRC=\"Week0.png\">"), std::string::npos);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0], "The document was exported, but 1 picture file could not be "
                                "written.\nThe first was " +
                                    FilePath("Week0.png") + ".");
}

TEST_F(ExportCommandTest, AFormulaThatDoesNotParseStopsTheMathMLExport) {
    ExportServices exports;
    Add(*Sequence().GetAt(1), "+", kMath);
    host.saveAnswer = FilePath("Week.xml");
    EXPECT_FALSE(document.OnExport(kMathML));
    EXPECT_FALSE(QFile::exists(QString::fromStdString(FilePath("Week.xml"))));
    ASSERT_EQ(host.messages.size(), 1u);
    ASSERT_EQ(host.selected.size(), 1u);
    EXPECT_EQ(host.selected[0].GetList(), Sequence().GetAt(1)->GetList(1));
}

} // namespace
} // namespace exporttest
