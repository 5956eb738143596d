// The export commands of the document: the proposed file name, the dry run that checks the
// formulas before anything is created, and the real pass written through a temporary file.

#include "document/CountStream.h"
#include "document/DocumentHost.h"
#include "document/DrawPort.h"
#include "document/ExportStream.h"
#include "document/ExportWriters.h"
#include "document/KernelSession.h"
#include "document/TessaryDoc.h"
#include "platform/AtomicFile.h"
#include "platform/Cp1252.h"
#include "platform/Exceptions.h"
#include "platform/File.h"

#include <QString>

#include <algorithm>
#include <optional>

namespace {

struct ExportCommand {
    int32_t id;
    const char* extension;
    const char* filter;
    bool windowDraw;
    bool dryRun;
};

constexpr ExportCommand kCommands[] = {
    {exportcmd::kLatex, "tex", "TeX files (*.tex) |*.tex||", true, false},
    {exportcmd::kTechExplorer, "tcx", "TechExplorer files (*.tcx) |*.tcx||", true, false},
    {exportcmd::kNotebook, "nb", "Oskaria Notebook files (*.nb) |*.nb||", false, true},
    {exportcmd::kMathML, "xml", "XML files (*.xml) |*.xml||", true, true},
    {exportcmd::kHtml, "htm", "HTML files (*.htm) |*.htm||", true, false},
};

constexpr int32_t kExportStep = 4096;

// A factory that claims a command but makes no writer for it fails the export.
template <typename Writer>
std::unique_ptr<Writer> Made(std::unique_ptr<Writer> writer) {
    if (!writer) throw platform::Exception("the export writer could not be made");
    return writer;
}

const ExportCommand* FindCommand(int32_t id) {
    for (const ExportCommand& command : kCommands)
        if (command.id == id) return &command;
    return nullptr;
}

// A short string's worth of UTF-8 text, cut at a character boundary.
std::string CutToShortString(const std::string& text) {
    if (text.size() <= 255) return text;
    size_t end = 255;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    return text.substr(0, end);
}

Str255 ToShortString(const std::string& utf8) {
    return Str255(platform::ToCp1252(QString::fromStdString(utf8)));
}

// Begins drawing on the first view's window for a scope, where the command needs it.
class WindowDraw {
public:
    WindowDraw(DocumentHost& host, bool needed) : m_host(needed ? &host : nullptr) {
        if (m_host) m_host->BeginWindowDraw();
    }
    ~WindowDraw() {
        if (m_host) m_host->EndWindowDraw();
    }
    WindowDraw(const WindowDraw&) = delete;
    WindowDraw& operator=(const WindowDraw&) = delete;

private:
    DocumentHost* m_host;
};

} // namespace

bool CTessaryDoc::IsExportEnabled(int32_t command) const {
    const ExportWriterFactory* factory = gExportWriters.Get();
    if (!FindCommand(command) || !factory || !factory->Makes(command)) return false;
    return command != exportcmd::kNotebook || IsKernelConnected();
}

std::string CTessaryDoc::ProposeExportName(const std::string& title, int32_t command) {
    const ExportCommand* found = FindCommand(command);
    if (!found) return {};
    std::string name = title;
    // The modified mark, or the blank a cleared mark leaves, is no part of the name.
    if (!name.empty() && (name.back() == '*' || name.back() == ' ')) name.pop_back();
    const auto dot = name.find('.');
    if (dot != std::string::npos && dot > 0) name.erase(dot);
    name += '.';
    name += found->extension;
    if (command == exportcmd::kLatex) {
        name = CutToShortString(name);
        std::replace(name.begin(), name.end(), ' ', '_');
    }
    return name;
}

bool CTessaryDoc::OnExport(int32_t command) {
    const ExportCommand* found = FindCommand(command);
    if (!found || !IsExportEnabled(command)) return false;
    const std::optional<std::string> chosen = m_host.AskSaveFileName(
        found->extension, ProposeExportName(m_host.GetTitle(), command), found->filter);
    if (!chosen) return false;
    const std::string& path = *chosen;

    std::string fileTitle = platform::FileNameOf(path);
    const std::string directory = path.substr(0, path.size() - fileTitle.size());
    if (const auto dot = fileTitle.rfind('.'); dot != std::string::npos && dot > 0)
        fileTitle.erase(dot);
    const Str255 title = ToShortString(fileTitle);
    // Exports of one document into one folder must not write over each other's pictures, which
    // every format numbers from 0 or 1: a picture's name carries its format's extension.
    const std::string tag = std::string("-") + found->extension;
    std::string base(title.View().substr(0, Str255::kCapacity - tag.size()));
    const Str255 baseName(base + tag);
    ExportWriterFactory& factory = *gExportWriters.Get();

    // The picture files the real pass could not write, reported once it has ended.
    PictureFailures pictures;
    // One pass of the command's writer over `stream`; the position of the first formula that
    // could not be converted, or nothing.
    auto runPass = [&](ByteStream& stream, bool images) -> std::optional<DocPos> {
        switch (command) {
        case exportcmd::kLatex:
        case exportcmd::kTechExplorer: {
            auto writer = Made(command == exportcmd::kLatex
                                   ? factory.MakeLatex(stream, baseName, directory)
                                   : factory.MakeTechExplorer(stream, baseName, directory));
            m_body->WriteLatex(*writer);
            pictures = writer->GetPictureFailures();
            return std::nullopt;
        }
        case exportcmd::kNotebook:
            return m_body->WriteNotebook(*Made(factory.MakeNotebook(stream)));
        case exportcmd::kMathML: {
            auto writer = Made(factory.MakeXhtml(stream, title, baseName, directory, images));
            std::optional<DocPos> bad = m_body->WriteXhtml(*writer);
            pictures = writer->GetPictureFailures();
            return bad;
        }
        default: {
            if (gDrawPort == nullptr) throw platform::Exception("no drawing layer to measure with");
            auto writer =
                Made(factory.MakeHtml(stream, title, baseName, directory,
                                      gDrawPort->GetColumnWidth(), gDrawPort->GetRightEdge()));
            m_body->WriteHtml(*writer);
            pictures = writer->GetPictureFailures();
            return std::nullopt;
        }
        }
    };

    WindowDraw draw(m_host, found->windowDraw);
    WaitCursor wait(m_host);
    // The formulas are checked before anything is created, so a failed check leaves no file
    // behind and an existing one as it was.
    std::optional<DocPos> bad;
    if (found->dryRun && !RunReported(path, true, DocumentHost::Prompt::FailedToSave, [&] {
            CountStream counter;
            bad = runPass(counter, false);
        }))
        return false;
    if (bad) {
        ReportBadExpression(*bad);
        return false;
    }
    std::unique_ptr<platform::AtomicFile> file;
    if (!RunReported(path, true, DocumentHost::Prompt::InvalidFileName,
                     [&] { file = std::make_unique<platform::AtomicFile>(path); }))
        return false;
    const bool written = RunReported(path, true, DocumentHost::Prompt::FailedToSave, [&] {
        {
            ExportStream stream(file->GetFile(), kExportStep, kExportStep);
            runPass(stream, true);
            stream.Flush();
        }
        file->Commit();
    });
    if (written && pictures.count > 0) m_host.ShowMessage(PictureFailureMessage(pictures));
    return written;
}

std::string CTessaryDoc::PictureFailureMessage(const PictureFailures& failures) {
    const std::string count = std::to_string(failures.count);
    return "The document was exported, but " + count +
           (failures.count == 1 ? " picture file" : " picture files") +
           " could not be written.\nThe first was " + failures.first + ".";
}
