#include "DeviceInfo.h"

#include <algorithm>
#include <cstring>

namespace devices {

int32_t infoText(const char* text, void* buffer, int32_t* size) {
    if (!buffer || !size || *size < 0) return -1;
    if (*size == 0) return 0;
    std::size_t length = std::min<std::size_t>(std::strlen(text), std::size_t(*size) - 1);
    std::memcpy(buffer, text, length);
    static_cast<char*>(buffer)[length] = '\0';
    *size = static_cast<int32_t>(length);
    return 0;
}

namespace {
template <class T>
int32_t infoValue(T value, void* buffer, int32_t* size) {
    if (!buffer || !size || *size < static_cast<int32_t>(sizeof value)) return -1;
    std::memcpy(buffer, &value, sizeof value);
    *size = sizeof value;
    return 0;
}
} // namespace

int32_t infoNumber(int32_t value, void* buffer, int32_t* size) {
    return infoValue(value, buffer, size);
}

int32_t infoShort(uint16_t value, void* buffer, int32_t* size) {
    return infoValue(value, buffer, size);
}

const char* buildStamp() {
    return __DATE__ " " __TIME__;
}

} // namespace devices
