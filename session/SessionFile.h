#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "audio/Workspace.h"
#include "session/EffectRecord.h"

/// The session file (.orvane): a workspace's opened files, its edit list and its effect chain
/// as text, so that the edits and the effects' settings can be kept without rendering them.
///
///     orvane-session 4
///     source 40044 1733580000123456789 44100 8d3f0c1e5a7b2946 /home/me/take one.wav
///     source 16044 1733580000987654321 44100 - /home/me/b.wav
///     segment 0 0 10000
///     segment 1 2000 3000 gain 0.5 ramp linear 1500 1000 0 1
///     effect 1164142703 active AAECAw== /home/me/.vst/echo one.so
///     name Echo One
///     effect 1197566318 bypassed - /usr/lib/vst/gain.so
///     name Gain
///     end
///
/// Line 1 names the format and its version. Each `source` line lists one opened file in
/// opening order: its size in bytes and modification time (nanoseconds since the epoch) when
/// the session was saved, its sample rate, the hash of its frames (see FramesHasher; `-` when
/// it was not known), and its absolute path (the rest of the line, escaped as
/// platform::EscapeLine does). Version 1 had no hash. Each `segment` line is one piece of the
/// edit list in order: the source's index (from 0) and the frames [start, end) of it.
/// Version 4 adds the piece's level after them (see PieceLevel): `gain G` when it is not 1,
/// then one `ramp CURVE ORIGIN LENGTH FROM TO` for each ramp (CURVE is `linear`,
/// `equal-power` or `logarithmic`; ORIGIN, in frames of the source, may be negative); the
/// numbers read back exactly. Earlier versions had no levels.
///
/// Version 3 adds the effect chain after the segments, in processing order. Each `effect` line
/// holds the effect's unique id (a signed decimal), `active` or `bypassed`, its settings in
/// base64 (`-` when it gave none), and the absolute path of its library (the rest of the line,
/// escaped). The `name` line right after it holds the effect's shown name, escaped (nothing
/// after `name` when it had none). Versions 1 and 2 had no effects.
///
/// `end` closes the file, so a file cut short is seen as damaged. Nothing else may appear.
///
/// A source is taken as saved when its size and time are unchanged, or when only its time
/// changed and its frames hash is the saved one. Otherwise (or when it is missing) a Locator
/// may name another file, which must hold the same frames. Effects are only read here: which
/// library to load for one is FindEffectLibrary's to say.
namespace session_file {

inline constexpr int kVersion = 4;

/// Which frames hashes Write writes.
enum class Hashes {
    kKnown,    // those noted with the files already (by their peak tables): reads nothing
    kCompute,  // every one, reading the frames of a file whose hash is not known yet
};

/// Asked for a source that is missing or whose audio is not the saved one: its saved path and
/// the problem in words for the user, naming the file. Returns the file to take in its place,
/// or nothing to give up.
using Locator = std::function<std::optional<std::string>(const std::string& savedPath,
                                                         const std::string& problem)>;

/// The text of `state` and the effect chain `effects`, with each source's size and time as
/// they are on disk now.
std::string Write(const WorkspaceState& state, const std::vector<EffectRecord>& effects,
                  Hashes hashes = Hashes::kKnown);
/// The text of `state` with no effects.
std::string Write(const WorkspaceState& state, Hashes hashes = Hashes::kKnown);

/// Reads a session's text into a state whose files `workspace` opens (taking up files it or
/// its history already holds), and its effect chain into `effects` (none before version 3).
/// A source that is not as saved goes to `locate` when the session holds its hash and a
/// locator is given. On failure `error` says why in words for the user, naming the file or
/// line at fault, and nothing is opened or changed.
bool Read(const std::string& text, Workspace& workspace, WorkspaceState& state,
          std::vector<EffectRecord>& effects, std::string& error, const Locator& locate = {});
/// Read for a caller with no effect chain: the effects are checked, then left out.
bool Read(const std::string& text, Workspace& workspace, WorkspaceState& state, std::string& error,
          const Locator& locate = {});

/// Write, then stored atomically at path.
bool Save(const std::string& path, const WorkspaceState& state,
          const std::vector<EffectRecord>& effects, std::string& error,
          Hashes hashes = Hashes::kKnown);
/// Save with no effects.
bool Save(const std::string& path, const WorkspaceState& state, std::string& error,
          Hashes hashes = Hashes::kKnown);

/// Reads the session at path into `state` and `effects` (see Read); the error names the
/// session file when it is the one at fault.
bool Load(const std::string& path, Workspace& workspace, WorkspaceState& state,
          std::vector<EffectRecord>& effects, std::string& error, const Locator& locate = {});
/// Load for a caller with no effect chain: the effects are checked, then left out.
bool Load(const std::string& path, Workspace& workspace, WorkspaceState& state, std::string& error,
          const Locator& locate = {});

}  // namespace session_file
