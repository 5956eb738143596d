#include "document/ClipboardFormat.h"

#include "document/DocStream.h"
#include "document/MemoryStream.h"
#include "document/OutBuffer.h"
#include "document/ParaComp.h"
#include "platform/Exceptions.h"

#include <climits>
#include <cstring>
#include <memory>

namespace clipboard {

namespace {

// A block that grows as it is written, in one pass (positions may go back, for the stream's
// patched lengths).
class GrowingStream final : public ByteStream {
public:
    int32_t Write(const void* data, int32_t count) override {
        if (count <= 0) return 0;
        const size_t end = m_position + static_cast<size_t>(count);
        if (end > size_t{INT32_MAX})
            throw platform::FileException(platform::FileException::Cause::TooLarge, -1,
                                          "copied material too large for the clipboard");
        if (end > m_bytes.size()) m_bytes.resize(end);
        std::memcpy(m_bytes.data() + m_position, data, static_cast<size_t>(count));
        m_position = end;
        return count;
    }
    int32_t GetPosition() override { return static_cast<int32_t>(m_position); }
    void SetPosition(int32_t position) override { m_position = static_cast<size_t>(position); }
    int32_t GetSize() override { return static_cast<int32_t>(m_bytes.size()); }

    std::vector<uint8_t> Take() { return std::move(m_bytes); }

private:
    std::vector<uint8_t> m_bytes;
    size_t m_position = 0;
};

// A decoded sequence as material over all it holds.
Material Over(std::unique_ptr<CompSequence> sequence) {
    Material material;
    if (sequence->IsEmpty()) return material;
    material.range = sequence->WholeRange();
    material.sequence = std::move(sequence);
    return material;
}

} // namespace

std::vector<uint8_t> EncodeParagraphs(const CompSequence& paragraphs) {
    GrowingStream out;
    {
        DocStream stream(out);
        paragraphs.Write(stream, false);
    }
    return out.Take();
}

Material DecodeParagraphs(std::span<const uint8_t> bytes) {
    if (bytes.size() > size_t{INT32_MAX}) return Material();
    auto sequence = std::make_unique<CompSequence>();
    MemoryStream memory(static_cast<const void*>(bytes.data()), static_cast<int32_t>(bytes.size()));
    DocStream stream(memory);
    sequence->Read(stream);
    return Over(std::move(sequence));
}

std::string EncodeText(const CompSequence& paragraphs, std::vector<TextSymbol>* symbols) {
    GrowingStream out;
    OutBuffer buffer(out);
    buffer.NoteSymbols(symbols);
    paragraphs.WriteText(buffer);
    const std::vector<uint8_t> bytes = out.Take();
    return std::string(bytes.begin(), bytes.end());
}

Material DecodeText(std::string_view text) {
    auto sequence = std::make_unique<CompSequence>();
    if (text.size() > size_t{INT32_MAX}) return Material();
    MemoryStream memory(static_cast<const void*>(text.data()), static_cast<int32_t>(text.size()));
    sequence->ReadPlainText(memory);
    return Over(std::move(sequence));
}

Material CopyMaterial(const Material& material) {
    if (material.IsEmpty()) return Material();
    Material copy = material.range.ExtractContent();
    if (copy.sequence != nullptr) copy.sequence->MoveTo(nullptr);
    return copy;
}

bool HasContent(const Material& material) {
    return !material.IsEmpty() && material.range.HasExtent();
}

} // namespace clipboard
