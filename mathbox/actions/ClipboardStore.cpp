#include "mathbox/actions/ClipboardStore.h"

#include "document/ClipboardFormat.h"
#include "document/MetaPictComp.h"

#include <exception>
#include <random>

ServiceSlot<ClipboardStore> gClipboardStore;

namespace {

// A mark no other process of this program shares, so that a clipboard another instance wrote
// never reads as this one's own.
std::string ProcessMark() {
    std::random_device device;
    const uint64_t high = device();
    return "tessary-" + std::to_string((high << 32) ^ device()) + "-";
}

} // namespace

ClipboardStore::ClipboardStore(ClipboardPort& port) : m_port(port), m_ownerPrefix(ProcessMark()) {}

ClipboardStore::~ClipboardStore() = default;

bool ClipboardStore::HasData() {
    return m_port.HasData();
}

bool ClipboardStore::StillHolds(Serial serial) {
    return serial != 0 && m_port.Owner() == Mark(serial);
}

std::string ClipboardStore::Mark(Serial serial) const {
    return m_ownerPrefix + std::to_string(serial);
}

void ClipboardStore::DropCache() {
    m_cache = Material();
    m_cacheValid = false;
    m_cacheForeign = false;
}

void ClipboardStore::Refresh() {
    // Another program's content is decoded once per change, not at every look (the Paste
    // command's enabling looks whenever the program waits).
    const bool current =
        m_cacheForeign ? m_port.Generation() == m_readGeneration : StillHolds(m_lastSerial);
    if (m_cacheValid && !current) DropCache();
    if (!m_cacheValid) ReadClipboard();
}

void ClipboardStore::ReadClipboard() {
    const uint64_t generation = m_port.Generation();
    std::optional<ClipboardData> data = m_port.Read();
    if (!data) return;
    // What this store wrote itself reads back as its own; anything else is another program's.
    m_cacheForeign = !StillHolds(m_lastSerial);
    m_readGeneration = generation;
    if (data->paragraphs) {
        // Any program may put bytes under our type: damaged ones count as absent.
        try {
            m_cache = clipboard::DecodeParagraphs(*data->paragraphs);
            m_cacheValid = true;
            return;
        } catch (const std::exception&) {
            m_cache = Material();
        }
    }
    if (data->text) {
        m_cache = clipboard::DecodeText(*data->text);
        m_cacheValid = true;
    } else if (data->picture) {
        m_cache = CompSequence::WrapComponentAsSequence(
            nullptr, OwnedComponent(new MetaPictComp(*data->picture)));
        m_cacheValid = true;
    }
}

ClipboardStore::Serial ClipboardStore::Put(const Material& content) {
    return Put(clipboard::CopyMaterial(content));
}

ClipboardStore::Serial ClipboardStore::Put(Material&& content) {
    DropCache();
    m_cache = std::move(content);
    if (m_cache.sequence != nullptr) m_cache.sequence->MoveTo(nullptr);
    ClipboardData data;
    if (m_cache.sequence != nullptr) {
        data.text = clipboard::EncodeText(*m_cache.sequence, &data.textSymbols);
        data.paragraphs = clipboard::EncodeParagraphs(*m_cache.sequence);
    }
    return WriteCached(data);
}

ClipboardStore::Serial ClipboardStore::PutMetafile(const PictureBytes& picture) {
    DropCache();
    m_cache =
        CompSequence::WrapComponentAsSequence(nullptr, OwnedComponent(new MetaPictComp(picture)));
    ClipboardData data;
    data.picture = picture;
    return WriteCached(data);
}

ClipboardStore::Serial ClipboardStore::WriteCached(const ClipboardData& data) {
    // The cache stays invalid when the write fails or throws, so that the next read decodes
    // whatever the clipboard holds then.
    const Serial serial = ++m_lastSerial;
    m_cacheValid = m_port.Write(data, Mark(serial));
    return m_cacheValid ? serial : 0;
}

Material ClipboardStore::TakeContent() {
    Refresh();
    if (!m_cacheValid) return Material();
    if (!m_cacheForeign) return clipboard::CopyMaterial(m_cache);
    // Another program's content decodes the same every time: the caller takes the decoded
    // material itself, and the next read decodes a fresh one.
    Material taken = std::move(m_cache);
    DropCache();
    return taken;
}

const Material* ClipboardStore::PeekContent() {
    Refresh();
    return m_cacheValid && !m_cache.IsEmpty() ? &m_cache : nullptr;
}

void ClipboardStore::Clear() {
    DropCache();
    m_port.Clear();
}
