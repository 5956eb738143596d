#pragma once

// One open math document: its paragraphs (the body, a paragraph sequence), the number pool that
// gives them their identities, the document settings and the creation defaults. It creates new
// documents, opens and saves ".tsy" files, keeps the title's modified mark and runs the five
// export commands. The window framework around it is reached through a `DocumentHost`.
//
// Saving never harms the old file: the new bytes go to a temporary file that replaces the old
// one only once it is complete and on the disk. Exports are written the same way.
//
// Identities: every paragraph of the document holds a number that no other paragraph of it
// holds (references find their targets by it). A number is kept only while no paragraph holds
// it and is then no longer free; a loaded file's zero, repeated or free numbers are replaced.
// Material taken out of the document (a cut, an undo that holds a paragraph) keeps its
// paragraphs' numbers reserved until it is put back or dropped.
//
// GUI thread only.

#include "document/DocBody.h"
#include "document/DocSettings.h"
#include "document/DocumentHost.h"
#include "document/LatexWriter.h"
#include "document/NumberPool.h"
#include "document/ParaDocument.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <unordered_set>

namespace platform {
class File;
}

class DocPos;
class DocStream;

class CTessaryDoc final : public ParaDocument {
public:
    static constexpr int32_t kFormatVersion = 1400;
    static constexpr int16_t kHeaderRecords = 3;
    static constexpr const char* kLaterVersionMessage =
        "This document was created by a later version of Tessary. This version may not be able "
        "to read all of the document's contents.";
    static constexpr const char* kBadExpressionMessage =
        "This document contains a badly formed Oskaria expression. Please correct this "
        "expression and try again.";
    // The style of the paragraph a new document starts with.
    static constexpr int32_t kPlainEquation = 5;

    // Makes the body the document owns; it may call back into the document.
    using BodyMaker = std::function<std::unique_ptr<DocBody>(CTessaryDoc&)>;

    // A document whose body is a paragraph sequence.
    explicit CTessaryDoc(DocumentHost& host);
    CTessaryDoc(DocumentHost& host, const BodyMaker& makeBody);
    // Detaches every registered sequence, then empties and deletes the body.
    ~CTessaryDoc() override;
    CTessaryDoc(const CTessaryDoc&) = delete;
    CTessaryDoc& operator=(const CTessaryDoc&) = delete;

    // The framework's side.
    bool IsModified() const;
    // Stores the flag and keeps the title's mark: a modified document's title ends in "*".
    void SetModifiedFlag(bool modified);
    // Replaces a trailing "*" of the title by a blank; the save commands call it first.
    void BlankTitleMark();
    // Empties the body, detaches material taken from it and puts fresh settings, creation
    // defaults and pool in place.
    void DeleteContents();
    // A document of one empty Plain Equation paragraph.
    bool OnNewDocument();
    // Failures are reported through the host and answered false; a failed open leaves the
    // document empty, a failed save leaves the file and the document as they were.
    bool OnOpenDocument(const std::string& path);
    bool OnSaveDocument(const std::string& path);

    // For the view: a document without paragraphs gets one Plain Equation paragraph, which
    // does not count as a change.
    void EnsureParagraph();

    // Identities of the paragraphs that enter and leave the document.
    int32_t ClaimParagraphNumber(int32_t identity) override;
    void ReleaseParagraphNumber(int32_t identity) override;
    ParaComp* FindParagraph(int32_t identity) const override;

    bool HasLargerEquations() const override { return m_settings->largerEquations != 0; }
    bool GetLargerEquations() const { return HasLargerEquations(); }
    void SetLargerEquations(bool larger);

    // Shows the badly-formed-expression message and selects the position in the first view.
    void ReportBadExpression(const DocPos& position);

    // The file header: version, record count, then the pool, the settings (with the first
    // view's current placement) and the creation defaults, each as kind, length and body.
    void WriteHeader(DocStream& stream);
    // Reads each record within its length: a shorter record is a damaged file, a longer one's
    // surplus is skipped, and records of other kinds are skipped whole. True when a later
    // version wrote the file (the caller warns once the file has loaded).
    bool ReadHeader(DocStream& stream);

    // The whole file: the header, then the paragraphs, committing after the header and after
    // every paragraph when asked.
    void WriteContents(DocStream& stream, bool commitEach);
    // Reads a whole file into the emptied document and makes the identities unique. The
    // records must cover the file exactly: anything else is not a document of ours, or a
    // damaged one.
    void ReadContents(DocStream& stream);

    // Export commands (the ids in ExportWriters.h). Enabled while the installed factory makes
    // the command's writer; the notebook also needs a connected kernel.
    bool IsExportEnabled(int32_t command) const;
    // Asks for a file name and writes the export; false when nothing was written.
    bool OnExport(int32_t command);
    // The file name an export proposes for a document of that title.
    static std::string ProposeExportName(const std::string& title, int32_t command);
    // What an export that could not write some of its picture files tells afterwards.
    static std::string PictureFailureMessage(const PictureFailures& failures);

    DocBody& GetBody() const { return *m_body; }
    DocSettings& GetSettings() const { return *m_settings; }
    CreateDefaults& GetCreateDefaults() const { return *m_defaults; }
    const NumberPool& GetNumberPool() const { return *m_pool; }
    DocumentHost& GetHost() const { return m_host; }

    void RegisterSequence(ParaSequence* sequence) override;
    void UnregisterSequence(ParaSequence* sequence) override;

    // The largest block a save takes in one piece; a larger document is written in segments,
    // one paragraph at a time. Tests lower it to reach that path.
    void SetBlockLimit(int64_t bytes) { m_blockLimit = bytes; }

private:
    // Runs `operation`; whatever it throws is reported through the host as a failed save
    // (`saving`) or load of `path`, with `prompt`, and answered false.
    bool RunReported(const std::string& path, bool saving, DocumentHost::Prompt prompt,
                     const std::function<void()>& operation);
    void ReadHeaderRecord(DocStream& stream, int16_t kind, int32_t length);
    // Writes the whole file through one block, or in segments past the block limit; returns
    // its size.
    int32_t WriteFile(platform::File& file);
    // Gives every paragraph whose identity is zero, repeated or free a fresh one.
    void ReconcileIdentities();
    // Material taken from the contents being emptied holds numbers of the old pool: it forgets
    // the document, so it neither gives them to the new pool nor brings them back in (put back,
    // its paragraphs take fresh numbers).
    void DetachMaterial();
    int32_t TakeFreshNumber();

    DocumentHost& m_host;
    // Created in this order; replaced whole by DeleteContents.
    std::unique_ptr<DocSettings> m_settings;
    std::unique_ptr<NumberPool> m_pool;
    std::unique_ptr<CreateDefaults> m_defaults;
    std::unique_ptr<DocBody> m_body;
    // The identities paragraphs of the document hold.
    std::unordered_set<int32_t> m_held;
    std::set<ParaSequence*> m_sequences;
    int64_t m_blockLimit;
    // The size of the file last saved or opened, which the next save's block starts at.
    int32_t m_lastFileSize = 0;
};
