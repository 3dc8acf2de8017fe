// Debian's DPF 3 Band EQ (package dpf-plugins-vst): its own OpenGL editor embedded, drawn
// through the idle calls, closed and unloaded, in this process and in a child process; and its
// generated dialog when that is forced.

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif
#include <wx/slider.h>
#include <wx/stattext.h>

#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

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

// The children of this process running orvane-fx.
int EffectChildren() {
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        std::ifstream stat(entry.path() / "stat");
        std::string line;
        if (!std::getline(stat, line)) {
            continue;  // not a process, or gone meanwhile
        }
        // pid (comm) state ppid ...: the name may hold spaces, so read on from its ')'.
        const size_t close = line.rfind(')');
        const size_t open = line.find('(');
        if (close == std::string::npos || open == std::string::npos) {
            continue;
        }
        std::istringstream rest(line.substr(close + 1));
        char state = 0;
        int parent = 0;
        rest >> state >> parent;
        count += parent == ::getpid() && line.substr(open + 1, close - open - 1) == "orvane-fx";
    }
    return count;
}

// The share of pixels whose colour differs by more than a little in any channel.
double ShareDiffering(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b) {
    if (a.size() != b.size() || a.empty()) {
        return 1.0;
    }
    size_t differing = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        for (int shift : {0, 8, 16}) {
            if (std::abs(int((a[i] >> shift) & 0xff) - int((b[i] >> shift) & 0xff)) > 24) {
                ++differing;
                break;
            }
        }
    }
    return double(differing) / double(a.size());
}

class RealEditorFixture : public EditorFixture {
protected:
    void SetUp() override {
        EditorFixture::SetUp();
        const std::string source = std::string(ORVANE_SYSTEM_VST_DIR) + "/" + kFile;
        ASSERT_TRUE(std::filesystem::exists(source))
            << source << " is missing: install dpf-plugins-vst (scripts/setup does)";
        InstallFile(source, kFile);
    }

    /// Puts the plug-in into the empty chain, in this process or in a child of its own.
    void Load(bool inProcess) {
        host.SetAllInProcess(inProcess);
        effect = ScanAndInsert("3BandEQ-vst");
        ASSERT_NE(effect, nullptr);
    }

    IgnoreThirdPartyLeaks ignoreLeaks;  // before the plug-in loads, until after it unloads
    vst::AEffect* effect = nullptr;
};

// The editor opens at the size it asks for, draws, closes and goes with its effect alike in
// this process and in a child process: both show the same picture.
TEST_F(RealEditorFixture, ItsOwnEditorOpensDrawsClosesAndUnloadsInEitherProcess) {
    struct Place {
        const char* name;
        bool inProcess;
    };
    struct Seen {
        wxSize size;
        std::vector<uint32_t> picture;
    };
    std::vector<Seen> seen;
    for (const Place place : {Place{"in process", true}, Place{"child process", false}}) {
        SCOPED_TRACE(place.name);
        ASSERT_NO_FATAL_FAILURE(Load(place.inProcess));
        const EffectSlot* slot = EffectSlot::Of(effect);
        ASSERT_NE(slot, nullptr);
        EXPECT_EQ(slot->OutOfProcess(), !place.inProcess);
        EXPECT_EQ(EffectChildren(), place.inProcess ? 0 : 1);
        ASSERT_NE(effect->flags & vst::effFlagsHasEditor, 0);

        editors->OpenEditor(0);
        auto* window = dynamic_cast<PluginEditorWindow*>(editors->Window());
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(window->GetTitle(), "3 Band EQ");
        // Sized to the rectangle the plug-in gives (carried across from the child).
        vst::ERect* rect = nullptr;
        PluginHost::Dispatch(effect, vst::effEditGetRect, 0, 0, &rect);
        ASSERT_NE(rect, nullptr);
        const wxSize size = window->GetClientSize();
        EXPECT_EQ(size, wxSize(rect->right - rect->left, rect->bottom - rect->top));
        EXPECT_GT(size.x, 100);
        EXPECT_GT(size.y, 100);

        // Before then a capture may see another test's window.
        ASSERT_TRUE(WaitUntilOnScreen(window->PluginParent()));

        // Its background image is anything but black once the idle calls have let it draw.
        const wxRect area(window->PluginParent()->GetScreenPosition(), size);
        std::vector<uint32_t> picture;
        testing_support::WaitUntil([&] {
            window->Raise();  // over any window another test put there
            picture = CaptureScreen(area);
            return ShareOtherThan(picture, 0x000000) > 0.5;
        });
        EXPECT_GT(ShareOtherThan(picture, 0x000000), 0.5) << "the editor stayed black";
        RunFor(std::chrono::milliseconds(300));  // the rest of its first frames
        window->Raise();
        seen.push_back({size, CaptureScreen(area)});

        window->Close();
        Settle();
        EXPECT_FALSE(window->IsShown());
        EXPECT_EQ(LiveEditorWindows(), 1) << "hidden, still open";
        EXPECT_TRUE(host.RemoveEffect(0));
        Settle();
        EXPECT_EQ(LiveEditorWindows(), 0) << "closed with its effect";
        EXPECT_TRUE(host.IsChainEmpty());
        EXPECT_TRUE(testing_support::WaitUntil([] { return EffectChildren() == 0; }))
            << "the child outlived its effect";
    }
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].size, seen[1].size);
    EXPECT_LT(ShareDiffering(seen[0].picture, seen[1].picture), 0.02)
        << "the child's editor looks unlike the one in process";
}

TEST_F(RealEditorFixture, ItsGeneratedDialogShowsAndSetsEveryParameter) {
    ASSERT_NO_FATAL_FAILURE(Load(true));
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
