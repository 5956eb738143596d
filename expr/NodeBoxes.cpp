#include "expr/NodeBoxes.h"

#include "expr/ExprSettings.h"

#include <algorithm>
#include <string>

void AppendParenthesised(BoxList& into, BoxList inner) {
    AppendMade(into, [&](BoxFactory& f) { return f.ParenComp(std::move(inner)); });
}

void AppendOwn(BoxList& into, BoxList own, bool parenthesise) {
    if (parenthesise)
        AppendParenthesised(into, std::move(own));
    else
        into.Append(std::move(own));
}

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

int32_t SignificantDigits(std::string_view mantissa) {
    int32_t count = 0;
    for (const char c : mantissa)
        if (IsDigit(c) && (c != '0' || count > 0)) ++count;
    return count;
}

// A real's mantissa with at most `limit` significant digits, rounded half up at the last one
// kept: leading zeros are no digits of precision, and dropping the digits past the limit
// unrounded would show a wrong last digit. Digits before the point always stay, so a long
// whole part keeps its size; only fraction digits go.
std::string LimitedMantissa(std::string_view mantissa, int32_t limit) {
    std::string out(mantissa);
    int32_t significant = 0;
    bool fraction = false;
    size_t cut = std::string::npos;
    for (size_t i = 0; i < out.size() && cut == std::string::npos; ++i) {
        const char c = out[i];
        if (c == '.') fraction = true;
        if (!IsDigit(c) || (c == '0' && significant == 0)) continue;
        if (++significant > limit && fraction) cut = i;
    }
    if (cut == std::string::npos) return out;
    bool carry = out[cut] >= '5';
    out.resize(cut);
    for (size_t i = out.size(); carry && i-- > 0;) {
        if (out[i] == '.') continue;
        if (!IsDigit(out[i])) {
            out.insert(i + 1, 1, '1');
            carry = false;
        } else if (out[i] == '9') {
            out[i] = '0';
        } else {
            ++out[i];
            carry = false;
        }
    }
    if (carry) out.insert(0, 1, '1');
    // A carry into a new leading digit (9.99 to 10.0) leaves one fraction digit too many.
    while (SignificantDigits(out) > limit && !out.empty() && IsDigit(out.back()) &&
           out.find('.') != std::string::npos)
        out.pop_back();
    return out;
}

} // namespace

void AppendNumberGlyphs(std::string_view text, BoxList& into, bool real) {
    const size_t e = std::min(text.find('e'), text.size());
    const std::string mantissa =
        real ? LimitedMantissa(text.substr(0, e), CurrentExprSettings().DigitLimit())
             : std::string(text.substr(0, e));
    for (const char c : mantissa)
        into.AddGlyph(static_cast<uint8_t>(c));
    if (e == text.size()) return;
    into.AddGlyphs(" 10");
    size_t i = e + 1; // past the "e"
    if (i < text.size() && text[i] == '+') ++i;
    BoxList exponent;
    exponent.AddGlyphs(text.substr(i));
    AppendMade(into, [&](BoxFactory& f) { return f.ExpoComp(std::move(exponent)); });
}

void AppendNumber(std::string_view text, BoxList& into, int32_t level, bool real) {
    if (!text.empty() && text[0] == '-' && level >= 7) {
        BoxList inner;
        AppendNumberGlyphs(text, inner, real);
        AppendParenthesised(into, std::move(inner));
        return;
    }
    AppendNumberGlyphs(text, into, real);
}
