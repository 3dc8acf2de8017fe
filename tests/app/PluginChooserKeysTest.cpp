// The plug-in chooser from the keyboard, with keys pressed on the X server: a few letters in
// the filter and Enter choose the highlighted match.

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/textctrl.h>
#include <wx/timer.h>
#include <wx/uiaction.h>

#include "app/FrameFixture.h"
#include "app/PluginChooser.h"
#include "plugins/PluginHost.h"
#include "resources/CommandIds.h"
#include "resources/MenuResource.h"

using namespace testing_support;

namespace {

class ChooserKeys : public FrameFixture {
protected:
    std::vector<std::string> Plugins() const override { return {"gain.so", "passthrough.so"}; }

    static PluginChooser* OpenChooser() {
        for (wxWindow* window : wxTopLevelWindows) {
            if (auto* chooser = dynamic_cast<PluginChooser*>(window);
                chooser && chooser->IsModal()) {
                return chooser;
            }
        }
        return nullptr;
    }
};

TEST_F(ChooserKeys, EnterInTheFilterChoosesTheHighlightedMatch) {
    const struct {
        const char* typed;
        const char* chosen;
    } cases[] = {{"pass", "Passthrough"}, {"GAIN", "Gain"}, {"", "Gain"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        bool focused = false;
        wxTheApp->CallAfter([&] {
            PluginChooser* chooser = OpenChooser();
            ASSERT_NE(chooser, nullptr);
            EXPECT_EQ(chooser->FilterField()->GetHint(), "Type to filter");
            chooser->Raise();
            chooser->FilterField()->SetFocus();
            focused = WaitUntil([&] { return chooser->FilterField()->HasFocus(); });
            wxUIActionSimulator keyboard;
            keyboard.Text(c.typed);
            keyboard.Char(WXK_RETURN);
        });
        // Should Enter do nothing, the chooser is cancelled after a while instead of waiting.
        wxTimer giveUp;
        giveUp.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
            if (PluginChooser* chooser = OpenChooser()) {
                chooser->EndModal(wxID_CANCEL);
            }
        });
        giveUp.StartOnce(10000);
        frame->ProcessCommand(menu::MenuItemId(cmd::kChoosePlugin));
        giveUp.Stop();
        EXPECT_TRUE(focused) << "the filter never got the keyboard focus";
        ASSERT_GE(frame->SelectedPlugin(), 0) << "Enter chose nothing";
        EXPECT_EQ(frame->Host().Catalog()[frame->SelectedPlugin()].DisplayName(), c.chosen);
        frame->Raise();
    }
}

}  // namespace
