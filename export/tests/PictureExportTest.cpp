#include "document/MetaPictComp.h"
#include "document/SequenceBody.h"
#include "document/TessaryDoc.h"
#include "document/tests/FakeHost.h"
#include "export/ExportServices.h"
#include "export/tests/ExportFixture.h"
#include "export/tests/ExternalTools.h"
#include "plot/tests/PlotFixture.h"

#include <QImage>
#include <QPainter>

#include <fstream>
#include <iterator>
#include <regex>
#include <set>

namespace exporttest {
namespace {

using namespace exportcmd;

// The box around every pixel that is not white; an empty box for a blank image.
QRect InkBox(const QImage& image) {
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (!drawtest::IsWhite(image, x, y)) box |= QRect(x, y, 1, 1);
    return box;
}

QImage Ink(const QImage& image) {
    return image.copy(InkBox(image)).convertToFormat(QImage::Format_RGB32);
}

// Documents exported through the document's own commands, as the editor's menu does.
class PictureExportTest : public ExportTest {
protected:
    PictureExportTest() {
        document.OnNewDocument();
        host.title = "Week.tsy";
    }
    CompSequence& Sequence() {
        return static_cast<SequenceBody&>(document.GetBody()).GetSequence();
    }
    ParaComp& NewParagraph(int32_t style) {
        document.GetBody().AppendNewParagraph(style);
        return *Sequence().GetAt(Sequence().GetCount());
    }
    std::string Read(const std::string& name) {
        std::ifstream in(FilePath(name), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    bool Export(int32_t command, const std::string& file) {
        host.saveAnswer = FilePath(file);
        return document.OnExport(command);
    }
    // The paragraph as the editor's view draws it, on a white page.
    QImage EditorDrawing(ParaComp& para) {
        view.image.fill(Qt::white);
        layouttest::LayOut(para, 100);
        para.DrawInRect(para.GetFrame());
        // The number stands beside the equation, outside its picture.
        for (const Layout* run : para.GetList(1)->GetRuns())
            if (run->GetTypeTag() == tags::LabelRun) {
                const Rect r = run->GetFrame();
                QPainter(&view.image).fillRect(r.left, r.top, r.Width(), r.Height(), Qt::white);
            }
        return view.image;
    }

    fakes::Host host;
    CTessaryDoc document{host};
};

// Each equation's picture against the editor's drawing of the equation (its number left out):
// fractions stack and integrals take the large sign, as in the editor, at the document's
// equation size; the same mathematics as running text keeps its slashes and small signs.
TEST_F(PictureExportTest, AnEquationPictureIsInkedAsTheEditorDrawsTheEquation) {
    ExportServices exports;
    const struct {
        const char* name;
        int32_t style;
        bool larger;
    } cases[] = {
        {"plain", ParaStyle::kPlainEquation, false},
        {"numbered", ParaStyle::kNumberedEquation, false},
        {"larger", ParaStyle::kPlainEquation, true},
        {"running-text", ParaStyle::kParagraph, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        document.OnNewDocument();
        document.SetLargerEquations(c.larger);
        ParaComp& equation = *Sequence().GetAt(1);
        equation.SetStyle(c.style);
        Add(equation, "f(x)=sin(x)+a b+", kMath);
        AddFraction(equation, "1", "x+1");
        Add(equation, "+", kMath);
        AddFraction(equation, "sin(x)", "x");
        Add(equation, "+", kMath);
        equation.GetList(1)->Append(new InteComp(Glyphs("x", kMath), Glyphs("x", kMath),
                                                 Glyphs("1", kMath), Glyphs("0", kMath)));
        ASSERT_TRUE(Export(kHtml, "Week.htm"));
        const QImage picture(QString::fromStdString(FilePath("Week-htm0.png")));
        ASSERT_FALSE(picture.isNull());
        QImage editor = EditorDrawing(equation);
        const std::string name = std::string("export-html-equation-") + c.name;
        picture.save(QString::fromStdString(drawtest::OutputPath(name + ".png")));
        editor.save(QString::fromStdString(drawtest::OutputPath(name + "-editor.png")));
        EXPECT_EQ(Ink(picture), Ink(editor));
    }
}

// A picture of one colour, 96 by 48 pixels: 72 by 36 points.
MetaPictComp* Swatch(const char* colour) {
    const std::string svg = std::string("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"96\" "
                                        "height=\"48\"><rect width=\"96\" height=\"48\" fill=\"") +
                            colour + "\"/></svg>";
    return new MetaPictComp(PictureBytes(svg.begin(), svg.end()));
}

bool IsRed(QRgb pixel) {
    return qRed(pixel) > 200 && qGreen(pixel) < 60 && qBlue(pixel) < 60;
}
// The first curve of a plot is blue.
bool IsBlue(QRgb pixel) {
    return qBlue(pixel) > qRed(pixel) + 60 && qBlue(pixel) > qGreen(pixel) + 60;
}
int Count(const QImage& image, bool (*test)(QRgb)) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += test(image.pixel(x, y)) ? 1 : 0;
    return count;
}

// A picture among text and a plot of its own: both are PNG files beside the LaTeX, which
// pdflatex compiles into a page that shows them.
TEST_F(PictureExportTest, LatexWithAPictureAndAPlotCompilesAndShowsBoth) {
    ExportServices exports;
    PlotKinds plots;
    ParaComp& text = NewParagraph(ParaStyle::kParagraph);
    Add(text, "A picture ", kRoman);
    text.GetList(1)->Append(Swatch("red"));
    Add(text, " in text.", kRoman);
    auto* plot = new Plot2DComp();
    plot->SetXRange(Str31("x"), -1, 1);
    plot->SetYRange(Str31("y"), 0, 1);
    plot->GetList(1)->InsertArrayAt(Glyphs("x", kMath), 1);
    plot->GetList(1)->Append(new ExpoComp(Glyphs("2", kMath)));
    NewParagraph(ParaStyle::kPlainEquation).GetList(1)->Append(plot);
    ASSERT_TRUE(plot->SetGraphics(
        plottest::SampledGraphics({[](double x) { return x * x; }}, -1, 1, 0, 1)));
    ASSERT_TRUE(Export(kLatex, "Week.tex"));
    EXPECT_TRUE(host.messages.empty());
    const std::string latex = Read("Week.tex");
    EXPECT_EQ(latex.find("emf"), std::string::npos) << latex;
    EXPECT_NE(
        latex.find("A picture $\\fbox{$\\includegraphics[width=72pt,height=36pt]{Week-tex1.png}$} "
                   "$\\/ in text."),
        std::string::npos)
        << latex;
    EXPECT_NE(latex.find("\\fbox{$\\begin{array}{c}\\includegraphics[width="), std::string::npos);
    EXPECT_NE(latex.find("]{Week-tex2.png}\\\\ x^{2}\\end{array}$}"), std::string::npos) << latex;
    const QImage picture(QString::fromStdString(FilePath("Week-tex1.png")));
    EXPECT_EQ(picture.size(), QSize(96, 48));
    EXPECT_EQ(Count(picture, IsRed), 96 * 48);
    const QImage plotted(QString::fromStdString(FilePath("Week-tex2.png")));
    EXPECT_GT(Count(plotted, IsBlue), 100);
    plotted.save(QString::fromStdString(drawtest::OutputPath("export-latex-plot.png")));

    const ToolRun run =
        RunTool("pdflatex", {"-interaction=nonstopmode", "-halt-on-error", "Week.tex"}, dir);
    if (!run.found) GTEST_SKIP() << "pdflatex is not installed";
    ASSERT_EQ(run.exitCode, 0) << latex << "\n" << run.output;
    const ToolRun render = RunTool("gs",
                                   {"-q", "-dSAFER", "-dBATCH", "-dNOPAUSE", "-sDEVICE=png16m",
                                    "-r96", "-sOutputFile=page.png", "Week.pdf"},
                                   dir);
    if (!render.found) GTEST_SKIP() << "gs is not installed";
    ASSERT_EQ(render.exitCode, 0) << render.output;
    const QImage page(QString::fromStdString(FilePath("page.png")));
    ASSERT_FALSE(page.isNull());
    page.save(QString::fromStdString(drawtest::OutputPath("export-latex-page.png")));
    // The picture at its size on the page (72 by 36 points at 96 dpi), give or take its edges;
    // the plot's curve beside it.
    EXPECT_NEAR(Count(page, IsRed), 96 * 48, 96 + 48 + 4);
    EXPECT_GT(Count(page, IsBlue), 100);
}

// The picture files an export names: LaTeX and TechExplorer include them, the pages point at
// them.
std::set<std::string> PicturesNamedIn(const std::string& text) {
    static const std::regex named(R"re((?:\{|SRC="|src=")([^{}"]*\.png))re");
    std::set<std::string> names;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), named);
         it != std::sregex_iterator(); ++it)
        names.insert((*it)[1].str());
    return names;
}

// Every export proposes a name in the document's folder, so a person exporting one document in
// several formats puts all their pictures side by side: none may take another's picture.
TEST_F(PictureExportTest, ExportsIntoOneFolderKeepEachOthersPictures) {
    ExportServices exports;
    ParaComp& text = NewParagraph(ParaStyle::kParagraph);
    Add(text, "A picture ", kRoman);
    text.GetList(1)->Append(Swatch("red"));
    ParaComp& equation = NewParagraph(ParaStyle::kPlainEquation);
    equation.GetList(1)->Append(new FracComp(Glyphs("1", kMath), Glyphs("x+1", kMath)));
    const struct {
        int32_t command;
        const char* file;
    } exportsInTurn[] = {{kLatex, "Week.tex"},
                         {kTechExplorer, "Week.tcx"},
                         {kHtml, "Week.htm"},
                         {kMathML, "Week.xml"}};
    std::set<std::string> taken;
    for (const auto& e : exportsInTurn) {
        SCOPED_TRACE(e.file);
        ASSERT_TRUE(Export(e.command, e.file));
        const std::set<std::string> names = PicturesNamedIn(Read(e.file));
        EXPECT_FALSE(names.empty());
        for (const std::string& name : names) {
            EXPECT_TRUE(taken.insert(name).second) << name << " is another export's picture";
            EXPECT_FALSE(QImage(QString::fromStdString(FilePath(name))).isNull()) << name;
        }
    }
    // The LaTeX's picture is still its own after the other exports.
    const std::set<std::string> latex = PicturesNamedIn(Read("Week.tex"));
    ASSERT_EQ(latex.size(), 1u);
    const QImage picture(QString::fromStdString(FilePath(*latex.begin())));
    EXPECT_EQ(picture.size(), QSize(96, 48));
    EXPECT_EQ(Count(picture, IsRed), 96 * 48);
    EXPECT_TRUE(host.messages.empty()) << host.messages[0];
}

} // namespace
} // namespace exporttest
