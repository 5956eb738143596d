#include "export/PageMarkup.h"

#include "document/CompList.h"
#include "document/LinkComp.h"
#include "document/ParaComp.h"
#include "document/PlotShape.h"
#include "document/RefComp.h"
#include "document/TypeTag.h"
#include "export/ExportText.h"
#include "export/PictureFiles.h"
#include "mathbox/CharTable.h"

#include <algorithm>

namespace {

// A picture for an empty stretch: one white pixel.
std::optional<QImage> DrawnOrBlank(const CompList& list, int32_t from, int32_t to) {
    if (from >= to) {
        QImage blank(1, 1, QImage::Format_RGB32);
        blank.fill(Qt::white);
        return blank;
    }
    return picturefiles::DrawListRange(list, from, to);
}

// A plot's picture area, as large as the plot shows it.
std::optional<QImage> PictureOf(PlotShape& plot) {
    const std::optional<PlotShape::ExportPicture> picture = plot.GetExportPicture();
    if (!picture) return std::nullopt;
    return picturefiles::DrawPicture(picture->picture, std::max(1, picture->width),
                                     std::max(1, picture->height));
}

} // namespace

PageMarkup::PageMarkup(ByteStream& stream, const Str255& title, const Str255& baseName,
                       std::string imageDirectory, bool images)
    : m_out(stream), m_baseName(exporttext::Utf8OfText(baseName.View())), m_baseNameText(baseName),
      m_title(title), m_imageDirectory(std::move(imageDirectory)), m_images(images) {
    for (size_t row = 0; row < m_escapes.size(); ++row)
        m_escapes[row] = EscapedMarkupChar(static_cast<uint8_t>(row & 255), row >= 256);
}

void PageMarkup::WriteRaw(std::string_view text) {
    m_out.PutBytes(text);
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

void PageMarkup::WritePlotTable(TextComp& comp, PlotShape& plot) {
    BeginStartTag("table");
    WriteAttribute("align", "center");
    WriteAttribute("border", "2");
    CloseStartTag();
    for (int32_t row = 0; row <= comp.GetListCount(); ++row) {
        BeginStartTag("tr");
        WriteAttribute("align", "center");
        CloseStartTag();
        WriteStartTag("td");
        if (row == 0)
            WritePlotImage(plot);
        else
            WriteFunctionCell(*comp.GetList(row));
        WriteEndTag("td");
        WriteEndTag("tr");
    }
    WriteEndTag("table");
}

void PageMarkup::WriteListImage(CompList& list, int32_t from, int32_t to) {
    const std::string file = WriteImageTag();
    if (m_images) SavePicture(file, DrawnOrBlank(list, from, to));
}

void PageMarkup::WritePlotImage(PlotShape& plot) {
    const std::string file = WriteImageTag();
    if (m_images) SavePicture(file, PictureOf(plot));
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
                            bool structured, std::u16string& mathRun) {
    switch (style) {
    case exporttext::kItalic:
        WriteRaw("</i>");
        break;
    case exporttext::kBold:
        if (!heading) WriteRaw("</b>");
        break;
    case exporttext::kMath:
        CloseMath(list, from, to, structured, mathRun);
        mathRun.clear();
        break;
    case exporttext::kTypewriter:
        WriteRaw("</font>");
        break;
    default:
        break;
    }
}

void PageMarkup::OpenStyle(int32_t style, bool heading) {
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
        OpenMath();
        break;
    default:
        break;
    }
}

void PageMarkup::WriteCharOf(uint8_t code, int32_t face) {
    const std::string_view text = m_escapes[(face == kMathFontKind ? 256u : 0u) + code];
    if (text.size() == 1)
        m_out.PutChar(static_cast<uint8_t>(text[0]));
    else
        m_out.PutBytes(text);
}

// Text characters go out as they come (splitting a run of text changes no byte); a run of
// mathematics is held until it closes, since it becomes one picture or one formula. Links and
// references belong to the text around them: one that meets a run of mathematics ends it.
void PageMarkup::WriteParaContent(ParaComp& para, bool heading) {
    CompList& list = *para.GetList(1);
    int32_t style = exporttext::kPlain;
    int32_t mathStart = 1;
    bool structured = false;
    std::u16string mathRun;
    const int32_t count = list.GetCount();
    for (int32_t i = 1; i <= count; ++i) {
        TextComp& comp = *list.GetAt(i);
        // A character's face and code in one call: a page visits every character.
        GlyphKey glyph{};
        const bool isChar = comp.GetGlyphKey(glyph);
        const TypeTag tag = isChar ? tags::Char : comp.GetTypeTag();
        const int32_t face = isChar ? glyph.face : comp.GetStyleId();
        // The common case first: a character that continues a run of text.
        if (isChar && style != exporttext::kMath && exporttext::StyleOfFace(face) == style) {
            WriteCharOf(glyph.code, face);
            continue;
        }
        const bool inText = !isChar && (exporttext::IsTextMaterial(comp) || IsInlineImage(comp));
        const int32_t next = inText ? (style == exporttext::kMath ? exporttext::kPlain : style)
                                    : exporttext::StyleOfFace(face);
        if (next != style) {
            CloseStyle(style, heading, list, mathStart, i, structured, mathRun);
            style = next;
            mathStart = i;
            structured = false;
            OpenStyle(style, heading);
        }
        if (isChar) {
            if (style == exporttext::kMath)
                mathRun += exporttext::UnicodeOf(glyph.code, face);
            else
                WriteCharOf(glyph.code, face);
        } else if (tag == tags::Link) {
            const auto& link = static_cast<LinkComp&>(comp);
            WriteLinkElement(link.GetTarget(), link.GetShownText());
        } else if (tag == tags::Reference) {
            WriteEscapedStr255(static_cast<RefComp&>(comp).ShownLabel());
        } else if (inText) {
            WriteListImage(list, i, i + 1);
        } else if (style == exporttext::kMath) {
            structured = true;
        }
    }
    CloseStyle(style, heading, list, mathStart, count + 1, structured, mathRun);
}

void PageMarkup::WriteCodeContent(ParaComp& para) {
    CloseList();
    if (!m_preOpen) {
        WriteRaw("<pre>\n");
        m_preOpen = true;
    }
    const CompList& list = *para.GetList(1);
    for (int32_t i = 1; i <= list.GetCount(); ++i) {
        const TextComp& comp = *list.GetAt(i);
        if (!comp.IsNotChar()) WriteCharOf(comp.GetCharCode(), comp.GetStyleId());
    }
    NewLine();
}
