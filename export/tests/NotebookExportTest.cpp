#include "document/LinkComp.h"
#include "export/tests/ExportFixture.h"

#include <cctype>

namespace exporttest {
namespace {

using Style = ParaStyle;

// A small reader of the notebook's expression syntax: names with brackets of arguments, braced
// lists, strings with backslash escapes and rules, elements separated by single commas. It
// answers whether the whole text is one expression.
class NotebookSyntax {
public:
    explicit NotebookSyntax(std::string_view text) : m_text(text) {}

    bool IsOneExpression() {
        if (!Expression()) return false;
        Skip();
        return m_at == m_text.size();
    }

private:
    void Skip() {
        while (m_at < m_text.size() && std::isspace(static_cast<unsigned char>(m_text[m_at])))
            ++m_at;
    }
    bool Take(char c) {
        Skip();
        if (m_at < m_text.size() && m_text[m_at] == c) {
            ++m_at;
            return true;
        }
        return false;
    }
    bool Expression() {
        if (!Term()) return false;
        Skip();
        if (m_text.substr(m_at, 2) == "->") {
            m_at += 2;
            return Term();
        }
        return true;
    }
    bool Term() {
        Skip();
        if (m_at >= m_text.size()) return false;
        if (m_text[m_at] == '"') return String();
        if (Take('{')) return Elements('}');
        const size_t start = m_at;
        while (m_at < m_text.size() &&
               (std::isalnum(static_cast<unsigned char>(m_text[m_at])) || m_text[m_at] == '$'))
            ++m_at;
        if (m_at == start) return false;
        while (Take('['))
            if (!Elements(']')) return false;
        return true;
    }
    bool Elements(char close) {
        if (Take(close)) return true;
        do {
            if (!Expression()) return false;
        } while (Take(','));
        return Take(close);
    }
    bool String() {
        ++m_at;
        while (m_at < m_text.size()) {
            const char c = m_text[m_at++];
            if (c == '"') return true;
            if (c == '\\') {
                if (m_at >= m_text.size()) return false;
                ++m_at;
            } else if (static_cast<unsigned char>(c) >= 0x80 || c == '\n') {
                return false;
            }
        }
        return false;
    }

    std::string_view m_text;
    size_t m_at = 0;
};

constexpr const char* kEnd = "},\nStyleDefinitions -> \"Default.nb\"]";

class NotebookExportTest : public ExportTest {};

TEST_F(NotebookExportTest, OneTextParagraphIsOneCell) {
    Add(Para(Style::kParagraph), "a", kRoman);
    const std::string notebook = Notebook();
    EXPECT_EQ(notebook, std::string("Notebook[{\nCell[TextData[{\n\"a\"}],  \"Text\"]") + kEnd);
    EXPECT_TRUE(NotebookSyntax(notebook).IsOneExpression());
}

TEST_F(NotebookExportTest, HeadingsOpenGroupsThatTheNextEqualHeadingCloses) {
    Add(Para(Style::kTitle), "T", kBold);
    Add(Para(Style::kSection), "S", kBold);
    Add(Para(Style::kParagraph), "a", kRoman);
    Add(Para(Style::kParagraph), "b", kRoman);
    Add(Para(Style::kSection), "U", kBold);
    const std::string notebook = Notebook();
    EXPECT_EQ(notebook, std::string("Notebook[{\n"
                                    "Cell[CellGroupData[{\n"
                                    "Cell[TextData[{\nStyleBox[\"T\",FontWeight->\"Bold\"]}],  "
                                    "\"Title\"],\n"
                                    "Cell[CellGroupData[{\n"
                                    "Cell[TextData[{\nStyleBox[\"S\",FontWeight->\"Bold\"]}],  "
                                    "\"Section\"],\n"
                                    "Cell[TextData[{\n\"a\"}],  \"Text\"],\n"
                                    "Cell[TextData[{\n\"b\"}],  \"Text\"]\n"
                                    "}, Open  ]],\nCell[CellGroupData[{\n"
                                    "Cell[TextData[{\nStyleBox[\"U\",FontWeight->\"Bold\"]}],  "
                                    "\"Section\"]}, Open]]\n}, Open]]\n") +
                            kEnd);
    EXPECT_TRUE(NotebookSyntax(notebook).IsOneExpression());
}

TEST_F(NotebookExportTest, AClosedGroupIsFollowedByAComma) {
    Add(Para(Style::kTitle), "T", kBold);
    Add(Para(Style::kHeading), "H", kBold);
    Add(Para(Style::kParagraph), "a", kRoman);
    Add(Para(Style::kSection), "S", kBold);
    Add(Para(Style::kParagraph), "b", kRoman);
    const std::string notebook = Notebook();
    EXPECT_NE(notebook.find("\"Text\"]\n}, Open  ]]\n,\nCell[CellGroupData[{\n"), std::string::npos)
        << notebook;
    EXPECT_TRUE(NotebookSyntax(notebook).IsOneExpression()) << notebook;
}

TEST_F(NotebookExportTest, StylesBecomeStyleBoxesAndStringsAreEscaped) {
    ParaComp& text = Para(Style::kParagraph);
    Add(text, "say \"hi\"\\ ", kRoman).Add(text, "b", kBold).Add(text, " ", kRoman);
    Add(text, "i", kItalic).Add(text, "\xE9", kRoman);
    Add(Para(Style::kSourceCode), "f[x]", kCode);
    const std::string notebook = Notebook();
    EXPECT_EQ(notebook,
              std::string("Notebook[{\nCell[TextData[{\n\"say \\\"hi\\\"\\\\ \",\n"
                          "StyleBox[\"b\",FontWeight->\"Bold\"],\n\" \",\n"
                          "StyleBox[\"i\",FontSlant->\"Italic\"],\n\"\\:00e9\"}],  \"Text\"],\n"
                          "Cell[TextData[{\n\"f[x]\"}],  \"Input\"]") +
                  kEnd);
    EXPECT_TRUE(NotebookSyntax(notebook).IsOneExpression()) << notebook;
}

TEST_F(NotebookExportTest, FormulasAreTheKernelsBoxText) {
    ParaComp& text = Para(Style::kParagraph);
    Add(text, "a ", kRoman).Add(text, "x", kMath);
    Add(Para(Style::kPlainEquation), "x+1", kMath);
    Add(Para(Style::kNumberedEquation), "y=2", kMath);
    const std::string notebook = Notebook();
    EXPECT_EQ(notebook,
              std::string("Notebook[{\nCell[TextData[{\n\"a \",\nCell[BoxData[BOX],\"Output\"]}],"
                          "  \"Text\"],\n"
                          "Cell[BoxData[\nBOX],  \"DisplayFormula\",TextAlignment->Center],\n"
                          "Cell[BoxData[\nBOX],  \"NumberedEquation\",TextAlignment->Center]") +
                  kEnd);
    EXPECT_TRUE(NotebookSyntax(notebook).IsOneExpression()) << notebook;
    EXPECT_FALSE(firstFailure.has_value());
}

TEST_F(NotebookExportTest, AFormulaThatDoesNotParseIsSkippedAndReported) {
    Add(Para(Style::kParagraph), "a", kRoman);
    ParaComp& bad = Para(Style::kPlainEquation);
    Add(bad, "x+", kMath);
    const std::string notebook = Notebook();
    EXPECT_NE(notebook.find("Cell[BoxData[\n],  \"DisplayFormula\""), std::string::npos);
    ASSERT_TRUE(firstFailure.has_value());
    EXPECT_EQ(firstFailure->GetList(), bad.GetList(1));
    EXPECT_EQ(firstFailure->index, 1);
    EXPECT_TRUE(NotebookSyntax(notebook).IsOneExpression());
}

// Links and references write their text into the text around them; amid mathematics they end
// the formula.
TEST_F(NotebookExportTest, LinksAndReferencesAreTextOfTheirCell) {
    ParaComp& section = Para(Style::kSection);
    Add(section, "S", kBold);
    ParaComp& text = Para(Style::kParagraph);
    Add(text, "See ", kRoman);
    text.GetList(1)->Append(new LinkComp(Str255("http://example.org/"), Str255("the page"), true));
    Add(text, " here.", kRoman);
    ParaComp& mixed = Para(Style::kParagraph);
    Add(mixed, "x", kMath);
    mixed.GetList(1)->Append(new LinkComp(Str255("a.htm"), Str255("a"), true));
    Add(mixed, " and ", kRoman);
    mixed.GetList(1)->Append(new RefComp(*section.GetNumberSource()));
    const std::string notebook = Notebook();
    EXPECT_FALSE(firstFailure.has_value());
    EXPECT_NE(notebook.find("Cell[TextData[{\n\"See the page here.\"}],  \"Text\"]"),
              std::string::npos)
        << notebook;
    // The section sign of the reference's label as the notebook escapes it.
    EXPECT_NE(notebook.find("Cell[TextData[{\n\"\",\nCell[BoxData[BOX],\"Output\"],\n"
                            "\"a and (\\:00a71)\"}],  \"Text\"]"),
              std::string::npos)
        << notebook;
    EXPECT_TRUE(NotebookSyntax(notebook).IsOneExpression()) << notebook;
}

// Words in the math face are text: a string among the cell's text, or the formula cell's only
// string.
TEST_F(NotebookExportTest, WordsInTheMathFaceAreText) {
    ParaComp& text = Para(Style::kParagraph);
    Add(text, "a", kRoman).Add(text, " ", kMath).Add(text, "b", kRoman);
    Add(Para(Style::kPlainEquation), "  ", kMath);
    const std::string notebook = Notebook();
    EXPECT_EQ(notebook,
              std::string("Notebook[{\nCell[TextData[{\n\"a\",\n\" \",\n\"b\"}],  \"Text\"],\n"
                          "Cell[BoxData[\n\"  \"],  \"DisplayFormula\",TextAlignment->Center]") +
                  kEnd);
    EXPECT_FALSE(firstFailure.has_value());
    EXPECT_TRUE(NotebookSyntax(notebook).IsOneExpression()) << notebook;
}

// A link in an equation is a string beside the formulas around it, in one row of boxes; words
// in the math face next to it join its string.
TEST_F(NotebookExportTest, ALinkInAnEquationIsAStringBesideItsFormulas) {
    ParaComp& equation = Para(Style::kPlainEquation);
    Add(equation, "x", kMath);
    equation.GetList(1)->Append(new LinkComp(Str255("a.htm"), Str255("(a)"), true));
    Add(equation, "+1", kMath);
    ParaComp& words = Para(Style::kNumberedEquation);
    Add(words, "and so on, ", kMath);
    words.GetList(1)->Append(new LinkComp(Str255("b.htm"), Str255("\"b\""), true));
    const std::string notebook = Notebook();
    EXPECT_EQ(notebook,
              std::string("Notebook[{\nCell[BoxData[\nRowBox[{BOX, \"(a)\", BOX}]],  "
                          "\"DisplayFormula\",TextAlignment->Center],\n"
                          "Cell[BoxData[\n\"and so on, \\\"b\\\"\"],  \"NumberedEquation\","
                          "TextAlignment->Center]") +
                  kEnd);
    EXPECT_FALSE(firstFailure.has_value());
    EXPECT_TRUE(NotebookSyntax(notebook).IsOneExpression()) << notebook;
}

TEST(NotebookSyntaxTest, RefusesWhatTheWriterOnceWrote) {
    // The checker itself must see the faults: a missing comma, an unescaped quote.
    EXPECT_TRUE(NotebookSyntax("N[{C[\"a\"], C[\"b\\\"\"]}, S -> \"x\"]").IsOneExpression());
    EXPECT_FALSE(NotebookSyntax("N[{C[\"a\"] C[\"b\"]}]").IsOneExpression());
    EXPECT_FALSE(NotebookSyntax("N[{C[\"a\"b\"]}]").IsOneExpression());
    EXPECT_FALSE(NotebookSyntax("N[{C[\"a\"]}").IsOneExpression());
}

} // namespace
} // namespace exporttest
