#pragma once

#include <string>
#include <vector>

/// The main window's menus, accelerators and toolbars as data: the frame builds its widgets
/// from these tables, and tests read them to know what the window must show.
namespace menu {

enum class Kind { kItem, kCheck, kSeparator, kSubmenu };

struct Entry {
    Kind kind = Kind::kItem;
    int id = 0;                   // 0 for separators and submenus
    const char* text = "";        // with its mnemonic (&); the shortcut comes from Keys()
    const char* prompt = "";      // the status-bar prompt; after "\n" the tooltip
    std::vector<Entry> children;  // a submenu's entries
};

/// Menu items take ids below 0x7FFF, the toolkit's limit, while most command ids are above
/// it. A menu item carries MenuItemId(command); the frame turns it back into the command with
/// CommandOfMenuItem before routing, so every handler sees the command's own id.
int MenuItemId(int command);
int CommandOfMenuItem(int itemId);

/// The menu bar, top-level menus in order.
const std::vector<Entry>& MenuBar();

/// The prompt of command `id` (status text, then "\n" and the tooltip), or "" if none.
const char* Prompt(int id);
/// The status-bar part of command `id`'s prompt: the text before "\n".
std::string StatusText(int id);
/// The tooltip part of command `id`'s prompt: the text after "\n", or "" without one.
std::string Tooltip(int id);

/// How a key reaches its command.
enum class Route {
    kMenu,    // named in its command's menu item text; the menu carries it
    kWindow,  // anywhere in the main window: the accelerator table, or the frame's key hook
              // for keys without Ctrl or Alt (those never reach an accelerator)
    kView,    // only while the waveform has the focus, so lists keep their arrows and Home
};

/// One key of the main window. The menus' shortcut texts, the accelerator table, the frame's
/// key hook and Help > Keyboard are all built from Keys(), so none of them can drift.
struct Key {
    int flags;    // wxACCEL_* modifiers
    int keyCode;  // wx key code as a key-down reports it
    int command;
    Route route;
    const char* what;  // what it does, for the Keyboard list
};

/// Every key of the main window, in the order the Keyboard list shows them.
const std::vector<Key>& Keys();

/// The key as the menus and the Keyboard list write it: "Ctrl+Shift+R", "Delete", "Left".
std::string KeyName(int flags, int keyCode);

/// The shortcut command `id`'s menu item names after its tab ("Ctrl+Z"), or "" if none.
std::string MenuShortcut(int id);

/// The menu text of entry `e`: its text, then a tab and its shortcut when it has one.
std::string MenuText(const Entry& e);

struct ToolBar {
    const char* name;  // the pane name
    std::vector<int> commands;
};

/// The three toolbars, left to right: edit, navigation, zoom.
const std::vector<ToolBar>& ToolBars();

}  // namespace menu
