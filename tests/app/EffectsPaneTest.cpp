// The Effects pane over a fake chain: what the user does reaches the chain with the right
// row, the controls follow the selection, and the selection survives the chain's changes.

#include "app/EffectsPane.h"

#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/choice.h>
#include <wx/listctrl.h>
#include <wx/stattext.h>

#include <functional>

#include "support/GuiTestFrame.h"

using namespace testing_support;

namespace {

EffectRow Named(const std::string& name) {
    EffectRow row;
    row.name = name;
    return row;
}

// EQ with three programs, Reverb bypassed with no editor, Limiter with two programs.
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

// A chain that records each request as text, carries out the changes and tells the pane.
class FakeChain : public EffectsPaneModel {
public:
    std::vector<EffectRow> Rows() const override { return rows; }
    void AddEffect() override {  // after the selected effect, or first
        rows.insert(rows.begin() + pane->SelectedRow() + 1, Named("New"));
        Changed("add");
    }
    void RemoveEffect(size_t r) override {
        rows.erase(rows.begin() + static_cast<long>(r));
        Changed("remove " + N(r));
    }
    void MoveEffect(size_t from, size_t to) override {  // the pane moves by one place
        std::swap(rows[from], rows[to]);
        Changed("move " + N(from) + " " + N(to));
    }
    void SetBypassed(size_t r, bool on) override {
        rows[r].bypassed = on;
        Changed("bypass " + N(r) + (on ? " on" : " off"));
    }
    void ChooseProgram(size_t r, int p) override {
        rows[r].program = p;
        Changed("program " + N(r) + " " + N(p));
    }
    void OpenEditor(size_t r) override { Record("editor " + N(r)); }
    void ImportPreset(size_t r) override { Record("import " + N(r)); }
    void ExportPreset(size_t r, bool bank) override {
        Record("export " + N(r) + (bank ? " bank" : " program"));
    }
    void ReloadEffect(size_t r) override { Record("reload " + N(r)); }
    void SetRunInside(size_t r, bool inside) override {
        Record("inside " + N(r) + (inside ? " on" : " off"));
    }

    static std::string N(auto number) { return std::to_string(number); }
    void Record(const std::string& call) { calls += (calls.empty() ? "" : "; ") + call; }
    void Changed(const std::string& call) {
        Record(call);
        pane->Rebuild();
    }

    std::vector<EffectRow> rows = ThreeEffects();  // the pane starts over a full chain
    std::string calls;
    EffectsPane* pane = nullptr;
};

class EffectsPaneTest : public ::testing::Test {
public:
    void SetUp() override {
        window = new GuiTestFrame();
        pane = chain.pane = new EffectsPane(window, chain);
        ASSERT_TRUE(window->ShowWithClientSize(pane, 320, 360));
    }
    void TearDown() override { DestroyNow(window); }

    void Start(std::vector<EffectRow> rows, long selected) {
        chain.rows = std::move(rows);
        pane->Rebuild();
        pane->SelectRow(selected);
        chain.calls.clear();
    }
    // Sends `event` as `control` does; a disabled control sends nothing.
    static void Send(wxWindow* control, wxEvent&& event) {
        ASSERT_TRUE(control->IsEnabled()) << control->GetLabel() << " is disabled";
        event.SetEventObject(control);
        control->GetEventHandler()->ProcessEvent(event);
    }
    static void Press(wxButton* button) { Send(button, wxCommandEvent(wxEVT_BUTTON)); }
    void ListEvent(wxEventType type, long row, int key = 0) {
        wxListEvent event(type);
        event.SetIndex(row);
        event.SetKeyCode(key);
        Send(pane->List(), std::move(event));
    }
    void Presets(const char* label) {
        ASSERT_NE(pane->PresetsMenu().FindItem(label), wxNOT_FOUND) << label;
        Send(pane, wxCommandEvent(wxEVT_MENU, pane->PresetsMenu().FindItem(label)));
    }
    void ChooseProgram(int program) {
        pane->ProgramChoice()->SetSelection(program);
        wxCommandEvent event(wxEVT_CHOICE);
        event.SetInt(program);
        Send(pane->ProgramChoice(), std::move(event));
    }
    std::string Names() const {
        std::string names;
        for (long i = 0; i < pane->List()->GetItemCount(); ++i) {
            names += (i > 0 ? " " : "") + pane->List()->GetItemText(i).utf8_string();
        }
        return names;
    }

    FakeChain chain;
    GuiTestFrame* window = nullptr;
    EffectsPane* pane = nullptr;
};

using Act = std::function<void(EffectsPaneTest&)>;
using Change = std::function<void(std::vector<EffectRow>&)>;

// The chain changes behind the pane's back (another window, an undo) and tells it.
Act Behind(Change change) {
    return [change](EffectsPaneTest& t) {
        change(t.chain.rows);
        t.pane->Rebuild();
    };
}

// Each case starts from EQ, Reverb, Limiter with `selected` selected, acts, and reads what the
// chain was asked, the list, and the selection after it.
TEST_F(EffectsPaneTest, EachActionReachesTheChainAndTheSelectionStaysSensible) {
    const struct {
        const char* name;
        long selected;
        Act act;
        const char* calls;
        long selectedAfter;
        const char* names = "EQ Reverb Limiter";
    } cases[] = {
        {"Remove: the next is selected", 1, [](auto& t) { Press(t.pane->RemoveButton()); },
         "remove 1", 1, "EQ Limiter"},
        {"Delete on the last: the one before", 2,
         [](auto& t) { t.ListEvent(wxEVT_LIST_KEY_DOWN, 2, WXK_DELETE); }, "remove 2", 1,
         "EQ Reverb"},
        {"Move Up: the selection goes along", 2, [](auto& t) { Press(t.pane->UpButton()); },
         "move 2 1", 1, "EQ Limiter Reverb"},
        {"Move Down", 0, [](auto& t) { Press(t.pane->DownButton()); }, "move 0 1", 1,
         "Reverb EQ Limiter"},
        {"Add: the new one is selected", 0, [](auto& t) { Press(t.pane->AddButton()); }, "add", 1,
         "EQ New Reverb Limiter"},
        {"Editor...", 1, [](auto& t) { Press(t.pane->EditorButton()); }, "editor 1", 1},
        {"double click or Enter: that row's editor", 0,
         [](auto& t) { t.ListEvent(wxEVT_LIST_ITEM_ACTIVATED, 2); }, "editor 2", 0},
        {"untick", 0, [](auto& t) { t.pane->List()->CheckItem(0, false); }, "bypass 0 on", 0},
        {"a program", 2, [](auto& t) { t.ChooseProgram(0); }, "program 2 0", 2},
        {"the current program", 2, [](auto& t) { t.ChooseProgram(1); }, "", 2},
        {"Import", 1, [](auto& t) { t.Presets("Import .fxp/.fxb..."); }, "import 1", 1},
        {"Export Program", 2, [](auto& t) { t.Presets("Export Program (.fxp)..."); },
         "export 2 program", 2},
        {"Export Bank", 0, [](auto& t) { t.Presets("Export Bank (.fxb)..."); }, "export 0 bank", 0},
        {"a status changes", 1, Behind([](auto& rows) { rows[1].status = "latency 0"; }), "", 1},
        {"the chain shrinks under the selection", 2, Behind([](auto& rows) { rows.resize(1); }), "",
         0, "EQ"},
        {"the chain empties", 0, Behind([](auto& rows) { rows.clear(); }), "", -1, ""},
        {"one comes in at the end", 0, Behind([](auto& rows) { rows.push_back(Named("Delay")); }),
         "", 3, "EQ Reverb Limiter Delay"},
        {"nothing selected stays so", -1, Behind([](auto& rows) { rows[0].bypassed = true; }), "",
         -1},
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

// The controls enabled for the selected row's place, its programs, and the empty chain's hint.
TEST_F(EffectsPaneTest, ControlsFollowTheSelection) {
    const struct {
        const char* name;
        size_t effects;
        long selected;
        bool remove, up, down, effect, hint;
        const char* programs;
        int program;
    } cases[] = {
        {"top", 3, 0, true, false, true, true, false, "1: Flat|2: Warm|3: Bright", 0},
        {"empty chain", 0, -1, false, false, false, false, true, "", wxNOT_FOUND},
        {"nothing selected", 3, -1, false, false, false, false, false, "", wxNOT_FOUND},
        {"middle, no programs", 3, 1, true, true, true, true, false, "", wxNOT_FOUND},
        {"bottom", 3, 2, true, true, false, true, false, "1: |2: Hard", 1},
        {"the only one", 1, 0, true, false, false, true, false, "1: Flat|2: Warm|3: Bright", 0},
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
        EXPECT_EQ(pane->EditorButton()->IsEnabled(), c.effect);
        EXPECT_EQ(pane->PresetsButton()->IsEnabled(), c.effect);
        EXPECT_EQ(pane->EmptyHint()->IsShownOnScreen(), c.hint);
        EXPECT_EQ(pane->List()->IsShownOnScreen(), !c.hint);
        EXPECT_EQ(wxJoin(pane->ProgramChoice()->GetStrings(), '|'), c.programs);
        EXPECT_EQ(pane->ProgramChoice()->GetSelection(), c.program);
        EXPECT_EQ(pane->ProgramChoice()->IsEnabled(), *c.programs != '\0');
    }
    // A bypassed effect: unticked, and said so beside its status.
    Start(ThreeEffects(), -1);
    EXPECT_TRUE(pane->List()->IsItemChecked(0));
    EXPECT_FALSE(pane->List()->IsItemChecked(1));
    EXPECT_EQ(pane->List()->GetItemText(1, 1), "bypassed, latency 220 frames");
}

}  // namespace
