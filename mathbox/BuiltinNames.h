#pragma once

// The hash of built-in names: a kernel, standard or display name -> its row in the built-in
// symbol table; several spellings of one function share a row, and 0 means "not a built-in".
// The infix lexer looks names up in it.
//
// It is constant-initialised empty, so it exists before any dynamic initialiser runs. The
// application's start-up fills it once, before any expression is read or written, from the
// static list of built-in names (which must outlive it); afterwards it is only read.

#include "document/StringHash.h"

extern StringHash BuiltinNames;
