#pragma once

// What the HTML and the XHTML export share: the buffered markup output (the markup primitives
// are the MathML writer's, so page text and formulas escape alike), the list and pre blocks,
// picture naming, and the walk over a paragraph's components that groups characters of one
// style into runs. The two writers differ in their page frame, in their element spelling and
// in what a run of mathematics becomes (a picture, or MathML).
//
// Text from the document reaches the page escaped, attribute values too, and picture sources
// percent-encoded. Picture files that cannot be written are counted and the first named, for
// the export command to report once.

#include "document/ExportWriters.h"
#include "document/OutBuffer.h"
#include "expr/MathMLWriter.h"

#include <QImage>

#include <array>
#include <cstdint>
#include <optional>
#include <string>

class ByteStream;
class CompList;
class PlotShape;
class TextComp;

class PageMarkup : public MathMLWriter {
public:
    // `imageDirectory` is UTF-8 and ends in "/"; the title and the base name are cp1252. With
    // `images` off picture elements are written but no file is made.
    PageMarkup(ByteStream& stream, const Str255& title, const Str255& baseName,
               std::string imageDirectory, bool images);

    void WriteRaw(std::string_view text) override;
    void Flush() { m_out.Flush(); }

    // An attribute whose value is document text (cp1252): escaped as text is.
    void WriteTextAttribute(const char* name, const Str255& value);
    // An attribute naming a file (UTF-8): bytes outside the unreserved characters of a URI
    // percent-encoded, which also leaves nothing to escape.
    void WriteSourceAttribute(const char* name, const std::string& fileName);
    // Text of the paragraph's characters, each by its face.
    void WriteEscapedUnicode(const std::u16string& text);

    void ClosePre();
    void CloseList();
    void CloseBlocks() {
        ClosePre();
        CloseList();
    }

    // A link: the anchor element around the shown text; both are cp1252.
    void WriteLinkElement(const Str255& target, const Str255& shown);

    PictureFailures GetFailures() const { return m_failures; }
    int32_t GetImageCounter() const { return m_imageCounter; }

protected:
    // The walk over a paragraph: runs of one style between the style's opening and closing.
    void WriteParaContent(ParaComp& para, bool heading);
    // A code paragraph's characters inside the one open pre block.
    void WriteCodeContent(ParaComp& para);
    void OpenList();

    // Element names differ in case between the two pages.
    virtual const char* AnchorTag() const = 0;
    virtual const char* HrefAttribute() const = 0;
    // A run of mathematics: its opening, and its closing with the stretch of the list it
    // covers; `structured` when a math structure is among its components, `text` its characters.
    virtual void OpenMath() {}
    virtual void CloseMath(CompList& list, int32_t from, int32_t to, bool structured,
                           const std::u16string& text) = 0;
    // A picture or plot among a paragraph's text that the page shows as an image of its own,
    // outside any run of mathematics; the others join the run of mathematics they stand in.
    virtual bool IsInlineImage(const TextComp&) const { return false; }

    // The image element of the next picture, in the page's spelling; answers the file name.
    virtual std::string WriteImageTag() = 0;
    // The image element of children from..to (exclusive) drawn as one picture, and its file.
    void WriteListImage(CompList& list, int32_t from, int32_t to);
    // The image element of a plot's picture area, and its file.
    void WritePlotImage(PlotShape& plot);

    // A paragraph that holds only a plot: a table with the plot's picture in the first row and
    // each function list in a row below, inside the paragraph element the caller opens.
    void WritePlotTable(TextComp& comp, PlotShape& plot);
    virtual void WriteFunctionCell(CompList& list) = 0;

    // The next picture's name without extension (the base name as UTF-8), and in `text` as
    // document text; the counter advances.
    std::string NextImageName(Str255* text = nullptr);
    // Writes the picture file into the image directory, noting a failure.
    void SavePicture(const std::string& fileName, const std::optional<QImage>& image);
    const std::string& ImageDirectory() const { return m_imageDirectory; }
    void SetImageCounter(int32_t counter) { m_imageCounter = counter; }
    const Str255& Title() const { return m_title; }

private:
    void OpenStyle(int32_t style, bool heading);
    void CloseStyle(int32_t style, bool heading, CompList& list, int32_t from, int32_t to,
                    bool structured, std::u16string& mathRun);
    // A character of the face, escaped.
    void WriteCharOf(uint8_t code, int32_t face);

    OutBuffer m_out;
    // Every byte's escaped form: rows 0-255 the text faces, 256-511 the math face.
    std::array<std::string_view, 512> m_escapes;
    bool m_listOpen = false;
    bool m_preOpen = false;
    int32_t m_imageCounter = 1;
    std::string m_baseName; // UTF-8
    Str255 m_baseNameText;
    Str255 m_title;
    std::string m_imageDirectory;
    bool m_images;
    PictureFailures m_failures;
};
