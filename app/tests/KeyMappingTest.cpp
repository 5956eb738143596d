// Qt key events become the program's key codes: navigation keys to the key-down path, typed
// characters as cp1252 bytes, and nothing for keys that must not type.

#include "app/KeyMapping.h"

#include <gtest/gtest.h>

#include <QString>

namespace {

using Kind = KeyInput::Kind;

struct Row {
    const char* name;
    int key;
    Qt::KeyboardModifiers modifiers;
    QString text;
    KeyInput expected;
};

TEST(KeyMappingTest, MapsKeysToTheProgramsCodes) {
    const Qt::KeyboardModifiers none;
    const Row rows[] = {
        {"letter", Qt::Key_A, none, QStringLiteral("a"), {Kind::Char, 'a', false, false}},
        {"shifted letter",
         Qt::Key_A,
         Qt::ShiftModifier,
         QStringLiteral("A"),
         {Kind::Char, 'A', true, false}},
        {"euro sign through the code page",
         Qt::Key_unknown,
         none,
         QString(QChar(0x20AC)),
         {Kind::Char, 0x80, false, false}},
        {"e acute", Qt::Key_Eacute, none, QString(QChar(0xE9)), {Kind::Char, 0xE9, false, false}},
        {"Return", Qt::Key_Return, none, QStringLiteral("\r"), {Kind::Char, 13, false, false}},
        {"Ctrl+Return is a line feed",
         Qt::Key_Return,
         Qt::ControlModifier,
         QString(),
         {Kind::Char, 10, false, true}},
        {"Tab", Qt::Key_Tab, none, QStringLiteral("\t"), {Kind::Char, 9, false, false}},
        {"Ctrl+Tab", Qt::Key_Tab, Qt::ControlModifier, QString(), {Kind::Char, 9, false, true}},
        {"Backspace", Qt::Key_Backspace, none, QStringLiteral("\b"), {Kind::Char, 8, false, false}},
        {"Escape", Qt::Key_Escape, none, QString(QChar(27)), {Kind::Char, 27, false, false}},
        {"Left", Qt::Key_Left, none, QString(), {Kind::KeyDown, 37, false, false}},
        {"Shift+Right",
         Qt::Key_Right,
         Qt::ShiftModifier,
         QString(),
         {Kind::KeyDown, 39, true, false}},
        {"Ctrl+End", Qt::Key_End, Qt::ControlModifier, QString(), {Kind::KeyDown, 35, false, true}},
        {"Page Down", Qt::Key_PageDown, none, QString(), {Kind::KeyDown, 34, false, false}},
        {"Delete goes the key-down way",
         Qt::Key_Delete,
         none,
         QString(QChar(127)),
         {Kind::KeyDown, 46, false, false}},
        {"Ctrl+letter without a command", Qt::Key_Q, Qt::ControlModifier, QString(QChar(17)), {}},
        {"Alt+letter", Qt::Key_Q, Qt::AltModifier, QStringLiteral("q"), {}},
        {"character outside the code page", Qt::Key_unknown, none, QString(QChar(0x3B1)), {}},
        {"control character", Qt::Key_unknown, none, QString(QChar(1)), {}},
        {"C1 control the code page leaves free", Qt::Key_unknown, none, QString(QChar(0x81)), {}},
        {"function key", Qt::Key_F12, none, QString(), {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(MapKey(row.key, row.modifiers, row.text), row.expected);
    }
}

TEST(KeyMappingTest, OnlyPrintableCharactersAndTheEditingControlsType) {
    for (int32_t code : {8, 9, 10, 13, 32, 120, 0x80, 0xFF})
        EXPECT_TRUE(TypesCharacter(code)) << code;
    for (int32_t code : {0, 1, 17, 27, 127, 256})
        EXPECT_FALSE(TypesCharacter(code)) << code;
}

} // namespace
