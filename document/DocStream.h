#pragma once

// The typed layer between components and a ByteStream: little-endian values of 1, 2, 4 and 8
// bytes, short strings in the file's character sets, component records framed by a type tag and
// a back-patched length, counted chunks of records whose count is patched when the chunk
// closes, runs of characters packed into character blocks, and the framed records of stored
// plot primitives.
//
// A DocStream lives for one pass of a save or a load and does not own its byte stream. A writer
// opens and closes chunks in nested order; a reader never opens chunks.
//
// Damaged input never gets past the reader: every record length is checked against the record
// that encloses it, a body that reads past its record fails the load, the remainder of a shorter
// body is skipped, records nest at most kMaxDepth deep, and bodies check counts taken from the
// file with RequireBytes before they allocate. All failures are platform::FileException
// (BadFormat for damaged data, EndOfFile for a short file, TooLarge for what the format cannot
// hold); the byte stream's own failures pass through unchanged.

#include "document/CharBlock.h"
#include "document/StoredPrim.h"
#include "document/Str255.h"
#include "document/TextComp.h"

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string_view>

class ByteStream;

class DocStream {
public:
    // Open chunks on the writing side, and nested records on the reading side.
    static constexpr int32_t kMaxDepth = 1024;

    explicit DocStream(ByteStream& stream);
    ~DocStream();
    DocStream(const DocStream&) = delete;
    DocStream& operator=(const DocStream&) = delete;

    void WriteByte(uint8_t value);
    void WriteShort(int16_t value);
    void WriteLong(int32_t value);
    void WriteDouble(double value);
    void WriteBytes(const void* data, int32_t count);

    uint8_t ReadByte();
    bool ReadBool() { return ReadByte() != 0; }
    int16_t ReadShort();
    int32_t ReadLong();
    double ReadDouble();
    void ReadBytes(void* data, int32_t count);

    // Moves forward by `count` bytes.
    void Skip(int32_t count);
    // Hands what was written on (the byte stream's Flush); the document calls it between
    // top-level records only, so that no back-patch reaches before it.
    void Commit();

    // A length byte, then the characters mapped to the file's character set: the symbol face's
    // map when `symbolTable` is set, else the text map.
    void WriteStr255(const Str255& text, bool symbolTable);
    // The inverse; a stored zero byte ends the string there (the bytes after it are consumed
    // and dropped).
    void ReadStr255(Str255& text, bool symbolTable);

    // Opens a chunk: a 32-bit count placeholder, patched by EndChunk. More than kMaxDepth open
    // chunks fail the save (TooLarge).
    void BeginChunk();
    // Writes out a pending character block, patches the chunk's record count and closes it.
    void EndChunk();
    // Writes a component into the innermost open chunk, packing consecutive characters of one
    // face into character blocks of at most 255.
    void WriteComponent(const TextComp* comp) { WriteComponents({&comp, 1}); }
    // The same for a list's components in order; null entries are passed over.
    void WriteComponents(std::span<const TextComp* const> comps);
    // One framed record: tag, patched length, the component's body; counts it in the innermost
    // chunk.
    void WriteRecord(const TextComp& comp);
    // Reads one record and returns the new component. A tag that no kind answers gives the
    // "Miss" placeholder, or null while no placeholder kind is installed; its body is skipped
    // either way.
    OwnedComponent ReadComponent();

    // Primitive records: a 32-bit type code, a patched length, the primitive's body. They are
    // not counted in any chunk.
    void WritePrimitive2D(const StoredPrim& prim);
    void WritePrimitive3D(const StoredPrim& prim);
    // The new primitive, made by the installed `gPrimitiveFactory`, or null for a code that no
    // kind answers or while no factory is installed (its record is skipped).
    std::unique_ptr<StoredPrim> ReadPrimitive2D();
    std::unique_ptr<StoredPrim> ReadPrimitive3D();

    // For bodies that read a count from the file: fails (BadFormat) unless `count` bytes are
    // left in the record being read (or in the stream outside any record). Call it before
    // allocating for the count.
    void RequireBytes(int64_t count);
    // Fails the load (BadFormat) with a message for a person: the byte where the damage is
    // (the current one when `byte` is negative) and the record being read there, if any.
    [[noreturn]] void Fail(int64_t byte = -1);
    // The byte the next read takes.
    int32_t GetPosition();
    // Fails the load unless everything up to the end of the record being read (or of the
    // stream, outside any record) has been read: records must cover what holds them.
    void RequireEnd();

private:
    // A record: `head` (a tag or a type code), a patched length, the object's body.
    template <typename Object>
    void WriteFramed(uint32_t head, const Object& object);
    void PatchLength(int32_t lengthPosition);
    // Ends the pending character block, if any, and starts one of `face`.
    void StartBlock(int32_t face);
    void WritePendingBlock();
    // Reads a record whose object `create` makes from its head (as an owning handle); an object
    // it does not make (null) is skipped and null returned.
    template <typename Create>
    auto ReadFramed(Create&& create);
    // Reads a record's length field and checks it against the enclosing record; returns the
    // record's end.
    int32_t ReadRecordEnd(uint32_t head);
    [[noreturn]] void FailInRecord(int64_t byte, uint32_t head, bool inRecord);
    // Where the record being read ends, or the stream's end outside any record.
    int32_t CurrentLimit();

    ByteStream& m_stream;

    // The character block being gathered, already laid out as its record: tag, length, face,
    // count, then the characters in the file's set. A block's length is known once its run
    // ends, so the record reaches the byte stream in one call, with no length to patch. Every
    // character of a document passes through here.
    static constexpr int32_t kBlockHead = 4 + 4 + 2 + 1;
    std::array<uint8_t, kBlockHead + CharBlock::kMaxChars> m_block{};
    const std::array<uint8_t, 256>* m_blockMap = nullptr; // the face's character set
    int32_t m_blockFace = 0;
    int32_t m_blockCount = 0; // 0 while no block is pending

    // The writing side: per open chunk, where its count field is and how many records it holds.
    std::array<int32_t, kMaxDepth> m_chunkPositions{};
    std::array<uint32_t, kMaxDepth> m_chunkCounts{};
    int32_t m_depth = -1;

    // The reading side: the end and the head of every record being read, innermost last.
    std::array<int32_t, kMaxDepth> m_recordEnds{};
    std::array<uint32_t, kMaxDepth> m_recordHeads{};
    int32_t m_readDepth = 0;
};
