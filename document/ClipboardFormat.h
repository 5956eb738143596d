#pragma once

// The bytes copied material travels in between documents and programs, without any clipboard:
// the program's private format (a 32-bit paragraph count, then the paragraph records exactly as
// the document stream writes them, with no header, version or chunk around them) and plain text
// (each paragraph's text, one carriage return between two, in the program's character set).
//
// Decoded material is always detached (it belongs to no document; it meets one when it is
// inserted) and selects everything it holds: one paragraph's list, or from the first
// paragraph's list start to the last one's end. Material with nothing in it decodes as empty.

#include "document/Material.h"
#include "document/OutBuffer.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace clipboard {

// The private format's type on the system clipboard.
inline constexpr char kPrivateMimeType[] = "application/x-tessary-data";

// Every paragraph of the material's sequence, in the private format.
std::vector<uint8_t> EncodeParagraphs(const CompSequence& paragraphs);
// Material from the private format. Damaged bytes throw platform::FileException (BadFormat,
// EndOfFile) and leave nothing behind; a count below 1 gives empty material.
Material DecodeParagraphs(std::span<const uint8_t> bytes);

// Every paragraph's text, one carriage return between two. Where `symbols` is given it receives
// where the text holds bytes of the math face and big operators' signs, which read as other
// characters than the program's character set gives those bytes.
std::string EncodeText(const CompSequence& paragraphs, std::vector<TextSymbol>* symbols = nullptr);
// One paragraph per line; a carriage return ends a line and line feeds are dropped.
Material DecodeText(std::string_view text);

// A deep copy of the material in a detached sequence, over the same kind of range (list
// children, grid rows or columns, derivative variables, whole paragraphs); empty for empty.
Material CopyMaterial(const Material& material);
// Whether the material holds anything to insert.
bool HasContent(const Material& material);

} // namespace clipboard
