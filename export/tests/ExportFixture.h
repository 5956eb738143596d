#pragma once

// What the export tests share: the real fonts, drawing layer, layout, math boxes, parser and
// reserved names; paragraphs built from typed text in chosen faces and laid out; a stream into a
// string; and one call per writer that runs paragraphs through it as the document does.

#include "document/ByteStream.h"
#include "document/ParaExport.h"
#include "document/RefComp.h"
#include "export/LatexFileWriter.h"
#include "export/NotebookFileWriter.h"
#include "export/PageWriters.h"
#include "expr/symbols/BuiltinNames.h"
#include "mathbox/EquationSetBox.h"
#include "mathbox/MathBoxKinds.h"
#include "mathbox/MathBoxes.h"
#include "mathbox/MatrixBox.h"
#include "mathbox/parser/ExprParser.h"
#include "mathbox/tests/DrawFixture.h"
#include "mathbox/tests/LayoutFixture.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include <string>
#include <string_view>
#include <vector>

namespace exporttest {

inline constexpr int32_t kRoman = 0;
inline constexpr int32_t kItalic = 1;
inline constexpr int32_t kBold = 2;
inline constexpr int32_t kMath = 3;
inline constexpr int32_t kCode = 4;

class StringStream final : public ByteStream {
public:
    int32_t Write(const void* data, int32_t count) override {
        text.append(static_cast<const char*>(data), static_cast<size_t>(count));
        return count;
    }
    int32_t GetPosition() override { return static_cast<int32_t>(text.size()); }
    int32_t GetSize() override { return static_cast<int32_t>(text.size()); }
    std::string text;
};

// Glyphs of one face.
inline CompArray Glyphs(std::string_view text, int32_t face) {
    CompArray array;
    for (char c : text)
        array.Add(OwnedComponent(gGlyphSource->GetGlyph(face, static_cast<uint8_t>(c))));
    return array;
}

class ExportTest : public drawtest::DrawTest {
public:
    ExportTest() {
        port.BeginWindowDraw(view);
        dir = QDir(tempDir.path()).absolutePath().toStdString() + "/";
    }
    ~ExportTest() override {
        port.EndDraw();
        ClearDocument();
    }

    // Destroys every paragraph, for the next row of a table of cases.
    void ClearDocument() {
        for (ParaComp* para : doc.paragraphs)
            para->Destroy();
        doc.paragraphs.clear();
    }

    // A paragraph of the style at the end of the document; fill it with `Add`.
    ParaComp& Para(int32_t style) {
        ParaComp* para = new ParaComp(style);
        doc.Add(para);
        return *para;
    }
    // Appends text of a face.
    ExportTest& Add(ParaComp& para, std::string_view text, int32_t face) {
        para.GetList(1)->InsertArrayAt(Glyphs(text, face), para.GetList(1)->GetCount() + 1);
        return *this;
    }
    // Appends a fraction of two math-face texts.
    void AddFraction(ParaComp& para, std::string_view top, std::string_view bottom) {
        para.GetList(1)->Append(new FracComp(Glyphs(top, kMath), Glyphs(bottom, kMath)));
    }
    // A document of every kind of paragraph and the common structures, for the outside
    // checkers.
    void FillAllKinds() {
        title = "All \xE9 <kinds>";
        Add(Para(ParaStyle::kTitle), "Title", kRoman);
        Add(Para(ParaStyle::kSection), "Section", kBold);
        ParaComp& text = Para(ParaStyle::kParagraph);
        Add(text, "Text \xE9\x80 & <more> ", kRoman).Add(text, "it", kItalic);
        Add(text, " ", kRoman).Add(text, "x!+y", kMath).Add(text, " ", kRoman);
        AddFraction(text, "a", "b");
        Add(Para(ParaStyle::kListEntry), "one", kRoman);
        Add(Para(ParaStyle::kListEntry), "two", kRoman);
        ParaComp& equation = Para(ParaStyle::kNumberedEquation);
        Add(equation, "sin(x)=", kMath);
        AddFraction(equation, "1", "2");
        Add(Para(ParaStyle::kPlainEquation), "f'(x)+alpha", kMath);
        Add(Para(ParaStyle::kSourceCode), "a<b && c", kCode);
        Add(Para(ParaStyle::kHeading), "End", kBold);
    }

    // Equations of every kind of fence the MathML writes: parentheses, square brackets,
    // braces, bars, the brackets of a matrix, the bars of a determinant; and a negation.
    void AddFenceEquations() {
        const auto list = [](ParaComp& para) -> CompList& { return *para.GetList(1); };
        ParaComp& power = Para(ParaStyle::kPlainEquation);
        list(power).Append(new ParenComp(Glyphs("a+b", kMath)));
        list(power).Append(new ExpoComp(Glyphs("2", kMath)));
        Add(power, "+f(x)", kMath);
        Add(Para(ParaStyle::kPlainEquation), "y=-x", kMath);
        ParaComp& applied = Para(ParaStyle::kPlainEquation);
        Add(applied, "f", kMath);
        list(applied).Append(new BracketComp(Glyphs("x+1", kMath)));
        const auto matrix = [] {
            auto* grid = new MatrixBox(2, 2);
            const char* cells[] = {"a", "b", "c", "d"};
            for (int32_t i = 0; i < 4; ++i)
                grid->GetCell(i % 2 + 1, i / 2 + 1)->InsertArrayAt(Glyphs(cells[i], kMath), 1);
            return grid;
        };
        ParaComp& grids = Para(ParaStyle::kPlainEquation);
        list(grids).Append(matrix());
        Add(grids, "=", kMath);
        list(grids).Append(new AbsVComp(OwnedComponent(matrix())));
        ParaComp& bars = Para(ParaStyle::kPlainEquation);
        Add(bars, "y=", kMath);
        list(bars).Append(new AbsVComp(Glyphs("x", kMath)));
        auto* set = new EquationSetBox(2);
        set->GetCell(1, 1)->InsertArrayAt(Glyphs("x=1", kMath), 1);
        set->GetCell(1, 2)->InsertArrayAt(Glyphs("y=2", kMath), 1);
        list(Para(ParaStyle::kPlainEquation)).Append(set);
    }

    // Numbers the numbered paragraphs and lays every paragraph out down the page.
    void LayOutAll() {
        NumberRecord running;
        int32_t top = 100;
        const ParaComp* previous = nullptr;
        for (ParaComp* para : doc.paragraphs) {
            para->SetNumber(running);
            layouttest::LayOut(*para, top, previous);
            top += 60;
            previous = para;
        }
    }

    std::string Latex(bool numberPages = false, int32_t firstPage = 1) {
        return RunLatex<LatexFileWriter>(numberPages, firstPage);
    }
    std::string Tcx() { return RunLatex<TcxWriter>(false, 1); }
    template <typename Writer>
    std::string RunLatex(bool numberPages, int32_t firstPage) {
        LayOutAll();
        StringStream out;
        Writer writer(out, Str255(base.c_str()), dir);
        writer.WriteHeader(numberPages, firstPage);
        for (ParaComp* para : doc.paragraphs)
            para->WriteLatex(writer);
        writer.EndDocument();
        latexFailures = writer.GetPictureFailures();
        return out.text;
    }

    std::string Html() {
        LayOutAll();
        StringStream out;
        HtmlFileWriter writer(out, Str255(title.c_str()), Str255(base.c_str()), dir, 500, 600);
        RunPage(writer);
        pageFailures = writer.GetPictureFailures();
        return out.text;
    }
    std::string Xhtml(bool images = true) {
        LayOutAll();
        StringStream out;
        XhtmlFileWriter writer(out, Str255(title.c_str()), Str255(base.c_str()), dir, images);
        RunPage(writer);
        firstFailure = writer.GetFirstFailure();
        pageFailures = writer.GetPictureFailures();
        return out.text;
    }
    void RunPage(PageWriter& writer) {
        writer.WriteHeader();
        for (ParaComp* para : doc.paragraphs)
            WriteParagraphPage(*para, writer);
        writer.EndDocument();
    }

    // Formulas convert to "<" and the formula's kernel input ">".
    std::string Notebook() {
        LayOutAll();
        StringStream out;
        NotebookFileWriter writer(out, [](const ExprNode&) { return std::string("BOX"); });
        writer.WriteHeader();
        for (ParaComp* para : doc.paragraphs)
            WriteParagraphNotebook(*para, writer);
        writer.EndDocument();
        firstFailure = writer.GetFirstFailure();
        return out.text;
    }

    // The body of a LaTeX export: what lies between the preamble and the end.
    static std::string Body(const std::string& latex) {
        const std::string begin = "\\begin{document}\n";
        const size_t from = latex.find(begin);
        std::string body = latex.substr(from + begin.size());
        const size_t pageStyle = body.find("\\pagestyle{empty}\n");
        if (pageStyle == 0) body.erase(0, 18);
        const size_t end = body.rfind("\\end{document}");
        return body.substr(0, end);
    }

    std::string FilePath(const std::string& name) const { return dir + name; }

    drawtest::ImageView view{800, 600};
    LayoutServices layout;
    MathBoxKinds kinds;
    InfixListParser parser;
    Installed<ListParser> parserInstalled{gListParser, &parser};
    BuiltinNamesScope names;
    layouttest::Document doc;
    QTemporaryDir tempDir;
    std::string dir;
    std::string base = "pic";
    std::string title = "Notes";
    PictureFailures latexFailures;
    PictureFailures pageFailures;
    std::optional<DocPos> firstFailure;
};

} // namespace exporttest
