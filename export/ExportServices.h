#pragma once

// The export writers behind the document's export commands: the factory that makes them by
// command, and the guard that installs it for the program's life.

#include "document/ExportWriters.h"
#include "export/NotebookFileWriter.h"
#include "platform/Installed.h"

class ExportFactory final : public ExportWriterFactory {
public:
    // Without a converter the notebook export, which needs the kernel's box text, is not made.
    explicit ExportFactory(NotebookFileWriter::Converter convert = {})
        : m_convert(std::move(convert)) {}

    bool Makes(int32_t command) const override;
    std::unique_ptr<LatexWriter> MakeLatex(ByteStream& stream, const Str255& baseName,
                                           const std::string& imageDirectory) override;
    std::unique_ptr<LatexWriter> MakeTechExplorer(ByteStream& stream, const Str255& baseName,
                                                  const std::string& imageDirectory) override;
    std::unique_ptr<NotebookWriter> MakeNotebook(ByteStream& stream) override;
    std::unique_ptr<XhtmlWriter> MakeXhtml(ByteStream& stream, const Str255& title,
                                           const Str255& baseName,
                                           const std::string& imageDirectory, bool images) override;
    std::unique_ptr<HtmlWriter> MakeHtml(ByteStream& stream, const Str255& title,
                                         const Str255& baseName, const std::string& imageDirectory,
                                         int32_t columnWidth, int32_t rightEdge) override;

private:
    NotebookFileWriter::Converter m_convert;
};

class ExportServices {
public:
    explicit ExportServices(NotebookFileWriter::Converter convert = {})
        : m_factory(std::move(convert)) {}
    ExportServices(const ExportServices&) = delete;
    ExportServices& operator=(const ExportServices&) = delete;

private:
    ExportFactory m_factory;
    Installed<ExportWriterFactory> m_installed{gExportWriters, &m_factory};
};
