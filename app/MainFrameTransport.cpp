// The main window's side of playback and plug-ins: opening the sound device at start-up,
// scanning the plug-ins into the "VST Plugins" menu, choosing, editing and removing the
// active effect, and the transport commands Play, Stop and Pause.

#include <wx/menu.h>

#include "app/CMainFrame.h"
#include "platform/gui/MessageBox.h"
#include "playback/WavePlayer.h"
#include "plugins/PluginHost.h"
#include "plugins/editor/PluginEditors.h"
#include "resources/CommandIds.h"
#include "resources/Strings.h"
#include "view/WaveformView.h"

namespace {

// The player's buffers are the host's blocks: one block size for both, and for the renderer.
constexpr uint32_t kBlockBytes = PluginHost::kBlockBytes;
constexpr uint8_t kBufferCount = 16;
constexpr uint8_t kChannels = 2;
constexpr uint32_t kSampleRate = WaveFile::kDefaultSampleRate;  // until a workspace sets one
constexpr uint8_t kBitsPerSample = 16;

}  // namespace

void CMainFrame::OpenSoundDevice() {
    while (!player->Open(kBlockBytes, kBufferCount, kChannels, kSampleRate, kBitsPerSample)) {
        const wxString text = wxString::Format(
            "Failed to initialize audio device: %s (stereo, 16 bits, %u Hz). Sound is disabled.",
            platform::AudioResultText(player->LastError()), kSampleRate);
        const platform::MessageRequest failed{text, str::Text(str::kAppTitle),
                                              platform::MessageButtons::kRetryCancel,
                                              platform::MessageIcon::kError};
        if (platform::ShowMessageBox(nullptr, failed) != platform::MessageAnswer::kRetry) {
            return;  // Orvane runs on without sound
        }
    }
    soundEnabled = true;
}

// The device, the effects and the render follow the workspace's rate, so a file plays at its
// own speed and pitch.
void CMainFrame::FollowWorkspaceRate() {
    const uint32_t rate = workspace.SampleRate();
    if (rate == 0 || rate == host->ConfiguredRate()) {
        return;
    }
    player->Stop();
    host->SetSampleRate(rate);
    if (!soundEnabled) {
        return;
    }
    player->Close();
    if (!player->Open(kBlockBytes, kBufferCount, kChannels, rate, kBitsPerSample)) {
        const wxString text = wxString::Format(
            "Failed to initialize audio device: %s (stereo, 16 bits, %u Hz). Sound is disabled.",
            platform::AudioResultText(player->LastError()), rate);
        platform::ShowMessageBox(this,
                                 {text, str::Text(str::kAppTitle), platform::MessageButtons::kOk,
                                  platform::MessageIcon::kError});
    }
}

void CMainFrame::PreparePlugins() {
    // "vstplugs/" under the current directory, whatever its length.
    host->Configure(kSampleRate, kBlockBytes, PluginHost::DefaultPluginDirectory());
    host->ScanPlugins();  // a missing or empty directory leaves the catalogue empty
}

void CMainFrame::FillPluginMenu() {
    // Only the first 256 entries get items: the ids after them belong to the "Wave files" menu.
    for (int i = 0; i <= cmd::kLastPlugin - cmd::kFirstPlugin; ++i) {
        const char* name = host->PluginName(i);
        if (name == nullptr) {
            break;
        }
        pluginMenu->AppendCheckItem(cmd::kFirstPlugin + i, wxString::FromUTF8(name));
    }
}

bool CMainFrame::RoutePluginRange(wxEvent& event) {
    const int id = event.GetId();
    if (id < cmd::kFirstPlugin || id > cmd::kLastPlugin) {
        return false;
    }
    const int index = id - cmd::kFirstPlugin;
    if (event.GetEventType() == wxEVT_MENU) {
        ChoosePlugin(index);
    } else {
        auto& update = static_cast<wxUpdateUIEvent&>(event);
        update.Enable(true);
        update.Check(index == selectedPlugin);
    }
    return true;
}

void CMainFrame::ChoosePlugin(int index) {
    // The host holds the player's lock around each chain change, so playback goes on and
    // takes its next block through the new chain.
    host->UnloadPlugin(0, nullptr);
    selectedPlugin = -1;  // no check mark on an effect that is not loaded
    const char* fileName = host->PluginFileName(index);
    if (fileName == nullptr || host->LoadPlugin(fileName, 0, true, nullptr) == nullptr) {
        const wxString reason = fileName == nullptr ? wxString("it is not in the catalogue")
                                                    : wxString::FromUTF8(host->LastLoadError());
        platform::ShowMessageBox(
            this, {wxString::Format(
                       "Failed to initialize plugin \"%s\" (%s): %s.",
                       wxString::FromUTF8(
                           host->PluginName(index) != nullptr ? host->PluginName(index) : ""),
                       wxString::FromUTF8(fileName != nullptr ? fileName : "?"), reason),
                   str::Text(str::kAppTitle), platform::MessageButtons::kOk,
                   platform::MessageIcon::kError});
        return;
    }
    selectedPlugin = index;
    OpenPluginEditor(index);
}

void CMainFrame::OnPlay(wxCommandEvent&) {
    if (view->SelectionLength() != 0) {
        PlayShown(view->SelectionStart(), view->SelectionStart() + view->SelectionLength());
    } else {
        PlayShown(view->ViewStart(), view->ViewStart() + view->ViewLength());
    }
}

void CMainFrame::OnPlayOrStop(wxCommandEvent&) {
    if (player->IsPlaying() || player->PlayingFrame() >= 0) {
        player->Stop();
    } else if (view->SelectionLength() != 0) {
        PlayShown(view->SelectionStart(), view->SelectionStart() + view->SelectionLength());
    } else {
        // From the insertion point to the end of the shown range.
        PlayShown(view->SelectionStart(), view->ViewStart() + view->ViewLength());
    }
}

void CMainFrame::PlayShown(uint32_t start, uint32_t end) {
    player->Stop();
    // A file shown alone plays by itself: playing it only reads it.
    host->SetSource(view->ShownFile());
    player->Play(start, end);
    view->FollowPlayback();
}

void CMainFrame::OnStop(wxCommandEvent&) {
    player->Stop();
}

void CMainFrame::OnPause(wxCommandEvent&) {
    if (player->IsPaused()) {
        player->Resume();
    } else {
        player->Pause();
    }
}

void CMainFrame::OnEditPlugin(wxCommandEvent&) {
    OpenPluginEditor(selectedPlugin);
}

void CMainFrame::OnRemovePlugin(wxCommandEvent&) {
    host->UnloadPlugin(0, nullptr);
    selectedPlugin = -1;
}

void CMainFrame::OnUpdatePlay(wxUpdateUIEvent& event) {
    event.Enable(!workspace.IsEmpty() && !player->IsPlaying());
}

void CMainFrame::OnUpdatePlayOrStop(wxUpdateUIEvent& event) {
    event.Enable(!workspace.IsEmpty());
}

void CMainFrame::OnUpdateStopPause(wxUpdateUIEvent& event) {
    event.Enable(!session.Edits().IsEmpty());
}

void CMainFrame::OnUpdatePluginCommands(wxUpdateUIEvent& event) {
    event.Enable(!host->IsChainEmpty());
}

void CMainFrame::OpenPluginEditor(int catalogueIndex) {
    // The catalogue index travels as 8 bits, as the menu's choice always has.
    editors->OpenEditor(0, static_cast<uint8_t>(catalogueIndex));
}
