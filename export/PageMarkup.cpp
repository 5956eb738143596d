#include "export/PageMarkup.h"

#include "document/CompList.h"
#include "document/ParaComp.h"
#include "document/RefComp.h"
#include "document/TypeTag.h"
#include "export/ExportText.h"
#include "export/PictureFiles.h"

namespace {

// A run is written out before it passes this many characters.
constexpr size_t kMaxRun = 255;

} // namespace

PageMarkup::PageMarkup(ByteStream& stream, const Str255& title, const Str255& baseName,
                       std::string imageDirectory)
    : m_out(stream), m_baseName(exporttext::Utf8OfText(baseName.View())), m_baseNameText(baseName),
      m_title(title), m_imageDirectory(std::move(imageDirectory)) {}

void PageMarkup::WriteRaw(std::string_view text) {
    for (char c : text)
        m_out.PutChar(static_cast<uint8_t>(c));
}

void PageMarkup::WriteTextAttribute(const char* name, const Str255& value) {
    WriteRaw(" ");
    WriteRaw(name);
    WriteRaw("=\"");
    WriteEscapedStr255(value);
    WriteRaw("\"");
}

void PageMarkup::WriteSourceAttribute(const char* name, const std::string& fileName) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string encoded;
    for (char c : fileName) {
        const auto byte = static_cast<uint8_t>(c);
        const bool unreserved = (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
                                (byte >= '0' && byte <= '9') || byte == '-' || byte == '.' ||
                                byte == '_' || byte == '~';
        if (unreserved) {
            encoded += c;
        } else {
            encoded += '%';
            encoded += kHex[byte >> 4];
            encoded += kHex[byte & 15];
        }
    }
    WriteAttribute(name, encoded.c_str());
}

void PageMarkup::WriteEscapedUnicode(const std::u16string& text) {
    for (char16_t c : text)
        WriteEscapedChar(c);
}

void PageMarkup::ClosePre() {
    if (!m_preOpen) return;
    WriteRaw("</pre>\n");
    m_preOpen = false;
}

void PageMarkup::CloseList() {
    if (!m_listOpen) return;
    WriteRaw("</ol>\n");
    m_listOpen = false;
}

void PageMarkup::OpenList() {
    if (m_listOpen) return;
    WriteRaw("<ol>\n");
    m_listOpen = true;
}

void PageMarkup::WriteLinkElement(const Str255& target, const Str255& shown) {
    BeginStartTag(AnchorTag());
    WriteTextAttribute(HrefAttribute(), target);
    CloseStartTag();
    WriteEscapedStr255(shown);
    WriteEndTag(AnchorTag());
}

std::string PageMarkup::NextImageName(Str255* text) {
    const std::string number = std::to_string(m_imageCounter++);
    if (text != nullptr) {
        *text = m_baseNameText;
        text->AppendCString(number.c_str());
    }
    return m_baseName + number;
}

void PageMarkup::SavePicture(const std::string& fileName, const std::optional<QImage>& image) {
    const std::string path = m_imageDirectory + fileName;
    if (image && picturefiles::WritePng(path, *image)) return;
    if (m_failures.count++ == 0) m_failures.first = path;
}

void PageMarkup::CloseStyle(int32_t style, bool heading, CompList& list, int32_t from, int32_t to,
                            bool structured, std::u16string& run) {
    switch (style) {
    case exporttext::kItalic:
        WriteEscapedUnicode(run);
        WriteRaw("</i>");
        break;
    case exporttext::kBold:
        WriteEscapedUnicode(run);
        if (!heading) WriteRaw("</b>");
        break;
    case exporttext::kMath:
        CloseMath(list, from, to, structured, run);
        break;
    case exporttext::kTypewriter:
        WriteEscapedUnicode(run);
        WriteRaw("</font>");
        break;
    default:
        WriteEscapedUnicode(run);
        break;
    }
    run.clear();
}

void PageMarkup::WriteParaContent(ParaComp& para, bool heading) {
    CompList& list = *para.GetList(1);
    int32_t style = exporttext::kPlain;
    int32_t mathStart = 1;
    bool structured = false;
    std::u16string run;
    for (int32_t i = 1; i <= list.GetCount(); ++i) {
        TextComp& comp = *list.GetAt(i);
        const int32_t next = exporttext::StyleOfFace(comp.GetStyleId());
        if (next != style) {
            CloseStyle(style, heading, list, mathStart, i, structured, run);
            style = next;
            switch (style) {
            case exporttext::kItalic:
                WriteRaw("<i>");
                break;
            case exporttext::kBold:
                if (!heading) WriteRaw("<b>");
                break;
            case exporttext::kTypewriter:
                WriteRaw("<font face=\"courier\">");
                break;
            case exporttext::kMath:
                mathStart = i;
                structured = false;
                OpenMath();
                break;
            default:
                break;
            }
        }
        if (style == exporttext::kMath) {
            // The run is written as a whole when it closes.
            if (comp.IsNotChar())
                structured = true;
            else
                run += exporttext::UnicodeOf(comp);
            continue;
        }
        if (run.size() >= kMaxRun) {
            WriteEscapedUnicode(run);
            run.clear();
        }
        if (comp.GetTypeTag() == tags::Reference) {
            const Str31& label = static_cast<RefComp&>(comp).GetLabel();
            for (int k = 0; k < label.GetLength(); ++k)
                run += exporttext::UnicodeOf(label.GetAt(k), 0);
        } else if (!comp.IsNotChar()) {
            run += exporttext::UnicodeOf(comp);
        }
    }
    CloseStyle(style, heading, list, mathStart, list.GetCount() + 1, structured, run);
}

void PageMarkup::WriteCodeContent(ParaComp& para) {
    CloseList();
    if (!m_preOpen) {
        WriteRaw("<pre>\n");
        m_preOpen = true;
    }
    CompList& list = *para.GetList(1);
    std::u16string run;
    for (int32_t i = 1; i <= list.GetCount(); ++i) {
        const TextComp& comp = *list.GetAt(i);
        if (comp.IsNotChar()) continue;
        run += exporttext::UnicodeOf(comp);
        if (run.size() >= kMaxRun) {
            WriteEscapedUnicode(run);
            run.clear();
        }
    }
    WriteEscapedUnicode(run);
    NewLine();
}
