#include "app/KeyMapping.h"

#include "platform/Cp1252.h"

#include <QKeyEvent>
#include <QString>

KeyInput MapKey(int key, Qt::KeyboardModifiers modifiers, const QString& text) {
    KeyInput input;
    input.shift = modifiers.testFlag(Qt::ShiftModifier);
    input.ctrl = modifiers.testFlag(Qt::ControlModifier);
    auto keyDown = [&](int32_t code) {
        input.kind = KeyInput::Kind::KeyDown;
        input.code = code;
        return input;
    };
    auto character = [&](int32_t code) {
        input.kind = KeyInput::Kind::Char;
        input.code = code;
        return input;
    };
    switch (key) {
    case Qt::Key_PageUp:
        return keyDown(keycode::kPageUp);
    case Qt::Key_PageDown:
        return keyDown(keycode::kPageDown);
    case Qt::Key_End:
        return keyDown(keycode::kEnd);
    case Qt::Key_Home:
        return keyDown(keycode::kHome);
    case Qt::Key_Left:
        return keyDown(keycode::kLeft);
    case Qt::Key_Up:
        return keyDown(keycode::kUp);
    case Qt::Key_Right:
        return keyDown(keycode::kRight);
    case Qt::Key_Down:
        return keyDown(keycode::kDown);
    case Qt::Key_Delete:
        return keyDown(keycode::kDelete);
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return character(input.ctrl ? keycode::kLineFeed : keycode::kReturn);
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return character(keycode::kTab);
    case Qt::Key_Backspace:
        return character(keycode::kBackspace);
    case Qt::Key_Escape:
        return character(keycode::kEscape);
    default:
        break;
    }
    // A chord with Ctrl or Alt that no command took types nothing.
    if (input.ctrl || modifiers.testFlag(Qt::AltModifier) || modifiers.testFlag(Qt::MetaModifier))
        return KeyInput{};
    const std::u32string chars = text.toStdU32String();
    // The C1 controls stand for the bytes the code page leaves free; none of them types.
    if (chars.size() != 1 || (chars[0] >= 0x80 && chars[0] < 0xA0)) return KeyInput{};
    const std::optional<uint8_t> byte = platform::UnicodeToCp1252(chars[0]);
    if (!byte || !TypesCharacter(*byte)) return KeyInput{};
    return character(*byte);
}

KeyInput MapKey(const QKeyEvent& event) {
    return MapKey(event.key(), event.modifiers(), event.text());
}

bool TypesCharacter(int32_t code) {
    if (code == keycode::kBackspace || code == keycode::kTab || code == keycode::kLineFeed ||
        code == keycode::kReturn)
        return true;
    return code >= 32 && code <= 255 && code != 127;
}
