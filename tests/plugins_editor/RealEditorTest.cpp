// Debian's DPF 3 Band EQ (package dpf-plugins-vst): its own OpenGL editor embedded, drawn
// through the idle calls, closed and unloaded; and its generated dialog when that is forced.

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif
#include <wx/slider.h>
#include <wx/stattext.h>

#include <cmath>
#include <filesystem>

#include "EditorFixture.h"
#include "plugins/editor/GeneratedParameterDialog.h"
#include "plugins/editor/PluginEditorWindow.h"

namespace {

constexpr const char* kFile = "3BandEQ-vst.so";

// The plug-in and the GL driver it loads keep strings for as long as they are loaded; once
// the plug-in is unloaded nothing points at them any more. Those leaks are not ours to mend,
// so the leak checker ignores what this thread allocates while a real plug-in is in use;
// everything else about the test still runs under the address checks.
#if defined(__SANITIZE_ADDRESS__)
class IgnoreThirdPartyLeaks {
public:
    IgnoreThirdPartyLeaks() { __lsan_disable(); }
    ~IgnoreThirdPartyLeaks() { __lsan_enable(); }
};
#else
class IgnoreThirdPartyLeaks {};
#endif

class RealEditorFixture : public EditorFixture {
protected:
    void SetUp() override {
        EditorFixture::SetUp();
        const std::string source = std::string(ORVANE_SYSTEM_VST_DIR) + "/" + kFile;
        ASSERT_TRUE(std::filesystem::exists(source))
            << source << " is missing: install dpf-plugins-vst (scripts/setup does)";
        InstallFile(source, kFile);
        effect = ScanAndInsert("3BandEQ-vst");
        ASSERT_NE(effect, nullptr);
    }

    IgnoreThirdPartyLeaks ignoreLeaks;  // before the plug-in loads, until after it unloads
    vst::AEffect* effect = nullptr;
};

TEST_F(RealEditorFixture, ItsOwnEditorOpensDrawsClosesAndUnloads) {
    ASSERT_NE(effect->flags & vst::effFlagsHasEditor, 0);
    editors->OpenEditor(0);
    auto* window = dynamic_cast<PluginEditorWindow*>(editors->Window());
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->GetTitle(), "3 Band EQ");
    const wxSize size = window->GetClientSize();
    EXPECT_GT(size.x, 100);
    EXPECT_GT(size.y, 100);

    // Before then a capture may see another test's window.
    ASSERT_TRUE(WaitUntilOnScreen(window->PluginParent()));

    // Its background image is anything but black once the idle calls have let it draw.
    const wxRect area(window->PluginParent()->GetScreenPosition(), size);
    double drawn = 0;
    testing_support::WaitUntil([&] {
        window->Raise();  // over any window another test put there
        drawn = ShareOtherThan(CaptureScreen(area), 0x000000);
        return drawn > 0.5;
    });
    EXPECT_GT(drawn, 0.5) << "the editor stayed black";

    window->Close();
    Settle();
    EXPECT_FALSE(window->IsShown());
    EXPECT_EQ(LiveEditorWindows(), 1) << "hidden, still open";
    EXPECT_TRUE(host.RemoveEffect(0));
    Settle();
    EXPECT_EQ(LiveEditorWindows(), 0) << "closed with its effect";
    EXPECT_TRUE(host.IsChainEmpty());
}

TEST_F(RealEditorFixture, ItsGeneratedDialogShowsAndSetsEveryParameter) {
    editors->SetAlwaysGenerated(true);
    editors->OpenEditor(0);
    auto* dialog = dynamic_cast<GeneratedParameterDialog*>(editors->Window());
    ASSERT_NE(dialog, nullptr);
    const int n = effect->numParams;
    ASSERT_GT(n, 0);
    EXPECT_EQ(dialog->RowCount(), n);
    ASSERT_EQ(dialog->VisibleRows(), n) << "six rows fit any screen";
    for (int i = 0; i < n; ++i) {
        EXPECT_EQ(dialog->ParameterAt(i), i);
        EXPECT_FALSE(dialog->NameAt(i)->GetLabelText().empty());
        EXPECT_FALSE(dialog->ValueAt(i)->GetLabelText().empty());
    }
    // The plug-in gives "0.000000" and "dB" for its low band's gain, "220.000000" and "Hz"
    // for the low-mid frequency: shown without C's default decimals, the unit after a space.
    EXPECT_EQ(dialog->NameAt(0)->GetLabelText(), "Low");
    EXPECT_EQ(dialog->ValueAt(0)->GetLabelText(), "0 dB");
    EXPECT_EQ(dialog->NameAt(4)->GetLabelText(), "Low-Mid Freq");
    EXPECT_EQ(dialog->ValueAt(4)->GetLabelText(), "220 Hz");

    wxSlider* slider = dialog->SliderAt(0);
    wxStaticText* value = dialog->ValueAt(0);
    slider->SetValue(255);
    wxCommandEvent moved(wxEVT_SLIDER, slider->GetId());
    moved.SetEventObject(slider);
    slider->HandleWindowEvent(moved);
    EXPECT_NEAR(effect->getParameter(effect, 0), 1.0f, 1e-3);
    const wxString atTop = value->GetLabelText();
    slider->SetValue(0);
    slider->HandleWindowEvent(moved);
    EXPECT_NEAR(effect->getParameter(effect, 0), 0.0f, 1e-3);
    EXPECT_NE(value->GetLabelText(), atTop) << "the value text was not rewritten";

    dialog->Close();
    Settle();
    EXPECT_TRUE(host.RemoveEffect(0));
}

}  // namespace
