#include "export/ExportServices.h"

#include "export/LatexFileWriter.h"
#include "export/PageWriters.h"

bool ExportFactory::Makes(int32_t command) const {
    switch (command) {
    case exportcmd::kLatex:
    case exportcmd::kTechExplorer:
    case exportcmd::kMathML:
    case exportcmd::kHtml:
        return true;
    case exportcmd::kNotebook:
        return static_cast<bool>(m_convert);
    default:
        return false;
    }
}

std::unique_ptr<LatexWriter> ExportFactory::MakeLatex(ByteStream& stream, const Str255& baseName,
                                                      const std::string& imageDirectory) {
    return std::make_unique<LatexFileWriter>(stream, baseName, imageDirectory);
}

std::unique_ptr<LatexWriter> ExportFactory::MakeTechExplorer(ByteStream& stream,
                                                             const Str255& baseName,
                                                             const std::string& imageDirectory) {
    return std::make_unique<TcxWriter>(stream, baseName, imageDirectory);
}

std::unique_ptr<NotebookWriter> ExportFactory::MakeNotebook(ByteStream& stream) {
    if (!m_convert) return nullptr;
    return std::make_unique<NotebookFileWriter>(stream, m_convert);
}

std::unique_ptr<XhtmlWriter> ExportFactory::MakeXhtml(ByteStream& stream, const Str255& title,
                                                      const Str255& baseName,
                                                      const std::string& imageDirectory,
                                                      bool images) {
    return std::make_unique<XhtmlFileWriter>(stream, title, baseName, imageDirectory, images);
}

std::unique_ptr<HtmlWriter> ExportFactory::MakeHtml(ByteStream& stream, const Str255& title,
                                                    const Str255& baseName,
                                                    const std::string& imageDirectory,
                                                    int32_t columnWidth, int32_t rightEdge) {
    return std::make_unique<HtmlFileWriter>(stream, title, baseName, imageDirectory, columnWidth,
                                            rightEdge);
}
