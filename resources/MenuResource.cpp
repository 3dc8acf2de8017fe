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
                              (itemId >= cmd::kFirstWaveFile && itemId <= cmd::kLastWaveFile);
    const bool shifted = itemId >= 0 && itemId < kMenuIdLimit && !runTimeRange;
    return shifted ? itemId + kShift : itemId;
}

const std::vector<Entry>& MenuBar() {
    static const std::vector<Entry> bar = {
        Submenu(
            "&File",
            {
                Item(cmd::kNew, "&New\tCtrl+N", "Create new workspace\nNew"),
                Item(cmd::kOpenSession, "&Open Session...\tCtrl+O",
                     "Open a saved session: its wave files and edits\nOpen Session"),
                Item(cmd::kSaveSession, "&Save Session...\tCtrl+S",
                     "Save the wave files and edits as a session file\nSave Session"),
                Separator(),
                Item(cmd::kLoadWave, "Load Wave...\tCtrl+L",
                     "Open a wave file and add it to the workspace"),
                Item(cmd::kCloseWave, "Close Wave", "Close the wave file shown"),
                Item(cmd::kRenderToFile, "Render to file...",
                     "Write the workspace, through the effect, to a new wave file"),
                Item(cmd::kExit, "E&xit", "Quit Orvane; asks to save unsaved edits first\nExit"),
            }),
        Submenu("&Edit",
                {
                    Item(cmd::kUndo, "&Undo\tCtrl+Z", "Undo the last edit\nUndo"),
                    Item(cmd::kRedo, "&Redo\tCtrl+Shift+Z", "Redo the edit last undone\nRedo"),
                    Separator(),
                    Item(cmd::kCut, "Cu&t\tCtrl+X",
                         "Cut the selection and put it on the Clipboard\nCut"),
                    Item(cmd::kCopy, "&Copy\tCtrl+C",
                         "Copy the selection and put it on the Clipboard\nCopy"),
                    Item(cmd::kPaste, "&Paste\tCtrl+V", "Insert Clipboard contents\nPaste"),
                    Item(cmd::kDelete, "&Delete\tDel", "Delete the selection\nDelete"),
                    Separator(),
                    Item(cmd::kSelectAll, "Select &All\tCtrl+A",
                         "Select everything the view shows\nSelect All"),
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
            "VST Plugins",
            {
                Item(cmd::kApplyToSelection, "Apply to Selection\tCtrl+Shift+A",
                     "Replace the selection with itself through the effects, then bypass them"),
                Separator(),
                Item(cmd::kEditPlugin, "Edit Plug-in...", "Show the active plug-in's editor"),
                Item(cmd::kRemovePlugin, "Remove Plug-in", "Unload the active plug-in"),
                Separator(),
                Item(cmd::kChoosePlugin, "Choose Plug-in...\tCtrl+P",
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
                Separator(),
                Check(cmd::kShowWorkspace, "&Workspace",
                      "Show the workspace rather than one file alone"),
                Separator(),
                Submenu("Wave files", {Item(cmd::kNoFilesLoaded, "No files loaded")}),
            }),
        Submenu("&Help",
                {
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

const std::vector<Accelerator>& Accelerators() {
    static const std::vector<Accelerator> keys = {
        {wxACCEL_CTRL, 'V', cmd::kPaste},
        {wxACCEL_CTRL, 'X', cmd::kCut},
        {wxACCEL_SHIFT, WXK_DELETE, cmd::kCut},
        {wxACCEL_CTRL, WXK_INSERT, cmd::kCopy},
        {wxACCEL_SHIFT, WXK_INSERT, cmd::kPaste},
        {wxACCEL_NORMAL, WXK_CANCEL, cmd::kCopy},
        {wxACCEL_ALT, WXK_BACK, cmd::kUndo},
        {wxACCEL_CTRL, 'Z', cmd::kUndo},
        {wxACCEL_CTRL, 'Y', cmd::kRedo},
        {wxACCEL_CTRL, 'Q', cmd::kDelete},
        {wxACCEL_NORMAL, WXK_F6, cmd::kNextPane},
        {wxACCEL_SHIFT, WXK_F6, cmd::kPrevPane},
        {wxACCEL_NORMAL, WXK_HOME, cmd::kGoToStart},
        {wxACCEL_NORMAL, WXK_END, cmd::kGoToEnd},
    };
    return keys;
}

const std::vector<PlainKey>& PlainKeys() {
    static const std::vector<PlainKey> keys = {
        {WXK_SPACE, cmd::kPlayOrStop},
        {'+', cmd::kZoomInAtInsertion},
        {'=', cmd::kZoomInAtInsertion},  // '+' without Shift on many layouts
        {WXK_NUMPAD_ADD, cmd::kZoomInAtInsertion},
        {'-', cmd::kZoomOutAtInsertion},
        {WXK_NUMPAD_SUBTRACT, cmd::kZoomOutAtInsertion},
    };
    return keys;
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
