#pragma once

#include <chrono>
#include <cstdint>
#include <string>

namespace vst {
struct AEffect;
}

/// An open editor window of one effect, owned by the effect's slot. Destroying it closes the
/// window: a plug-in's own editor receives effEditClose while the effect is still open, since
/// the slot destroys its editor before it suspends and closes the effect.
class EffectEditor {
public:
    virtual ~EffectEditor() = default;

    /// Brings the window to the front (it may have been hidden by its close box).
    virtual void Show() = 0;

    /// A plug-in asks for its editor to be width x height pixels (audioMasterSizeWindow).
    /// Called on whatever thread the plug-in calls from; true when the editor took the size.
    virtual bool Resize(int32_t /*width*/, int32_t /*height*/) { return false; }
};

/// Messages the host shows to the user, by string id. The application maps ids to texts and
/// shows them modally; tests record them.
class HostMessages {
public:
    virtual ~HostMessages() = default;
    virtual void ShowMessage(uint32_t stringId) = 0;
};

/// The playback lock as the host sees it. The owner of the thread that calls
/// PluginHost::Process holds it around every Process call; the host holds it around every
/// change of the effect chain, so no effect is inserted or removed while a block is processed.
/// The lower-case names make it usable with std::lock_guard.
class ChainGuard {
public:
    virtual ~ChainGuard() = default;
    virtual void lock() = 0;
    virtual void unlock() = 0;
};

/// A ChainGuard over any lockable object, such as the player's std::mutex.
template <typename Lockable>
class LockableChainGuard : public ChainGuard {
public:
    explicit LockableChainGuard(Lockable& lockable) : lockable_(lockable) {}
    void lock() override { lockable_.lock(); }
    void unlock() override { lockable_.unlock(); }

private:
    Lockable& lockable_;
};

/// Holds a chain guard, when there is one (nullptr: none), for the life of a scope.
class ChainGuardHold {
public:
    explicit ChainGuardHold(ChainGuard* guard) : guard_(guard) {
        if (guard_ != nullptr) {
            guard_->lock();
        }
    }
    ~ChainGuardHold() {
        if (guard_ != nullptr) {
            guard_->unlock();
        }
    }
    ChainGuardHold(const ChainGuardHold&) = delete;
    ChainGuardHold& operator=(const ChainGuardHold&) = delete;

private:
    ChainGuard* guard_;
};

/// What the user-interface thread does while it waits for the playback lock, which the refill
/// thread holds while a block goes through the effects. Called every few tens of milliseconds
/// of the wait with its length so far and the name of the effect the refill thread is inside
/// (empty when it is not inside one). It may show a message, repaint, or end the program; the
/// wait goes on when it returns.
class LockPatience {
public:
    virtual ~LockPatience() = default;
    virtual void StillWaiting(std::chrono::milliseconds waited, const std::string& effect) = 0;
};

/// String ids of the host's messages.
constexpr uint32_t kMessagePluginInitFailed = 61204;  // a plug-in could not be loaded
constexpr uint32_t kMessageLibraryNotFreed = 61207;   // a plug-in library could not be unloaded
