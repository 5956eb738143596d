#include "expr/NodeBoxes.h"

#include "expr/ExprSettings.h"

void AppendParenthesised(BoxList& into, BoxList inner) {
    AppendMade(into, [&](BoxFactory& f) { return f.ParenComp(std::move(inner)); });
}

void AppendOwn(BoxList& into, BoxList own, bool parenthesise) {
    if (parenthesise)
        AppendParenthesised(into, std::move(own));
    else
        into.Append(std::move(own));
}

void AppendNumberGlyphs(std::string_view text, BoxList& into, bool real) {
    const int32_t limit = CurrentExprSettings().DigitLimit();
    int32_t digits = 0;
    bool inFraction = false;
    size_t i = 0;
    for (; i < text.size() && text[i] != 'e'; ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9') {
            ++digits;
            // Only fraction digits may go: the integer part and the point always show.
            if (real && inFraction && digits > limit) continue;
        } else if (c == '.') {
            inFraction = true;
        }
        into.AddGlyph(static_cast<uint8_t>(c));
    }
    if (i == text.size()) return;
    into.AddGlyphs(" 10");
    ++i; // the "e"
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
