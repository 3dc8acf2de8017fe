#pragma once

#include <chrono>

#include "plugins/HostSeams.h"

class WavePlayer;
class wxWindow;

/// Keeps the user informed while the window waits for an effect that does not return from
/// processing: the windows go on painting, and once the wait passes kAskAfter the user is
/// told which effect is not responding and chooses to keep waiting or to quit. Registers with
/// the player when built and withdraws when destroyed.
///
///     PlaybackPatience patience(player, mainFrame);
class PlaybackPatience : public LockPatience {
public:
    static constexpr std::chrono::milliseconds kAskAfter{2000};

    PlaybackPatience(WavePlayer& player, wxWindow* parent);
    ~PlaybackPatience() override;
    PlaybackPatience(const PlaybackPatience&) = delete;
    PlaybackPatience& operator=(const PlaybackPatience&) = delete;

    void StillWaiting(std::chrono::milliseconds waited, const std::string& effect) override;

private:
    WavePlayer& player;
    wxWindow* parent;
    std::chrono::milliseconds nextQuestion = kAskAfter;
    std::chrono::milliseconds lastWaited{0};
    bool asking = false;
};
