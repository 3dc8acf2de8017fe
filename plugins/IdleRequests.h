#pragma once

#include <cstdint>
#include <functional>

#include "platform/VstAbi.h"

/// Plug-ins' requests for idle time (audioMasterIdle asks for effEditIdle, audioMasterNeedIdle
/// for effIdle), kept on the user-interface thread.
///
/// A plug-in may ask from any thread, including from inside processReplacing or from inside
/// its own idle call. A request made on the user-interface thread, outside an idle call to the
/// same effect, runs at once; any other is remembered and runs at the user-interface thread's
/// next RunDeferred. So no idle call ever runs on another thread, and none is re-entered.
///
///     IdleRequests::SetUserInterfaceThread();           // once, on that thread
///     IdleRequests::Request(effect, vst::effEditIdle);  // from the host callback
///     IdleRequests::RunDeferred();                      // the user-interface thread's idle
///
/// The state is process-wide, as the host callback reaches it without a host object.
class IdleRequests {
public:
    /// The calling thread becomes the one that runs idle calls.
    static void SetUserInterfaceThread();

    /// A plug-in asks for `opcode` (effEditIdle or effIdle): runs it now when allowed,
    /// otherwise remembers it (once per effect and opcode) and wakes the user-interface thread.
    static void Request(vst::AEffect* effect, int32_t opcode);

    /// Runs `opcode` on the effect from the user-interface thread (the editor's idle timer),
    /// unless that effect is already inside an idle call; then it is remembered instead.
    static void Run(vst::AEffect* effect, int32_t opcode);

    /// Runs the requests remembered so far; requests made meanwhile wait for the next call.
    /// Does nothing on another thread than the user-interface thread.
    static void RunDeferred();

    /// Drops the effect's remembered requests (it is being closed).
    static void Forget(const vst::AEffect* effect);

    /// How to wake the user-interface thread when a request is deferred from another thread;
    /// called on that other thread. Empty: nobody is woken (RunDeferred runs on a timer).
    static void SetWaker(std::function<void()> waker);

    /// Requests remembered and not yet run.
    static size_t PendingCount();
};
