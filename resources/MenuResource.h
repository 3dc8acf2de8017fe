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
    const char* text = "";        // with its mnemonic (&) and tab text
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

struct Accelerator {
    int flags;    // wxACCEL_* modifiers
    int keyCode;  // wx key code
    int command;
};

/// The keys of accelerator table 128, besides the shortcuts the menu texts name.
const std::vector<Accelerator>& Accelerators();

/// Keys that act by themselves, without Ctrl or Alt: they never reach an accelerator while
/// the view has the focus, so the frame looks them up here as they are pressed.
struct PlainKey {
    int keyCode;  // wx key code as a key-down reports it
    int command;
};
const std::vector<PlainKey>& PlainKeys();

struct ToolBar {
    const char* name;  // the pane name
    std::vector<int> commands;
};

/// The three toolbars, left to right: edit, navigation, zoom.
const std::vector<ToolBar>& ToolBars();

}  // namespace menu
