// Editors that plug-ins draw themselves, on the painter and self-sizing test plug-ins: the
// window's size, the plug-in's pixels on screen, the idle calls, and effEditClose before the
// window goes in every way it can close.

#include <wx/app.h>
#include <wx/display.h>
#include <wx/scrolwin.h>

#include <algorithm>

#include "EditorFixture.h"
#include "platform/X11Window.h"
#include "plugins/editor/PluginEditorWindow.h"

namespace {

using namespace std::chrono_literals;
using PainterRgbProc = unsigned long (*)();

class OwnEditorFixture : public EditorFixture {
protected:
    /// Opens the editor of an installed test plug-in.
    PluginEditorWindow* OpenOwn(const char* name) {
        log = &LogOf(name);
        effect = ScanAndInsert(name);
        log->Clear();
        editors->OpenEditor(0);
        auto* window = dynamic_cast<PluginEditorWindow*>(editors->Window());
        EXPECT_NE(window, nullptr);
        return window;
    }

    /// Opens the self-sizing plug-in's editor, which asks for width x height during the open
    /// (0 x 0: never asks).
    PluginEditorWindow* OpenSelfSizing(int32_t width, int32_t height, int32_t sizeOpcode = 15) {
        Install({"selfsizing"});
        EditorLog& config = LogOf("selfsizing");
        config.openWidth = width;
        config.openHeight = height;
        config.sizeOpcode = sizeOpcode;
        return OpenOwn("selfsizing");
    }

    size_t Count(int32_t opcode) const {
        return static_cast<size_t>(std::count(log->opcodes.begin(), log->opcodes.end(), opcode));
    }
    ptrdiff_t IndexOf(int32_t opcode) const {
        return std::find(log->opcodes.begin(), log->opcodes.end(), opcode) - log->opcodes.begin();
    }

    EditorLog* log = nullptr;
    vst::AEffect* effect = nullptr;
};

TEST_F(OwnEditorFixture, TheEditorRectangleSizesTheWindowAndThePluginDrawsIntoIt) {
    Install({"painter"});
    PluginEditorWindow* window = OpenOwn("painter");
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->GetTitle(), "Painter");
    EXPECT_EQ(window->GetClientSize(), wxSize(400, 300));
    EXPECT_EQ(window->PluginParent()->GetSize(), wxSize(400, 300));
    // The rectangle is asked for before the open, which gets the child window's X11 id.
    EXPECT_LT(IndexOf(vst::effEditGetRect), IndexOf(vst::effEditOpen));
    EXPECT_EQ(Count(vst::effEditOpen), 1u);
    EXPECT_NE(log->parent, 0u);
    EXPECT_EQ(log->parent,
              platform::X11WindowId(static_cast<GtkWidget*>(window->PluginParent()->GetHandle())));
    EXPECT_EQ(editors->Window(), window);
    EXPECT_NE(host.Chain().At(0).Editor(), nullptr);  // the slot owns its window

    // The plug-in's colour fills the area on screen once it has had its idle calls.
    const auto rgb = static_cast<uint32_t>(
        reinterpret_cast<PainterRgbProc>(Symbol("painter.so", "PainterRgb"))());
    const wxRect area(window->PluginParent()->GetScreenPosition(), wxSize(400, 300));
    double share = 0;
    testing_support::WaitUntil([&] {
        window->Raise();  // over any window another test put there
        share = ShareOf(CaptureScreen(area), rgb);
        return share > 0.99;
    });
    EXPECT_GT(share, 0.99) << "the plug-in's pixels are not on screen";
}

TEST_F(OwnEditorFixture, IdleCallsArriveWhileTheEditorIsShownAndStopWhenItIsHidden) {
    Install({"painter"});
    PluginEditorWindow* window = OpenOwn("painter");
    ASSERT_NE(window, nullptr);
    RunFor(300ms);
    EXPECT_GE(log->idles, 4) << "one every " << PluginEditorWindow::kIdleMilliseconds << " ms";

    window->Close();
    Settle();
    ASSERT_FALSE(window->IsShown());
    const size_t calls = log->opcodes.size();
    RunFor(150ms);
    EXPECT_EQ(log->opcodes.size(), calls);
    EXPECT_EQ(Count(vst::effEditClose), 0u) << "the close box only hides the editor";
    EXPECT_FALSE(window->IsShown());
}

TEST_F(OwnEditorFixture, AnEditorClosedAndShownFiftyTimesIsOpenedOnce) {
    Install({"painter"});
    PluginEditorWindow* window = OpenOwn("painter");
    ASSERT_NE(window, nullptr);
    const uintptr_t parent = log->parent;
    for (int round = 0; round < 50; ++round) {
        Settle();  // shown on the screen, as before a user's click
        window->Close();
        Settle();
        ASSERT_FALSE(window->IsShown()) << "round " << round;
        editors->OpenEditor(0);
        ASSERT_EQ(editors->Window(), window) << "round " << round;
        ASSERT_TRUE(window->IsShown());
    }
    Settle();
    EXPECT_EQ(Count(vst::effEditOpen), 1u) << "opened again after the first open";
    EXPECT_EQ(Count(vst::effEditClose), 0u);
    EXPECT_EQ(LiveEditorWindows(), 1);
    EXPECT_TRUE(X11WindowExists(parent));
    // Unloading the effect closes it, once.
    ASSERT_TRUE(host.RemoveEffect(0));
    EXPECT_EQ(Count(vst::effEditClose), 1u);
}

// The ways an open editor closes, with the calls the plug-in must receive from effEditClose on.
enum class CloseBy { kUnloadPlugin, kEditorsDestroyed };
struct ClosePath {
    CloseBy how;
    const char* name;
    std::vector<int32_t> calls;
};

TEST_F(OwnEditorFixture, EveryWayOfClosingSendsEditCloseWhileTheWindowStillExists) {
    const ClosePath paths[] = {
        {CloseBy::kUnloadPlugin,
         "UnloadPlugin",
         {vst::effEditClose, vst::effMainsChanged, vst::effClose}},
        {CloseBy::kEditorsDestroyed, "editors destroyed", {vst::effEditClose}},
    };
    Install({"painter"});
    for (const ClosePath& path : paths) {
        SCOPED_TRACE(path.name);
        editors.reset();
        editors = std::make_unique<PluginEditors>(host, owner);
        while (!host.IsChainEmpty()) {
            host.RemoveEffect(0);
        }
        PluginEditorWindow* window = OpenOwn("painter");
        ASSERT_NE(window, nullptr);
        wxWeakRef<wxWindow> gone(window);
        const uintptr_t parent = log->parent;
        ASSERT_TRUE(X11WindowExists(parent));
        RunFor(50ms);
        log->Clear();

        switch (path.how) {
            case CloseBy::kUnloadPlugin:
                EXPECT_TRUE(host.RemoveEffect(0));
                break;
            case CloseBy::kEditorsDestroyed:
                editors.reset();
                break;
        }
        Settle();
        const auto close = std::find(log->opcodes.begin(), log->opcodes.end(), vst::effEditClose);
        ASSERT_GE(log->opcodes.end() - close, static_cast<ptrdiff_t>(path.calls.size()));
        EXPECT_EQ(std::vector<int32_t>(close, close + static_cast<ptrdiff_t>(path.calls.size())),
                  path.calls);
        RunFor(100ms);
        if (path.calls.size() == 1) {  // nothing opened again
            EXPECT_EQ(log->opcodes.back(), vst::effEditClose) << "calls after effEditClose";
        }
        ASSERT_FALSE(log->parentAliveAtClose.empty());
        EXPECT_TRUE(log->parentAliveAtClose[0]) << "the window went before effEditClose";
        EXPECT_EQ(gone.get(), nullptr) << "the closed window still exists";
        EXPECT_FALSE(X11WindowExists(parent));
    }
}

TEST_F(OwnEditorFixture, AnEditorThatAsksForItsSizeGetsIt) {
    PluginEditorWindow* window = OpenSelfSizing(320, 240);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(log->sizeAnswer, 1);
    EXPECT_EQ(window->GetClientSize(), wxSize(320, 240));

    // Later requests resize the open editor too.
    auto request =
        reinterpret_cast<RequestEditorSizeProc>(Symbol("selfsizing.so", "RequestEditorSize"));
    EXPECT_EQ(request(500, 200), 1);
    // A shown window takes its new size when the window system confirms it.
    testing_support::WaitUntil([&] { return window->GetClientSize() == wxSize(500, 200); });
    EXPECT_EQ(window->GetClientSize(), wxSize(500, 200));
    EXPECT_EQ(window->PluginParent()->GetSize(), wxSize(500, 200));
    EXPECT_EQ(request(0, 200), 0) << "an empty size is refused";

    window->Close();
    Settle();
    EXPECT_EQ(request(300, 300), 1) << "a hidden editor is still open and takes its size";
    ASSERT_TRUE(host.RemoveEffect(0));
    EXPECT_EQ(request(300, 300), -1) << "no effect any more";
}

TEST_F(OwnEditorFixture, AnEditorLargerThanTheScreenScrollsInAWindowThatFits) {
    PluginEditorWindow* window = OpenSelfSizing(3000, 2500);  // the screen is 1600 x 1000
    ASSERT_NE(window, nullptr);
    const wxRect work = wxDisplay(0u).GetClientArea();
    ASSERT_LT(work.width, 3000);
    ASSERT_LT(work.height, 2500);
    EXPECT_EQ(window->PluginParent()->GetSize(), wxSize(3000, 2500)) << "the plug-in's own size";
    const wxSize client = window->GetClientSize();
    EXPECT_LE(client.x, work.width);
    EXPECT_LE(client.y, work.height);
    EXPECT_GT(client.x, work.width / 2);
    EXPECT_GT(client.y, work.height / 2);
    EXPECT_TRUE(work.Contains(window->GetScreenRect().GetTopLeft()));
    EXPECT_EQ(window->ScrollArea()->GetVirtualSize(), wxSize(3000, 2500));

    // Scrolled to the far corner, the editor's bottom right is in view (scrolling goes in
    // steps, so it may come a step short of the area's edge).
    window->ScrollArea()->Scroll(1000, 1000);
    Settle();
    const wxPoint corner = window->PluginParent()->GetPosition() + wxSize(3000, 2500);
    const wxSize view = window->ScrollArea()->GetClientSize();
    EXPECT_LE(corner.x, view.x);
    EXPECT_LE(corner.y, view.y);
    EXPECT_GT(corner.x, view.x - 64);
    EXPECT_GT(corner.y, view.y - 64);

    // Shrunk again, it needs no scrolling: the window is the editor's size.
    auto request =
        reinterpret_cast<RequestEditorSizeProc>(Symbol("selfsizing.so", "RequestEditorSize"));
    EXPECT_EQ(request(500, 200), 1);
    testing_support::WaitUntil([&] { return window->GetClientSize() == wxSize(500, 200); });
    EXPECT_EQ(window->GetClientSize(), wxSize(500, 200));
    EXPECT_EQ(window->PluginParent()->GetPosition(), wxPoint(0, 0));
}

TEST_F(OwnEditorFixture, ARequestNumberedSixAsksForMidiAndResizesNothing) {
    PluginEditorWindow* window = OpenSelfSizing(320, 240, 6);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(log->sizeAnswer, 0) << "a host that sends no MIDI answers 0";
    EXPECT_EQ(window->GetClientSize(), wxSize(400, 300));
}

TEST_F(OwnEditorFixture, AnEditorThatNeverTellsItsSizeGetsTheDefault) {
    PluginEditorWindow* window = OpenSelfSizing(0, 0);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(log->sizeAnswer, -1) << "it was not meant to ask";
    EXPECT_EQ(window->GetClientSize(), wxSize(400, 300));
}

}  // namespace
