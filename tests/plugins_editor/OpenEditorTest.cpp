// PluginEditors::OpenEditor: which entry it opens, one window at a time, the empty chain's
// message, closing on unload, and the X error handler it installs.

#include <wx/stattext.h>

#include "EditorFixture.h"
#include "platform/X11Window.h"
#include "platform/gui/MessageBox.h"
#include "plugins/editor/GeneratedParameterDialog.h"

namespace {

using OpenEditorFixture = EditorFixture;

TEST_F(OpenEditorFixture, APositionPastTheEndOpensTheLastEntrysEditor) {
    Install({"gain"});
    vst::AEffect* effect = ScanAndInsert("gain");
    editors->OpenEditor(3);
    EditorFrame* window = editors->Window();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->Effect(), effect);
    EXPECT_EQ(window->GetTitle(), "Gain");
    EXPECT_NE(host.Chain().At(0).Editor(), nullptr);  // the slot owns its window
    // The gain's value texts: display, a space, then label.
    auto* dialog = dynamic_cast<GeneratedParameterDialog*>(window);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->ValueAt(0)->GetLabelText(), "1.00 x");
}

TEST_F(OpenEditorFixture, OpeningTwiceShowsTheSameWindow) {
    Install({"gain"});
    ScanAndInsert("gain");
    editors->OpenEditor(0);
    EditorFrame* first = editors->Window();
    editors->OpenEditor(0);
    Settle();
    EXPECT_EQ(LiveEditorWindows(), 1);
    EXPECT_EQ(editors->Window(), first);
}

TEST_F(OpenEditorFixture, AnotherEffectGetsANewWindow) {
    Install({"gain", "dials"});
    ScanAndInsert("gain");
    editors->OpenEditor(0);
    EditorFrame* first = editors->Window();
    ASSERT_TRUE(host.RemoveEffect(0));
    Insert("dials");
    editors->OpenEditor(0);
    Settle();
    EXPECT_EQ(LiveEditorWindows(), 1);
    ASSERT_NE(editors->Window(), nullptr);
    EXPECT_NE(editors->Window(), first);
    EXPECT_EQ(editors->Window()->Effect(), host.Chain().At(0).Effect());
}

TEST_F(OpenEditorFixture, UnloadingTheEffectClosesItsEditor) {
    Install({"gain"});
    ScanAndInsert("gain");
    editors->OpenEditor(0);
    ASSERT_NE(editors->Window(), nullptr);
    ASSERT_TRUE(host.RemoveEffect(0));
    EXPECT_EQ(editors->Window(), nullptr);
    Settle();
    EXPECT_EQ(LiveEditorWindows(), 0);
}

TEST_F(OpenEditorFixture, AnEmptyChainShowsNoPluginsLoadedAndOpensNothing) {
    Install({"gain"});
    host.SetCatalog({host.Examine(Installed("gain.so"))});
    std::vector<platform::MessageRequest> shown;
    platform::SetMessageBoxHook([&](const platform::MessageRequest& request) {
        shown.push_back(request);
        return platform::MessageAnswer::kOk;
    });
    editors->OpenEditor(0);
    platform::SetMessageBoxHook({});
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "No plug-in is loaded.");
    EXPECT_EQ(shown[0].caption, "Orvane");
    EXPECT_EQ(shown[0].icon, platform::MessageIcon::kInformation);
    EXPECT_EQ(editors->Window(), nullptr);
    EXPECT_EQ(LiveEditorWindows(), 0);
}

TEST_F(OpenEditorFixture, TheCloseBoxHidesTheWindowAndKeepsItForItsEffect) {
    Install({"gain"});
    vst::AEffect* effect = ScanAndInsert("gain");
    editors->OpenEditor(0);
    EditorFrame* window = editors->Window();
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(WaitUntilOnScreen(window));  // as before a user's click
    window->Close();
    Settle();
    EXPECT_EQ(editors->Window(), window);
    EXPECT_FALSE(window->IsShown());
    EXPECT_EQ(LiveEditorWindows(), 1);
    EXPECT_NE(host.Chain().At(0).Editor(), nullptr);  // the slot owns its window
    // Closing it for good is the editors' own business.
    editors->CloseOpenEditor();
    Settle();
    EXPECT_EQ(LiveEditorWindows(), 0);
    EXPECT_EQ(host.Chain().At(0).Editor(), nullptr);
    EXPECT_EQ(host.Chain().At(0).Effect(), effect);
}

TEST_F(OpenEditorFixture, AnXErrorOnAPluginsConnectionIsIgnored) {
    // PluginEditors installed the handler. Xlib's default one would end the process here.
    const uint64_t before = platform::IgnoredX11Errors();
    ASSERT_TRUE(MapMissingWindowOnNewConnection());
    EXPECT_EQ(platform::IgnoredX11Errors(), before + 1);
}

}  // namespace
