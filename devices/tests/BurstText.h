#pragma once

// The text of packet `index` of a burst, shared by the peer that sends it and the test that
// checks it: lengths vary from a few bytes to several device buffers, and backslashes (written
// as two, as the put side takes them) make the device double bytes.

#include <string>

namespace devices::testing {

inline std::string burstText(int index) {
    static const int kLengths[] = {3, 700, 40, 2500, 1, 5000, 90};
    const int length = kLengths[index % 7];
    std::string text;
    for (int i = 0; i < length; ++i)
        text += (i + index) % 11 == 0 ? std::string("\\\\")
                                      : std::string(1, static_cast<char>('a' + (i + index) % 26));
    return text;
}

} // namespace devices::testing
