#include "document/DocStream.h"

#include "document/ByteStream.h"
#include "document/GlyphSource.h"
#include "document/TextComp.h"
#include "mathbox/CharTable.h"
#include "platform/Exceptions.h"

#include <bit>
#include <cstring>
#include <stdexcept>
#include <string>

using platform::FileException;

namespace {

// Characters are stored in the Macintosh Roman set with the program's own additions in the
// control range (text faces), or in the math font's own code (the symbol face). The write maps
// are the character table's byte-to-index maps, whose index space is that stored set. The read
// maps are not their exact inverses: a few codes change in a save and a load.
struct ReadMaps {
    std::array<uint8_t, 256> text;
    std::array<uint8_t, 256> symbol;
};

struct CodePair {
    uint8_t stored;
    uint8_t memory;
};

// Text faces: the stored control codes that stand for cp1252 letters Macintosh Roman lacks.
constexpr CodePair kTextAdditions[] = {
    {0x01, 0xD0}, {0x02, 0xF0}, {0x04, 0xFD}, {0x05, 0x8A}, {0x06, 0x9A}, {0x07, 0xDD},
    {0x0B, 0xDE}, {0x0C, 0xFE}, {0x15, 0xBD}, {0x16, 0xBC}, {0x17, 0xB9}, {0x18, 0xBE},
    {0x19, 0xB3}, {0x1A, 0xB2}, {0x1B, 0xA6}, {0x1C, 0x96}, {0x1D, 0xD7},
};

// The symbol face reads like a text face except where the math font places its own glyphs.
constexpr CodePair kSymbolDifferences[] = {
    {0x01, 0xD7}, {0x15, 0x9D}, {0x16, 0x8F}, {0x17, 0x9E}, {0x18, 0x8D}, {0x19, 0xD0},
    {0x1A, 0x80}, {0x1B, 0x7F}, {0x1C, 0xAD}, {0x1D, 0x1D}, {0x91, 0x91}, {0x93, 0x93},
    {0xAD, 0xB9}, {0xB0, 0xB2}, {0xB2, 0xBA}, {0xB3, 0xB3}, {0xB6, 0x81}, {0xB7, 0xBE},
    {0xB8, 0xEB}, {0xB9, 0xBC}, {0xBC, 0x90}, {0xC6, 0xD5}, {0xCD, 0x8E}, {0xD0, 0x96},
};

ReadMaps BuildReadMaps() {
    ReadMaps maps;
    for (int code = 0; code < 256; ++code)
        maps.text[code] = MacToAnsi(static_cast<uint8_t>(code));
    for (const auto& pair : kTextAdditions)
        maps.text[pair.stored] = pair.memory;
    maps.symbol = maps.text;
    for (const auto& pair : kSymbolDifferences)
        maps.symbol[pair.stored] = pair.memory;
    return maps;
}

const std::array<uint8_t, 256>& ReadMap(bool symbolTable) {
    static const ReadMaps maps = BuildReadMaps();
    return symbolTable ? maps.symbol : maps.text;
}

const std::array<uint8_t, 256>& WriteMap(bool symbolTable) {
    return symbolTable ? MathCharIndex : TextCharIndex;
}

constexpr int32_t kLengthFieldSize = 4;

void PutShort(uint8_t* out, int16_t value) {
    const auto bits = static_cast<uint16_t>(value);
    out[0] = static_cast<uint8_t>(bits);
    out[1] = static_cast<uint8_t>(bits >> 8);
}

void PutLong(uint8_t* out, int32_t value) {
    const auto bits = static_cast<uint32_t>(value);
    for (int i = 0; i < 4; ++i)
        out[i] = static_cast<uint8_t>(bits >> (8 * i));
}

} // namespace

DocStream::DocStream(ByteStream& stream) : m_stream(stream) {}

DocStream::~DocStream() = default;

void DocStream::WriteByte(uint8_t value) {
    m_stream.Write(&value, 1);
}

void DocStream::WriteShort(int16_t value) {
    uint8_t bytes[2];
    PutShort(bytes, value);
    m_stream.Write(bytes, 2);
}

void DocStream::WriteLong(int32_t value) {
    uint8_t bytes[4];
    PutLong(bytes, value);
    m_stream.Write(bytes, 4);
}

void DocStream::WriteDouble(double value) {
    auto bits = std::bit_cast<uint64_t>(value);
    uint8_t bytes[8];
    for (auto& byte : bytes) {
        byte = static_cast<uint8_t>(bits);
        bits >>= 8;
    }
    m_stream.Write(bytes, 8);
}

void DocStream::WriteBytes(const void* data, int32_t count) {
    m_stream.Write(data, count);
}

uint8_t DocStream::ReadByte() {
    return m_stream.ReadByte();
}

int16_t DocStream::ReadShort() {
    uint8_t bytes[2];
    m_stream.Read(bytes, 2);
    return static_cast<int16_t>(bytes[0] | bytes[1] << 8);
}

int32_t DocStream::ReadLong() {
    return m_stream.ReadLong();
}

double DocStream::ReadDouble() {
    uint8_t bytes[8];
    m_stream.Read(bytes, 8);
    uint64_t bits = 0;
    for (int i = 7; i >= 0; --i)
        bits = bits << 8 | bytes[i];
    return std::bit_cast<double>(bits);
}

void DocStream::ReadBytes(void* data, int32_t count) {
    m_stream.Read(data, count);
}

void DocStream::Skip(int32_t count) {
    RequireBytes(count);
    m_stream.SetPosition(GetPosition() + count);
}

void DocStream::Commit() {
    m_stream.Flush();
}

int32_t DocStream::GetPosition() {
    return m_stream.GetPosition();
}

void DocStream::WriteStr255(const Str255& text, bool symbolTable) {
    const auto& map = WriteMap(symbolTable);
    const int32_t length = text.GetLength();
    uint8_t bytes[1 + Str255::kCapacity];
    bytes[0] = static_cast<uint8_t>(length);
    for (int32_t i = 0; i < length; ++i)
        bytes[1 + i] = map[text.GetAt(i)];
    m_stream.Write(bytes, 1 + length);
}

void DocStream::ReadStr255(Str255& text, bool symbolTable) {
    const auto& map = ReadMap(symbolTable);
    const int32_t length = ReadByte();
    char chars[Str255::kCapacity];
    m_stream.Read(chars, length);
    int32_t kept = 0;
    while (kept < length && chars[kept] != '\0') {
        chars[kept] = static_cast<char>(map[static_cast<uint8_t>(chars[kept])]);
        ++kept;
    }
    text = std::string_view(chars, static_cast<size_t>(kept));
}

void DocStream::BeginChunk() {
    if (m_depth + 1 >= kMaxDepth)
        throw FileException(FileException::Cause::TooLarge, -1,
                            "document nests deeper than " + std::to_string(kMaxDepth) +
                                " component lists");
    ++m_depth;
    m_chunkPositions[m_depth] = GetPosition();
    m_chunkCounts[m_depth] = 0;
    WriteLong(0);
}

void DocStream::EndChunk() {
    if (m_depth < 0) throw std::logic_error("DocStream::EndChunk without an open chunk");
    WritePendingBlock();
    const int32_t end = GetPosition();
    m_stream.SetPosition(m_chunkPositions[m_depth]);
    WriteLong(static_cast<int32_t>(m_chunkCounts[m_depth]));
    m_stream.SetPosition(end);
    --m_depth;
}

void DocStream::WriteComponents(std::span<const TextComp* const> comps) {
    if (m_depth < 0) throw std::logic_error("DocStream::WriteComponent outside a chunk");
    for (const TextComp* comp : comps) {
        if (comp == nullptr) continue;
        GlyphKey glyph;
        if (!comp->GetGlyphKey(glyph)) {
            WritePendingBlock();
            WriteRecord(*comp);
            continue;
        }
        if (m_blockCount == 0 || glyph.face != m_blockFace || m_blockCount == CharBlock::kMaxChars)
            StartBlock(glyph.face);
        m_block[kBlockHead + m_blockCount++] = (*m_blockMap)[glyph.code];
    }
}

void DocStream::StartBlock(int32_t face) {
    WritePendingBlock();
    m_blockFace = face;
    m_blockMap = &WriteMap(face == kMathFace);
}

void DocStream::WritePendingBlock() {
    if (m_blockCount == 0) return;
    const int32_t count = m_blockCount;
    // Cleared first: a failing write must not leave the block to be written a second time.
    m_blockCount = 0;
    // The record CharBlock::Write frames: the face as 16 bits, then the characters as a short
    // string; the length counts itself.
    const int32_t length = kBlockHead - kLengthFieldSize + count;
    PutLong(&m_block[0], static_cast<int32_t>(tags::CharBlock.Value()));
    PutLong(&m_block[4], length);
    PutShort(&m_block[8], static_cast<int16_t>(m_blockFace));
    m_block[10] = static_cast<uint8_t>(count);
    m_stream.Write(m_block.data(), kBlockHead + count);
    ++m_chunkCounts[m_depth];
}

void DocStream::WriteRecord(const TextComp& comp) {
    WriteFramed(comp.GetTypeTag().Value(), comp);
    if (m_depth >= 0) ++m_chunkCounts[m_depth];
}

template <typename Object>
void DocStream::WriteFramed(uint32_t head, const Object& object) {
    WriteLong(static_cast<int32_t>(head));
    const int32_t lengthPosition = GetPosition();
    WriteLong(0);
    object.Write(*this);
    PatchLength(lengthPosition);
}

void DocStream::PatchLength(int32_t lengthPosition) {
    const int32_t end = GetPosition();
    m_stream.SetPosition(lengthPosition);
    WriteLong(end - lengthPosition);
    m_stream.SetPosition(end);
}

int32_t DocStream::CurrentLimit() {
    return m_readDepth > 0 ? m_recordEnds[m_readDepth - 1] : m_stream.GetSize();
}

void DocStream::RequireBytes(int64_t count) {
    const int64_t remaining = int64_t{CurrentLimit()} - GetPosition();
    if (count < 0 || count > remaining) Fail();
}

void DocStream::RequireEnd() {
    if (GetPosition() != CurrentLimit()) Fail();
}

void DocStream::Fail(int64_t byte) {
    const bool inRecord = m_readDepth > 0;
    FailInRecord(byte, inRecord ? m_recordHeads[m_readDepth - 1] : 0, inRecord);
}

// The person learns what is wrong and where; the record's tag is the one internal name that
// helps anyone who looks at the bytes.
void DocStream::FailInRecord(int64_t byte, uint32_t head, bool inRecord) {
    if (byte < 0) byte = GetPosition();
    std::string text = "The document is damaged at byte " + std::to_string(byte);
    if (inRecord) text += " (record " + DescribeTag(TypeTag::FromValue(head)) + ")";
    throw FileException(FileException::Cause::BadFormat, -1, text + ".");
}

int32_t DocStream::ReadRecordEnd(uint32_t head) {
    const int32_t lengthPosition = GetPosition();
    const int32_t length = ReadLong();
    const int64_t end = int64_t{lengthPosition} + length;
    if (length < kLengthFieldSize || end > CurrentLimit()) FailInRecord(lengthPosition, head, true);
    return static_cast<int32_t>(end);
}

template <typename Create>
auto DocStream::ReadFramed(Create&& create) {
    const auto head = static_cast<uint32_t>(ReadLong());
    const int32_t end = ReadRecordEnd(head);
    auto object = create(head);
    if (!object) {
        m_stream.SetPosition(end);
        return object;
    }
    if (m_readDepth >= kMaxDepth) FailInRecord(-1, head, true); // nested past any real document
    m_recordHeads[m_readDepth] = head;
    m_recordEnds[m_readDepth++] = end;
    struct Pop {
        int32_t& depth;
        ~Pop() { --depth; }
    } pop{m_readDepth};
    object->Read(*this);
    const int32_t at = GetPosition();
    if (at > end) Fail(end); // the body ran past its record
    // A body shorter than its record was written by a later version: skip what it added.
    if (at < end) m_stream.SetPosition(end);
    return object;
}

OwnedComponent DocStream::ReadComponent() {
    OwnedComponent comp =
        ReadFramed([](uint32_t tag) { return TextComp::CreateByTag(TypeTag::FromValue(tag)); });
    return comp ? std::move(comp) : TextComp::CreateByTag(tags::Missing);
}

void DocStream::WritePrimitive2D(const StoredPrim& prim) {
    WriteFramed(static_cast<uint32_t>(prim.GetTypeCode()), prim);
}

void DocStream::WritePrimitive3D(const StoredPrim& prim) {
    WriteFramed(static_cast<uint32_t>(prim.GetTypeCode()), prim);
}

std::unique_ptr<StoredPrim> DocStream::ReadPrimitive2D() {
    return ReadFramed([](uint32_t code) -> std::unique_ptr<StoredPrim> {
        if (code < 1 || code > 6 || gPrimitiveFactory == nullptr) return nullptr;
        return gPrimitiveFactory->New2D(static_cast<int32_t>(code));
    });
}

std::unique_ptr<StoredPrim> DocStream::ReadPrimitive3D() {
    return ReadFramed([](uint32_t code) -> std::unique_ptr<StoredPrim> {
        if (code < 1 || code > 7 || gPrimitiveFactory == nullptr) return nullptr;
        return gPrimitiveFactory->New3D(static_cast<int32_t>(code));
    });
}
