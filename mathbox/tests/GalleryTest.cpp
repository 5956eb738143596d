// A gallery of typical formulas as they print, at 96 and 300 dots per inch, for a person to
// judge. Where pdflatex is installed the LaTeX that the boxes write is typeset too and shown
// beside each formula, so the two can be compared at a glance.

#include "document/tests/ParagraphLatexWriter.h"
#include "mathbox/CharTable.h"
#include "mathbox/DerivativeBoxes.h"
#include "mathbox/EquationSetBox.h"
#include "mathbox/GridKinds.h"
#include "mathbox/MatrixBox.h"
#include "mathbox/PiecewiseBox.h"
#include "mathbox/UprightNames.h"
#include "mathbox/tests/BoxFixture.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <functional>
#include <string>
#include <vector>

namespace {

using boxtest::Make;
using boxtest::Math;

// Math-face bytes of the signs the gallery uses.
constexpr char kArrow[] = "\x9C";
constexpr char kAlpha[] = "\xA8";
constexpr char kBeta[] = "\x87";
constexpr char kPartial[] = "\xDB";
constexpr char kLeq[] = "\xBA";
constexpr char kInfty[] = "\xB2";
constexpr char kPi[] = "\xBC";

void Put(CompArray& out, std::string_view text) {
    CompArray glyphs = Math(text);
    while (!glyphs.IsEmpty())
        out.Add(glyphs.RemoveAt(0));
}
void Put(CompArray& out, OwnedComponent comp) {
    out.Add(std::move(comp));
}

// A list from text and boxes in turn.
template <typename... Parts>
CompArray L(Parts&&... parts) {
    CompArray out;
    (Put(out, std::forward<Parts>(parts)), ...);
    return out;
}

OwnedComponent Frac(CompArray top, CompArray bottom) {
    return Make<FracComp>(std::move(top), std::move(bottom));
}
OwnedComponent Sup(CompArray script) {
    return Make<ExpoComp>(std::move(script));
}
OwnedComponent Sub(CompArray script) {
    return Make<SubsComp>(std::move(script));
}
OwnedComponent Root(CompArray radicand, CompArray index = {}) {
    return Make<SqrtComp>(std::move(radicand), std::move(index));
}
OwnedComponent Paren(CompArray inside) {
    return Make<ParenComp>(std::move(inside));
}

template <typename Grid>
OwnedComponent FilledGrid(Grid* grid, const std::vector<std::string>& cells) {
    size_t k = 0;
    for (int32_t r = 1; r <= grid->GetRowCount(); ++r)
        for (int32_t c = 1; c <= grid->GetColumnCount(); ++c)
            if (k < cells.size()) grid->GetCell(c, r)->InsertArrayAt(Math(cells[k++]), 1);
    return OwnedComponent(grid);
}

OwnedComponent Partial(std::vector<std::string> variables, std::string function) {
    auto* d = new PartialDerivativeBox();
    for (size_t i = 1; i < variables.size(); ++i)
        d->InsertDifferentialAt(static_cast<int32_t>(i) + 1,
                                OwnedDifferential(new PartialDifferentialBox()));
    for (size_t i = 0; i < variables.size(); ++i)
        d->GetList(static_cast<int32_t>(2 * i) + 1)->InsertArrayAt(Math(variables[i]), 1);
    d->GetList(d->GetListCount())->InsertArrayAt(Math(function), 1);
    return OwnedComponent(d);
}

struct Formula {
    const char* name;
    int32_t style;
    std::function<CompArray()> make;
};

const std::vector<Formula>& Formulas() {
    using boxtest::kEquation;
    constexpr int32_t kNumbered = ParaStyle::kNumberedEquation;
    static const std::vector<Formula> formulas = {
        {"fraction with scripts", kEquation,
         [] { return L(Frac(L("x", Sup(L("2")), "+y", Sup(L("2"))), L("2a", Sub(L("1"))))); }},
        {"y over sin", kEquation, [] { return L(Frac(L("y"), L("sin x"))); }},
        {"minus and product", kEquation, [] { return L("x-y+2*z=f'(x)-1"); }},
        {"nested radicals", kEquation,
         [] { return L(Root(L("1+", Root(L("1+", Root(L("x"))))))); }},
        {"cube root", kEquation, [] { return L(Root(L("x+1"), L("3")), "-", Root(L("2"))); }},
        {"sum with limits", kEquation,
         [] {
             return L(Make<SumComp>(L("n"), L("k=1")), "k", Sup(L("2")), "=",
                      Frac(L("n(n+1)(2n+1)"), L("6")));
         }},
        {"product", kEquation,
         [] { return L(Make<ProdComp>(L("n"), L("i=1")), "(1+x", Sub(L("i")), ")"); }},
        {"integral with limits", kEquation,
         [] {
             return L(Make<InteComp>(L("x", Sup(L("2"))), L("x"), L("1"), L("0")), "=",
                      Frac(L("1"), L("3")));
         }},
        {"gaussian integral", kEquation,
         [] {
             return L(Make<InteComp>(L("e", Sup(L("-x", Sup(L("2"))))), L("x"), L(kInfty),
                                     L("-", kInfty)),
                      "=", Root(L(kPi)));
         }},
        {"limit", kEquation,
         [] { return L(Make<LimitComp>(L("x", kArrow, "0")), Frac(L("sin x"), L("x")), "=1"); }},
        {"3 x 3 matrix", kEquation,
         [] {
             return L("A=", FilledGrid(new MatrixBox(3, 3),
                                       {"a", "b", "c", "d", "e", "f", "g", "h", "k"}));
         }},
        {"piecewise", kEquation,
         [] {
             return L("|x|=", FilledGrid(new PiecewiseBox(2), {"x", "x>0", "-x", "otherwise"}));
         }},
        {"equation set", kEquation,
         [] {
             return L(FilledGrid(new EquationSetBox(2), {"x+y=1", "x-y=3"}));
         }},
        {"partial derivatives", kEquation,
         [] {
             return L(Partial({"x", "y"}, "f"), "=", Partial({"y", "x"}, "f"));
         }},
        {"total derivative", kEquation,
         [] {
             auto* d = new TotalDerivativeBox();
             d->GetList(1)->InsertArrayAt(Math("x"), 1);
             d->GetList(2)->InsertArrayAt(Math("2"), 1);
             d->GetList(3)->InsertArrayAt(Math("y"), 1);
             return L(OwnedComponent(d), "+y=0");
         }},
        {"parentheses around a fraction", kEquation,
         [] { return L(Paren(L(Frac(L("a+b"), L("c")))), Sup(L("2"))); }},
        {"parentheses around a tall fraction", kEquation,
         [] { return L(Paren(L(Frac(L(Frac(L("1"), L("x"))), L("1+", Frac(L("1"), L("y"))))))); }},
        {"brackets around a sum", kEquation,
         [] {
             return L(Make<BracketComp>(L(Make<SumComp>(L("n"), L("k=0")), "x", Sup(L("k")))),
                      Sup(L("2")));
         }},
        {"absolute value of a fraction", kEquation,
         [] { return L(Make<AbsVComp>(L(Frac(L("a"), L("b")))), kLeq, "1"); }},
        {"parentheses around a matrix", kEquation,
         [] {
             return L(Paren(L(FilledGrid(new MatrixBox(2, 2), {"1", "0", "0", "1"}))));
         }},
        {"greek", kEquation, [] { return L(kAlpha, "+", kBeta, "=", kPi, "/2"); }},
        {"exponential", kEquation, [] { return L("e", Sup(L("-", kAlpha, "x"))); }},
        {"conjugate", kEquation,
         [] {
             return L(Make<OverComp>(L("z+w")), "=", Make<OverComp>(L("z")), "+",
                      Make<OverComp>(L("w")));
         }},
        {"double subscripts", kEquation,
         [] { return L("a", Sub(L("ij")), "=b", Sub(L("ji")), "c", Sup(L("2"))); }},
        {"nested powers", kEquation, [] { return L("x", Sup(L("2", Sup(L("n")))), "+1"); }},
        {"continued fraction", kEquation,
         [] {
             return L("1+", Frac(L("1"), L("1+", Frac(L("1"), L("1+", Frac(L("1"), L("x")))))));
         }},
        {"partial in a sum", kEquation,
         [] {
             return L(kPartial, Sub(L("t")), "u=", Make<SumComp>(L("n"), L("i=1")), kPartial,
                      Sub(L("i")), kPartial, Sub(L("i")), "u");
         }},
        {"binomial theorem", kEquation,
         [] {
             return L("(a+b)", Sup(L("n")), "=", Make<SumComp>(L("n"), L("k=0")),
                      Paren(L(FilledGrid(new MatrixBox(1, 2), {"n", "k"}))), "a", Sup(L("k")), "b",
                      Sup(L("n-k")));
         }},
        {"long numbered equation", kNumbered,
         [] {
             return L("f(x)=a", Sub(L("0")), "+a", Sub(L("1")), "x+a", Sub(L("2")), "x",
                      Sup(L("2")), "+a", Sub(L("3")), "x", Sup(L("3")), "-", Frac(L("b"), L("1-x")),
                      "+", Root(L("1-x", Sup(L("2")))));
         }},
        {"empty optional slots", kEquation,
         [] {
             return L(Root(L("x")), "+", Make<InteComp>(L("g"), L("t"), L(""), L("")), "+",
                      Make<SumComp>(L(""), L("k")), "a", Sub(L("k")));
         }},
    };
    return formulas;
}

// LaTeX as the boxes write it, characters through the character table's math forms; the
// names set upright become LaTeX's operator names.
class GalleryLatex final : public fakes::ParagraphLatexWriter {
public:
    void BeginGroup(bool brace) override {
        if (brace) out += '{';
    }
    void EndGroup(bool brace) override {
        if (brace) out += '}';
    }
    void WriteComponentChar(TextComp& comp, bool) override {
        if (comp.IsNotChar()) {
            comp.WriteLatex(*this);
            return;
        }
        const CharInfo& info = CharInfoFor(comp.GetCharCode(), comp.GetStyleId());
        out += comp.GetStyleId() == kMathFontKind ? info.mathForm : info.textForm;
    }
    void WriteRaw(const char* text) override { out += text; }

    std::string out;
};

QString LatexOf(CompList& list) {
    GalleryLatex writer;
    list.WriteLatex(writer, false, false);
    QString latex = QString::fromLatin1(writer.out.c_str());
    latex.replace(QRegularExpression(QStringLiteral("(?<![\\\\a-z])sin")),
                  QStringLiteral("\\sin "));
    return latex;
}

bool UprightNames(std::string_view name) {
    return name == "sin" || name == "lim";
}

// The smallest rectangle holding every pixel darker than near-white, or an empty one.
QRect InkBox(const QImage& image, const QRect& within) {
    const QImage gray = image.format() == QImage::Format_Grayscale8
                            ? image
                            : image.convertToFormat(QImage::Format_Grayscale8);
    int left = within.right() + 1;
    int right = within.left() - 1;
    int top = within.bottom() + 1;
    int bottom = within.top() - 1;
    const QRect area = within.intersected(gray.rect());
    for (int y = area.top(); y <= area.bottom(); ++y) {
        const uchar* row = gray.constScanLine(y);
        for (int x = area.left(); x <= area.right(); ++x)
            if (row[x] < 240) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    }
    return left > right ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
}

QImage AtDpi(int width, int height, int dpi) {
    QImage image(std::max(1, width), std::max(1, height), QImage::Format_RGB32);
    image.setDotsPerMeterX(qRound(dpi / 0.0254));
    image.setDotsPerMeterY(qRound(dpi / 0.0254));
    image.fill(Qt::white);
    return image;
}

// Typesets every formula on a page of its own and renders the pages at 300 dpi (and, scaled
// down, at 96); answers each formula's picture cropped to its ink, per resolution, or nothing
// without pdflatex.
std::map<int, std::vector<QImage>> Typeset(const QStringList& formulas, QString& failure) {
    std::map<int, std::vector<QImage>> pages;
    const QString pdflatex = QStandardPaths::findExecutable(QStringLiteral("pdflatex"));
    const QString gs = QStandardPaths::findExecutable(QStringLiteral("gs"));
    if (pdflatex.isEmpty() || gs.isEmpty()) return pages;
    QTemporaryDir dir;
    QString tex = QStringLiteral(
        "\\documentclass[12pt]{article}\n\\usepackage{amsmath}\n\\pagestyle{empty}\n"
        "\\pdfpagewidth=6.4in \\pdfpageheight=1.7in \\textwidth=6in \\textheight=1.5in\n"
        "\\oddsidemargin=-0.8in \\topmargin=-0.9in \\headheight=0pt \\headsep=0pt\n"
        "\\parindent=0pt\n\\begin{document}\\large\n");
    for (const QString& formula : formulas)
        tex += formula + QStringLiteral("\n\\clearpage\n");
    tex += QStringLiteral("\\end{document}\n");
    QFile file(dir.filePath(QStringLiteral("gallery.tex")));
    if (!file.open(QIODevice::WriteOnly)) return pages;
    file.write(tex.toLatin1());
    file.close();
    const auto run = [&](const QString& program, const QStringList& arguments) {
        QProcess process;
        process.setWorkingDirectory(dir.path());
        process.start(program, arguments);
        // A generous bound, only so that a wedged tool cannot hang the suite.
        const bool ended = process.waitForFinished(120000);
        if (!ended || process.exitCode() != 0) {
            failure = program + QStringLiteral(": ") +
                      QString::fromLocal8Bit(process.readAllStandardOutput().right(1500));
            return false;
        }
        return true;
    };
    if (!run(pdflatex, {QStringLiteral("-interaction=nonstopmode"),
                        QStringLiteral("-halt-on-error"), QStringLiteral("gallery.tex")}))
        return pages;
    if (!run(gs, {QStringLiteral("-q"), QStringLiteral("-dSAFER"), QStringLiteral("-dBATCH"),
                  QStringLiteral("-dNOPAUSE"), QStringLiteral("-sDEVICE=pgmraw"),
                  QStringLiteral("-dTextAlphaBits=4"), QStringLiteral("-dGraphicsAlphaBits=4"),
                  QStringLiteral("-r300"), QStringLiteral("-sOutputFile=page-%03d.pgm"),
                  QStringLiteral("gallery.pdf")}))
        return pages;
    for (int k = 1; k <= formulas.size(); ++k) {
        const QImage page(
            dir.filePath(QStringLiteral("page-%1.pgm").arg(k, 3, 10, QLatin1Char('0'))));
        const QRect ink = InkBox(page, page.rect());
        const QImage picture = ink.isEmpty() ? QImage() : page.copy(ink.adjusted(-2, -2, 2, 2));
        pages[300].push_back(picture);
        pages[96].push_back(picture.isNull()
                                ? QImage()
                                : picture.scaled(picture.size() * 96 / 300, Qt::IgnoreAspectRatio,
                                                 Qt::SmoothTransformation));
    }
    return pages;
}

class GalleryTest : public drawtest::DrawTest {
protected:
    LayoutServices layout;
    MathBoxKinds kinds;
    GridKinds grids;
    Installed<UprightNameTest> names{gUprightNames, UprightNames};
    layouttest::Document doc;
    std::vector<layouttest::OwnedPara> paras;

    // Lays every formula out at `dpi`, one paragraph each, and draws them as a page prints.
    // Answers the picture of each formula, cropped to its ink.
    std::vector<QImage> Draw(int dpi) {
        QImage measure = AtDpi(1, 1, dpi);
        port.BeginDCDraw(nullptr, measure);
        int32_t top = 0;
        std::vector<Rect> frames;
        NumberRecord numbers;
        for (auto& para : paras) {
            // Everything is measured again at the new resolution, as printing does.
            para->InvalidateAll();
            para->SetNumber(numbers);
            layouttest::LayOut(*para, top);
            frames.push_back(para->GetFrame());
            top = para->GetFrame().bottom;
        }
        const int32_t width = port.GetRightEdge() + port.GetLeftMargin() * 2;
        port.EndDraw();
        QImage page = AtDpi(width, top, dpi);
        port.BeginDCDraw(nullptr, page);
        for (auto& para : paras)
            para->DrawInRect(Rect(0, 0, page.width(), page.height()));
        port.EndDraw();
        std::vector<QImage> pictures;
        const QImage gray = page.convertToFormat(QImage::Format_Grayscale8);
        for (const Rect& f : frames) {
            const QRect frame(f.left, f.top, f.Width(), f.Height());
            const QRect ink = InkBox(gray, frame);
            pictures.push_back(ink.isEmpty() ? QImage() : page.copy(ink.adjusted(-2, -2, 2, 2)));
        }
        return pictures;
    }
};

// One row per formula: its name, the editor's drawing, and TeX's beside it when there is one.
QImage Compose(const std::vector<QImage>& ours, const std::vector<QImage>* theirs, int dpi) {
    const int gap = dpi / 6;
    const int label = dpi * 2;
    int oursWidth = 0;
    int theirsWidth = 0;
    int height = gap;
    for (size_t k = 0; k < ours.size(); ++k) {
        oursWidth = std::max(oursWidth, ours[k].width());
        int rowHeight = ours[k].height();
        if (theirs != nullptr) {
            theirsWidth = std::max(theirsWidth, (*theirs)[k].width());
            rowHeight = std::max(rowHeight, (*theirs)[k].height());
        }
        height += rowHeight + gap;
    }
    QImage sheet = AtDpi(label + oursWidth + theirsWidth + 3 * gap, height, dpi);
    QPainter painter(&sheet);
    QFont font = painter.font();
    font.setPixelSize(std::max(9, dpi / 9));
    painter.setFont(font);
    painter.setPen(Qt::darkGray);
    int y = gap;
    for (size_t k = 0; k < ours.size(); ++k) {
        int rowHeight = ours[k].height();
        if (theirs != nullptr) rowHeight = std::max(rowHeight, (*theirs)[k].height());
        painter.drawText(QRect(gap / 2, y, label - gap, rowHeight),
                         Qt::AlignVCenter | Qt::TextWordWrap,
                         QString::fromLatin1(Formulas()[k].name));
        painter.drawImage(label, y + (rowHeight - ours[k].height()) / 2, ours[k]);
        if (theirs != nullptr) {
            const QImage& tex = (*theirs)[k];
            painter.drawImage(label + oursWidth + 2 * gap, y + (rowHeight - tex.height()) / 2, tex);
        }
        painter.drawLine(gap / 2, y + rowHeight + gap / 2, sheet.width() - gap / 2,
                         y + rowHeight + gap / 2);
        y += rowHeight + gap;
    }
    return sheet;
}

TEST_F(GalleryTest, TypicalFormulasAtScreenAndPrintResolution) {
    QStringList latex;
    for (const Formula& formula : Formulas()) {
        paras.push_back(layouttest::MakePara(formula.style));
        doc.Add(paras.back().get());
        CompList& list = *paras.back()->GetList(1);
        list.InsertArrayAt(formula.make(), 1);
        const QString body = LatexOf(list);
        latex << (formula.style == ParaStyle::kNumberedEquation
                      ? QStringLiteral("\\begin{equation}%1\\end{equation}").arg(body)
                      : QStringLiteral("\\[%1\\]").arg(body));
    }
    QString failure;
    const std::map<int, std::vector<QImage>> tex = Typeset(latex, failure);
    EXPECT_TRUE(failure.isEmpty()) << failure.toStdString();

    std::map<int, std::vector<QImage>> ours;
    for (int dpi : {96, 300}) {
        ours[dpi] = Draw(dpi);
        const auto found = tex.find(dpi);
        const QImage sheet = Compose(ours[dpi], found != tex.end() ? &found->second : nullptr, dpi);
        // Gray: a third of the bytes to write.
        EXPECT_TRUE(sheet.convertToFormat(QImage::Format_Grayscale8)
                        .save(QString::fromStdString(
                                  drawtest::OutputPath("gallery-" + std::to_string(dpi) + ".png")),
                              "PNG"));
    }
    for (size_t k = 0; k < Formulas().size(); ++k) {
        SCOPED_TRACE(Formulas()[k].name);
        const QImage& small = ours[96][k];
        const QImage& large = ours[300][k];
        ASSERT_FALSE(small.isNull());
        ASSERT_FALSE(large.isNull());
        // The printed formula is the screen's, scaled: its ink grows with the resolution.
        EXPECT_NEAR(large.height() * 96.0 / 300.0, small.height(), small.height() * 0.15 + 2);
        EXPECT_NEAR(large.width() * 96.0 / 300.0, small.width(), small.width() * 0.15 + 2);
        // And it is about as large as TeX sets it.
        if (const auto found = tex.find(300); found != tex.end()) {
            const QImage& theirs = found->second[k];
            ASSERT_FALSE(theirs.isNull());
            EXPECT_GT(large.height(), theirs.height() * 0.6);
            EXPECT_LT(large.height(), theirs.height() * 1.6);
        }
    }
}

} // namespace
