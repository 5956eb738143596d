#include "document/ClipboardFormat.h"

#include "document/CountStream.h"
#include "document/DocStream.h"
#include "document/MemoryStream.h"
#include "document/OutBuffer.h"
#include "document/ParaComp.h"

#include <memory>

namespace clipboard {

namespace {

// What `write` puts on a byte stream: counted first, then written into a block of that size.
template <typename Write>
std::vector<uint8_t> Measured(Write&& write) {
    CountStream counter;
    write(counter);
    std::vector<uint8_t> block(static_cast<size_t>(counter.GetSize()));
    MemoryStream memory(block.data(), static_cast<int32_t>(block.size()));
    write(memory);
    block.resize(static_cast<size_t>(memory.GetPosition()));
    return block;
}

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
    return Measured([&](ByteStream& out) {
        DocStream stream(out);
        paragraphs.Write(stream, false);
    });
}

Material DecodeParagraphs(std::span<const uint8_t> bytes) {
    if (bytes.size() > size_t{INT32_MAX}) return Material();
    auto sequence = std::make_unique<CompSequence>();
    MemoryStream memory(static_cast<const void*>(bytes.data()), static_cast<int32_t>(bytes.size()));
    DocStream stream(memory);
    sequence->Read(stream);
    return Over(std::move(sequence));
}

std::string EncodeText(const CompSequence& paragraphs) {
    const std::vector<uint8_t> bytes = Measured([&](ByteStream& out) {
        OutBuffer buffer(out);
        paragraphs.WriteText(buffer);
    });
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
