#pragma once

// Answers to the information selectors, written into the caller's buffer of *size bytes.

#include <cstdint>

namespace devices {

// A text, cut to fit and always terminated within the buffer (an empty buffer gets nothing);
// *size becomes the number of text bytes written. 0, or -1 without a buffer.
int32_t infoText(const char* text, void* buffer, int32_t* size);
// A 32-bit number (buffer of at most 4 bytes: -1) or a 16-bit one; *size becomes its width.
int32_t infoNumber(int32_t value, void* buffer, int32_t* size);
int32_t infoShort(uint16_t value, void* buffer, int32_t* size);

// The plug-in's build date and time, as both transports report it.
const char* buildStamp();

} // namespace devices
