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
    editors->OpenEditor(3, 0);
    EditorFrame* window = editors->Window();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->Effect(), effect);
    EXPECT_EQ(window->GetTitle(), "Gain");
    EXPECT_EQ(host.EditorWindow(), PluginEditors::HandleOf(window));
    EXPECT_EQ(host.CurrentEffect(), effect);
    // The gain's value texts: display, a space, then label.
    auto* dialog = dynamic_cast<GeneratedParameterDialog*>(window);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->ValueAt(0)->GetLabelText(), "1.00 x");
}

TEST_F(OpenEditorFixture, OpeningTwiceLeavesOneWindow) {
    Install({"gain"});
    ScanAndInsert("gain");
    editors->OpenEditor(0, 0);
    EditorFrame* first = editors->Window();
    editors->OpenEditor(0, 0);
    Settle();
    EXPECT_EQ(LiveEditorWindows(), 1);
    EXPECT_NE(editors->Window(), nullptr);
    EXPECT_NE(editors->Window(), first);
}

TEST_F(OpenEditorFixture, UnloadingTheEffectClosesItsEditor) {
    Install({"gain"});
    ScanAndInsert("gain");
    editors->OpenEditor(0, 0);
    ASSERT_NE(editors->Window(), nullptr);
    ASSERT_TRUE(host.UnloadPlugin(0, nullptr));
    EXPECT_EQ(editors->Window(), nullptr);
    EXPECT_EQ(host.EditorWindow(), 0u);
    Settle();
    EXPECT_EQ(LiveEditorWindows(), 0);
}

TEST_F(OpenEditorFixture, AnEmptyChainShowsNoPluginsLoadedAndOpensNothing) {
    Install({"gain"});
    ASSERT_TRUE(host.ScanPlugins());
    std::vector<platform::MessageRequest> shown;
    platform::SetMessageBoxHook([&](const platform::MessageRequest& request) {
        shown.push_back(request);
        return platform::MessageAnswer::kOk;
    });
    editors->OpenEditor(0, 0);
    platform::SetMessageBoxHook({});
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "No plugins loaded.");
    EXPECT_EQ(shown[0].caption, "Info...");
    EXPECT_EQ(shown[0].icon, platform::MessageIcon::kError);
    EXPECT_EQ(editors->Window(), nullptr);
    EXPECT_EQ(host.EditorWindow(), 0u);
    EXPECT_EQ(LiveEditorWindows(), 0);
}

TEST_F(OpenEditorFixture, ClosingTheWindowLeavesTheEffectOfTheLastEditor) {
    Install({"gain"});
    vst::AEffect* effect = ScanAndInsert("gain");
    editors->OpenEditor(0, 0);
    ASSERT_NE(editors->Window(), nullptr);
    editors->Window()->Close();
    Settle();
    EXPECT_EQ(editors->Window(), nullptr);
    EXPECT_EQ(LiveEditorWindows(), 0);
    EXPECT_EQ(host.EditorWindow(), 0u);
    EXPECT_EQ(host.CurrentEffect(), effect);
}

TEST_F(OpenEditorFixture, AnXErrorOnAPluginsConnectionIsIgnored) {
    // PluginEditors installed the handler. Xlib's default one would end the process here.
    const uint64_t before = platform::IgnoredX11Errors();
    ASSERT_TRUE(MapMissingWindowOnNewConnection());
    EXPECT_EQ(platform::IgnoredX11Errors(), before + 1);
}

}  // namespace
