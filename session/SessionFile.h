#pragma once

#include <string>

#include "audio/Workspace.h"

/// The session file (.orvane): a workspace's opened files and its edit list as text, so that
/// the edits can be kept without rendering them.
///
///     orvane-session 1
///     source 40044 1733580000123456789 44100 /home/me/take one.wav
///     source 16044 1733580000987654321 44100 /home/me/b.wav
///     segment 0 0 10000
///     segment 1 2000 3000
///     end
///
/// Line 1 names the format and its version. Each `source` line lists one opened file in
/// opening order: its size in bytes and modification time (nanoseconds since the epoch) when
/// the session was saved, its sample rate, and its absolute path (the rest of the line, with
/// `\` written as `\\` and a line break as `\n`). Each `segment` line is one piece of the
/// edit list in order: the source's index (from 0) and the frames [start, end) of it. `end`
/// closes the file, so a file cut short is seen as damaged. Nothing else may appear.
namespace session_file {

inline constexpr int kVersion = 1;

/// The text of `state`, with each source's size and time as they are on disk now.
std::string Write(const WorkspaceState& state);

/// Reads a session's text into a state whose files `workspace` opens (taking up files it or
/// its history already holds). On failure `error` says why in words for the user, naming the
/// file at fault, and nothing is opened.
bool Read(const std::string& text, Workspace& workspace, WorkspaceState& state, std::string& error);

/// Write, then stored atomically at path.
bool Save(const std::string& path, const WorkspaceState& state, std::string& error);

/// Reads the session at path into `state` (see Read); the error names the session file when
/// it is the one at fault.
bool Load(const std::string& path, Workspace& workspace, WorkspaceState& state, std::string& error);

}  // namespace session_file
