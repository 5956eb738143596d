#include "export/PageWriters.h"

#include "document/CompList.h"
#include "document/ParaComp.h"
#include "document/PlotShape.h"
#include "document/TypeTag.h"
#include "export/ExportText.h"

#include <memory>

namespace {

void WriteBlock(PageMarkup& page, const char* open, const char* close) {
    page.WriteRaw(open);
    page.WriteRaw(close);
}

} // namespace

// ---- HTML ---------------------------------------------------------------------------------------

HtmlFileWriter::HtmlFileWriter(ByteStream& stream, const Str255& title, const Str255& baseName,
                               std::string imageDirectory, int32_t columnWidth, int32_t rightEdge)
    : PageMarkup(stream, title, baseName, std::move(imageDirectory), true),
      m_firstWidth(std::to_string(static_cast<int16_t>(columnWidth))),
      m_secondWidth(std::to_string(static_cast<int16_t>(rightEdge))) {}

void HtmlFileWriter::WriteHeader() {
    SetImageCounter(0);
    WriteRaw("<HTML>\n<HEAD>\n<TITLE>");
    WriteEscapedStr255(Title());
    WriteRaw("</TITLE>\n</HEAD>\n<BODY BGCOLOR=\"FFFFFF\" TEXT=\"000000\" LINK=\"0000FF\">\n"
             "<BASEFONT SIZE=\"+3\">\n");
}

void HtmlFileWriter::EndDocument() {
    CloseBlocks();
    WriteRaw("</body>\n</html>");
    Flush();
}

void HtmlFileWriter::WriteHeading1(ParaComp& para) {
    CloseBlocks();
    WriteRaw("<h1 align=\"CENTER\">");
    WriteParaContent(para, true);
    WriteBlock(*this, "</h1>", "\n");
}

void HtmlFileWriter::WriteHeading2(ParaComp& para) {
    CloseBlocks();
    WriteRaw("<h2>");
    WriteParaContent(para, true);
    WriteBlock(*this, "</h2>", "\n");
}

void HtmlFileWriter::WriteHeading3(ParaComp& para) {
    CloseBlocks();
    WriteRaw("<h3>");
    WriteParaContent(para, true);
    WriteBlock(*this, "</h3>", "\n");
}

void HtmlFileWriter::WriteTextPara(ParaComp& para) {
    CloseBlocks();
    WriteRaw("<p>");
    WriteParaContent(para, false);
    WriteBlock(*this, "</p>", "\n");
}

void HtmlFileWriter::WriteListItem(ParaComp& para) {
    ClosePre();
    OpenList();
    WriteRaw("<li>");
    WriteParaContent(para, false);
    WriteBlock(*this, "</li>", "\n");
}

void HtmlFileWriter::WriteCodePara(ParaComp& para) {
    WriteCodeContent(para);
}

void HtmlFileWriter::WriteEquationTable(ParaComp& para, const Str31* label) {
    ClosePre();
    WriteRaw("<p><table><tr>");
    BeginStartTag("td");
    WriteAttribute("width", m_firstWidth.c_str());
    CloseStartTag();
    WriteRaw("<p align=\"CENTER\">");
    CompList& list = *para.GetList(1);
    WriteListImage(list, 1, list.GetCount() + 1);
    WriteRaw("</p></td>");
    BeginStartTag("td");
    WriteAttribute("width", m_secondWidth.c_str());
    CloseStartTag();
    WriteRaw("<p align=\"Right\">");
    if (label != nullptr)
        WriteEscapedStr255(Str255(label->View()));
    else
        WriteRaw("&nbsp;");
    WriteRaw("</p></td></tr></table></p>\n");
}

void HtmlFileWriter::WriteNumberedEquation(ParaComp& para, const Str31& label) {
    WriteEquationTable(para, &label);
}

void HtmlFileWriter::WriteDisplayEquation(ParaComp& para) {
    WriteEquationTable(para, nullptr);
}

void HtmlFileWriter::WriteImageParagraph(ParaComp& para) {
    CloseBlocks();
    CompList& list = *para.GetList(1);
    if (PlotShape* plot = AsPlot(list.GetAt(1))) {
        WriteRaw("<p>");
        WritePlotTable(*list.GetAt(1), *plot);
        WriteRaw("</p>\n");
        return;
    }
    WriteRaw("<p><TABLE ALIGN=\"CENTER\" BORDER=\"2\"><TR><TD>");
    WriteListImage(list, 1, list.GetCount() + 1);
    WriteRaw("</TD></TR></TABLE></p>\n");
}

std::string HtmlFileWriter::WriteImageTag() {
    const std::string name = NextImageName() + ".png";
    BeginStartTag("img");
    WriteSourceAttribute("SRC", name);
    CloseStartTag();
    return name;
}

void HtmlFileWriter::WriteFunctionCell(CompList& list) {
    WriteListImage(list, 1, list.GetCount() + 1);
}

void HtmlFileWriter::CloseMath(CompList& list, int32_t from, int32_t to, bool structured,
                               const std::u16string& text) {
    if (structured) {
        WriteListImage(list, from, to);
        return;
    }
    WriteRaw("<i>");
    WriteEscapedUnicode(text);
    WriteRaw("</i>");
}

// ---- XHTML --------------------------------------------------------------------------------------

XhtmlFileWriter::XhtmlFileWriter(ByteStream& stream, const Str255& title, const Str255& baseName,
                                 std::string imageDirectory, bool images)
    : PageMarkup(stream, title, baseName, std::move(imageDirectory), images) {}

void XhtmlFileWriter::WriteHeader() {
    WriteRaw("<?xml version=\"1.0\"?>\n<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 "
             "Strict//EN\" \"mathml.dtd\">\n");
    BeginStartTag("html");
    WriteAttribute("xmlns", kXhtmlNamespace);
    CloseStartTag();
    WriteRaw("\n<head>\n<title>");
    WriteEscapedStr255(Title());
    WriteRaw("</title>\n</head>\n<body bgcolor=\"#FFFFFF\">\n");
}

void XhtmlFileWriter::EndDocument() {
    CloseBlocks();
    WriteRaw("</body>\n</html>");
    Flush();
}

void XhtmlFileWriter::WriteHeading1(ParaComp& para) {
    CloseBlocks();
    WriteRaw("<h1 align=\"Center\">");
    WriteParaContent(para, true);
    WriteBlock(*this, "</h1>", "\n");
}

void XhtmlFileWriter::WriteHeading2(ParaComp& para) {
    CloseBlocks();
    WriteRaw("<h2>");
    WriteParaContent(para, true);
    WriteBlock(*this, "</h2>", "\n");
}

void XhtmlFileWriter::WriteHeading3(ParaComp& para) {
    CloseBlocks();
    WriteRaw("<h3>");
    WriteParaContent(para, true);
    WriteBlock(*this, "</h3>", "\n");
}

void XhtmlFileWriter::WriteTextPara(ParaComp& para) {
    CloseBlocks();
    WriteRaw("<p>");
    WriteParaContent(para, false);
    WriteBlock(*this, "</p>", "\n");
}

void XhtmlFileWriter::WriteListItem(ParaComp& para) {
    ClosePre();
    OpenList();
    WriteRaw("<li>");
    WriteParaContent(para, false);
    WriteBlock(*this, "</li>", "\n");
}

void XhtmlFileWriter::WriteCodePara(ParaComp& para) {
    WriteCodeContent(para);
}

void XhtmlFileWriter::WriteMathElement(CompList& list) {
    OpenMath();
    WriteMath(list, 1, list.GetCount() + 1);
    WriteRaw("</math>");
}

void XhtmlFileWriter::WriteDisplayEquation(ParaComp& para) {
    CloseBlocks();
    WriteRaw("<p align=\"center\">");
    WriteMathElement(*para.GetList(1));
    WriteRaw("</p>\n");
}

void XhtmlFileWriter::WriteNumberedEquation(ParaComp& para, const Str31& label) {
    CloseBlocks();
    WriteRaw("<p><table><tr><td width=\"10%\"><p>&nbsp;</p></td><td width=\"80%\">"
             "<p align=\"center\">");
    WriteMathElement(*para.GetList(1));
    WriteRaw("</p></td><td width=\"10%\"><p align=\"Right\">");
    WriteEscapedStr255(Str255(label.View()));
    WriteRaw("</p></td></tr></table></p>\n");
}

void XhtmlFileWriter::WriteImageParagraph(ParaComp& para) {
    CloseBlocks();
    CompList& list = *para.GetList(1);
    if (PlotShape* plot = AsPlot(list.GetAt(1))) {
        WriteRaw("<p align=\"center\">");
        WritePlotTable(*list.GetAt(1), *plot);
        WriteRaw("</p>\n");
        return;
    }
    WriteRaw("<p><table align=\"center\" border=\"2\"><tr><td>");
    WriteListImage(list, 1, list.GetCount() + 1);
    WriteRaw("</td></tr></table></p>\n");
}

std::string XhtmlFileWriter::WriteImageTag() {
    Str255 alt;
    const std::string name = NextImageName(&alt);
    BeginEmptyTag("img");
    WriteSourceAttribute("src", name + ".png");
    WriteTextAttribute("alt", alt);
    CloseStartTag();
    return name + ".png";
}

bool XhtmlFileWriter::IsInlineImage(const TextComp& comp) const {
    return comp.GetTypeTag() == tags::Metafile || comp.IsPlot();
}

void XhtmlFileWriter::OpenMath() {
    BeginStartTag("math");
    WriteAttribute("xmlns", kMathNamespace);
    CloseStartTag();
}

void XhtmlFileWriter::CloseMath(CompList& list, int32_t from, int32_t to, bool,
                                const std::u16string&) {
    WriteMath(list, from, to);
    WriteRaw("</math>");
}

void XhtmlFileWriter::WriteMath(CompList& list, int32_t from, int32_t to) {
    for (const exporttext::ParsedStretch& piece :
         exporttext::ParsePieces(list, from, to, m_firstFailure)) {
        if (piece.tree) {
            piece.tree->WriteMathML(*this);
        } else {
            WriteStartTag("mtext");
            WriteEscapedUnicode(*piece.text);
            WriteEndTag("mtext");
        }
    }
}
