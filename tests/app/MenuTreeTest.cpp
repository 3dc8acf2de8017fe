#include <gtest/gtest.h>
#include <wx/accel.h>
#include <wx/listctrl.h>
#include <wx/statusbr.h>

#include <map>
#include <memory>
#include <set>

#include "app/FrameFixture.h"
#include "app/KeyboardDialog.h"
#include "resources/CommandIds.h"
#include "resources/MenuResource.h"
#include "view/WaveformView.h"

using namespace testing_support;

namespace {

// Every item of `menu` and its submenus that runs a command.
void CommandItems(const wxMenu* menu, std::vector<const wxMenuItem*>& out) {
    for (const wxMenuItem* item : menu->GetMenuItems()) {
        if (item->IsSubMenu()) {
            CommandItems(item->GetSubMenu(), out);
        } else if (!item->IsSeparator()) {
            out.push_back(item);
        }
    }
}

// Whether `handler` sends command `id` to a handler: through the static event table of its
// class (or a base), or through a handler bound on it (a controller's).
bool HandlesCommand(const wxEvtHandler* handler, int id) {
    const auto covers = [id](int eventType, int first, int lastId) {
        const int last = lastId == wxID_ANY ? first : lastId;
        return eventType == wxEVT_MENU && first <= id && id <= last;
    };
    // The table is protected: named through a class of our own, called on the handler.
    struct Reader : wxEvtHandler {
        static const wxEventTable* TableOf(const wxEvtHandler* h) {
            return (h->*(&Reader::GetEventTable))();
        }
    };
    for (const wxEventTable* table = Reader::TableOf(handler); table != nullptr;
         table = table->baseTable) {
        for (const wxEventTableEntry* entry = table->entries; entry->m_fn != nullptr; ++entry) {
            if (covers(entry->m_eventType, entry->m_id, entry->m_lastId)) {
                return true;
            }
        }
    }
    size_t cookie = 0;
    for (const wxDynamicEventTableEntry* entry = handler->GetFirstDynamicEntry(cookie);
         entry != nullptr; entry = handler->GetNextDynamicEntry(cookie)) {
        if (covers(entry->m_eventType, entry->m_id, entry->m_lastId)) {
            return true;
        }
    }
    return false;
}

class MainWindowLayout : public FrameFixture {};

TEST_F(MainWindowLayout, EveryMenuItemReachesAHandlerWithAnIdAndKeysOfItsOwn) {
    EXPECT_EQ(frame->GetTitle(), wxString::FromUTF8("Untitled \u2014 Workspace \u2014 Orvane"));
    wxMenuBar* bar = frame->GetMenuBar();
    std::set<wxString> titles;
    std::set<wxChar> topMnemonics;
    std::vector<const wxMenuItem*> items;
    for (size_t i = 0; i < bar->GetMenuCount(); ++i) {
        EXPECT_TRUE(titles.insert(bar->GetMenuLabelText(i)).second) << bar->GetMenuLabelText(i);
        const wxString label = bar->GetMenuLabel(i);
        const int amp = label.Find('&');
        ASSERT_NE(amp, wxNOT_FOUND) << label << " has no mnemonic";
        EXPECT_TRUE(topMnemonics.insert(wxTolower(label[amp + 1])).second)
            << label << " shares its mnemonic with another menu";
        CommandItems(bar->GetMenu(i), items);
    }
    ASSERT_GE(items.size(), 20u);
    UpdateUi();
    std::set<int> ids;
    std::map<std::pair<int, int>, int> keys;  // (modifiers, key) -> command
    const auto claim = [&](int flags, int key, int command, const wxString& where) {
        const auto [it, added] = keys.emplace(std::make_pair(flags, key), command);
        EXPECT_TRUE(added || it->second == command)
            << where << ": its key already runs command " << it->second;
    };
    for (const wxMenuItem* item : items) {
        const wxString label = item->GetItemLabel();
        SCOPED_TRACE(label.ToStdString());
        const int command = menu::CommandOfMenuItem(item->GetId());
        EXPECT_TRUE(ids.insert(item->GetId()).second) << "a second item with this id";
        EXPECT_FALSE(label.EndsWith("....")) << "an ellipsis has three dots";
        if (command == cmd::kNoFilesLoaded || command == cmd::kNoRecentFiles) {
            EXPECT_FALSE(item->IsEnabled()) << "a placeholder, not a command";
            continue;
        }
        EXPECT_TRUE(HandlesCommand(frame, command) || HandlesCommand(frame->View(), command))
            << "the item does nothing";
        EXPECT_FALSE(menu::StatusText(command).empty()) << "no prompt in the status bar";
        if (std::unique_ptr<wxAcceleratorEntry> key(item->GetAccel()); key != nullptr) {
            claim(key->GetFlags(), key->GetKeyCode(), command, label);
        }
    }
    for (const menu::Key& key : menu::Keys()) {
        claim(key.flags, key.keyCode, key.command, key.what);
    }
    // Within one menu, each mnemonic letter opens one item.
    for (size_t i = 0; i < bar->GetMenuCount(); ++i) {
        std::set<wxChar> letters;
        for (const wxMenuItem* item : bar->GetMenu(i)->GetMenuItems()) {
            const wxString label = item->GetItemLabel().BeforeFirst('\t');
            const int amp = label.Find('&');
            if (amp != wxNOT_FOUND && amp + 1 < static_cast<int>(label.length())) {
                EXPECT_TRUE(letters.insert(wxTolower(label[amp + 1])).second)
                    << label << " shares its mnemonic";
            }
        }
    }
}

// Help > Keyboard lists every shortcut the menus show, with what it does.
TEST_F(MainWindowLayout, MenusShowTheExpectedKeysAndTheKeyboardListNamesThemAll) {
    wxMenuBar* bar = frame->GetMenuBar();
    // Render to file opens a modal dialog, so no test presses its key: its text is read here.
    const wxMenuItem* render = bar->FindItem(menu::MenuItemId(cmd::kRenderToFile));
    ASSERT_NE(render, nullptr);
    std::unique_ptr<wxAcceleratorEntry> shown(render->GetAccel());
    ASSERT_NE(shown, nullptr);
    wxAcceleratorEntry wanted;
    ASSERT_TRUE(wanted.FromString("Ctrl+Shift+R"));
    EXPECT_EQ(shown->GetFlags(), wanted.GetFlags());
    EXPECT_EQ(shown->GetKeyCode(), wanted.GetKeyCode());

    KeyboardDialog dialog(frame);
    const wxListCtrl& list = dialog.Keys();
    std::map<wxString, wxString> listed;  // key -> what it does
    for (int row = 0; row < list.GetItemCount(); ++row) {
        listed.emplace(list.GetItemText(row, 0), list.GetItemText(row, 1));
    }
    std::vector<const wxMenuItem*> items;
    for (size_t i = 0; i < bar->GetMenuCount(); ++i) {
        CommandItems(bar->GetMenu(i), items);
    }
    int shortcuts = 0;
    for (const wxMenuItem* item : items) {
        std::unique_ptr<wxAcceleratorEntry> key(item->GetAccel());
        if (key == nullptr) {
            continue;
        }
        ++shortcuts;
        const wxString name = menu::KeyName(key->GetFlags(), key->GetKeyCode());
        const auto found = listed.find(name);
        ASSERT_NE(found, listed.end()) << item->GetItemLabel() << ": " << name << " is not listed";
        EXPECT_FALSE(found->second.empty()) << name;
    }
    EXPECT_GE(shortcuts, 15);
    // The movement keys, which no menu shows, are listed too.
    for (const char* key : {"Left", "Ctrl+Right", "Shift+Home", "Ctrl+Shift+Left", "Escape"}) {
        EXPECT_EQ(listed.count(key), 1u) << key;
    }
}

TEST_F(MainWindowLayout, PromptsGoToTheStatusBarAndTooltipsToTheButtons) {
    wxMenuBar* bar = frame->GetMenuBar();
    EXPECT_EQ(bar->GetHelpString(menu::MenuItemId(cmd::kNew)), "Create new workspace");
    EXPECT_EQ(menu::Tooltip(cmd::kNew), "New");
    EXPECT_EQ(bar->GetHelpString(menu::MenuItemId(cmd::kCut)),
              "Cut the selection and put it on the Clipboard");
    EXPECT_EQ(bar->GetHelpString(menu::MenuItemId(cmd::kToggleZoomBar)),
              "Show or hide the zoom toolbar");
    EXPECT_EQ(bar->GetHelpString(menu::MenuItemId(cmd::kEditPlugin)),
              "Show the active plug-in's editor");
    const struct {
        int id;
        const char* tip;
        const char* prompt;
    } buttons[] = {
        {cmd::kCut, "Cut", "Cut the selection and put it on the Clipboard"},
        {cmd::kUndo, "Undo", "Undo the last edit"},
        {cmd::kRedo, "Redo", "Redo the edit last undone"},
        {cmd::kPlay, "Play", "Start playing"},
        {cmd::kPause, "Pause", "Pause"},
        {cmd::kZoomOutFull, "", "Zoom out full"},
    };
    for (const auto& b : buttons) {
        wxAuiToolBar* toolBar = ToolBarWith(b.id);
        ASSERT_NE(toolBar, nullptr) << b.id;
        EXPECT_EQ(toolBar->GetToolShortHelp(b.id), b.tip);
        EXPECT_EQ(toolBar->GetToolLongHelp(b.id), b.prompt);
    }
}

TEST_F(MainWindowLayout, ThreeToolBarsSitSideBySideAndToggleWithoutAGap) {
    const std::vector<std::vector<int>> tools = {
        {cmd::kCut, cmd::kCopy, cmd::kPaste, cmd::kUndo, cmd::kRedo},
        {cmd::kPlay, cmd::kStop, cmd::kPause},
        {cmd::kZoomIn, cmd::kZoomOut, cmd::kZoomOutFull},
    };
    std::vector<wxAuiToolBar*> bars;
    for (const auto& ids : tools) {
        wxAuiToolBar* toolBar = ToolBarWith(ids[0]);
        ASSERT_NE(toolBar, nullptr);
        ASSERT_EQ(toolBar->GetToolCount(), static_cast<int>(ids.size()));
        for (int i = 0; i < static_cast<int>(ids.size()); ++i) {
            EXPECT_EQ(toolBar->FindToolByIndex(i)->GetId(), ids[i]);
            EXPECT_EQ(toolBar->FindToolByIndex(i)->GetBitmapFor(toolBar).GetSize(), wxSize(16, 15));
        }
        EXPECT_TRUE(toolBar->HasFlag(wxAUI_TB_GRIPPER));
        bars.push_back(toolBar);
    }
    const auto x = [&](int i) { return bars[i]->GetPosition().x; };
    const auto y = [&](int i) { return bars[i]->GetPosition().y; };
    EXPECT_LT(x(0), x(1));
    EXPECT_LT(x(1), x(2));
    EXPECT_EQ(y(0), y(1));
    EXPECT_EQ(y(1), y(2));
    const int navigationX = x(1);

    EXPECT_TRUE(Checked(cmd::kToggleNavigationBar));
    Command(cmd::kToggleNavigationBar);
    EXPECT_FALSE(bars[1]->IsShown());
    EXPECT_FALSE(Checked(cmd::kToggleNavigationBar));
    EXPECT_EQ(x(2), navigationX) << "the zoom bar closes the gap";
    Command(cmd::kToggleNavigationBar);
    EXPECT_TRUE(bars[1]->IsShown());
    EXPECT_TRUE(Checked(cmd::kToggleNavigationBar));
    EXPECT_LT(x(1), x(2));

    Command(cmd::kToggleEditBar);
    EXPECT_FALSE(Checked(cmd::kToggleEditBar));
    EXPECT_TRUE(Checked(cmd::kToggleZoomBar));
    Command(cmd::kToggleZoomBar);
    EXPECT_FALSE(bars[2]->IsShown());
    EXPECT_FALSE(Checked(cmd::kToggleZoomBar));
}

TEST_F(MainWindowLayout, StatusBarShowsReadyAndTheLockKeysAndToggles) {
    wxStatusBar* status = frame->GetStatusBar();
    ASSERT_NE(status, nullptr);
    EXPECT_EQ(status->GetFieldsCount(), 9) << "prompt, five readouts, three lock keys";
    EXPECT_EQ(status->GetStatusText(0), "Ready");
    EXPECT_TRUE(Checked(cmd::kToggleStatusBar));
    Command(cmd::kToggleStatusBar);
    EXPECT_FALSE(status->IsShown());
    EXPECT_FALSE(Checked(cmd::kToggleStatusBar));
    Command(cmd::kToggleStatusBar);
    EXPECT_TRUE(status->IsShown());
}

}  // namespace
