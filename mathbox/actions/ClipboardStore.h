#pragma once

// The one process-wide object through which the editor reads and writes the system clipboard.
// It offers three formats, in this order of preference: the private format (whole paragraphs
// with all their math), plain text, and pictures (SVG). It caches the last content, so that what
// this program put there is not decoded again while it still owns the clipboard.
//
// Ownership: the cache is the store's own detached material. `Put` stores a deep copy of what
// it is given; `TakeContent` hands out a fresh copy every time. So an action that remembers
// content owns it alone, undoing it can never free what the cache still holds, and the cache
// never belongs to a document (which may close before it). Material given away (`Put` of an
// rvalue) becomes the cache itself.
//
// The system clipboard is reached only through a `ClipboardPort`; the program's port is over
// the Qt clipboard (app/), tests use a fake that can refuse and can let another program take
// the clipboard over. GUI thread only.

#include "document/DrawPort.h"
#include "document/Material.h"
#include "document/OutBuffer.h"
#include "platform/Installed.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// What one clipboard holds in the formats the store reads and writes.
struct ClipboardData {
    // The private format's bytes (`clipboard::EncodeParagraphs`).
    std::optional<std::vector<uint8_t>> paragraphs;
    // Text in the program's character set, one carriage return between two paragraphs.
    std::optional<std::string> text;
    // Where `text` holds bytes of the math face and big operators' signs, in order, so that the
    // platform gets the characters shown for them (written only: text read is all characters).
    std::vector<TextSymbol> textSymbols;
    // An SVG picture.
    std::optional<PictureBytes> picture;
};

class ClipboardPort {
public:
    virtual ~ClipboardPort() = default;

    // Whether the clipboard offers any of the three formats.
    virtual bool HasData() = 0;
    // What the clipboard holds, or nothing when it cannot be opened.
    virtual std::optional<ClipboardData> Read() = 0;
    // Replaces the clipboard's content with `data`, marked with `owner`; false when the
    // clipboard cannot be opened or emptied (then nothing was written).
    virtual bool Write(const ClipboardData& data, const std::string& owner) = 0;
    // The owner mark of what the clipboard holds, when this program put it there; empty
    // otherwise.
    virtual std::string Owner() = 0;
    // Empties the clipboard; false when it cannot be opened.
    virtual bool Clear() = 0;
    // A number that changes whenever the clipboard's content changes, whoever changed it.
    virtual uint64_t Generation() = 0;
};

class ClipboardStore {
public:
    // A number naming one write of this store, for `StillHolds`; 0 names none.
    using Serial = uint64_t;

    explicit ClipboardStore(ClipboardPort& port);
    ~ClipboardStore();
    ClipboardStore(const ClipboardStore&) = delete;
    ClipboardStore& operator=(const ClipboardStore&) = delete;

    bool HasData();
    // Run before every read: drops the cache once another program took the clipboard over (or,
    // for content another program put there, once the content changed), and decodes the
    // clipboard into the cache when the cache is not valid. Private bytes that fail
    // to decode count as absent, so text or a picture beside them is read instead.
    void Refresh();
    // Makes the content the cache (detaching it from any document) and writes it (text and
    // private format). The cache is valid afterwards only when the clipboard took it. Returns
    // the write's serial, or 0.
    Serial Put(Material&& content);
    // The same for a copy of content the caller keeps.
    Serial Put(const Material& content);
    // A picture: the cache becomes material of one picture component, the clipboard gets the
    // picture alone.
    Serial PutMetafile(const PictureBytes& picture);
    // A fresh, detached copy of the current content (another program's content is decoded
    // afresh instead of copied); empty when there is none.
    Material TakeContent();
    // The current content for a look (the Paste command's enabling), without copying it; null
    // when there is none. Valid until the next call on the store.
    const Material* PeekContent();
    // Frees the cache and empties the clipboard.
    void Clear();
    // Whether the clipboard still holds what this store's write `serial` put there.
    bool StillHolds(Serial serial);

private:
    // Decodes what the clipboard holds into the cache.
    void ReadClipboard();
    void DropCache();
    // Writes `data` for the cache just made; the cache is valid when the clipboard took it.
    Serial WriteCached(const ClipboardData& data);
    std::string Mark(Serial serial) const;

    ClipboardPort& m_port;
    Material m_cache; // detached, owned
    bool m_cacheValid = false;
    // The cache was read from another program's content, in this generation of the clipboard.
    bool m_cacheForeign = false;
    uint64_t m_readGeneration = 0;
    Serial m_lastSerial = 0;
    std::string m_ownerPrefix; // this process's mark, to which each write adds its serial
};

// The installed store; not owned here. Installed by the application at start-up.
extern ServiceSlot<ClipboardStore> gClipboardStore;
