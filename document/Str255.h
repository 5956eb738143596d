#pragma once

// Length-prefixed strings of cp1252 bytes with a fixed capacity: `Str255` for labels, face names
// and text runs, `Str31` for short names. They are plain values without heap storage; every
// append stops at the capacity and drops what does not fit.

#include <cstdint>
#include <string>
#include <string_view>

namespace shortstring {
// One buffer shared by every string whose NUL-terminated view cannot be made in place. A pointer
// into it stays valid only until the next call that uses it (GUI thread only).
char* SharedBuffer();
} // namespace shortstring

template <int Capacity>
class ShortString {
    static_assert(Capacity > 0 && Capacity <= 255);

public:
    static constexpr int kCapacity = Capacity;

    ShortString() = default;
    // Keeps the first `Capacity` characters of the NUL-terminated text.
    explicit ShortString(const char* text) { AppendCString(text); }
    explicit ShortString(std::string_view text) { Assign(text); }
    template <int Other>
    explicit ShortString(const ShortString<Other>& other) {
        Assign(other.View());
    }

    ShortString& operator=(std::string_view text) {
        Assign(text);
        return *this;
    }
    template <int Other>
    ShortString& operator=(const ShortString<Other>& other) {
        Assign(other.View());
        return *this;
    }

    int GetLength() const { return m_length; }
    bool IsEmpty() const { return m_length == 0; }
    std::string_view View() const { return {m_text, m_length}; }
    std::string ToCString() const { return std::string(View()); }

    // A NUL-terminated view: in the string's own storage while there is room after the text,
    // otherwise in the shared buffer (overwritten by the next such call).
    const char* GetCString() const {
        if (m_length < Capacity) {
            m_text[m_length] = '\0';
            return m_text;
        }
        return GetStaticCString();
    }
    // Always the shared buffer, for callers that must not see the string's own storage.
    const char* GetStaticCString() const {
        char* buffer = shortstring::SharedBuffer();
        View().copy(buffer, m_length);
        buffer[m_length] = '\0';
        return buffer;
    }

    uint8_t GetAt(int index) const { return static_cast<uint8_t>(m_text[index]); }
    char* GetPtrAt(int index) { return &m_text[index]; }

    bool operator==(const ShortString& other) const { return View() == other.View(); }

    // Substring search over the NUL-terminated view; the empty text is always found.
    bool Contains(const char* text) const {
        return std::string_view(GetCString()).find(text) != std::string_view::npos;
    }

    ShortString& AppendChar(char c) {
        if (m_length < Capacity) m_text[m_length++] = c;
        return *this;
    }
    ShortString& AppendCString(const char* text) {
        while (*text != '\0' && m_length < Capacity)
            m_text[m_length++] = *text++;
        return *this;
    }
    template <int Other>
    ShortString& Append(const ShortString<Other>& other) {
        for (char c : other.View())
            AppendChar(c);
        return *this;
    }
    // The signed decimal form, as far as it fits.
    ShortString& AppendNumber(int32_t value);

    // Translates characters above 127 from the Macintosh Roman set to cp1252 in place.
    void MacToAnsi();

private:
    void Assign(std::string_view text) {
        m_length = static_cast<uint8_t>(text.size() < Capacity ? text.size() : Capacity);
        text.copy(m_text, m_length);
    }

    uint8_t m_length = 0;
    // No terminator is stored; the in-place view writes its NUL just after the text, which is
    // why the text is mutable behind a const view.
    mutable char m_text[Capacity] = {};
};

using Str255 = ShortString<255>;
using Str31 = ShortString<31>;

// cp1252 code for a Macintosh Roman code; codes below 128 are unchanged.
uint8_t MacToAnsi(uint8_t code);
