#pragma once

// The name table: a kernel, standard or display name -> its row in the built-in symbol table;
// several spellings of one function share a row, and 0 means "not a built-in". The infix
// lexer, the link reader, the LaTeX writer and the layout runs look names up in it.
//
// It is constant-initialised empty, so it exists before any dynamic initialiser runs. Start-up
// fills it once through a BuiltinNamesScope, before any expression is read or written;
// afterwards it is only read.

#include "document/StringHash.h"

#include <cstdint>
#include <span>
#include <string_view>

extern StringHash BuiltinNames;

// The fixed list of reserved names, in fill order: where a name could stand for two rows, the
// list settles it by its first entry.
std::span<const StringHash::Entry> BuiltinNameList();

// The row of a name, 0 when it is not a built-in (or the table is not filled).
inline int32_t LookupBuiltinName(const char* name) {
    return static_cast<int32_t>(BuiltinNames.Lookup(name));
}

// Whether a name typed in the math face is a built-in set upright (its row's flag kUpright):
// sin, log, ...; false for every other name, and while the table is not filled.
bool IsUprightBuiltinName(std::string_view name);

// Fills BuiltinNames for its lifetime and puts back what it held before on destruction, so
// tests and the application install it the same way.
class BuiltinNamesScope {
public:
    BuiltinNamesScope();
    ~BuiltinNamesScope();
    BuiltinNamesScope(const BuiltinNamesScope&) = delete;
    BuiltinNamesScope& operator=(const BuiltinNamesScope&) = delete;

private:
    StringHash m_previous;
};
