#include "document/TessaryDoc.h"

#include "document/DocStream.h"
#include "document/DocumentHost.h"
#include "document/FileInStream.h"
#include "document/FileOutStream.h"
#include "document/MemoryStream.h"
#include "document/SequenceBody.h"
#include "platform/AtomicFile.h"
#include "platform/Exceptions.h"
#include "platform/File.h"

#include <algorithm>
#include <limits>
#include <new>
#include <string_view>
#include <vector>

namespace {

enum HeaderKind : int16_t { kPool = 1, kSettings = 2, kDefaults = 3 };

} // namespace

bool CTessaryDoc::RunReported(const std::string& path, bool saving, DocumentHost::Prompt prompt,
                              const std::function<void()>& operation) {
    try {
        operation();
        return true;
    } catch (const platform::Exception& e) {
        m_host.ReportSaveLoadError(path, e, saving, prompt);
    } catch (const std::bad_alloc&) {
        m_host.ReportSaveLoadError(path, platform::MemoryException("out of memory"), saving,
                                   prompt);
    } catch (const std::exception& e) {
        m_host.ReportSaveLoadError(path, platform::Exception(e.what()), saving, prompt);
    }
    return false;
}

CTessaryDoc::CTessaryDoc(DocumentHost& host, const BodyMaker& makeBody)
    : m_host(host), m_settings(std::make_unique<DocSettings>()),
      m_pool(std::make_unique<NumberPool>()), m_defaults(std::make_unique<CreateDefaults>()),
      m_blockLimit(std::numeric_limits<int32_t>::max()) {
    m_body = makeBody(*this);
}

CTessaryDoc::CTessaryDoc(DocumentHost& host)
    : CTessaryDoc(host, [](CTessaryDoc& doc) { return std::make_unique<SequenceBody>(doc); }) {}

CTessaryDoc::~CTessaryDoc() {
    if (m_body) m_body->Clear();
    for (ParaSequence* sequence : std::set<ParaSequence*>(m_sequences))
        sequence->DetachDocument();
    m_sequences.clear();
    m_body.reset();
}

bool CTessaryDoc::IsModified() const {
    return m_host.IsModified();
}

void CTessaryDoc::SetModifiedFlag(bool modified) {
    m_host.SetModified(modified);
    if (!modified) {
        BlankTitleMark();
        return;
    }
    const std::string title = m_host.GetTitle();
    if (!title.empty() && title.back() != '*') {
        m_host.SetTitle(title + "*");
        m_host.UpdateFrameCounts();
    }
}

void CTessaryDoc::BlankTitleMark() {
    std::string title = m_host.GetTitle();
    if (!title.empty() && title.back() == '*') {
        title.back() = ' ';
        m_host.SetTitle(title);
    }
}

void CTessaryDoc::DeleteContents() {
    m_body->Clear();
    DetachMaterial();
    m_held.clear();
    m_pool = std::make_unique<NumberPool>();
    m_settings = std::make_unique<DocSettings>();
    m_defaults = std::make_unique<CreateDefaults>();
}

bool CTessaryDoc::OnNewDocument() {
    DeleteContents();
    m_body->AppendNewParagraph(kPlainEquation);
    m_host.ShowBody();
    return true;
}

void CTessaryDoc::EnsureParagraph() {
    if (m_body->GetCount() == 0) m_body->AppendNewParagraph(kPlainEquation);
}

int32_t CTessaryDoc::ClaimParagraphNumber(int32_t identity) {
    if (identity > 0 && !m_held.count(identity)) {
        m_pool->Withdraw(identity);
        m_pool->Reserve(identity);
        m_held.insert(identity);
        return identity;
    }
    const int32_t fresh = TakeFreshNumber();
    m_held.insert(fresh);
    return fresh;
}

void CTessaryDoc::ReleaseParagraphNumber(int32_t identity) {
    // Only a number a paragraph holds goes back, so no number is ever free twice.
    if (m_held.erase(identity)) m_pool->Release(identity);
}

int32_t CTessaryDoc::TakeFreshNumber() {
    // The free list of a damaged file may hold numbers in use, repeated or below 1; fresh
    // numbers above the highest always end the search.
    for (;;) {
        const int32_t n = m_pool->Take();
        if (n > 0 && !m_held.count(n)) return n;
    }
}

void CTessaryDoc::ReconcileIdentities() {
    const std::vector<int32_t>& freeList = m_pool->GetFree();
    const std::unordered_set<int32_t> free(freeList.begin(), freeList.end());
    std::vector<int32_t> renumber;
    const int32_t count = m_body->GetCount();
    for (int32_t i = 1; i <= count; ++i) {
        const int32_t identity = m_body->GetIdentity(i);
        if (identity > 0 && !free.count(identity) && m_held.insert(identity).second)
            m_pool->Reserve(identity);
        else
            renumber.push_back(i);
    }
    // Numbers above all others: a reference that pointed at a free number must not come to
    // point at a paragraph that happened to store it.
    for (int32_t i : renumber) {
        int32_t fresh;
        do {
            fresh = m_pool->TakeNew();
        } while (fresh <= 0 || free.count(fresh) || m_held.count(fresh));
        m_held.insert(fresh);
        m_body->SetIdentity(i, fresh);
    }
}

void CTessaryDoc::SetLargerEquations(bool larger) {
    m_settings->largerEquations = larger ? 1 : 0;
    SetModifiedFlag(true);
}

void CTessaryDoc::ReportBadExpression(const DocPos& position) {
    m_host.ShowMessage(kBadExpressionMessage);
    m_host.SelectPosition(position);
}

void CTessaryDoc::DetachMaterial() {
    for (ParaSequence* sequence : std::set<ParaSequence*>(m_sequences)) {
        if (m_body->IsOwnSequence(sequence)) continue;
        sequence->DetachDocument();
        m_sequences.erase(sequence);
    }
}

void CTessaryDoc::RegisterSequence(ParaSequence* sequence) {
    m_sequences.insert(sequence);
}

void CTessaryDoc::UnregisterSequence(ParaSequence* sequence) {
    m_sequences.erase(sequence);
}

ParaComp* CTessaryDoc::FindParagraph(int32_t identity) const {
    return m_body->FindByNumber(identity);
}

void CTessaryDoc::WriteHeader(DocStream& stream) {
    m_settings->placement = m_host.GetFramePlacement();
    stream.WriteLong(kFormatVersion);
    stream.WriteShort(kHeaderRecords);
    stream.WriteShort(kPool);
    stream.WriteLong(m_pool->GetStreamSize());
    m_pool->Write(stream);
    stream.WriteShort(kSettings);
    stream.WriteLong(DocSettings::kStoredLength);
    m_settings->Write(stream);
    stream.WriteShort(kDefaults);
    stream.WriteLong(CreateDefaults::kStoredLength);
    m_defaults->Write(stream);
}

bool CTessaryDoc::ReadHeader(DocStream& stream) {
    const bool later = stream.ReadLong() > kFormatVersion;
    const int32_t countAt = stream.GetPosition();
    const int16_t records = stream.ReadShort();
    if (records < 0) stream.Fail(countAt);
    for (int16_t i = 0; i < records; ++i) {
        const int16_t kind = stream.ReadShort();
        const int32_t lengthAt = stream.GetPosition();
        const int32_t length = stream.ReadLong();
        if (length < 0) stream.Fail(lengthAt);
        stream.RequireBytes(length);
        if (kind == kPool || kind == kSettings || kind == kDefaults)
            ReadHeaderRecord(stream, kind, length);
        else
            stream.Skip(length);
    }
    return later;
}

void CTessaryDoc::ReadHeaderRecord(DocStream& stream, int16_t kind, int32_t length) {
    // The body is read from its own bytes, so no field can reach into the next record.
    const int32_t bodyAt = stream.GetPosition();
    std::vector<uint8_t> body(static_cast<size_t>(length));
    stream.ReadBytes(body.data(), length);
    MemoryStream bytes(static_cast<const void*>(body.data()), length);
    DocStream record(bytes);
    try {
        if (kind == kPool) {
            NumberPool pool;
            pool.Read(record);
            *m_pool = std::move(pool);
        } else if (kind == kSettings) {
            DocSettings settings;
            settings.Read(record);
            *m_settings = settings;
        } else {
            CreateDefaults defaults;
            defaults.Read(record);
            *m_defaults = defaults;
        }
    } catch (const platform::FileException&) {
        stream.Fail(bodyAt + std::min(record.GetPosition(), length));
    }
}

void CTessaryDoc::WriteContents(DocStream& stream, bool commitEach) {
    WriteHeader(stream);
    if (commitEach) stream.Commit();
    m_body->Write(stream, commitEach);
}

void CTessaryDoc::ReadContents(DocStream& stream) {
    const bool later = ReadHeader(stream);
    m_body->Read(stream);
    stream.RequireEnd();
    ReconcileIdentities();
    if (later) m_host.ShowMessage(kLaterVersionMessage);
}

int32_t CTessaryDoc::WriteFile(platform::File& file) {
    const auto limit =
        static_cast<int32_t>(std::min<int64_t>(m_blockLimit, std::numeric_limits<int32_t>::max()));
    FileOutStream out(file, limit, m_lastFileSize);
    // One pass packs the document once: the block grows to hold the whole file, and the file
    // gets it in one write. Only when the block may not grow that far (the limit, or no memory
    // for it) does the save start again and write one segment at a time, committing after the
    // header and after every paragraph, so that no segment has to hold more than a paragraph.
    bool segmented = false;
    try {
        DocStream writer(out);
        WriteContents(writer, false);
    } catch (const platform::FileException& e) {
        if (e.GetCause() != platform::FileException::Cause::TooLarge) throw;
        segmented = true;
    } catch (const std::bad_alloc&) {
        segmented = true;
    }
    if (segmented) {
        out.Restart();
        DocStream writer(out);
        WriteContents(writer, true);
    }
    out.Flush();
    return out.GetPosition();
}

bool CTessaryDoc::OnSaveDocument(const std::string& path) {
    std::unique_ptr<platform::AtomicFile> file;
    if (!RunReported(path, true, DocumentHost::Prompt::InvalidFileName,
                     [&] { file = std::make_unique<platform::AtomicFile>(path); }))
        return false;

    WaitCursor wait(m_host);
    if (!RunReported(path, true, DocumentHost::Prompt::FailedToSave, [&] {
            const int32_t size = WriteFile(file->GetFile());
            file->Commit();
            m_lastFileSize = size;
        })) {
        return false;
    }

    // The title follows the file it was saved as, without a mark.
    m_host.SetTitle(platform::FileNameOf(path));
    SetModifiedFlag(false);
    return true;
}

bool CTessaryDoc::OnOpenDocument(const std::string& path) {
    platform::File file;
    if (!RunReported(path, false, DocumentHost::Prompt::FailedToOpen,
                     [&] { file.Open(path, platform::File::Mode::Read); }))
        return false;

    DeleteContents();
    SetModifiedFlag(true);
    bool loaded;
    {
        WaitCursor wait(m_host);
        loaded = RunReported(path, false, DocumentHost::Prompt::FailedToOpen, [&] {
            if (file.GetLength() > 0) {
                FileInStream in(file);
                DocStream reader(in);
                try {
                    ReadContents(reader);
                } catch (const platform::FileException& e) {
                    if (e.GetCause() != platform::FileException::Cause::EndOfFile) throw;
                    // Said for a person, as the damage inside the file is.
                    throw platform::FileException(
                        e.GetCause(), -1,
                        "The document is damaged: it ends early, at byte " +
                            std::to_string(in.GetSize()) + ".");
                }
                m_lastFileSize = in.GetSize();
            }
        });
    }
    file.Abort();
    if (!loaded) {
        DeleteContents();
        return false;
    }
    SetModifiedFlag(false);
    m_host.SetFramePlacement(m_settings->placement);
    m_host.ShowBody();
    return true;
}
