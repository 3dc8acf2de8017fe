#pragma once

namespace platform {

/// Ends the process at once with `status`, running no destructors and no exit handlers: the
/// way out when another thread is stuck inside a plug-in and would never let a normal exit end.
[[noreturn]] void QuitImmediately(int status);

}  // namespace platform
