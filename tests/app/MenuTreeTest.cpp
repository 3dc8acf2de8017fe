#include <gtest/gtest.h>
#include <wx/statusbr.h>

#include "app/FrameFixture.h"
#include "resources/CommandIds.h"
#include "resources/MenuResource.h"

using namespace testing_support;

namespace {

// One line per menu entry: "  " per level, then "-" for a separator, the label and ">" for a
// submenu, or the label with the id (and "check" for check items).
void Dump(const wxMenu* menu, int depth, std::vector<std::string>& out) {
    for (const wxMenuItem* item : menu->GetMenuItems()) {
        std::string line(2 * depth, ' ');
        if (item->IsSeparator()) {
            line += "-";
        } else if (item->IsSubMenu()) {
            line += item->GetItemLabel().ToStdString() + " >";
        } else {
            line += item->GetItemLabel().ToStdString() + " #" +
                    std::to_string(menu::CommandOfMenuItem(item->GetId()));
            if (item->IsCheckable()) {
                line += " check";
            }
        }
        out.push_back(line);
        if (item->IsSubMenu()) {
            Dump(item->GetSubMenu(), depth + 1, out);
        }
    }
}

class MainWindowLayout : public FrameFixture {};

TEST_F(MainWindowLayout, MenuBarHoldsEveryItemInOrder) {
    const std::vector<std::string> expected = {
        "&File >",
        "  &New\tCtrl+N #57600",
        "  &Open Session...\tCtrl+O #57601",
        "  &Save Session...\tCtrl+S #57603",
        "  -",
        "  Load Wave...\tCtrl+L #32780",
        "  Close Wave #57602",
        "  Render to file... #32781",
        "  E&xit #57665",
        "&Edit >",
        "  &Undo\tCtrl+Z #57643",
        "  &Redo\tCtrl+Shift+Z #57644",
        "  -",
        "  Cu&t\tCtrl+X #57635",
        "  &Copy\tCtrl+C #57634",
        "  &Paste\tCtrl+V #57637",
        "  &Delete\tDel #32775",
        "  -",
        "  Select &All\tCtrl+A #57642",
        "VST Plugins >",
        "  Edit plugin.... #32783",
        "  Remove plugin #32794",
        "  -",
        "  Choose Plug-in...\tCtrl+P #32800",
        "  Rescan Plug-ins #32801",
        "  -",
        "&View >",
        "  Toolbars >",
        "    &Edit #59392 check",
        "    &Navigation #32784 check",
        "    &Zoom #32793 check",
        "  &Status Bar #59393 check",
        "  -",
        "  &Workspace #32777 check",
        "  -",
        "  Wave files >",
        "    No files loaded #32782",
        "&Help >",
        "  &About Orvane... #57664",
    };
    std::vector<std::string> actual;
    wxMenuBar* bar = frame->GetMenuBar();
    for (size_t i = 0; i < bar->GetMenuCount(); ++i) {
        actual.push_back(bar->GetMenuLabel(i).ToStdString() + " >");
        Dump(bar->GetMenu(i), 1, actual);
    }
    EXPECT_EQ(actual, expected);
    EXPECT_EQ(frame->GetTitle(), wxString::FromUTF8("Untitled \u2014 Workspace \u2014 Orvane"));
}

TEST_F(MainWindowLayout, PromptsGoToTheStatusBarAndTooltipsToTheButtons) {
    wxMenuBar* bar = frame->GetMenuBar();
    EXPECT_EQ(bar->GetHelpString(menu::MenuItemId(cmd::kNew)), "Create new workspace");
    EXPECT_EQ(menu::Tooltip(cmd::kNew), "New");
    EXPECT_EQ(bar->GetHelpString(menu::MenuItemId(cmd::kCut)),
              "Cut the selection and put it on the Clipboard");
    EXPECT_EQ(bar->GetHelpString(menu::MenuItemId(cmd::kToggleZoomBar)),
              "Show or hide the zoom toolbar");
    EXPECT_EQ(bar->GetHelpString(menu::MenuItemId(cmd::kEditPlugin)), "");
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
