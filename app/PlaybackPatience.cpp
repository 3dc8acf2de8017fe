#include "app/PlaybackPatience.h"

#include <wx/evtloop.h>

#include <cstdlib>

#include "platform/Process.h"
#include "platform/gui/MessageBox.h"
#include "playback/WavePlayer.h"

PlaybackPatience::PlaybackPatience(WavePlayer& waitingPlayer, wxWindow* parentWindow)
    : player(waitingPlayer), parent(parentWindow) {
    player.SetPatience(this);
}

PlaybackPatience::~PlaybackPatience() {
    player.SetPatience(nullptr);
}

void PlaybackPatience::StillWaiting(std::chrono::milliseconds waited, const std::string& effect) {
    if (asking) {
        return;  // a timer inside the question's own loop waits too: one question at a time
    }
    if (waited < lastWaited) {
        nextQuestion = kAskAfter;  // a new wait
    }
    lastWaited = waited;
    // Drawing only: the user's input waits until the lock is ours.
    if (wxEventLoopBase* loop = wxEventLoopBase::GetActive()) {
        loop->YieldFor(wxEVT_CATEGORY_UI);
    }
    if (waited < nextQuestion) {
        return;
    }
    const wxString who =
        effect.empty() ? wxString("Playback") : "The effect \"" + wxString::FromUTF8(effect) + "\"";
    const platform::MessageRequest ask{
        wxString::Format("%s is not responding (%.0f seconds).\n\nKeep waiting for it? "
                         "No quits Orvane at once.",
                         who, static_cast<double>(waited.count()) / 1000.0),
        "Orvane", platform::MessageButtons::kYesNo, platform::MessageIcon::kWarning};
    asking = true;
    const platform::MessageAnswer answer = platform::ShowMessageBox(parent, ask);
    asking = false;
    if (answer == platform::MessageAnswer::kNo) {
        // The stuck thread cannot be stopped, and a normal exit would wait for it.
        platform::QuitImmediately(EXIT_FAILURE);
    }
    nextQuestion = waited + kAskAfter;
}
