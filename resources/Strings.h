#pragma once

#include <cstdint>

/// The string table: the texts of the messages and panes, by their fixed ids.
namespace str {

inline constexpr uint32_t kAppTitle = 128;                 // also 57344
inline constexpr uint32_t kReady = 57345;                  // the status bar's idle text
inline constexpr uint32_t kPluginInitFailed = 61204;       // a plug-in could not be loaded
inline constexpr uint32_t kAudioInitFailed = 61205;        // the sound device did not open
inline constexpr uint32_t kFlushWorkspace = 61206;         // New asks before clearing
inline constexpr uint32_t kLibraryNotFreed = 61207;        // a plug-in library stayed loaded
inline constexpr uint32_t kOpenFileFailed = 61208;         // a file was refused; its line follows
inline constexpr uint32_t kOpenFilesFailed = 61209;        // several were; their lines follow
inline constexpr uint32_t kSaveChanges = 61210;            // "%s": the session's name
inline constexpr uint32_t kSessionFailed = 61211;          // "%s": why, naming the file
inline constexpr uint32_t kSessionSaveFailed = 61212;      // "%s": why, naming the file
inline constexpr uint32_t kRestoreRecovery = 61213;        // "%s" session, "%s" time, "%s" what
inline constexpr uint32_t kLocateSource = 61214;           // "%s": why a source is not as saved
inline constexpr uint32_t kRecoveryFailed = 61220;         // "%s": why a kept copy did not restore
inline constexpr uint32_t kRecoveryNotKept = 61221;        // "%s": why no copy could be written
inline constexpr uint32_t kRecoveryNotKeptStatus = 61222;  // the same, in the status bar
inline constexpr uint32_t kFileShownAlone = 61240;         // the status bar while a file is shown

/// The text of string `id`, or "" for an id the table does not hold.
const char* Text(uint32_t id);

}  // namespace str
