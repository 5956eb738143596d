#pragma once

// Export writers that write a short trace of their calls into their stream (a paragraph as the
// operation's name and the paragraph's text, one a line), and a factory that makes them for the
// commands it is told to and logs how each was made.

#include "document/ByteStream.h"
#include "document/CompList.h"
#include "document/ExportWriters.h"
#include "document/ParaComp.h"
#include "document/tests/ParagraphLatexWriter.h"

#include <memory>
#include <set>
#include <string>
#include <vector>

namespace fakes {

inline void Put(ByteStream& stream, const std::string& text) {
    stream.Write(text.data(), static_cast<int32_t>(text.size()));
}

inline void PutPara(ByteStream& stream, const std::string& operation, ParaComp& para) {
    Put(stream, operation + " " + para.GetList(1)->GetText().GetCString() + "\n");
}

class TraceLatex final : public ParagraphLatexWriter {
public:
    TraceLatex(ByteStream& stream, std::string kind) : m_stream(stream), m_kind(std::move(kind)) {}
    void BeginGroup(bool) override {}
    void EndGroup(bool) override {}
    void WriteComponentChar(TextComp&, bool) override {}
    void WriteRaw(const char* text) override { Put(m_stream, std::string(text) + "\n"); }
    void WriteHeader(bool numberPages, int32_t firstPage) override {
        Put(m_stream, m_kind + " header " + std::to_string(numberPages) + " " +
                          std::to_string(firstPage) + "\n");
    }
    void EndDocument() override { Put(m_stream, m_kind + " end\n"); }

private:
    ByteStream& m_stream;
    std::string m_kind;
};

class TraceNotebook final : public NotebookWriter {
public:
    explicit TraceNotebook(ByteStream& stream) : m_stream(stream) {}
    void WriteHeader() override { Put(m_stream, "Notebook[{\n"); }
    void EndDocument() override { Put(m_stream, "}]\n"); }
    void WriteTitle(ParaComp& para) override { PutPara(m_stream, "title", para); }
    void WriteSection(ParaComp& para) override { PutPara(m_stream, "section", para); }
    void WriteSubsection(ParaComp& para) override { PutPara(m_stream, "subsection", para); }
    void WriteTextPara(ParaComp& para) override { PutPara(m_stream, "text", para); }
    void WriteInputPara(ParaComp& para) override { PutPara(m_stream, "input", para); }
    void WriteDisplayFormula(ParaComp& para) override { PutPara(m_stream, "display", para); }
    void WriteNumberedEquation(ParaComp& para) override { PutPara(m_stream, "numbered", para); }
    std::optional<DocPos> GetFirstFailure() const override { return std::nullopt; }

private:
    ByteStream& m_stream;
};

template <typename Base>
class TracePage : public Base {
public:
    TracePage(ByteStream& stream, std::string head) : m_stream(stream), m_head(std::move(head)) {}
    void WriteHeader() override { Put(m_stream, "<" + m_head + ">\n"); }
    void EndDocument() override { Put(m_stream, "</page>\n"); }
    void WriteHeading1(ParaComp& para) override { PutPara(m_stream, "h1", para); }
    void WriteHeading2(ParaComp& para) override { PutPara(m_stream, "h2", para); }
    void WriteHeading3(ParaComp& para) override { PutPara(m_stream, "h3", para); }
    void WriteTextPara(ParaComp& para) override { PutPara(m_stream, "text", para); }
    void WriteListItem(ParaComp& para) override { PutPara(m_stream, "item", para); }
    void WriteCodePara(ParaComp& para) override { PutPara(m_stream, "code", para); }
    void WriteNumberedEquation(ParaComp& para, const Str31& label) override {
        PutPara(m_stream, std::string("numbered[") + label.GetCString() + "]", para);
    }
    void WriteDisplayEquation(ParaComp& para) override { PutPara(m_stream, "display", para); }
    void WriteImageParagraph(ParaComp& para) override { PutPara(m_stream, "image", para); }

private:
    ByteStream& m_stream;
    std::string m_head;
};

class TraceXhtml final : public TracePage<XhtmlWriter> {
public:
    using TracePage::TracePage;
    std::optional<DocPos> GetFirstFailure() const override { return std::nullopt; }
};

class TraceHtml final : public TracePage<HtmlWriter> {
public:
    using TracePage::TracePage;
};

class RecordingFactory final : public ExportWriterFactory {
public:
    explicit RecordingFactory(std::set<int32_t> commands) : makes(std::move(commands)) {}

    bool Makes(int32_t command) const override { return makes.count(command) != 0; }
    std::unique_ptr<LatexWriter> MakeLatex(ByteStream& stream, const Str255& base,
                                           const std::string& directory) override {
        log.push_back("latex " + Names(base, directory));
        return std::make_unique<TraceLatex>(stream, "latex");
    }
    std::unique_ptr<LatexWriter> MakeTechExplorer(ByteStream& stream, const Str255& base,
                                                  const std::string& directory) override {
        log.push_back("tcx " + Names(base, directory));
        return std::make_unique<TraceLatex>(stream, "tcx");
    }
    std::unique_ptr<NotebookWriter> MakeNotebook(ByteStream& stream) override {
        log.push_back("notebook");
        return std::make_unique<TraceNotebook>(stream);
    }
    std::unique_ptr<XhtmlWriter> MakeXhtml(ByteStream& stream, const Str255& title,
                                           const Str255& base, const std::string& directory,
                                           bool images) override {
        log.push_back("xhtml " + std::string(title.GetCString()) + " " + Names(base, directory) +
                      " images " + std::to_string(images));
        return std::make_unique<TraceXhtml>(stream, "xhtml");
    }
    std::unique_ptr<HtmlWriter> MakeHtml(ByteStream& stream, const Str255& title,
                                         const Str255& base, const std::string& directory,
                                         int32_t columnWidth, int32_t rightEdge) override {
        log.push_back("html " + std::string(title.GetCString()) + " " + Names(base, directory) +
                      " widths " + std::to_string(columnWidth) + " " + std::to_string(rightEdge));
        return std::make_unique<TraceHtml>(stream, "html");
    }

    std::set<int32_t> makes;
    std::vector<std::string> log;

private:
    static std::string Names(const Str255& base, const std::string& directory) {
        return std::string(base.GetCString()) + " in " + directory;
    }
    Installed<ExportWriterFactory> m_installed{gExportWriters, this};
};

} // namespace fakes
