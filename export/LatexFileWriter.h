#pragma once

// The LaTeX export and its TechExplorer variant. The writer keeps the mode bookkeeping that
// decides when text groups, inline math and style commands open and close, and turns letter
// runs in math into known function names. One writer serves one export: the header, every
// paragraph's opening, characters and closing, then the end, which flushes.
//
// Output is ASCII LaTeX except characters without a LaTeX form, which go as the UTF-8 of their
// Unicode (pdflatex reads UTF-8). A control word keeps the text after it as written: one the
// next letter would run into is ended by a blank, and a blank of the text after one is kept
// with "{}" ("\S{} 1"), as TeX skips the blanks that follow a control word. Pictures are written
// beside the export as PNG files, each through a temporary file; a picture that cannot be written
// is counted and named once after the export.

#include "document/LatexWriter.h"
#include "document/OutBuffer.h"
#include "document/Str255.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_set>

class ByteStream;
class RefSource;

class LatexFileWriter : public LatexWriter {
public:
    // The current modes.
    static constexpr int32_t kRoman = 0;
    static constexpr int32_t kEmphasis = 1;
    static constexpr int32_t kBold = 2;
    static constexpr int32_t kMath = 3;
    static constexpr int32_t kTypewriter = 4;

    // Picture files are named `baseName` followed by a counter, in `imageDirectory` (UTF-8,
    // ending in "/").
    LatexFileWriter(ByteStream& stream, const Str255& baseName, std::string imageDirectory);

    // --- LatexWriter ---
    void BeginGroup(bool brace) override;
    void EndGroup(bool brace) override;
    void WriteComponentChar(TextComp& comp, bool alignMode) override;
    void WriteRaw(const char* text) override;
    void WriteReference(const RefSource& target, bool otherDocument) override;
    void WriteHeader(bool numberPages, int32_t firstPage) override;
    void EndDocument() override;
    void BeginParagraph(int32_t kind, const RefSource* number, bool leadingWhite) override;
    void EndParagraph(int32_t kind, const RefSource* number) override;
    void BeginEquationBlock() override { BeginEqnarray(); }
    void EndEquationBlock() override { EndEqnarray(); }
    void WriteLink(const Str255& target, const Str255& shown) override;
    void WriteText(const Str255& text) override { WriteTextChars(text); }
    void WriteImage(int32_t width, int32_t height, const PictureBytes* picture) override;
    PictureFailures GetPictureFailures() const override { return m_failures; }

    // --- The paragraph blocks ---
    void BeginTitle();
    void EndTitle();
    virtual void BeginSection();
    virtual void EndSection(const RefSource* label);
    void BeginSubsection();
    void EndHeading();
    void BeginParagraph(bool indented);
    void EndParagraph();
    virtual void BeginListItem(const RefSource* label);
    virtual void EndListItem(const RefSource* label);
    int32_t BeginEquation();
    virtual void EndEquation(const RefSource* label);
    void BeginEqnarray();
    void EndEqnarray();
    void BeginDisplayMath();
    void EndDisplayMath();
    void BeginVerbatim();
    void EndVerbatim();
    void EndList();
    void CloseBlocks();

    // --- Output ---
    void Flush();
    void FlushPending();
    void NewLine() { PutRaw("\n"); }
    void WriteInt(int32_t value);
    void SetMode(int32_t mode);
    int32_t GetCurrentMode() const { return m_currentMode; }

    // A length in points as pixels at `dpi`, never less than 1.
    static int32_t PixelsOf(int32_t points, int32_t dpi);

protected:
    // Appends without flushing the pending word.
    void PutRaw(std::string_view text) { Put(text); }
    // Flushes the pending word and, when the current mode left the paragraph's, closes it.
    void CloseGroup();
    // The text mode that links and references write in: they belong to the text around them,
    // or, amid mathematics, to the paragraph's text (roman in an equation).
    int32_t TextModeHere() const;
    // The name by which the label and references to it meet (`RefSource::GetLatexKey`).
    void PutKey(const RefSource& label);
    // "\label{key} " unless the label has no number or its key was labelled already.
    void WriteLabel(const RefSource* label);
    static bool HasNumber(const RefSource* label);
    // The label's key when it has a number and the key is new in the file; null otherwise. A
    // label written twice makes LaTeX warn, and references would land on either.
    const char* NewLabelKey(const RefSource* label);
    // The next picture's name, the counter advanced.
    std::string NextImageName();
    // The picture drawn into a PNG file of `width` by `height` points in the image directory;
    // a file that cannot be written is counted.
    void WritePictureFile(const std::string& fileName, int32_t width, int32_t height,
                          const PictureBytes& picture);
    // Document text (cp1252) written character by character as the text faces write it.
    void WriteTextChars(const Str255& text);

private:
    // What the end of the output asks of the text after it: a control word ("\S") runs into a
    // following letter and swallows a following blank; one ended by its blank ("\bf ") still
    // swallows the next.
    enum class Tail : uint8_t { kOther, kControlWord, kEndedControlWord };
    static Tail TailOf(std::string_view text);

    // Every byte of the output goes through here: it ends a control word before text that
    // would change it, then appends.
    void Put(std::string_view text);
    // Flushes the pending word, then appends.
    void WriteForm(std::string_view form);
    void NoteFailure(const std::string& path);

    OutBuffer m_out;
    Tail m_tail = Tail::kOther;
    std::string m_pending; // the current word's letters; grows as long as the word runs
    int32_t m_depth = 0;
    int32_t m_paragraphMode = kRoman;
    int32_t m_currentMode = kRoman;
    int32_t m_runState = 0; // 0 none, 1 in a run of letters, 2 after a blank that followed one
    bool m_listOpen = false;
    bool m_verbatim = false;
    uint16_t m_imageCounter = 0;
    std::unordered_set<std::string> m_labels; // the keys labelled so far
    std::string m_baseName;                   // UTF-8
    std::string m_imageDirectory;
    PictureFailures m_failures;
};

// The TechExplorer dialect: labels and references as links, links kept, pictures without a size.
class TcxWriter final : public LatexFileWriter {
public:
    using LatexFileWriter::LatexFileWriter;

    void WriteHeader(bool numberPages, int32_t firstPage) override;
    void EndSection(const RefSource* label) override;
    void EndEquation(const RefSource* label) override;
    void BeginListItem(const RefSource* label) override;
    void EndListItem(const RefSource* label) override;
    void WriteImage(int32_t width, int32_t height, const PictureBytes* picture) override;
    void WriteReference(const RefSource& target, bool otherDocument) override;
    void WriteLink(const Str255& target, const Str255& shown) override;
};
