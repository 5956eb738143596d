#include "document/ByteStream.h"

#include "platform/Exceptions.h"

#include <string>

using platform::FileException;

namespace {

std::string At(const char* stream, int64_t position) {
    return std::string(stream) + " at offset " + std::to_string(position);
}

} // namespace

int32_t ByteStream::Write(const void*, int32_t) {
    return 0;
}

void ByteStream::Read(void*, int32_t) {}

int32_t ByteStream::GetPosition() {
    return 0;
}

void ByteStream::SetPosition(int32_t) {}

int32_t ByteStream::Flush() {
    return 0;
}

uint8_t ByteStream::ReadByte() {
    uint8_t value = 0;
    Read(&value, 1);
    return value;
}

int32_t ByteStream::ReadLong() {
    uint8_t bytes[4] = {};
    Read(bytes, 4);
    return static_cast<int32_t>(
        static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
        static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24);
}

void ByteStream::ThrowEndOfFile(const char* stream, int64_t position, int64_t count, int64_t size) {
    const std::string what =
        count > 0 ? std::to_string(count) + " bytes at offset " + std::to_string(position) + " run"
                  : "offset " + std::to_string(position) + " lies";
    throw FileException(FileException::Cause::EndOfFile, -1,
                        std::string(stream) + ": " + what + " past the end at " +
                            std::to_string(size));
}

void ByteStream::ThrowNoRoom(const char* stream, int64_t position, int64_t count) {
    throw FileException(FileException::Cause::TooLarge, -1,
                        At(stream, position) + ": no room for " + std::to_string(count) +
                            " more bytes");
}

void ByteStream::ThrowBadSeek(const char* stream, int64_t position) {
    throw FileException(FileException::Cause::BadSeek, -1,
                        std::string(stream) + " cannot move to offset " + std::to_string(position));
}

void ByteStream::RequireCount(const char* stream, int32_t count) {
    if (count < 0)
        throw FileException(FileException::Cause::BadFormat, -1,
                            std::string(stream) + ": negative byte count " + std::to_string(count));
}
