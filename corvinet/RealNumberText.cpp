#include "RealNumberText.h"

#include <algorithm>

namespace corvinet {
namespace {

bool endsText(char16_t c) {
    return c <= 0x20 || c == 0x7F;
}

bool isExponentLetter(char16_t c) {
    return c == u'e' || c == u'E';
}

} // namespace

std::u16string wireRealText(std::u16string_view text) {
    std::size_t end = 0;
    while (end < text.size() && !endsText(text[end]))
        ++end;
    text = text.substr(0, end);

    std::size_t stop = 0;
    while (stop < text.size() && text[stop] != u'`' && text[stop] != u'^' &&
           !isExponentLetter(text[stop]))
        ++stop;
    if (stop < text.size() && isExponentLetter(text[stop])) return std::u16string(text);

    // The mantissa ends at the precision mark or at the star of a `*^` marker.
    std::size_t mantissa = stop;
    if (stop < text.size() && text[stop] == u'^' && stop > 0 && text[stop - 1] == u'*') --mantissa;
    std::u16string wire(text.substr(0, mantissa));
    const std::size_t marker = text.find(u"*^", mantissa);
    if (marker != std::u16string_view::npos) {
        std::size_t digits = marker + 2;
        std::size_t last = digits;
        while (last < text.size() && text[last] != u'`')
            ++last;
        if (last > digits) wire.append(u"e").append(text.substr(digits, last - digits));
    }
    return wire;
}

std::u16string programRealText(std::u16string_view text) {
    const std::size_t letter = text.find_first_of(u"eE");
    if (letter == std::u16string_view::npos) return std::u16string(text);
    // The precision mark may stand before the exponent or after it.
    const std::size_t mark = text.find(u'`');
    const std::size_t mantissaEnd = std::min(letter, mark);
    std::u16string program(text.substr(0, mantissaEnd));
    std::size_t exponentEnd = text.size();
    if (mark != std::u16string_view::npos) {
        if (mark < letter) {
            program.append(text.substr(mark, letter - mark));
        } else {
            program.append(text.substr(mark));
            exponentEnd = mark;
        }
    }
    program.append(u"*^").append(text.substr(letter + 1, exponentEnd - letter - 1));
    return program;
}

} // namespace corvinet
