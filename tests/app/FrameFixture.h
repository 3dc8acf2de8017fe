#pragma once

#include <gtest/gtest.h>
#include <wx/aui/auibar.h>
#include <wx/menu.h>

#include <deque>
#include <filesystem>

#include "app/CMainFrame.h"
#include "platform/gui/FileChooser.h"
#include "platform/gui/MessageBox.h"
#include "support/FakeAudioOutput.h"
#include "support/GuiTestFrame.h"
#include "support/TestWav.h"

namespace testing_support {

/// File dialogs that answer with the paths a test queued, and record that they were asked.
class FakeFileChooser : public platform::FileChooser {
public:
    bool ChooseWaveToOpen(wxWindow*, wxString& path, wxString& name) override {
        ++openAsked;
        if (toOpen.empty()) {
            return false;  // the user cancelled
        }
        path = toOpen.front();
        toOpen.pop_front();
        name = std::filesystem::path(path.ToStdString()).filename().string();
        return true;
    }
    bool ChooseWaveToSave(wxWindow*, const wxString& initialName, wxString& path) override {
        lastSaveName = initialName;
        if (toSave.empty()) {
            return false;
        }
        path = toSave.front();
        toSave.pop_front();
        return true;
    }

    bool ChooseSessionToOpen(wxWindow*, wxString& path) override {
        return Take(sessionsToOpen, path);
    }
    bool LocateSource(wxWindow* parent, const wxString& savedPath, wxString& path) override {
        locateParent = parent;
        locateAsked.push_back(savedPath);
        return Take(toLocate, path);
    }
    bool ChooseSessionToSave(wxWindow*, const wxString& initialName, wxString& path) override {
        lastSaveName = initialName;
        ++sessionSaveAsked;
        return Take(sessionsToSave, path);
    }
    bool ChoosePresetToOpen(wxWindow*, wxString& path) override {
        return Take(presetsToOpen, path);
    }
    bool ChoosePresetToSave(wxWindow*, const wxString&, bool, wxString& path) override {
        return Take(presetsToSave, path);
    }
    static bool Take(std::deque<wxString>& queue, wxString& path) {
        if (queue.empty()) {
            return false;  // the user cancelled
        }
        path = queue.front();
        queue.pop_front();
        return true;
    }

    std::deque<wxString> toOpen;
    std::deque<wxString> toSave;
    std::deque<wxString> sessionsToOpen;
    std::deque<wxString> sessionsToSave;
    std::deque<wxString> toLocate;
    std::deque<wxString> presetsToOpen;
    std::deque<wxString> presetsToSave;
    std::vector<wxString> locateAsked;  // the saved path of each source asked for
    wxWindow* locateParent = nullptr;
    int sessionSaveAsked = 0;
    wxString lastSaveName;
    int openAsked = 0;
};

/// The main window on the deterministic audio device, in a temporary current directory whose
/// vstplugs/ holds the test plug-ins a test asks for. Message boxes are answered from a queue
/// (OK when it is empty) and recorded.
class FrameFixture : public ::testing::Test {
public:
    /// Test plug-ins (file names) put into vstplugs/ before the frame scans it.
    virtual std::vector<std::string> Plugins() const { return {}; }
    /// Runs before the frame is built: the place to make the sound device fail.
    virtual void BeforeFrame() {}

    void SetUp() override;
    void TearDown() override;

    /// A generated WAV file of `frames` frames (file `id`'s frames) in the test directory.
    std::string MakeWav(const std::string& name, uint32_t frames, uint32_t id = 1);
    /// "Load Wave..." answered with `path`.
    void LoadThroughDialog(const std::string& path);
    /// A left-button drag over the view from pixel column a to b (a == b: a click). It starts
    /// with a plain move, as the pointer leaves a closing file dialog behind.
    void DragInView(int a, int b);
    /// Sends command `id` to the frame as a menu, toolbar or shortcut would.
    void Command(int id);
    /// Brings every menu item and toolbar button up to date, as idle time and menu opening do.
    void UpdateUi();
    /// The enabled state of `id`'s menu item, or of its toolbar button when it has no item.
    bool Enabled(int id);
    bool Checked(int id);
    wxAuiToolBar* ToolBarWith(int id) const;
    /// The texts of the messages shown so far, in order.
    std::vector<wxString> MessageTexts() const;

    TempDir dir;
    std::filesystem::path previousDirectory;
    FakeAudioOutput audio;
    FakeFileChooser files;
    std::vector<platform::MessageRequest> messages;
    std::deque<platform::MessageAnswer> answers;
    CMainFrame* frame = nullptr;
};

}  // namespace testing_support
