// The Effects pane over a fake chain: what the user does reaches the chain with the right
// row, the buttons follow the selection, and the selection survives the chain's changes.

#include "app/EffectsPane.h"

#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/choice.h>
#include <wx/listctrl.h>
#include <wx/stattext.h>

#include <algorithm>
#include <functional>

#include "support/GuiTestFrame.h"

using namespace testing_support;

namespace {

EffectRow Named(const std::string& name) {
    EffectRow row;
    row.name = name;
    return row;
}

// A chain held as rows that carries out what it is asked, records each request as text and
// tells the pane, as the real chain does.
class FakeChain : public EffectsPaneModel {
public:
    std::vector<EffectRow> Rows() const override { return rows; }
    void AddEffect() override {
        Record("add");
        // A new effect goes in after the selected one, or first.
        const long selected = pane->SelectedRow();
        rows.insert(rows.begin() + (selected + 1), Named("New"));
        pane->Rebuild();
    }
    void RemoveEffect(size_t row) override {
        Record("remove " + std::to_string(row));
        rows.erase(rows.begin() + static_cast<long>(row));
        pane->Rebuild();
    }
    void MoveEffect(size_t from, size_t to) override {
        Record("move " + std::to_string(from) + " " + std::to_string(to));
        EffectRow moved = rows[from];
        rows.erase(rows.begin() + static_cast<long>(from));
        rows.insert(rows.begin() + static_cast<long>(to), moved);
        pane->Rebuild();
    }
    void SetBypassed(size_t row, bool bypassed) override {
        Record("bypass " + std::to_string(row) + (bypassed ? " on" : " off"));
        rows[row].bypassed = bypassed;
        pane->Rebuild();
    }
    void OpenEditor(size_t row) override { Record("editor " + std::to_string(row)); }
    void ChooseProgram(size_t row, int program) override {
        Record("program " + std::to_string(row) + " " + std::to_string(program));
        rows[row].program = program;
        pane->Rebuild();
    }
    void ImportPreset(size_t row) override { Record("import " + std::to_string(row)); }
    void ExportPreset(size_t row, bool wholeBank) override {
        Record("export " + std::to_string(row) + (wholeBank ? " bank" : " program"));
    }

    void Record(const std::string& call) { calls += (calls.empty() ? "" : "; ") + call; }

    std::vector<EffectRow> rows;
    std::string calls;
    EffectsPane* pane = nullptr;
};

std::vector<EffectRow> ThreeEffects() {
    std::vector<EffectRow> rows = {Named("EQ"), Named("Reverb"), Named("Limiter")};
    rows[0].programs = {"Flat", "Warm", "Bright"};
    rows[0].program = 0;
    rows[1].bypassed = true;
    rows[1].hasEditor = false;
    rows[1].status = "latency 220 frames";
    rows[2].programs = {"", "Hard"};
    rows[2].program = 1;
    return rows;
}

class EffectsPaneTest : public ::testing::Test {
public:
    void SetUp() override {
        window = new GuiTestFrame();
        chain.rows = ThreeEffects();  // the pane starts over a chain that has effects
        pane = new EffectsPane(window, chain);
        chain.pane = pane;
        ASSERT_TRUE(window->ShowWithClientSize(pane, 320, 360));
    }
    void TearDown() override { DestroyNow(window); }

    void Start(std::vector<EffectRow> rows, long selected) {
        chain.rows = std::move(rows);
        pane->Rebuild();
        pane->SelectRow(selected);
        chain.calls.clear();
    }

    static void Press(wxButton* button) {
        ASSERT_TRUE(button->IsEnabled()) << button->GetLabel() << " cannot be pressed";
        wxCommandEvent event(wxEVT_BUTTON, button->GetId());
        event.SetEventObject(button);
        button->GetEventHandler()->ProcessEvent(event);
    }
    // A key as the list sends it on to its owner.
    void Key(int code) {
        wxListEvent event(wxEVT_LIST_KEY_DOWN, pane->List()->GetId());
        event.SetEventObject(pane->List());
        event.SetKeyCode(code);
        event.SetIndex(pane->SelectedRow());
        pane->List()->GetEventHandler()->ProcessEvent(event);
    }
    // A double click or Enter on `row`.
    void Activate(long row) {
        wxListEvent event(wxEVT_LIST_ITEM_ACTIVATED, pane->List()->GetId());
        event.SetEventObject(pane->List());
        event.SetIndex(row);
        pane->List()->GetEventHandler()->ProcessEvent(event);
    }
    void ChooseProgram(int program) {
        wxChoice* choice = pane->ProgramChoice();
        ASSERT_TRUE(choice->IsEnabled());
        choice->SetSelection(program);
        wxCommandEvent event(wxEVT_CHOICE, choice->GetId());
        event.SetEventObject(choice);
        event.SetInt(program);
        choice->GetEventHandler()->ProcessEvent(event);
    }
    void PresetsItem(const char* label) {
        const int id = pane->PresetsMenu().FindItem(label);
        ASSERT_NE(id, wxNOT_FOUND) << label;
        wxCommandEvent event(wxEVT_MENU, id);
        event.SetEventObject(&pane->PresetsMenu());
        pane->GetEventHandler()->ProcessEvent(event);
    }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (long i = 0; i < pane->List()->GetItemCount(); ++i) {
            names.push_back(pane->List()->GetItemText(i).utf8_string());
        }
        return names;
    }

    FakeChain chain;
    GuiTestFrame* window = nullptr;
    EffectsPane* pane = nullptr;
};

// Each case starts from EQ, Reverb (bypassed), Limiter with `selected` selected, acts as the
// user does, and reads what the chain was asked, the list, and the selection after it.
TEST_F(EffectsPaneTest, EachActionReachesTheChainWithItsRow) {
    const struct {
        const char* name;
        long selected;
        std::function<void(EffectsPaneTest&)> act;
        const char* calls;
        std::vector<std::string> names;
        long selectedAfter;
    } cases[] = {
        {"Remove: the next effect is selected",
         1,
         [](EffectsPaneTest& t) { Press(t.pane->RemoveButton()); },
         "remove 1",
         {"EQ", "Limiter"},
         1},
        {"Delete on the last: the one before is selected",
         2,
         [](EffectsPaneTest& t) { t.Key(WXK_DELETE); },
         "remove 2",
         {"EQ", "Reverb"},
         1},
        {"keypad Delete",
         0,
         [](EffectsPaneTest& t) { t.Key(WXK_NUMPAD_DELETE); },
         "remove 0",
         {"Reverb", "Limiter"},
         0},
        {"another key does nothing",
         0,
         [](EffectsPaneTest& t) { t.Key('D'); },
         "",
         {"EQ", "Reverb", "Limiter"},
         0},
        {"Move Up: the selection goes along",
         2,
         [](EffectsPaneTest& t) { Press(t.pane->UpButton()); },
         "move 2 1",
         {"EQ", "Limiter", "Reverb"},
         1},
        {"Move Down: the selection goes along",
         0,
         [](EffectsPaneTest& t) { Press(t.pane->DownButton()); },
         "move 0 1",
         {"Reverb", "EQ", "Limiter"},
         1},
        {"Add: the new effect is selected",
         0,
         [](EffectsPaneTest& t) { Press(t.pane->AddButton()); },
         "add",
         {"EQ", "New", "Reverb", "Limiter"},
         1},
        {"Add with nothing selected",
         -1,
         [](EffectsPaneTest& t) { Press(t.pane->AddButton()); },
         "add",
         {"New", "EQ", "Reverb", "Limiter"},
         0},
        {"Editor...",
         1,
         [](EffectsPaneTest& t) { Press(t.pane->EditorButton()); },
         "editor 1",
         {"EQ", "Reverb", "Limiter"},
         1},
        {"double click or Enter opens that row's editor",
         0,
         [](EffectsPaneTest& t) { t.Activate(2); },
         "editor 2",
         {"EQ", "Reverb", "Limiter"},
         0},
        {"untick: bypass",
         0,
         [](EffectsPaneTest& t) { t.pane->List()->CheckItem(0, false); },
         "bypass 0 on",
         {"EQ", "Reverb", "Limiter"},
         0},
        {"tick: run again",
         0,
         [](EffectsPaneTest& t) { t.pane->List()->CheckItem(1, true); },
         "bypass 1 off",
         {"EQ", "Reverb", "Limiter"},
         0},
        {"a program",
         2,
         [](EffectsPaneTest& t) { t.ChooseProgram(0); },
         "program 2 0",
         {"EQ", "Reverb", "Limiter"},
         2},
        {"Import",
         1,
         [](EffectsPaneTest& t) { t.PresetsItem("Import .fxp/.fxb..."); },
         "import 1",
         {"EQ", "Reverb", "Limiter"},
         1},
        {"Export Program",
         2,
         [](EffectsPaneTest& t) { t.PresetsItem("Export Program (.fxp)..."); },
         "export 2 program",
         {"EQ", "Reverb", "Limiter"},
         2},
        {"Export Bank",
         0,
         [](EffectsPaneTest& t) { t.PresetsItem("Export Bank (.fxb)..."); },
         "export 0 bank",
         {"EQ", "Reverb", "Limiter"},
         0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Start(ThreeEffects(), c.selected);
        c.act(*this);
        EXPECT_EQ(chain.calls, c.calls);
        EXPECT_EQ(Names(), c.names);
        EXPECT_EQ(pane->SelectedRow(), c.selectedAfter);
    }
}

// Which controls are enabled for the selected row's place in the chain, and what shows when
// the chain is empty.
TEST_F(EffectsPaneTest, ControlsFollowTheSelectionAndItsPlace) {
    const struct {
        const char* name;
        size_t effects;
        long selected;
        bool remove, up, down, editor, presets, hint;
    } cases[] = {
        {"top", 3, 0, true, false, true, true, true, false},
        {"empty chain", 0, -1, false, false, false, false, false, true},
        {"nothing selected", 3, -1, false, false, false, false, false, false},
        {"middle", 3, 1, true, true, true, true, true, false},
        {"bottom", 3, 2, true, true, false, true, true, false},
        {"the only one", 1, 0, true, false, false, true, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<EffectRow> rows = ThreeEffects();
        rows.resize(c.effects);
        Start(rows, c.selected);
        ProcessPendingUi(pane);
        EXPECT_TRUE(pane->AddButton()->IsEnabled());
        EXPECT_EQ(pane->RemoveButton()->IsEnabled(), c.remove);
        EXPECT_EQ(pane->UpButton()->IsEnabled(), c.up);
        EXPECT_EQ(pane->DownButton()->IsEnabled(), c.down);
        EXPECT_EQ(pane->EditorButton()->IsEnabled(), c.editor);
        EXPECT_EQ(pane->PresetsButton()->IsEnabled(), c.presets);
        EXPECT_EQ(pane->EmptyHint()->IsShownOnScreen(), c.hint);
        EXPECT_EQ(pane->List()->IsShownOnScreen(), !c.hint);
    }
}

// The chain changes behind the pane's back (another window, an undo); the pane reads it again.
TEST_F(EffectsPaneTest, RebuildKeepsTheSelectionWhereItStillMeansSomething) {
    const struct {
        const char* name;
        long selected;
        std::function<void(std::vector<EffectRow>&)> change;
        long selectedAfter;
    } cases[] = {
        {"a status changes", 1, [](auto& rows) { rows[1].status = "latency 0 frames"; }, 1},
        {"an effect above goes", 2, [](auto& rows) { rows.erase(rows.begin()); }, 1},
        {"the chain shrinks under the selection", 2, [](auto& rows) { rows.resize(1); }, 0},
        {"the chain empties", 0, [](auto& rows) { rows.clear(); }, -1},
        {"nothing selected stays so", -1, [](auto& rows) { rows[0].bypassed = true; }, -1},
        {"an effect comes in at the end", 0, [](auto& rows) { rows.push_back(Named("Delay")); }, 3},
        {"two come in: the selection stays", 0,
         [](auto& rows) { rows.insert(rows.begin(), 2, Named("Delay")); }, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Start(ThreeEffects(), c.selected);
        c.change(chain.rows);
        pane->Rebuild();
        EXPECT_EQ(pane->SelectedRow(), c.selectedAfter);
        EXPECT_EQ(Names().size(), chain.rows.size());
        EXPECT_EQ(chain.calls, "") << "reading the chain again asked it to change";
    }
}

// What the list and the program choice show for each row.
TEST_F(EffectsPaneTest, TheListShowsStateAndTheChoiceTheSelectedEffectsPrograms) {
    const struct {
        long selected;
        bool ticked;
        const char* state;
        std::vector<std::string> programs;
        int program;
    } cases[] = {
        {0, true, "", {"1: Flat", "2: Warm", "3: Bright"}, 0},
        {1, false, "bypassed, latency 220 frames", {}, wxNOT_FOUND},
        {2, true, "", {"1: ", "2: Hard"}, 1},
        {-1, true, "", {}, wxNOT_FOUND},
    };
    Start(ThreeEffects(), -1);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.selected);
        pane->SelectRow(c.selected);
        const long row = std::max(c.selected, 0L);
        EXPECT_EQ(pane->List()->IsItemChecked(row), c.ticked);
        EXPECT_EQ(pane->List()->GetItemText(row, 1).utf8_string(), c.state);
        std::vector<std::string> programs;
        for (const wxString& text : pane->ProgramChoice()->GetStrings()) {
            programs.push_back(text.utf8_string());
        }
        EXPECT_EQ(programs, c.programs);
        EXPECT_EQ(pane->ProgramChoice()->GetSelection(), c.program);
        EXPECT_EQ(pane->ProgramChoice()->IsEnabled(), !c.programs.empty());
    }
    // Choosing the program already current asks nothing.
    pane->SelectRow(0);
    ChooseProgram(0);
    EXPECT_EQ(chain.calls, "");
}

// The pointer over a row shows the row's texts in full; off the rows, the list's own hint.
TEST_F(EffectsPaneTest, TheTooltipNamesTheRowUnderThePointer) {
    Start(ThreeEffects(), 0);
    wxWindow* rowsWindow = nullptr;  // the list's child under the column headings
    for (wxWindow* child : pane->List()->GetChildren()) {
        if (rowsWindow == nullptr || child->GetSize().y > rowsWindow->GetSize().y) {
            rowsWindow = child;
        }
    }
    ASSERT_NE(rowsWindow, nullptr);
    wxRect second;  // in the list's coordinates: moved into the rows window's
    ASSERT_TRUE(pane->List()->GetItemRect(1, second));
    second.Offset(-rowsWindow->GetPosition());
    const struct {
        wxPoint at;
        wxString tip;
    } cases[] = {
        {wxPoint(8, second.y + second.height / 2), "Reverb: bypassed, latency 220 frames"},
        {wxPoint(8, second.y - second.height / 2), "EQ"},
        {wxPoint(8, rowsWindow->GetSize().y - 4), pane->List()->GetToolTipText()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.tip);
        wxMouseEvent motion(wxEVT_MOTION);
        motion.SetPosition(c.at);
        motion.SetEventObject(rowsWindow);
        rowsWindow->GetEventHandler()->ProcessEvent(motion);
        EXPECT_EQ(rowsWindow->GetToolTipText(), c.tip);
    }
}

// Every control inside the pane and clear of the others, narrow and wide.
TEST_F(EffectsPaneTest, ControlsFitThePaneAtItsWidths) {
    Start(ThreeEffects(), 0);
    for (const int width : {240, 340, 600}) {
        SCOPED_TRACE(width);
        GuiTestFrame::SetChildClientSize(pane, width, 360);
        ProcessPendingUi(pane);
        const wxRect client(wxPoint(0, 0), pane->GetClientSize());
        std::vector<wxWindow*> shown;
        for (wxWindow* child : pane->GetChildren()) {
            if (child->IsShown()) {
                shown.push_back(child);
            }
        }
        for (size_t i = 0; i < shown.size(); ++i) {
            const wxRect rect = shown[i]->GetRect();
            EXPECT_TRUE(client.Contains(rect)) << shown[i]->GetLabel() << " reaches outside";
            for (size_t j = i + 1; j < shown.size(); ++j) {
                EXPECT_FALSE(rect.Intersects(shown[j]->GetRect()))
                    << shown[i]->GetLabel() << " lies over " << shown[j]->GetLabel();
            }
        }
        EXPECT_GE(pane->List()->GetSize().y, 100) << "the list is squeezed";
    }
}

}  // namespace
