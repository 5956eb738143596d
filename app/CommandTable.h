#pragma once

// The menus, toolbars and the Symbols bar as data: every command's id and text (the text after
// a tab is its shortcut), the order of the items, and where the separators go. The main frame
// builds its widgets from these tables and nothing else, so a test can hold the widgets
// against them.

#include <cstdint>
#include <span>

struct CommandEntry {
    int32_t id;
    const char* text; // "&New\tCtrl+N": menu text, then the shortcut after the tab
};

// A menu item: a command, a separator (id 0, no submenu) or a submenu.
struct MenuItemEntry;
struct MenuEntry {
    const char* title;
    std::span<const MenuItemEntry> items;
    // Shown only while a document window is open; the others make up the menu without one.
    bool documentOnly;
};
struct MenuItemEntry {
    int32_t id;                         // 0 for a separator or a submenu
    const MenuEntry* submenu = nullptr; // the Export submenu
};

// Every command that has a menu item, once.
std::span<const CommandEntry> MenuCommands();
// The command's text, or null for an id without one.
const char* CommandText(int32_t id);

// The menu bar from left to right.
std::span<const MenuEntry> MenuBar();
// Items of the File menu that exist without a document window; the rest of File is
// document-only.
bool FileItemWithoutDocument(int32_t id);

// The main toolbar: the element buttons in order, 0 for a separator.
std::span<const int32_t> MainToolbar();
// The tool tip of a toolbar element button: its menu command's text, without the accelerator
// mark and the shortcut.
const char* ToolbarTip(int32_t toolbarId);

// The Symbols bar's 68 buttons in the order they are shown (no separators), and the math-face
// character each command types (by command id).
std::span<const int32_t> SymbolsBarOrder();
uint8_t SymbolCode(int32_t symbolId);
// The bar shows rows of this many buttons.
inline constexpr int32_t kSymbolsPerRow = 4;
