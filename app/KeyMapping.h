#pragma once

// Keys reach the views as the program's key codes: navigation keys as key-down codes (33 Page
// Up to 40 Down), everything that types as one cp1252 character. Control keys type their
// classic codes: Backspace 8, Tab 9, Ctrl+Return 10, Return 13 and Escape 27; a key that the
// code page cannot hold, or a Ctrl or Alt chord without a command, maps to nothing.

#include <Qt>

#include <cstdint>

class QKeyEvent;
class QString;

struct KeyInput {
    enum class Kind { None, KeyDown, Char };
    Kind kind = Kind::None;
    int32_t code = 0;
    bool shift = false;
    bool ctrl = false;

    bool operator==(const KeyInput&) const = default;
};

namespace keycode {
inline constexpr int32_t kBackspace = 8;
inline constexpr int32_t kTab = 9;
inline constexpr int32_t kLineFeed = 10;
inline constexpr int32_t kReturn = 13;
inline constexpr int32_t kEscape = 27;
inline constexpr int32_t kPageUp = 33;
inline constexpr int32_t kPageDown = 34;
inline constexpr int32_t kEnd = 35;
inline constexpr int32_t kHome = 36;
inline constexpr int32_t kLeft = 37;
inline constexpr int32_t kUp = 38;
inline constexpr int32_t kRight = 39;
inline constexpr int32_t kDown = 40;
inline constexpr int32_t kDelete = 46;
} // namespace keycode

KeyInput MapKey(int key, Qt::KeyboardModifiers modifiers, const QString& text);
KeyInput MapKey(const QKeyEvent& event);

// Whether a character code may be typed into a document: printable characters and the four
// control codes that edit (Backspace, Tab, line feed, Return). Escape, DEL and the other
// control codes never type.
bool TypesCharacter(int32_t code);
