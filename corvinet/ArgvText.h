#pragma once

// Splitting a string into words and printing words back into a string, quoted so that splitting
// gives them back. Used for option strings and for the feature lines of the negotiation.
//
// Splitting: separators are blank and the bytes 9 to 13. Outside quotes a backslash or the byte
// 0xB6 takes the next byte literally. A single or double quote opens a part that the same quote
// closes; the quotes are dropped, separators inside belong to the word, and inside single quotes
// the backslash is an ordinary byte.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace corvinet {

// Scans the next word at `text` into `out` (zero-terminated, never longer than the text it
// came from) and advances both; false when only separators remain.
bool scanWord(const char*& text, char*& out);

std::vector<std::string> splitWords(std::string_view text);

// Joins `count` words into [buffer, end), zero-terminated. 0 when all fitted, else the number of
// words from the first that did not fit to the last; what fitted stays written.
int printWords(char* buffer, char* end, const char* const* words, std::size_t count);

} // namespace corvinet
