#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/VstAbi.h"

/// One host's queue of its plug-ins' requests for idle time (audioMasterIdle asks for
/// effEditIdle, audioMasterNeedIdle for effIdle), run on the user-interface thread. The host
/// owns it; the host callback finds it through the asking effect's slot, so each host runs
/// only its own effects' requests.
///
/// A plug-in may ask from any thread, including from inside processReplacing or from inside
/// its own idle call. A request made on the user-interface thread, outside an idle call to the
/// same effect, runs at once; any other is remembered and runs at the user-interface thread's
/// next RunDeferred. So no idle call ever runs on another thread, and none is re-entered.
///
///     IdleRequests idle;                        // built on the user-interface thread
///     idle.Request(effect, vst::effEditIdle);   // from the host callback, any thread
///     idle.RunDeferred();                       // the user-interface thread's idle
class IdleRequests {
public:
    /// The constructing thread is the one that runs idle calls.
    IdleRequests();
    IdleRequests(const IdleRequests&) = delete;
    IdleRequests& operator=(const IdleRequests&) = delete;

    /// The calling thread becomes the one that runs idle calls.
    void SetUserInterfaceThread();

    /// A plug-in asks for `opcode` (effEditIdle or effIdle): runs it now when allowed,
    /// otherwise remembers it (once per effect and opcode) and wakes the user-interface thread.
    void Request(vst::AEffect* effect, int32_t opcode);

    /// Runs `opcode` on the effect from the user-interface thread (the editor's idle timer),
    /// unless that effect is already inside an idle call; then it is remembered instead.
    void Run(vst::AEffect* effect, int32_t opcode);

    /// Runs the requests remembered so far; requests made meanwhile wait for the next call.
    /// Does nothing on another thread than the user-interface thread.
    void RunDeferred();

    /// Drops the effect's remembered requests (it is being closed).
    void Forget(const vst::AEffect* effect);

    /// How to wake the user-interface thread when a request is deferred from another thread;
    /// called on that other thread. Empty: nobody is woken (RunDeferred runs on a timer).
    void SetWaker(std::function<void()> waker);

    /// Requests remembered and not yet run.
    size_t PendingCount() const;

private:
    struct Pending {
        vst::AEffect* effect;
        int32_t opcode;
        bool operator==(const Pending&) const = default;
    };

    bool IsUserInterfaceThread() const;
    /// Remembers the request; true when it is new.
    bool Remember(vst::AEffect* effect, int32_t opcode);
    bool IsIdling(const vst::AEffect* effect) const;
    /// The one place idle calls are made: on the user-interface thread, marked while they run.
    void Dispatch(vst::AEffect* effect, int32_t opcode);

    mutable std::mutex mutex;
    std::thread::id userInterfaceThread;
    std::vector<Pending> pending;
    std::vector<const vst::AEffect*> idling;  // effects inside an idle call; that thread only
    std::function<void()> waker;
};
