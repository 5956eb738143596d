#include "export/LatexFileWriter.h"

#include "document/DrawPort.h"
#include "document/RefSource.h"
#include "document/TextComp.h"
#include "export/ExportText.h"
#include "export/PictureFiles.h"
#include "expr/LinkString.h"
#include "expr/symbols/BuiltinNames.h"
#include "expr/symbols/SymbolTable.h"
#include "mathbox/CharTable.h"
#include "platform/Cp1252.h"

#include <array>
#include <cstdio>
#include <string_view>
#include <vector>

namespace {

// The symbol table writes Greek letters by name alone ("alpha "); every other row's form is
// written as it stands.
bool IsGreekName(std::string_view form) {
    static constexpr std::array<std::string_view, 35> kGreek = {
        "alpha",    "beta",  "gamma",    "delta", "epsilon", "varepsilon", "zeta",
        "eta",      "theta", "vartheta", "iota",  "kappa",   "lambda",     "mu",
        "nu",       "xi",    "pi",       "varpi", "rho",     "varrho",     "sigma",
        "varsigma", "tau",   "upsilon",  "phi",   "varphi",  "chi",        "psi",
        "omega",    "Gamma", "Delta",    "Theta", "Lambda",  "Xi",         "Pi"};
    static constexpr std::array<std::string_view, 5> kMoreGreek = {"Sigma", "Upsilon", "Phi", "Psi",
                                                                   "Omega"};
    while (!form.empty() && form.back() == ' ')
        form.remove_suffix(1);
    for (std::string_view name : kGreek)
        if (form == name) return true;
    for (std::string_view name : kMoreGreek)
        if (form == name) return true;
    return false;
}

bool IsAscii(const char* text) {
    for (; *text != '\0'; ++text)
        if (static_cast<unsigned char>(*text) >= 0x80) return false;
    return true;
}

bool IsLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// Text forms of the table that are no LaTeX text for their row's character: commands of math
// mode only, one LaTeX lacks, and the forms that the rows of c cedilla and U circumflex carry
// for other characters. Their characters go as UTF-8, which LaTeX sets as text.
bool IsTextForm(std::string_view form) {
    static constexpr std::array<std::string_view, 16> kNotText = {
        "\\dagger ", "\\bullet ", "\\pm ",    "\\mu ", "\\leq ",      "\\geq ",
        "\\delta ",  "\\Sigma ",  "\\Pi ",    "\\pi ", "\\smallint ", "\\Omega ",
        "\\Delta ",  "\\partial", "\\cents ", "??"};
    for (std::string_view bad : kNotText)
        if (form == bad) return false;
    return true;
}

// The table's text form, when it is ASCII LaTeX text for the byte's own character: the table
// is indexed by the stored character set, which lacks some cp1252 characters (the euro sign
// shares a row with infinity there). Null otherwise.
const char* TextFormOf(uint8_t code) {
    const CharInfo& info = CharInfoFor(code, 0);
    if (info.textForm[0] == '\0' || !IsAscii(info.textForm) || !IsTextForm(info.textForm))
        return nullptr;
    return TextCharUnicode(code) == platform::Cp1252ToUnicode(code) ? info.textForm : nullptr;
}

} // namespace

LatexFileWriter::LatexFileWriter(ByteStream& stream, const Str255& baseName,
                                 std::string imageDirectory)
    : m_out(stream), m_baseName(exporttext::Utf8OfText(baseName.View())),
      m_imageDirectory(std::move(imageDirectory)) {}

// ---- Output -------------------------------------------------------------------------------------

LatexFileWriter::Tail LatexFileWriter::TailOf(std::string_view text) {
    size_t end = text.size();
    const bool ended = end > 0 && text[end - 1] == ' ';
    if (ended) --end;
    size_t start = end;
    while (start > 0 && IsLetter(text[start - 1]))
        --start;
    if (start == end) return Tail::kOther;
    // Letters after a backslash that another escapes (TeX's line break) begin no control word.
    size_t backslashes = 0;
    while (backslashes < start && text[start - 1 - backslashes] == '\\')
        ++backslashes;
    if (backslashes % 2 == 0) return Tail::kOther;
    return ended ? Tail::kEndedControlWord : Tail::kControlWord;
}

void LatexFileWriter::Put(std::string_view text) {
    if (text.empty()) return;
    if (m_tail != Tail::kOther) {
        // A letter would run into a bare control word, and TeX would skip a blank after either
        // kind, which matters in text only: mathematics spaces itself.
        if (m_tail == Tail::kControlWord && IsLetter(text.front()))
            m_out.PutChar(' ');
        else if (text.front() == ' ' && m_currentMode != kMath)
            m_out.PutBytes("{}");
    }
    m_out.PutBytes(text);
    m_tail = TailOf(text);
}

void LatexFileWriter::Flush() {
    m_out.Flush();
}

void LatexFileWriter::FlushPending() {
    if (m_pending.empty()) return;
    if (m_currentMode == kMath) {
        const int32_t index = LookupBuiltinName(m_pending.c_str());
        const SymbolRow* row = index != 0 ? BuiltinSymbol(index) : nullptr;
        if (row != nullptr && row->latex[0] != '\0') {
            // One piece, so that the output's end is seen as the control word it is.
            PutRaw(IsGreekName(row->latex) ? "\\" + std::string(row->latex) : row->latex);
            m_pending.clear();
            return;
        }
    }
    Put(m_pending);
    m_pending.clear();
}

void LatexFileWriter::WriteRaw(const char* text) {
    FlushPending();
    PutRaw(text);
}

void LatexFileWriter::WriteInt(int32_t value) {
    FlushPending();
    char text[16];
    std::snprintf(text, sizeof text, "%d", static_cast<int>(value));
    PutRaw(text);
}

void LatexFileWriter::PutKey(const RefSource& label) {
    PutRaw(label.GetLatexKey().GetCString());
}

void LatexFileWriter::WriteLabel(const RefSource* label) {
    if (const char* key = NewLabelKey(label)) PutRaw("\\label{" + std::string(key) + "} ");
}

const char* LatexFileWriter::NewLabelKey(const RefSource* label) {
    if (!HasNumber(label)) return nullptr;
    const auto [at, added] = m_labels.insert(label->GetLatexKey().GetCString());
    return added ? at->c_str() : nullptr;
}

bool LatexFileWriter::HasNumber(const RefSource* label) {
    if (label == nullptr) return false;
    const NumberRecord& number = label->GetNumber();
    return number.section > 0 || number.equation > 0 || number.list > 0;
}

void LatexFileWriter::WriteTextChars(const Str255& text) {
    FlushPending();
    std::string utf8;
    // Form by form, so that a blank after a control word is kept.
    for (int i = 0; i < text.GetLength(); ++i) {
        if (const char* form = TextFormOf(text.GetAt(i))) {
            Put(form);
        } else {
            utf8.clear();
            exporttext::AppendUtf8(utf8, exporttext::UnicodeOf(text.GetAt(i), 0));
            Put(utf8);
        }
    }
}

// ---- Modes --------------------------------------------------------------------------------------

void LatexFileWriter::SetMode(int32_t mode) {
    const int32_t d = m_depth;
    const int32_t p = m_paragraphMode;
    const int32_t c = m_currentMode;
    // Close what the current mode opened.
    if (d == 0 && p == kMath) {
        if (c != kMath) PutRaw("}");
    } else if (d == 0) {
        if (c == kMath)
            PutRaw("$\\/");
        else if (c != p)
            PutRaw("}");
    } else if (c != kMath) {
        PutRaw("}");
    }
    // Open the new one.
    bool braced = false;
    if (d > 0 || p == kMath) {
        if (mode != kMath) {
            PutRaw("\\mbox{");
            braced = true;
        }
    } else if (mode == kMath) {
        PutRaw("$");
    } else if (mode != p) {
        PutRaw("{");
        if (mode == kRoman)
            PutRaw("\\rm ");
        else
            braced = true;
    }
    if (braced) {
        if (mode == kBold) PutRaw("\\bf ");
        if (mode == kEmphasis) PutRaw("\\em ");
        if (mode == kTypewriter) PutRaw("\\tt ");
    }
    m_currentMode = mode;
}

int32_t LatexFileWriter::TextModeHere() const {
    if (m_currentMode != kMath) return m_currentMode;
    return m_paragraphMode != kMath ? m_paragraphMode : kRoman;
}

void LatexFileWriter::CloseGroup() {
    FlushPending();
    if (m_currentMode != m_paragraphMode) {
        PutRaw(m_currentMode == kMath ? "$" : "}");
        m_currentMode = m_paragraphMode;
    }
}

void LatexFileWriter::BeginGroup(bool brace) {
    if (brace) WriteRaw("{");
    m_currentMode = kMath;
    m_runState = 0;
    ++m_depth;
}

void LatexFileWriter::EndGroup(bool brace) {
    FlushPending();
    if (m_currentMode != kMath) {
        PutRaw("}");
        m_currentMode = kMath;
    }
    if (brace) PutRaw("}");
    --m_depth;
}

// ---- Characters ---------------------------------------------------------------------------------

namespace {

// What a character writes: its form and its class.
struct CharForm {
    std::string form;
    CharClass charClass = CC_OTHER;
};

// A form from the table when it is ASCII; otherwise (no form, or one in the table's own byte
// set) the character's Unicode as UTF-8, unless it is a control, which LaTeX has no use for.
std::string FormOrUtf8(const char* form, uint8_t code, int32_t face) {
    if (form[0] != '\0' && IsAscii(form)) return form;
    std::string out;
    const char16_t unicode = exporttext::UnicodeOf(code, face);
    if (unicode >= 0x20 && unicode != 0xFFFD) exporttext::AppendUtf8(out, unicode);
    return out;
}

// The form of a character in math mode or in a text mode; the face matters only as the math
// face or another. Made once for every byte: the export writes each character of a document
// through it.
const CharForm& FormOf(uint8_t code, bool mathFace, bool math) {
    static const std::vector<CharForm> table = [] {
        std::vector<CharForm> rows(4 * 256);
        for (int32_t inMath = 0; inMath < 2; ++inMath)
            for (int32_t isMathFace = 0; isMathFace < 2; ++isMathFace)
                for (int32_t c = 0; c < 256; ++c) {
                    const auto byte = static_cast<uint8_t>(c);
                    const int32_t face = isMathFace != 0 ? kMathFontKind : 0;
                    const CharInfo& info = CharInfoFor(byte, face);
                    CharForm& row = rows[static_cast<size_t>((inMath * 2 + isMathFace) * 256 + c)];
                    row.charClass = info.charClass;
                    if (inMath != 0 || isMathFace != 0) {
                        row.form =
                            FormOrUtf8(inMath != 0 ? info.mathForm : info.textForm, byte, face);
                    } else {
                        const char* text = TextFormOf(byte);
                        row.form = FormOrUtf8(text != nullptr ? text : "", byte, face);
                    }
                }
        return rows;
    }();
    return table[static_cast<size_t>(((math ? 2 : 0) + (mathFace ? 1 : 0)) * 256 + code)];
}

} // namespace

void LatexFileWriter::WriteForm(std::string_view form) {
    FlushPending();
    Put(form);
}

void LatexFileWriter::WriteComponentChar(TextComp& comp, bool alignMode) {
    if (m_verbatim) {
        std::string text;
        if (!comp.IsNotChar()) exporttext::AppendUtf8(text, exporttext::UnicodeOf(comp));
        PutRaw(text.c_str());
        return;
    }
    const int32_t face = comp.GetStyleId();
    // Asked once per character: the writer's time goes to characters. No character is text
    // material, so only the other components are asked whether they are.
    const bool isChar = !comp.IsNotChar();
    const int32_t style = isChar || !exporttext::IsTextMaterial(comp)
                              ? exporttext::StyleOfFace(face)
                              : TextModeHere();
    if (style != m_currentMode) {
        FlushPending();
        SetMode(style);
        m_runState = 0;
    }
    if (!isChar) {
        FlushPending();
        comp.WriteLatex(*this);
        m_runState = 0;
        return;
    }
    const bool math = m_currentMode == kMath;
    const CharForm& form = FormOf(comp.GetCharCode(), face == kMathFontKind, math);
    if (form.charClass == CC_LETTER) {
        if (math) {
            if (m_runState == 2) WriteForm("\\,");
            m_runState = 1;
        }
        m_pending += form.form;
        return;
    }
    if (math) {
        if (form.charClass == CC_SPACE && m_runState == 1)
            m_runState = 2;
        else if (form.charClass != CC_SPACE)
            m_runState = 0;
    }
    if (math && alignMode && form.charClass == CC_RELATION) {
        WriteForm(" & ");
        WriteForm(form.form);
        WriteForm(" & ");
        return;
    }
    WriteForm(form.form);
}

// ---- Document -----------------------------------------------------------------------------------

void LatexFileWriter::WriteHeader(bool numberPages, int32_t firstPage) {
    PutRaw("\\documentclass{article}\n\\usepackage{amsfonts}\n\\usepackage{eucal}\n"
           "\\usepackage{graphicx}\n\\begin{document}\n");
    if (!numberPages) {
        PutRaw("\\pagestyle{empty}\n");
    } else if (firstPage != 1) {
        PutRaw("\\setcounter{page}{");
        WriteInt(firstPage);
        PutRaw("}\n");
    }
}

void LatexFileWriter::EndDocument() {
    CloseBlocks();
    WriteRaw("\\end{document}");
    NewLine();
    Flush();
}

void LatexFileWriter::BeginParagraph(int32_t kind, const RefSource* number, bool leadingWhite) {
    switch (kind) {
    case ParaStyle::kTitle:
        return BeginTitle();
    case ParaStyle::kSection:
        return BeginSection();
    case ParaStyle::kHeading:
        return BeginSubsection();
    case ParaStyle::kListEntry:
        return BeginListItem(number);
    case ParaStyle::kPlainEquation:
        return BeginDisplayMath();
    case ParaStyle::kNumberedEquation:
        BeginEquation();
        return;
    case ParaStyle::kSourceCode:
        return BeginVerbatim();
    default:
        return BeginParagraph(leadingWhite);
    }
}

void LatexFileWriter::EndParagraph(int32_t kind, const RefSource* number) {
    switch (kind) {
    case ParaStyle::kTitle:
        return EndTitle();
    case ParaStyle::kSection:
        return EndSection(number);
    case ParaStyle::kHeading:
        return EndHeading();
    case ParaStyle::kListEntry:
        return EndListItem(number);
    case ParaStyle::kPlainEquation:
        return EndDisplayMath();
    case ParaStyle::kNumberedEquation:
        return EndEquation(number);
    case ParaStyle::kSourceCode:
        // The verbatim block stays open for the next code paragraph.
        return NewLine();
    default:
        return EndParagraph();
    }
}

// ---- Blocks -------------------------------------------------------------------------------------

void LatexFileWriter::BeginTitle() {
    CloseBlocks();
    // A title starts from roman text like any paragraph, whatever the one before left.
    m_depth = 0;
    m_paragraphMode = m_currentMode = kRoman;
    m_runState = 0;
    PutRaw("\\vskip 1in\n\\begin{center}\n{\\Huge ");
}

void LatexFileWriter::EndTitle() {
    CloseGroup();
    PutRaw("}\n\\end{center}\n\\vskip 1in\n");
}

void LatexFileWriter::BeginSection() {
    CloseBlocks();
    m_depth = 0;
    m_paragraphMode = m_currentMode = kBold;
    m_runState = 0;
    PutRaw("\\section{");
}

void LatexFileWriter::EndSection(const RefSource* label) {
    CloseGroup();
    PutRaw("}\n");
    WriteLabel(label);
}

void LatexFileWriter::BeginSubsection() {
    CloseBlocks();
    m_depth = 0;
    m_paragraphMode = m_currentMode = kBold;
    m_runState = 0;
    PutRaw("\\subsection*{");
}

void LatexFileWriter::EndHeading() {
    CloseGroup();
    PutRaw("}\n");
}

void LatexFileWriter::BeginParagraph(bool indented) {
    CloseBlocks();
    m_depth = 0;
    m_paragraphMode = m_currentMode = kRoman;
    m_runState = 0;
    PutRaw(indented ? "\\par\n" : "\\par\\noindent\n");
}

void LatexFileWriter::EndParagraph() {
    CloseGroup();
    NewLine();
}

void LatexFileWriter::BeginListItem(const RefSource* label) {
    EndVerbatim();
    m_depth = 0;
    m_paragraphMode = m_currentMode = kRoman;
    m_runState = 0;
    if (!m_listOpen) {
        PutRaw("\\begin{enumerate}\n");
        m_listOpen = true;
    }
    PutRaw("\\item ");
    WriteLabel(label);
}

void LatexFileWriter::EndListItem(const RefSource*) {
    CloseGroup();
    NewLine();
}

int32_t LatexFileWriter::BeginEquation() {
    CloseBlocks();
    m_depth = 0;
    PutRaw("\\begin{equation}");
    m_runState = 0;
    m_paragraphMode = m_currentMode = kMath;
    return kMath;
}

void LatexFileWriter::EndEquation(const RefSource* label) {
    CloseGroup();
    WriteLabel(label);
    PutRaw("\\end{equation}\n");
}

void LatexFileWriter::BeginEqnarray() {
    CloseBlocks();
    m_depth = 0;
    PutRaw("\\begin{eqnarray*}");
    m_runState = 0;
    m_paragraphMode = m_currentMode = kMath;
}

void LatexFileWriter::EndEqnarray() {
    CloseGroup();
    PutRaw("\\end{eqnarray*}\n");
}

void LatexFileWriter::BeginDisplayMath() {
    CloseBlocks();
    m_depth = 0;
    PutRaw("\\[");
    m_runState = 0;
    m_paragraphMode = m_currentMode = kMath;
}

void LatexFileWriter::EndDisplayMath() {
    CloseGroup();
    PutRaw("\\]\n");
}

void LatexFileWriter::BeginVerbatim() {
    if (m_verbatim) return;
    FlushPending();
    EndList();
    PutRaw("\\begin{verbatim}\n");
    m_verbatim = true;
}

void LatexFileWriter::EndVerbatim() {
    if (!m_verbatim) return;
    PutRaw("\\end{verbatim}\n");
    m_verbatim = false;
}

void LatexFileWriter::EndList() {
    if (!m_listOpen) return;
    PutRaw("\\end{enumerate}\n");
    m_listOpen = false;
}

void LatexFileWriter::CloseBlocks() {
    FlushPending();
    EndList();
    EndVerbatim();
}

// ---- Components ---------------------------------------------------------------------------------

void LatexFileWriter::WriteReference(const RefSource& target, bool) {
    WriteRaw("\\ref{");
    PutKey(target);
    PutRaw("}");
}

void LatexFileWriter::WriteLink(const Str255&, const Str255& shown) {
    WriteTextChars(shown);
}

std::string LatexFileWriter::NextImageName() {
    ++m_imageCounter;
    return m_baseName + std::to_string(m_imageCounter);
}

void LatexFileWriter::NoteFailure(const std::string& path) {
    if (m_failures.count++ == 0) m_failures.first = path;
}

// Pictures go as PNG files, which every TeX of today reads, drawn at the drawing layer's
// resolution; the TechExplorer dialect writes the same files.
void LatexFileWriter::WriteImage(int32_t width, int32_t height, const PictureBytes* picture) {
    const std::string name = NextImageName() + ".png";
    WriteRaw("\\includegraphics[width=");
    WriteInt(width);
    WriteRaw("pt,height=");
    WriteInt(height);
    WriteRaw("pt]{");
    WriteRaw(name.c_str());
    WriteRaw("}");
    if (picture != nullptr) WritePictureFile(name, width, height, *picture);
}

void LatexFileWriter::WritePictureFile(const std::string& fileName, int32_t width, int32_t height,
                                       const PictureBytes& picture) {
    const int32_t x = gDrawPort.Get() ? gDrawPort->GetResolutionX() : 96;
    const int32_t y = gDrawPort.Get() ? gDrawPort->GetResolutionY() : 96;
    const std::string path = m_imageDirectory + fileName;
    if (!picturefiles::WritePicturePng(path, picture, PixelsOf(width, x), PixelsOf(height, y)))
        NoteFailure(path);
}

int32_t LatexFileWriter::PixelsOf(int32_t points, int32_t dpi) {
    const int64_t pixels = int64_t{points} * dpi / 72;
    return pixels < 1 ? 1 : pixels > 32767 ? 32767 : static_cast<int32_t>(pixels);
}

// ---- TechExplorer -------------------------------------------------------------------------------

void TcxWriter::WriteHeader(bool, int32_t) {
    PutRaw("\\documentstyle{article}\n\\begin{document}\n");
}

void TcxWriter::EndSection(const RefSource* label) {
    CloseGroup();
    if (const char* key = NewLabelKey(label)) {
        PutRaw("}\\label{");
        PutRaw(key);
    }
    PutRaw("}\n");
}

void TcxWriter::EndEquation(const RefSource* label) {
    CloseGroup();
    if (const char* key = NewLabelKey(label)) {
        PutRaw("\\end{equation}\\label{");
        PutRaw(key);
        PutRaw("}");
    } else {
        PutRaw("\\end{equation}");
    }
    NewLine();
}

void TcxWriter::BeginListItem(const RefSource*) {
    LatexFileWriter::BeginListItem(nullptr);
}

void TcxWriter::EndListItem(const RefSource* label) {
    CloseGroup();
    if (const char* key = NewLabelKey(label)) {
        PutRaw("\\label{");
        PutRaw(key);
        PutRaw("}");
    }
    NewLine();
}

void TcxWriter::WriteImage(int32_t width, int32_t height, const PictureBytes* picture) {
    const std::string name = NextImageName() + ".png";
    WriteRaw("\\includegraphics{");
    WriteRaw(name.c_str());
    WriteRaw("}");
    if (picture != nullptr) WritePictureFile(name, width, height, *picture);
}

void TcxWriter::WriteReference(const RefSource& target, bool otherDocument) {
    WriteRaw("\\labelLink{");
    PutKey(target);
    PutRaw("}{");
    WriteTextChars(RefSource::Shown(target.FormatLabel(otherDocument)));
    PutRaw("}");
}

namespace {

// A link's address as the viewer reads it: quotes, ampersands, angle brackets, the characters
// TeX reserves and those beyond ASCII as character references. So TeX reads the argument
// whole: a "%" would comment out the rest of the line, a brace end the argument early, a
// backslash start a command.
std::string EscapedAddress(const Str255& target) {
    static constexpr std::string_view kTexReserved = "%#{}\\$^_~";
    std::string escaped;
    for (int i = 0; i < target.GetLength(); ++i) {
        const char16_t code = exporttext::UnicodeOf(target.GetAt(i), 0);
        switch (code) {
        case '"':
            escaped += "&quot;";
            break;
        case '&':
            escaped += "&amp;";
            break;
        case '<':
            escaped += "&lt;";
            break;
        case '>':
            escaped += "&gt;";
            break;
        default:
            if (code < 128 && kTexReserved.find(static_cast<char>(code)) == std::string_view::npos)
                escaped += static_cast<char>(code);
            else
                escaped += "&#" + std::to_string(code) + ";";
        }
    }
    return escaped;
}

} // namespace

void TcxWriter::WriteLink(const Str255& target, const Str255& shown) {
    WriteRaw("\\docLink{");
    PutRaw(EscapedAddress(target));
    PutRaw("}{");
    WriteTextChars(shown);
    PutRaw("}");
}
