#ifndef CORVINET_QKWIRE_H
#define CORVINET_QKWIRE_H

/* The exported put, get, disown, text and number functions. Included by corvinet/corvinet.h;
 * include that header, not this one.
 *
 * Text comes in three widths: 7-bit text (char, zero-terminated where no length is given) in
 * which backslash escapes stand for every other character, 8-bit bytes (unsigned char) and
 * 16-bit characters (char16_t). Everything a getter hands out is allocated from the
 * environment and given back with the matching disown function. */

#ifndef __cplusplus
#include <uchar.h>
#endif

/* ---- Text codec ---------------------------------------------------------------------------- */

/* Converters from program text to 7-bit escaped text. With an output end they convert while the
 * whole escape of the next character fits, advance *out and return the number of source
 * characters left unconverted. With a null end they write nothing and store the number of bytes
 * the whole source needs in place of the output pointer (read it as (uintptr_t)*out). The NL
 * variants write `newline` as backslash n. */
QK_API int32_t QKConvertByteString(const unsigned char* source, int32_t length, char** out,
                                   char* end) QK_NOEXCEPT;
QK_API int32_t QKConvertByteStringNL(const unsigned char* source, int32_t length, char** out,
                                     char* end, int32_t newline) QK_NOEXCEPT;
QK_API int32_t QKConvertUnicodeString(const char16_t* source, int32_t length, char** out,
                                      char* end) QK_NOEXCEPT;
QK_API int32_t QKConvertUnicodeStringNL(const char16_t* source, int32_t length, char** out,
                                        char* end, int32_t newline) QK_NOEXCEPT;
/* Byte pairs, high byte first; `length` counts characters. */
QK_API int32_t QKConvertDoubleByteString(const unsigned char* source, int32_t length, char** out,
                                         char* end) QK_NOEXCEPT;
QK_API int32_t QKConvertDoubleByteStringNL(const unsigned char* source, int32_t length, char** out,
                                           char* end, int32_t newline) QK_NOEXCEPT;

/* Writes one character escaped at *out (advancing it) and returns its byte count (1, 2, 4 or
 * 6); with a null `out` only counts. */
QK_API int32_t QKConvertCharacter(int32_t character, char** out) QK_NOEXCEPT;
QK_API int32_t QKConvertNewLine(char** out) QK_NOEXCEPT;

/* Decodes one character of 7-bit text at *text and advances past it: its value, -1 at the end
 * or on a bad escape, -2 for a named character. A null end means the text ends at its zero
 * byte. */
QK_API int32_t QKNextCharacter(const char** text, const char* end) QK_NOEXCEPT;
/* The value of the first character, without moving. */
QK_API int32_t QKStringCharacter(const char* text, const char* end) QK_NOEXCEPT;
/* QKNextCharacter at a byte offset, which is updated; `length` -1 for zero-terminated text. */
QK_API int32_t QKNextCharacter0(const char* text, int32_t* offset, int32_t length) QK_NOEXCEPT;
/* Advances over `count` characters, stopping at the end; returns count less the characters
 * passed (with -1, the one's complement of the number of characters); -1 on a bad escape. */
QK_API int32_t QKCharacterOffset(const char** text, const char* end, int32_t count) QK_NOEXCEPT;

/* A walk over 7-bit text: the current position and the text's zero byte. */
typedef struct QKStringPosition {
    const char* cursor;
    const char* end;
} QKStringPosition;
QK_API void QKStringFirstPosFun(const char* text, QKStringPosition* position) QK_NOEXCEPT;

/* The older multi-byte form (zero-terminated, one to three bytes a character). */
QK_API int32_t QKOldPutCharToString(int32_t character, unsigned char** out) QK_NOEXCEPT;
QK_API int32_t QKOldConvertByteString(const unsigned char* source, int32_t length,
                                      unsigned char** out, unsigned char* end) QK_NOEXCEPT;
QK_API int32_t QKOldConvertUnicodeString(const char16_t* source, int32_t length,
                                         unsigned char** out, unsigned char* end) QK_NOEXCEPT;

/* A walk over old-form text. kind: 1 one byte, 2 two bytes high then low, 0xF9 one byte after
 * its marker, 0xFA high byte only, 0xFF the zero character, 0 the end. */
typedef struct QKOldStringPosition {
    const unsigned char* cursor; /* the current byte */
    int32_t kind;
    int32_t stepsLeft;          /* bytes of the current character after the cursor */
    const unsigned char* start; /* the current character's first byte */
} QKOldStringPosition;
QK_API void QKOldStringFirstPosFun(const unsigned char* text,
                                   QKOldStringPosition* position) QK_NOEXCEPT;
QK_API void QKOldStringNextPosFun(QKOldStringPosition* position) QK_NOEXCEPT;
QK_API int32_t QKOldStringCharFun(const QKOldStringPosition* position) QK_NOEXCEPT;

/* ---- Put side ------------------------------------------------------------------------------ */

/* A program's real-number text (zero-terminated) as a real token. The text ends at its first
 * blank or control character; an `E` or `e` exponent goes as it is; otherwise a `*^` exponent
 * goes as `e` after the mantissa and a precision mark is left out: 1.5`20*^3 goes as 1.5e3.
 * The caller's text is not changed. */
QK_API int32_t QKPutRealByteString0(QKLINK link, const unsigned char* text) QK_NOEXCEPT;
QK_API int32_t QKPutRealUnicodeString0(QKLINK link, const char16_t* text) QK_NOEXCEPT;

/* Announces the next token's type: a token code, or a number-type code. */
QK_API int32_t QKPutNext(QKLINK link, int32_t type) QK_NOEXCEPT;
QK_API int32_t QKPutType(QKLINK link, int32_t type) QK_NOEXCEPT;
/* After QKPutNext with QKTOK_FUNCTION: the number of arguments. */
QK_API int32_t QKPutArgCount(QKLINK link, int32_t count) QK_NOEXCEPT;
QK_API int32_t QKPutComposite(QKLINK link, int32_t count) QK_NOEXCEPT;
/* A function token and its head symbol; a null head writes "List". */
QK_API int32_t QKPutFunction(QKLINK link, const char* head, int32_t count) QK_NOEXCEPT;

QK_API int32_t QKPutString(QKLINK link, const char* text) QK_NOEXCEPT;
QK_API int32_t QKPutSymbol(QKLINK link, const char* name) QK_NOEXCEPT;
QK_API int32_t QKPutByteString(QKLINK link, const unsigned char* text, int32_t length) QK_NOEXCEPT;
QK_API int32_t QKPutByteSymbol(QKLINK link, const unsigned char* name, int32_t length) QK_NOEXCEPT;
QK_API int32_t QKPutUnicodeString(QKLINK link, const char16_t* text, int32_t length) QK_NOEXCEPT;
QK_API int32_t QKPutUnicodeSymbol(QKLINK link, const char16_t* name, int32_t length) QK_NOEXCEPT;

/* Text in pieces after QKPutNext; `charactersLeft` counts the characters still to come after
 * this piece (0 ends the token). */
QK_API int32_t QKPut7BitCount(QKLINK link, int32_t characters, int32_t bytes) QK_NOEXCEPT;
QK_API int32_t QKPut7BitCharacters(QKLINK link, int32_t charactersLeft, const char* bytes,
                                   int32_t byteCount, int32_t characterCount) QK_NOEXCEPT;
QK_API int32_t QKPut8BitCharacters(QKLINK link, int32_t charactersLeft, const unsigned char* bytes,
                                   int32_t count) QK_NOEXCEPT;
QK_API int32_t QKPut16BitCharacters(QKLINK link, int32_t charactersLeft, const char16_t* chars,
                                    int32_t count) QK_NOEXCEPT;
/* The byte count of a 7-bit text token whose bytes follow through QKPutData. */
QK_API int32_t QKPutSize(QKLINK link, int32_t bytes) QK_NOEXCEPT;
QK_API int32_t QKPutData(QKLINK link, const char* bytes, int32_t count) QK_NOEXCEPT;

/* A raw token of the announced type: its byte count, then its bytes. */
QK_API int32_t QKPutRawSize(QKLINK link, int32_t bytes) QK_NOEXCEPT;
QK_API int32_t QKPutRawData(QKLINK link, const unsigned char* bytes, int32_t count) QK_NOEXCEPT;
/* The bytes still owed to the current token. */
QK_API int32_t QKBytesToPut(QKLINK link, int32_t* count) QK_NOEXCEPT;

/* Numbers. The interface-1 build uses its own number-type codes for these. */
QK_API int32_t QKPutInteger(QKLINK link, int32_t value) QK_NOEXCEPT;
QK_API int32_t QKPutShortInteger(QKLINK link, int32_t value) QK_NOEXCEPT;
QK_API int32_t QKPutLongInteger(QKLINK link, int32_t value) QK_NOEXCEPT;
QK_API int32_t QKPutDouble(QKLINK link, double value) QK_NOEXCEPT;
QK_API int32_t QKPutFloat(QKLINK link, double value) QK_NOEXCEPT;
QK_API int32_t QKPutLongDouble(QKLINK link, long double value) QK_NOEXCEPT;
/* A number of any number-type code, given as the bytes of its value. */
QK_API int32_t QKPutBinaryNumber(QKLINK link, const void* value, int32_t code) QK_NOEXCEPT;

/* Lists and arrays. A list below 128 elements goes out as a "List" function, a longer one (and
 * every array) in the array form where the peer reads it. An array has `depth` levels of
 * dimensions `dims` with heads `heads` (null, or a null head, for "List"); its leaves lie back
 * to back in `data`, the last dimension varying fastest. */
QK_API int32_t QKPutIntegerList(QKLINK link, const int32_t* data, int32_t count) QK_NOEXCEPT;
QK_API int32_t QKPutRealList(QKLINK link, const double* data, int32_t count) QK_NOEXCEPT;
QK_API int32_t QKPutBinaryNumberList(QKLINK link, const void* data, int32_t count,
                                     int32_t code) QK_NOEXCEPT;
QK_API int32_t QKPutByteArray(QKLINK link, const unsigned char* data, const int32_t* dims,
                              const char* const* heads, int32_t depth) QK_NOEXCEPT;
QK_API int32_t QKPutShortIntegerArray(QKLINK link, const int16_t* data, const int32_t* dims,
                                      const char* const* heads, int32_t depth) QK_NOEXCEPT;
QK_API int32_t QKPutIntegerArray(QKLINK link, const int32_t* data, const int32_t* dims,
                                 const char* const* heads, int32_t depth) QK_NOEXCEPT;
QK_API int32_t QKPutLongIntegerArray(QKLINK link, const int32_t* data, const int32_t* dims,
                                     const char* const* heads, int32_t depth) QK_NOEXCEPT;
QK_API int32_t QKPutFloatArray(QKLINK link, const float* data, const int32_t* dims,
                               const char* const* heads, int32_t depth) QK_NOEXCEPT;
QK_API int32_t QKPutDoubleArray(QKLINK link, const double* data, const int32_t* dims,
                                const char* const* heads, int32_t depth) QK_NOEXCEPT;
QK_API int32_t QKPutLongDoubleArray(QKLINK link, const long double* data, const int32_t* dims,
                                    const char* const* heads, int32_t depth) QK_NOEXCEPT;
QK_API int32_t QKPutBinaryNumberArray(QKLINK link, const void* data, const int32_t* dims,
                                      const char* const* heads, int32_t depth,
                                      int32_t code) QK_NOEXCEPT;

QK_API int32_t QKEndPacket(QKLINK link) QK_NOEXCEPT;
QK_API int32_t QKFlush(QKLINK link) QK_NOEXCEPT;

/* ---- Get side ------------------------------------------------------------------------------ */

/* Finishes the current token and reads the next one's type: its token code, 0 on error. */
QK_API int32_t QKGetNext(QKLINK link) QK_NOEXCEPT;
/* The current token's code (reading the next when none is in hand). */
QK_API int32_t QKGetType(QKLINK link) QK_NOEXCEPT;
/* As the two above, with the raw type byte of the wire (number-type codes as they are). */
QK_API int32_t QKGetNextRaw(QKLINK link) QK_NOEXCEPT;
QK_API int32_t QKGetRawType(QKLINK link) QK_NOEXCEPT;
QK_API int32_t QKGetArgCount(QKLINK link, int32_t* count) QK_NOEXCEPT;
QK_API int32_t QKGetRawArgCount(QKLINK link, int32_t* count) QK_NOEXCEPT;
/* Bytes left of the current token as 7-bit text; QKGetData then delivers that text. */
QK_API int32_t QKBytesToGet(QKLINK link, int32_t* count) QK_NOEXCEPT;
QK_API int32_t QKRawBytesToGet(QKLINK link, int32_t* count) QK_NOEXCEPT;
QK_API int32_t QKGetData(QKLINK link, char* buffer, int32_t capacity, int32_t* copied) QK_NOEXCEPT;
QK_API int32_t QKGetRawData(QKLINK link, unsigned char* buffer, int32_t capacity,
                            int32_t* copied) QK_NOEXCEPT;

QK_API int32_t QKGetString(QKLINK link, const char** text) QK_NOEXCEPT;
QK_API int32_t QKGetSymbol(QKLINK link, const char** name) QK_NOEXCEPT;
/* Characters above 255 become `replacement`. */
QK_API int32_t QKGetByteString(QKLINK link, const unsigned char** text, int32_t* length,
                               int32_t replacement) QK_NOEXCEPT;
QK_API int32_t QKGetByteSymbol(QKLINK link, const unsigned char** name, int32_t* length,
                               int32_t replacement) QK_NOEXCEPT;
QK_API int32_t QKGetUnicodeString(QKLINK link, const char16_t** text, int32_t* length) QK_NOEXCEPT;
QK_API int32_t QKGetUnicodeSymbol(QKLINK link, const char16_t** name, int32_t* length) QK_NOEXCEPT;
/* As QKGetString and its siblings; a real number comes as the program writes it: an exponent
 * off the wire (1.5e3) becomes `*^` (1.5*^3), after the mantissa and its precision mark. */
QK_API int32_t QKGetString0(QKLINK link, const char** text) QK_NOEXCEPT;
QK_API int32_t QKGetByteString0(QKLINK link, const unsigned char** text, int32_t* length,
                                int32_t replacement) QK_NOEXCEPT;
QK_API int32_t QKGetUnicodeString0(QKLINK link, const char16_t** text, int32_t* length) QK_NOEXCEPT;

/* The current text token in pieces, into the caller's buffer. Each call copies whole
 * characters: at most `capacity` bytes of 7-bit text (an escape is never split) or `capacity`
 * 8-bit or 16-bit characters, and stores the characters still to come in *charactersLeft; the
 * token is done when that is 0. Mixing widths within one token is QKERR_GET_SEQUENCE. */
QK_API int32_t QKGet7BitCharacters(QKLINK link, int32_t* charactersLeft, char* buffer,
                                   int32_t capacity, int32_t* bytesCopied,
                                   int32_t* charactersCopied) QK_NOEXCEPT;
QK_API int32_t QKGet8BitCharacters(QKLINK link, int32_t* charactersLeft, unsigned char* buffer,
                                   int32_t capacity, int32_t* copied,
                                   int32_t replacement) QK_NOEXCEPT;
QK_API int32_t QKGet16BitCharacters(QKLINK link, int32_t* charactersLeft, char16_t* buffer,
                                    int32_t capacity, int32_t* copied) QK_NOEXCEPT;

QK_API void QKDisownString(QKLINK link, const char* text) QK_NOEXCEPT;
QK_API void QKDisownSymbol(QKLINK link, const char* name) QK_NOEXCEPT;
QK_API void QKDisownByteString(QKLINK link, const unsigned char* text, int32_t length) QK_NOEXCEPT;
QK_API void QKDisownByteSymbol(QKLINK link, const unsigned char* name, int32_t length) QK_NOEXCEPT;
QK_API void QKDisownUnicodeString(QKLINK link, const char16_t* text, int32_t length) QK_NOEXCEPT;
QK_API void QKDisownUnicodeSymbol(QKLINK link, const char16_t* name, int32_t length) QK_NOEXCEPT;

/* Read a string or symbol token and compare it with `text`; a mismatch is QKERR_GET_SEQUENCE. */
QK_API int32_t QKCheckString(QKLINK link, const char* text) QK_NOEXCEPT;
QK_API int32_t QKCheckSymbol(QKLINK link, const char* text) QK_NOEXCEPT;
/* A function token, its argument count and its head symbol (allocated: QKDisownSymbol). */
QK_API int32_t QKGetFunction(QKLINK link, const char** head, int32_t* count) QK_NOEXCEPT;
QK_API int32_t QKCheckFunction(QKLINK link, const char* head, int32_t* count) QK_NOEXCEPT;
/* As QKCheckFunction; the count must also equal `count` unless that is negative. */
QK_API int32_t QKCheckFunctionWithArgCount(QKLINK link, const char* head,
                                           int32_t* count) QK_NOEXCEPT;

/* Numbers. The interface-1 build uses its own number-type codes for these. */
QK_API int32_t QKGetInteger(QKLINK link, int32_t* value) QK_NOEXCEPT;
QK_API int32_t QKGetShortInteger(QKLINK link, int16_t* value) QK_NOEXCEPT;
QK_API int32_t QKGetLongInteger(QKLINK link, int32_t* value) QK_NOEXCEPT;
QK_API int32_t QKGetFloat(QKLINK link, float* value) QK_NOEXCEPT;
QK_API int32_t QKGetDouble(QKLINK link, double* value) QK_NOEXCEPT;
QK_API int32_t QKGetLongDouble(QKLINK link, long double* value) QK_NOEXCEPT;
/* A number converted to number-type code `code`; `value` has room for one value of it. */
QK_API int32_t QKGetBinaryNumber(QKLINK link, void* value, int32_t code) QK_NOEXCEPT;

/* A one-level list of numbers (from a function or the array form), allocated from the
 * environment; give it back with the matching disown function. */
QK_API int32_t QKGetIntegerList(QKLINK link, int32_t** data, int32_t* count) QK_NOEXCEPT;
QK_API int32_t QKGetRealList(QKLINK link, double** data, int32_t* count) QK_NOEXCEPT;
QK_API int32_t QKGetBinaryNumberList(QKLINK link, void** data, int32_t* count,
                                     int32_t code) QK_NOEXCEPT;
QK_API void QKDisownIntegerList(QKLINK link, int32_t* data, int32_t count) QK_NOEXCEPT;
QK_API void QKDisownRealList(QKLINK link, double* data, int32_t count) QK_NOEXCEPT;
QK_API void QKDisownBinaryNumberList(QKLINK link, void* data, int32_t count,
                                     int32_t code) QK_NOEXCEPT;

/* Arrays of numbers read whole, from the array form or from nested functions with one level
 * per dimension (every function of a level with the same count and head symbol). The result is
 * one block from the environment: *data, then the `depth` dimensions and heads (zero-terminated
 * 7-bit text) that *dims and *heads point to; give it back with the matching disown function.
 * Long doubles come as the native type whatever code they travel in. */
QK_API int32_t QKGetByteArray(QKLINK link, unsigned char** data, int32_t** dims, char*** heads,
                              int32_t* depth) QK_NOEXCEPT;
QK_API int32_t QKGetShortIntegerArray(QKLINK link, int16_t** data, int32_t** dims, char*** heads,
                                      int32_t* depth) QK_NOEXCEPT;
QK_API int32_t QKGetIntegerArray(QKLINK link, int32_t** data, int32_t** dims, char*** heads,
                                 int32_t* depth) QK_NOEXCEPT;
QK_API int32_t QKGetLongIntegerArray(QKLINK link, int32_t** data, int32_t** dims, char*** heads,
                                     int32_t* depth) QK_NOEXCEPT;
QK_API int32_t QKGetFloatArray(QKLINK link, float** data, int32_t** dims, char*** heads,
                               int32_t* depth) QK_NOEXCEPT;
QK_API int32_t QKGetDoubleArray(QKLINK link, double** data, int32_t** dims, char*** heads,
                                int32_t* depth) QK_NOEXCEPT;
QK_API int32_t QKGetLongDoubleArray(QKLINK link, long double** data, int32_t** dims, char*** heads,
                                    int32_t* depth) QK_NOEXCEPT;
/* Leaves converted to number-type code `code`. */
QK_API int32_t QKGetBinaryNumberArray(QKLINK link, void** data, int32_t** dims, char*** heads,
                                      int32_t* depth, int32_t code) QK_NOEXCEPT;
/* As QKGetBinaryNumberArray with the code in *code; with 0 there, the leaves come in the code
 * the first one travels in (a number text: the build's integer or double code), stored back. */
QK_API int32_t QKGetBinaryNumberArray0(QKLINK link, void** data, int32_t** dims, char*** heads,
                                       int32_t* depth, int32_t* code) QK_NOEXCEPT;
QK_API void QKDisownByteArray(QKLINK link, unsigned char* data, int32_t* dims, char** heads,
                              int32_t depth) QK_NOEXCEPT;
QK_API void QKDisownShortIntegerArray(QKLINK link, int16_t* data, int32_t* dims, char** heads,
                                      int32_t depth) QK_NOEXCEPT;
QK_API void QKDisownIntegerArray(QKLINK link, int32_t* data, int32_t* dims, char** heads,
                                 int32_t depth) QK_NOEXCEPT;
QK_API void QKDisownLongIntegerArray(QKLINK link, int32_t* data, int32_t* dims, char** heads,
                                     int32_t depth) QK_NOEXCEPT;
QK_API void QKDisownFloatArray(QKLINK link, float* data, int32_t* dims, char** heads,
                               int32_t depth) QK_NOEXCEPT;
QK_API void QKDisownDoubleArray(QKLINK link, double* data, int32_t* dims, char** heads,
                                int32_t depth) QK_NOEXCEPT;
QK_API void QKDisownLongDoubleArray(QKLINK link, long double* data, int32_t* dims, char** heads,
                                    int32_t depth) QK_NOEXCEPT;
QK_API void QKDisownBinaryNumberArray(QKLINK link, void* data, int32_t* dims, char** heads,
                                      int32_t depth, int32_t code) QK_NOEXCEPT;

/* Arrays a part at a time, through an array state: an array's shape (dimensions and heads) and
 * how many of its leaves have gone. A link keeps one state per side; the next one of that side
 * replaces it, the release functions free it early, and the link frees it when it is closed.
 *
 * Get side: QKGetArrayType reads the next array's shape (from the array form or nested
 * functions) into the link's state; QKGetArrayDimensions copies its dimensions and heads (the
 * texts stay the state's); the data getters read the next `count` leaves (more than are left
 * is QKERR_GET_SEQUENCE). QKGetArrayType0 also gives the code the leaves travel in (0 when there
 * are none), which QKGetBinaryNumberArrayData0 reads them in.
 *
 * Put side: QKPutArray writes the frame of `state`, the link's own put state or any link's get
 * state (its shape is copied), in the array form where the peer reads it, else as nested
 * functions; the data puts then write the leaves in order, `state` being either of the two
 * (more than are left is QKERR_TOO_MUCH_DATA). QKPutArrayType0 reads the next array's shape from
 * `source` into both links' states and QKPutArrayLeaves0 copies `count` leaves from `source`, in
 * the code the leaves travel in, as does QKPutBinaryNumberArrayData0. */
typedef struct QKArrayStateRecord* QKARRAYSTATE;
QK_API int32_t QKGetArrayType(QKLINK link, QKARRAYSTATE* state, int32_t* depth) QK_NOEXCEPT;
QK_API int32_t QKGetArrayType0(QKLINK link, QKARRAYSTATE* state, int32_t* depth,
                               int32_t* code) QK_NOEXCEPT;
QK_API int32_t QKGetArrayDimensions(QKLINK link, QKARRAYSTATE state, int32_t* dims,
                                    const char** heads) QK_NOEXCEPT;
QK_API int32_t QKGetByteArrayData(QKLINK link, QKARRAYSTATE state, unsigned char* data,
                                  int32_t count) QK_NOEXCEPT;
QK_API int32_t QKGetShortIntegerArrayData(QKLINK link, QKARRAYSTATE state, int16_t* data,
                                          int32_t count) QK_NOEXCEPT;
QK_API int32_t QKGetIntegerArrayData(QKLINK link, QKARRAYSTATE state, int32_t* data,
                                     int32_t count) QK_NOEXCEPT;
QK_API int32_t QKGetLongIntegerArrayData(QKLINK link, QKARRAYSTATE state, int32_t* data,
                                         int32_t count) QK_NOEXCEPT;
QK_API int32_t QKGetFloatArrayData(QKLINK link, QKARRAYSTATE state, float* data,
                                   int32_t count) QK_NOEXCEPT;
QK_API int32_t QKGetDoubleArrayData(QKLINK link, QKARRAYSTATE state, double* data,
                                    int32_t count) QK_NOEXCEPT;
QK_API int32_t QKGetLongDoubleArrayData(QKLINK link, QKARRAYSTATE state, long double* data,
                                        int32_t count) QK_NOEXCEPT;
QK_API int32_t QKGetBinaryNumberArrayData(QKLINK link, QKARRAYSTATE state, void* data,
                                          int32_t count, int32_t code) QK_NOEXCEPT;
QK_API int32_t QKGetBinaryNumberArrayData0(QKLINK link, QKARRAYSTATE state, void* data,
                                           int32_t count) QK_NOEXCEPT;
QK_API void QKReleaseGetArrayState0(QKLINK link, QKARRAYSTATE state) QK_NOEXCEPT;

QK_API int32_t QKPutArrayType0(QKLINK link, QKLINK source, QKARRAYSTATE* state) QK_NOEXCEPT;
QK_API int32_t QKPutArray(QKLINK link, QKARRAYSTATE state) QK_NOEXCEPT;
QK_API int32_t QKPutByteArrayData(QKLINK link, QKARRAYSTATE state, const unsigned char* data,
                                  int32_t count) QK_NOEXCEPT;
QK_API int32_t QKPutShortIntegerArrayData(QKLINK link, QKARRAYSTATE state, const int16_t* data,
                                          int32_t count) QK_NOEXCEPT;
QK_API int32_t QKPutIntegerArrayData(QKLINK link, QKARRAYSTATE state, const int32_t* data,
                                     int32_t count) QK_NOEXCEPT;
QK_API int32_t QKPutLongIntegerArrayData(QKLINK link, QKARRAYSTATE state, const int32_t* data,
                                         int32_t count) QK_NOEXCEPT;
QK_API int32_t QKPutFloatArrayData(QKLINK link, QKARRAYSTATE state, const float* data,
                                   int32_t count) QK_NOEXCEPT;
QK_API int32_t QKPutDoubleArrayData(QKLINK link, QKARRAYSTATE state, const double* data,
                                    int32_t count) QK_NOEXCEPT;
QK_API int32_t QKPutLongDoubleArrayData(QKLINK link, QKARRAYSTATE state, const long double* data,
                                        int32_t count) QK_NOEXCEPT;
QK_API int32_t QKPutBinaryNumberArrayData(QKLINK link, QKARRAYSTATE state, const void* data,
                                          int32_t count, int32_t code) QK_NOEXCEPT;
QK_API int32_t QKPutBinaryNumberArrayData0(QKLINK link, QKARRAYSTATE state, const void* data,
                                           int32_t count) QK_NOEXCEPT;
QK_API int32_t QKPutArrayLeaves0(QKLINK link, QKARRAYSTATE state, QKLINK source,
                                 int32_t count) QK_NOEXCEPT;
QK_API void QKReleasePutArrayState0(QKLINK link, QKARRAYSTATE state) QK_NOEXCEPT;

/* Marks: a saved read position to come back to. QKSeekMark returns there and skips `count`
 * expressions; it returns the mark, or null on failure. */
typedef struct QKMarkRecord* QKMARK;
QK_API QKMARK QKCreateMark(QKLINK link) QK_NOEXCEPT;
QK_API QKMARK QKSeekMark(QKLINK link, QKMARK mark, int32_t count) QK_NOEXCEPT;
QK_API QKMARK QKSeekToMark(QKLINK link, QKMARK mark, int32_t count) QK_NOEXCEPT;
QK_API void QKDestroyMark(QKLINK link, QKMARK mark) QK_NOEXCEPT;

/* For two links that share one put state (a link and its duplicate), both without error: reads
 * on `link` from where `other` reads, in the same get state. 0 for any other pair. */
QK_API int32_t QKAlign(QKLINK link, QKLINK other) QK_NOEXCEPT;
/* Drops look-ahead, moves the read position to `offset` bytes after the start of the data that
 * follows the negotiation (QKERR_INCONSISTENT_DATA when that data is gone or has not arrived) and
 * starts reading afresh there. */
QK_API int32_t QKForwardReset(QKLINK link, int32_t offset) QK_NOEXCEPT;

/* Copies the next expression from `source` to `destination`, or skips it when `destination`
 * is null. A failure is recorded in the destination too. */
QK_API int32_t QKTransferExpression(QKLINK destination, QKLINK source) QK_NOEXCEPT;

/* Skips the rest of the current packet. */
QK_API int32_t QKNewPacket(QKLINK link) QK_NOEXCEPT;
/* Skips expressions until only the last `count` of the packet are owed. */
QK_API int32_t QKTakeLast(QKLINK link, int32_t count) QK_NOEXCEPT;
/* The number of expressions the current packet still owes. */
QK_API int32_t QKExpressionsToGet(QKLINK link, int32_t* count) QK_NOEXCEPT;
/* Non-zero when a token can be read without waiting. */
QK_API int32_t QKReady(QKLINK link) QK_NOEXCEPT;
/* Reads more input from the device into the link's stream. */
QK_API int32_t QKFill(QKLINK link) QK_NOEXCEPT;

#endif
