#include "app/TransportController.h"

#include <wx/window.h>

#include "audio/Workspace.h"
#include "platform/gui/MessageBox.h"
#include "playback/WavePlayer.h"
#include "plugins/PluginHost.h"
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

wxString DeviceFailureText(const WavePlayer& player, uint32_t rate) {
    return wxString::Format(
        "Failed to initialize audio device: %s (stereo, 16 bits, %u Hz). Sound is disabled.",
        platform::AudioResultText(player.LastError()), rate);
}

}  // namespace

bool TransportController::OpenSoundDevice(WavePlayer& player, wxWindow* parent) {
    while (!player.Open(kBlockBytes, kBufferCount, kChannels, kSampleRate, kBitsPerSample)) {
        const platform::MessageRequest failed{
            DeviceFailureText(player, kSampleRate), str::Text(str::kAppTitle),
            platform::MessageButtons::kRetryCancel, platform::MessageIcon::kError};
        if (platform::ShowMessageBox(parent, failed) != platform::MessageAnswer::kRetry) {
            return false;  // Orvane runs on without sound
        }
    }
    return true;
}

TransportController::TransportController(wxWindow& owner, const Parts& parts, bool sound)
    : window(owner),
      player(parts.player),
      host(parts.host),
      workspace(parts.workspace),
      view(parts.view),
      soundEnabled(sound) {
    window.Bind(wxEVT_MENU, &TransportController::OnPlay, this, cmd::kPlay);
    window.Bind(wxEVT_MENU, &TransportController::OnStop, this, cmd::kStop);
    window.Bind(wxEVT_MENU, &TransportController::OnPause, this, cmd::kPause);
    window.Bind(wxEVT_MENU, &TransportController::OnPlayOrStop, this, cmd::kPlayOrStop);
    window.Bind(wxEVT_UPDATE_UI, &TransportController::OnUpdatePlay, this, cmd::kPlay);
    window.Bind(wxEVT_UPDATE_UI, &TransportController::OnUpdatePlayOrStop, this, cmd::kPlayOrStop);
    window.Bind(wxEVT_UPDATE_UI, &TransportController::OnUpdateStopPause, this, cmd::kStop);
    window.Bind(wxEVT_UPDATE_UI, &TransportController::OnUpdateStopPause, this, cmd::kPause);
}

void TransportController::FollowWorkspaceRate() {
    FollowRate(workspace.SampleRate());
}

// The device and the effects run at the rate of what is played (the workspace, or a file
// shown alone), so every source plays at its own speed and pitch.
void TransportController::FollowRate(uint32_t rate) {
    const bool deviceFollows = !soundEnabled || player.IsOpen();
    if (rate == 0 || (rate == host.ConfiguredRate() && deviceFollows)) {
        return;
    }
    player.Stop();
    host.SetSampleRate(rate);
    if (!soundEnabled) {
        return;
    }
    player.Close();
    if (!player.Open(kBlockBytes, kBufferCount, kChannels, rate, kBitsPerSample)) {
        platform::ShowMessageBox(&window,
                                 {DeviceFailureText(player, rate), str::Text(str::kAppTitle),
                                  platform::MessageButtons::kOk, platform::MessageIcon::kError});
    }
}

void TransportController::OnPlay(wxCommandEvent&) {
    if (view.SelectionLength() != 0) {
        PlayShown(view.SelectionStart(), view.SelectionStart() + view.SelectionLength());
    } else {
        PlayShown(view.ViewStart(), view.ViewStart() + view.ViewLength());
    }
}

void TransportController::OnPlayOrStop(wxCommandEvent&) {
    if (player.IsPlaying() || player.PlayingFrame() >= 0) {
        player.Stop();
    } else if (view.SelectionLength() != 0) {
        PlayShown(view.SelectionStart(), view.SelectionStart() + view.SelectionLength());
    } else {
        // From the insertion point to the end of the shown range.
        PlayShown(view.SelectionStart(), view.ViewStart() + view.ViewLength());
    }
}

void TransportController::PlayShown(uint32_t start, uint32_t end) {
    player.Stop();
    FollowRate(view.SampleRate());
    // Effects forget the audio of the last play or render, so every play starts alike.
    host.ResetChain();
    // A file shown alone plays by itself: playing it only reads it.
    host.SetSource(view.ShownFile());
    player.Play(start, end);
    view.FollowPlayback();
}

void TransportController::OnStop(wxCommandEvent&) {
    player.Stop();
}

void TransportController::OnPause(wxCommandEvent&) {
    if (player.IsPaused()) {
        player.Resume();
    } else {
        player.Pause();
    }
}

void TransportController::OnUpdatePlay(wxUpdateUIEvent& event) {
    event.Enable(!workspace.IsEmpty() && !player.IsPlaying());
}

void TransportController::OnUpdatePlayOrStop(wxUpdateUIEvent& event) {
    event.Enable(!workspace.IsEmpty());
}

void TransportController::OnUpdateStopPause(wxUpdateUIEvent& event) {
    event.Enable(!workspace.IsEmpty());
}
