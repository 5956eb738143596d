#pragma once

// Text between the program and the link. The program holds text as bytes (cp1252 in text
// fonts, the math font's own code in math); the link carries 16-bit characters (Unicode plus a
// private range of the kernel's own) as 7-bit escaped text. Both directions pass through the
// internal code, the character table's index space, and the link library's own character
// walk and encoder, so the link's string form stays its business.
//
// Every result is sized for what it holds: a character above 0x7F may become six bytes.

#include <cstdint>
#include <string>
#include <string_view>

// The Unicode value of an internal code. Positions the kernel has no character for carry their
// Mac OS Roman value, so they travel and come back unchanged.
char16_t InternalUnicode(uint8_t internal);

// The internal code of a link character; 42 ("*") when no code stands for it.
uint8_t FindInternalCode(char16_t character);

// The program byte of an internal code.
uint8_t InternalToProgram(uint8_t internal);

// The Mac OS Roman character of a text-font byte and of a math-font byte, for the exporters.
char16_t TextCharUnicode(uint8_t code);
char16_t MathCharUnicode(uint8_t code);

// A string received from the link (7-bit escaped text) as program text: line feeds and
// carriage returns become carriage returns, tabs blanks, the kernel's private backslash forms
// become backslash sequences, every other character its program byte.
std::string ConvertLinkString(std::string_view link);
// As ConvertLinkString, but a character above 0x7F outside the private range becomes
// backslash, colon and four lower-case hexadecimal digits, as the kernel writes it.
std::string ConvertLinkStringEscaped(std::string_view link);
// A symbol name received from the link; no private-range forms.
std::string ConvertLinkSymbol(std::string_view link);

// Program text (text-font bytes) in the link's string form.
std::string ConvertToLinkString(std::string_view text);
// A name in the link's symbol form.
std::string ConvertToLinkSymbol(std::string_view text);
// As ConvertToLinkSymbol for text already in internal codes (the symbol table's heads).
std::string ConvertInternalToLinkSymbol(std::string_view internal);
// Math-font text in the link's string form, through the Mac OS Roman table.
std::string ConvertMathToLinkString(std::string_view text);
