#pragma once

// Text lives in memory as Windows code page 1252 bytes, as documents and the rest of the model
// expect; it becomes Unicode only where it meets Qt or another Unicode interface, through these
// functions and no other table.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

class QString;

namespace platform {

// The five bytes the code page leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1
// control of the same value, so every byte survives a trip through Unicode and back.
char16_t Cp1252ToUnicode(uint8_t byte);

// The byte for a code point, or nothing when the code page has no such character.
std::optional<uint8_t> UnicodeToCp1252(char32_t codePoint);

QString FromCp1252(std::string_view bytes);

// Characters the code page cannot hold become `replacement`, one per character (a surrogate
// pair counts as one).
std::string ToCp1252(const QString& text, char replacement = '?');

} // namespace platform
