#pragma once

// The export writers the document's export commands hand a document to, besides the LaTeX
// writer of LatexWriter.h, and the factory that makes them. The export subsystem implements
// them and installs its factory in `gExportWriters`; the model only calls them. A command
// whose writer the installed factory does not make (or with no factory at all) is disabled.
//
// Every writer serves one export: made over the output stream, given the page head, every
// paragraph through the operation of its style, and the end, which flushes. Stream failures
// pass through the writers as the stream's exceptions; the export command reports them.

#include "document/DocPos.h"
#include "document/LatexWriter.h"
#include "document/Str255.h"
#include "platform/Installed.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

class ByteStream;
class ParaComp;

// The notebook text format. Its formulas are parsed and converted by the kernel, so the export
// needs a connected kernel; a dry run over a counting stream finds the first formula that does
// not parse before any file is made.
class NotebookWriter {
public:
    virtual ~NotebookWriter() = default;

    // The opening of the notebook expression; resets the cell-group nesting.
    virtual void WriteHeader() = 0;
    // Closes every open cell group, writes the closing with the style definitions and flushes.
    virtual void EndDocument() = 0;

    virtual void WriteTitle(ParaComp& para) = 0;
    virtual void WriteSection(ParaComp& para) = 0;
    virtual void WriteSubsection(ParaComp& para) = 0;
    virtual void WriteTextPara(ParaComp& para) = 0;
    virtual void WriteInputPara(ParaComp& para) = 0;
    virtual void WriteDisplayFormula(ParaComp& para) = 0;
    virtual void WriteNumberedEquation(ParaComp& para) = 0;

    // The position of the first formula that could not be converted, or nothing.
    virtual std::optional<DocPos> GetFirstFailure() const = 0;
};

// The paragraph operations the two page writers share: the paragraph's style chooses one.
class PageWriter {
public:
    virtual ~PageWriter() = default;

    // The page head, with the title, before the first paragraph.
    virtual void WriteHeader() = 0;
    // Closes open blocks, writes the closing tags and flushes.
    virtual void EndDocument() = 0;

    virtual void WriteHeading1(ParaComp& para) = 0;
    virtual void WriteHeading2(ParaComp& para) = 0;
    virtual void WriteHeading3(ParaComp& para) = 0;
    virtual void WriteTextPara(ParaComp& para) = 0;
    virtual void WriteListItem(ParaComp& para) = 0;
    // A code paragraph whose characters are all typewriter.
    virtual void WriteCodePara(ParaComp& para) = 0;
    // `label` is the paragraph's number text.
    virtual void WriteNumberedEquation(ParaComp& para, const Str31& label) = 0;
    virtual void WriteDisplayEquation(ParaComp& para) = 0;
    // A paragraph that holds only a picture or only a plot becomes one image.
    virtual void WriteImageParagraph(ParaComp& para) = 0;

    // Read after the export: the picture files that could not be written.
    virtual PictureFailures GetPictureFailures() const { return {}; }
};

// XHTML with MathML. A dry run with images off finds the first formula that does not parse;
// the real pass writes the picture files.
class XhtmlWriter : public PageWriter {
public:
    // The position of the first formula that could not be converted, or nothing.
    virtual std::optional<DocPos> GetFirstFailure() const = 0;
};

// HTML with every formula, plot and picture as a PNG file beside the page.
class HtmlWriter : public PageWriter {};

// The export commands of the File menu's Export submenu.
namespace exportcmd {
inline constexpr int32_t kLatex = 34011;
inline constexpr int32_t kNotebook = 34012;
inline constexpr int32_t kMathML = 34013;
inline constexpr int32_t kHtml = 34017;
inline constexpr int32_t kTechExplorer = 34018;
} // namespace exportcmd

class ExportWriterFactory {
public:
    virtual ~ExportWriterFactory() = default;

    // Whether this factory makes the writer of the export command.
    virtual bool Makes(int32_t command) const = 0;

    // Each writer writes to `stream`; picture files are named `baseName` followed by a number
    // and go into `imageDirectory` (a UTF-8 path ending in "/"). Titles and names are cp1252.
    virtual std::unique_ptr<LatexWriter> MakeLatex(ByteStream& stream, const Str255& baseName,
                                                   const std::string& imageDirectory) = 0;
    virtual std::unique_ptr<LatexWriter> MakeTechExplorer(ByteStream& stream,
                                                          const Str255& baseName,
                                                          const std::string& imageDirectory) = 0;
    virtual std::unique_ptr<NotebookWriter> MakeNotebook(ByteStream& stream) = 0;
    // `images` is off for the dry run: image elements are written, files are not.
    virtual std::unique_ptr<XhtmlWriter> MakeXhtml(ByteStream& stream, const Str255& title,
                                                   const Str255& baseName,
                                                   const std::string& imageDirectory,
                                                   bool images) = 0;
    // The two widths are the drawing layer's column width and right edge.
    virtual std::unique_ptr<HtmlWriter> MakeHtml(ByteStream& stream, const Str255& title,
                                                 const Str255& baseName,
                                                 const std::string& imageDirectory,
                                                 int32_t columnWidth, int32_t rightEdge) = 0;
};

extern ServiceSlot<ExportWriterFactory> gExportWriters;
