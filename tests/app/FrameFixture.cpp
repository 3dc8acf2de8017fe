#include "app/FrameFixture.h"

#include "resources/CommandIds.h"
#include "resources/MenuResource.h"
#include "view/WaveformView.h"

namespace testing_support {

void FrameFixture::SetUp() {
    previousDirectory = std::filesystem::current_path();
    std::filesystem::current_path(dir.Path());
    std::filesystem::create_directory("vstplugs");
    // Plug-ins only from vstplugs/ and a folder of the test's own, and a cache of its own.
    std::filesystem::create_directory("vst");
    setenv("VST_PATH", (dir.Path() / "vst").c_str(), 1);
    setenv("XDG_CACHE_HOME", (dir.Path() / "cache").c_str(), 1);
    setenv("HOME", dir.Path().c_str(), 1);
    setenv("ORVANE_SCANNER", ORVANE_SCANNER_PROGRAM, 1);
    // Recovery files go into the test's own directory.
    std::filesystem::create_directory("state");
    setenv("XDG_STATE_HOME", (dir.Path() / "state").c_str(), 1);
    // The desktop's list of recently used files, and the files converted pastes make.
    setenv("XDG_DATA_HOME", (dir.Path() / "data").c_str(), 1);
    for (const std::string& plugin : Plugins()) {
        std::filesystem::copy_file(std::string(ORVANE_TEST_PLUGIN_DIR) + "/" + plugin,
                                   "vstplugs/" + plugin);
    }
    platform::SetMessageBoxHook([this](const platform::MessageRequest& request) {
        messages.push_back(request);
        if (answers.empty()) {
            return platform::MessageAnswer::kOk;
        }
        const platform::MessageAnswer answer = answers.front();
        answers.pop_front();
        return answer;
    });
    BeforeFrame();
    frame = new CMainFrame({audio, files});
    frame->Show();
    frame->WaitForPluginScan();
    ProcessPendingUi(frame);
}

void FrameFixture::TearDown() {
    if (frame != nullptr) {
        DestroyNow(frame);
    }
    platform::SetMessageBoxHook({});
    std::filesystem::current_path(previousDirectory);
}

std::string FrameFixture::MakeWav(const std::string& name, uint32_t frames, uint32_t id) {
    const std::string path = dir.File(name);
    WriteWav(path, MakeFrames(id, frames));
    return path;
}

void FrameFixture::LoadThroughDialog(const std::string& path) {
    files.toOpen.push_back(path);
    Command(cmd::kLoadWave);
}

void FrameFixture::DragInView(int a, int b) {
    WaveformView* view = frame->View();
    const auto mouse = [view](wxEventType type, int x, bool left) {
        wxMouseEvent event(type);
        event.SetEventObject(view);
        event.SetPosition(wxPoint(x, view->GetClientSize().y / 2));
        event.SetLeftDown(left);
        view->HandleWindowEvent(event);
    };
    mouse(wxEVT_MOTION, a, false);
    mouse(wxEVT_LEFT_DOWN, a, true);
    if (b != a) {
        mouse(wxEVT_MOTION, b, true);
    }
    mouse(wxEVT_LEFT_UP, b, false);
    ProcessPendingUi(frame);
}

void FrameFixture::Command(int id) {
    wxCommandEvent event(wxEVT_MENU, id);
    event.SetEventObject(frame);
    frame->ProcessWindowEvent(event);
    ProcessPendingUi(frame);
}

void FrameFixture::UpdateUi() {
    // The first reaches the menus, the second the toolbars.
    frame->UpdateWindowUI(wxUPDATE_UI_RECURSE);
    frame->UpdateWindowUI(wxUPDATE_UI_RECURSE | wxUPDATE_UI_FROMIDLE);
}

wxAuiToolBar* FrameFixture::ToolBarWith(int id) const {
    for (wxWindow* child : frame->GetChildren()) {
        auto* toolBar = dynamic_cast<wxAuiToolBar*>(child);
        if (toolBar != nullptr && toolBar->FindTool(id) != nullptr) {
            return toolBar;
        }
    }
    return nullptr;
}

bool FrameFixture::Enabled(int id) {
    UpdateUi();
    if (wxMenuItem* item = frame->GetMenuBar()->FindItem(menu::MenuItemId(id))) {
        return item->IsEnabled();
    }
    wxAuiToolBar* toolBar = ToolBarWith(id);
    EXPECT_NE(toolBar, nullptr) << "no menu item and no button for " << id;
    return toolBar != nullptr && toolBar->GetToolEnabled(id);
}

bool FrameFixture::Checked(int id) {
    UpdateUi();
    wxMenuItem* item = frame->GetMenuBar()->FindItem(menu::MenuItemId(id));
    EXPECT_NE(item, nullptr) << "no menu item " << id;
    return item != nullptr && item->IsChecked();
}

std::vector<wxString> FrameFixture::MessageTexts() const {
    std::vector<wxString> texts;
    for (const auto& m : messages) {
        texts.push_back(m.text);
    }
    return texts;
}

}  // namespace testing_support
