#include "document/SequenceBody.h"
#include "document/TessaryDoc.h"
#include "document/tests/FakeHost.h"
#include "export/ExportServices.h"
#include "export/tests/ExportFixture.h"

#include <QImage>
#include <QPainter>

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
// equation size.
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
        const QImage picture(QString::fromStdString(FilePath("Week0.png")));
        ASSERT_FALSE(picture.isNull());
        QImage editor = EditorDrawing(equation);
        const std::string name = std::string("export-html-equation-") + c.name;
        picture.save(QString::fromStdString(drawtest::OutputPath(name + ".png")));
        editor.save(QString::fromStdString(drawtest::OutputPath(name + "-editor.png")));
        EXPECT_EQ(Ink(picture), Ink(editor));
    }
}

} // namespace
} // namespace exporttest
