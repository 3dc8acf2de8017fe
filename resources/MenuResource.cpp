#include "resources/MenuResource.h"

#include <wx/accel.h>
#include <wx/defs.h>

#include <cstring>
#include <map>

#include "resources/CommandIds.h"

namespace menu {
namespace {

Entry Item(int id, const char* text, const char* prompt = "") {
    return {Kind::kItem, id, text, prompt, {}};
}
Entry Check(int id, const char* text, const char* prompt) {
    return {Kind::kCheck, id, text, prompt, {}};
}
Entry Separator() {
    return {Kind::kSeparator, 0, "", "", {}};
}
Entry Submenu(const char* text, std::vector<Entry> children) {
    return {Kind::kSubmenu, 0, text, "", std::move(children)};
}

// Prompts of commands that appear only on toolbars.
const std::map<int, const char*>& ToolbarPrompts() {
    static const std::map<int, const char*> prompts = {
        {cmd::kPlay, "Start playing\nPlay"}, {cmd::kStop, "Stop playing\nStop"},
        {cmd::kPause, "Pause\nPause"},       {cmd::kZoomIn, "Zoom in view"},
        {cmd::kZoomOut, "Zoom out view"},    {cmd::kZoomOutFull, "Zoom out full"},
    };
    return prompts;
}

const char* FindPrompt(const std::vector<Entry>& entries, int id) {
    for (const Entry& e : entries) {
        if (e.kind == Kind::kSubmenu) {
            if (const char* found = FindPrompt(e.children, id)) {
                return found;
            }
        } else if (e.id == id) {
            return e.prompt;
        }
    }
    return nullptr;
}

}  // namespace

namespace {
constexpr int kMenuIdLimit = 0x7FFF;
constexpr int kShift = 0x8000;  // the commands above the limit sit 32768 higher
}  // namespace

int MenuItemId(int command) {
    return command >= kMenuIdLimit ? command - kShift : command;
}

int CommandOfMenuItem(int itemId) {
    const bool runTimeRange = (itemId >= cmd::kFirstPlugin && itemId <= cmd::kLastPlugin) ||
                              (itemId >= cmd::kFirstWaveFile && itemId <= cmd::kLastWaveFile) ||
                              (itemId >= cmd::kFirstRecent && itemId <= cmd::kLastRecent);
    const bool shifted = itemId >= 0 && itemId < kMenuIdLimit && !runTimeRange;
    return shifted ? itemId + kShift : itemId;
}

const std::vector<Entry>& MenuBar() {
    static const std::vector<Entry> bar = {
        Submenu(
            "&File",
            {
                Item(cmd::kNew, "&New", "Create new workspace\nNew"),
                Item(cmd::kOpenSession, "&Open Session...",
                     "Open a saved session: its wave files and edits\nOpen Session"),
                Item(cmd::kSaveSession, "&Save Session...",
                     "Save the wave files and edits as a session file\nSave Session"),
                Item(cmd::kSaveSessionAs, "Save Session &As...",
                     "Save the wave files and edits under a new session file name"),
                Submenu("Open &Recent", {Item(cmd::kNoRecentFiles, "No recent files",
                                              "Wave files and sessions opened lately")}),
                Separator(),
                Item(cmd::kLoadWave, "&Load Wave...",
                     "Open a wave file and add it to the workspace"),
                Item(cmd::kCloseWave, "&Close Wave", "Close the wave file shown"),
                Item(cmd::kRenderToFile, "Ren&der to file...",
                     "Write the workspace, through the effect, to a new wave file"),
                Separator(),
                Item(cmd::kExit, "E&xit", "Quit Orvane; asks to save unsaved edits first\nExit"),
            }),
        Submenu(
            "&Edit",
            {
                Item(cmd::kUndo, "&Undo", "Undo the last edit\nUndo"),
                Item(cmd::kRedo, "&Redo", "Redo the edit last undone\nRedo"),
                Separator(),
                Item(cmd::kCut, "Cu&t", "Cut the selection and put it on the Clipboard\nCut"),
                Item(cmd::kCopy, "&Copy", "Copy the selection and put it on the Clipboard\nCopy"),
                Item(cmd::kPaste, "&Paste", "Insert Clipboard contents\nPaste"),
                Item(cmd::kDelete, "&Delete", "Delete the selection\nDelete"),
                Separator(),
                Item(cmd::kSelectAll, "Select &All",
                     "Select all of the workspace, or of the file shown alone\nSelect All"),
                Separator(),
                Check(cmd::kSnapToZeroCrossings, "Snap to &Zero Crossings",
                      "Move the edges you set with the mouse to the nearest zero crossing "
                      "within 10 ms"),
            }),
        Submenu("&Process",
                {
                    Item(cmd::kGain, "&Gain...", "Raise or lower the selection's level"),
                    Item(cmd::kNormalize, "&Normalize...",
                         "Bring the selection's peak to a chosen level"),
                    Separator(),
                    Item(cmd::kFadeIn, "Fade &In...", "Fade the selection in from silence"),
                    Item(cmd::kFadeOut, "Fade &Out...", "Fade the selection out to silence"),
                    Separator(),
                    Item(cmd::kSilence, "&Silence", "Make the selection silent"),
                }),
        Submenu(
            "V&ST Plugins",
            {
                Item(cmd::kApplyToSelection, "&Apply to Selection",
                     "Replace the selection with itself through the effects, then bypass them"),
                Separator(),
                Item(cmd::kEditPlugin, "Edit Plug-in...", "Show the active plug-in's editor"),
                Item(cmd::kRemovePlugin, "Remove Plug-in", "Unload the active plug-in"),
                Separator(),
                Item(cmd::kChoosePlugin, "Choose Plug-in...",
                     "Find a plug-in by name, vendor or category; shows those that failed"),
                Item(cmd::kRescanPlugins, "Rescan Plug-ins", "Examine every plug-in library again"),
                Separator(),
            }),
        Submenu(
            "&View",
            {
                Submenu("Toolbars",
                        {
                            Check(cmd::kToggleEditBar, "&Edit",
                                  "Show or hide the edit toolbar\nToggle Toolbar"),
                            Check(cmd::kToggleNavigationBar, "&Navigation",
                                  "Show or hide the navigation toolbar\nToggle Toolbar"),
                            Check(cmd::kToggleZoomBar, "&Zoom", "Show or hide the zoom toolbar"),
                        }),
                Check(cmd::kToggleStatusBar, "&Status Bar",
                      "Show or hide the status bar\nToggle Status Bar"),
                Check(cmd::kToggleEffectsPane, "E&ffects",
                      "Show or hide the effect chain\nToggle Effects"),
                Check(cmd::kToggleLevelsPane, "&Levels",
                      "Show or hide the level meter of what is heard\nToggle Levels"),
                Separator(),
                Check(cmd::kShowWorkspace, "&Workspace",
                      "Show the workspace rather than one file alone"),
                Separator(),
                Submenu("Wave files", {Item(cmd::kNoFilesLoaded, "No files loaded")}),
            }),
        Submenu("&Analyze",
                {
                    Item(cmd::kAnalyzeLoudness, "&Loudness...",
                         "Measure the loudness and the peaks of the selection, or of all that "
                         "is shown"),
                }),
        Submenu("&Help",
                {
                    Item(cmd::kKeyboardHelp, "&Keyboard...",
                         "List every key of the main window\nKeyboard"),
                    Item(cmd::kAbout, "&About Orvane...",
                         "Show the version, the libraries and the licence\nAbout"),
                }),
    };
    return bar;
}

const char* Prompt(int id) {
    if (const char* found = FindPrompt(MenuBar(), id)) {
        return found;
    }
    const auto& toolbar = ToolbarPrompts();
    const auto it = toolbar.find(id);
    return it != toolbar.end() ? it->second : "";
}

std::string StatusText(int id) {
    const std::string prompt = Prompt(id);
    return prompt.substr(0, prompt.find('\n'));
}

std::string Tooltip(int id) {
    const std::string prompt = Prompt(id);
    const size_t newline = prompt.find('\n');
    return newline == std::string::npos ? "" : prompt.substr(newline + 1);
}

const std::vector<Key>& Keys() {
    constexpr int kCtrl = wxACCEL_CTRL;
    constexpr int kShift = wxACCEL_SHIFT;
    constexpr int kNone = wxACCEL_NORMAL;
    using enum Route;
    static const std::vector<Key> keys = {
        // Files and sessions
        {kCtrl, 'N', cmd::kNew, kMenu, "New workspace"},
        {kCtrl, 'O', cmd::kOpenSession, kMenu, "Open a session"},
        {kCtrl, 'S', cmd::kSaveSession, kMenu, "Save the session"},
        {kCtrl | kShift, 'S', cmd::kSaveSessionAs, kMenu, "Save the session under a new name"},
        {kCtrl, 'L', cmd::kLoadWave, kMenu, "Load a wave file"},
        {kCtrl, 'W', cmd::kCloseWave, kMenu, "Close the wave file shown"},
        {kCtrl | kShift, 'R', cmd::kRenderToFile, kMenu, "Render the workspace to a file"},
        {kCtrl, 'Q', cmd::kExit, kMenu, "Quit (asks to save unsaved edits)"},
        // Edits
        {kCtrl, 'Z', cmd::kUndo, kMenu, "Undo"},
        {wxACCEL_ALT, WXK_BACK, cmd::kUndo, kWindow, "Undo"},
        {kCtrl | kShift, 'Z', cmd::kRedo, kMenu, "Redo"},
        {kCtrl, 'Y', cmd::kRedo, kWindow, "Redo"},
        {kCtrl, 'X', cmd::kCut, kMenu, "Cut the selection"},
        {kShift, WXK_DELETE, cmd::kCut, kWindow, "Cut the selection"},
        {kCtrl, 'C', cmd::kCopy, kMenu, "Copy the selection"},
        {kCtrl, WXK_INSERT, cmd::kCopy, kWindow, "Copy the selection"},
        {kCtrl, 'V', cmd::kPaste, kMenu, "Paste"},
        {kShift, WXK_INSERT, cmd::kPaste, kWindow, "Paste"},
        {kNone, WXK_DELETE, cmd::kDelete, kMenu, "Delete the selection"},
        {kCtrl, WXK_DELETE, cmd::kDelete, kWindow, "Delete the selection"},
        {kCtrl, 'A', cmd::kSelectAll, kMenu, "Select all of what is shown"},
        {kNone, WXK_ESCAPE, cmd::kClearSelection, kWindow,
         "Clear the selection, leaving the insertion point at its start"},
        // Moving in the waveform
        {kNone, WXK_LEFT, cmd::kMoveBack, kView, "Move back a tenth of the shown range"},
        {kNone, WXK_RIGHT, cmd::kMoveForward, kView, "Move on a tenth of the shown range"},
        {kCtrl, WXK_LEFT, cmd::kMoveToPreviousSplice, kView, "Move to the previous splice point"},
        {kCtrl, WXK_RIGHT, cmd::kMoveToNextSplice, kView, "Move to the next splice point"},
        {kNone, WXK_HOME, cmd::kGoToStart, kView, "Move to the start"},
        {kNone, WXK_END, cmd::kGoToEnd, kView, "Move to the end"},
        {kShift, WXK_LEFT, cmd::kExtendBack, kView, "Extend the selection back"},
        {kShift, WXK_RIGHT, cmd::kExtendForward, kView, "Extend the selection on"},
        {kCtrl | kShift, WXK_LEFT, cmd::kExtendToPreviousSplice, kView,
         "Extend the selection to the previous splice point"},
        {kCtrl | kShift, WXK_RIGHT, cmd::kExtendToNextSplice, kView,
         "Extend the selection to the next splice point"},
        {kShift, WXK_HOME, cmd::kExtendToStart, kView, "Extend the selection to the start"},
        {kShift, WXK_END, cmd::kExtendToEnd, kView, "Extend the selection to the end"},
        {kNone, '+', cmd::kZoomInAtInsertion, kWindow, "Zoom in around the insertion point"},
        {kNone, '=', cmd::kZoomInAtInsertion, kWindow, "Zoom in ('+' without Shift)"},
        {kNone, WXK_NUMPAD_ADD, cmd::kZoomInAtInsertion, kWindow, "Zoom in"},
        {kNone, '-', cmd::kZoomOutAtInsertion, kWindow, "Zoom out around the insertion point"},
        {kNone, WXK_NUMPAD_SUBTRACT, cmd::kZoomOutAtInsertion, kWindow, "Zoom out"},
        // Playing
        {kNone, WXK_SPACE, cmd::kPlayOrStop, kWindow, "Play from the insertion point, or stop"},
        // Effects
        {kCtrl, 'P', cmd::kChoosePlugin, kMenu, "Choose a plug-in"},
        {kCtrl | kShift, 'A', cmd::kApplyToSelection, kMenu,
         "Replace the selection with itself through the effects"},
    };
    return keys;
}

std::string KeyName(int flags, int keyCode) {
    static const std::map<int, const char*> names = {
        {WXK_DELETE, "Delete"},
        {WXK_INSERT, "Insert"},
        {WXK_BACK, "Backspace"},
        {WXK_ESCAPE, "Escape"},
        {WXK_SPACE, "Space"},
        {WXK_LEFT, "Left"},
        {WXK_RIGHT, "Right"},
        {WXK_HOME, "Home"},
        {WXK_END, "End"},
        {WXK_NUMPAD_ADD, "Keypad +"},
        {WXK_NUMPAD_SUBTRACT, "Keypad -"},
    };
    std::string name;
    if (flags & wxACCEL_CTRL) {
        name += "Ctrl+";
    }
    if (flags & wxACCEL_ALT) {
        name += "Alt+";
    }
    if (flags & wxACCEL_SHIFT) {
        name += "Shift+";
    }
    const auto it = names.find(keyCode);
    if (it != names.end()) {
        return name + it->second;
    }
    return name + char(keyCode);
}

std::string MenuShortcut(int id) {
    for (const Key& key : Keys()) {
        if (key.command == id && key.route == Route::kMenu) {
            return KeyName(key.flags, key.keyCode);
        }
    }
    return "";
}

std::string MenuText(const Entry& e) {
    const std::string shortcut = e.kind == Kind::kItem ? MenuShortcut(e.id) : "";
    return shortcut.empty() ? std::string(e.text) : std::string(e.text) + "\t" + shortcut;
}

const std::vector<ToolBar>& ToolBars() {
    static const std::vector<ToolBar> bars = {
        {"edit", {cmd::kCut, cmd::kCopy, cmd::kPaste, cmd::kUndo, cmd::kRedo}},
        {"navigation", {cmd::kPlay, cmd::kStop, cmd::kPause}},
        {"zoom", {cmd::kZoomIn, cmd::kZoomOut, cmd::kZoomOutFull}},
    };
    return bars;
}

}  // namespace menu
