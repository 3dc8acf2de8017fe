#pragma once

#include <cstdint>
#include <string>

namespace platform::part_files {

/// The hidden temporary files that ReplacementFile writes beside their targets ("part files"):
/// their names, the lock that marks one as being written, and the removal of those whose
/// writer died before it could rename or remove them (a kill, a crash, a power cut).
///
/// A part file is named ".NAME.orvane-XXXXXXXX.part", with the middle of NAME shortened when
/// the whole would pass the 255-byte limit of a file name. Its writer holds an open file
/// description lock on it (fcntl F_OFD_SETLK) from its creation to its rename or removal; the
/// kernel drops the lock when the writer dies, however it dies, and a reused process id does
/// not matter. Once locked, each part file is noted in Orvane's state directory, so the
/// removal at start finds those left behind in any folder.
///
///     const int fd = part_files::CreateLocked(path, 0644);   // with part_files::NameFor
///     const std::string note = part_files::Note(path);
///     ... write, rename ...; part_files::Forget(note);

/// The part file's name for a target named `targetName`, with the 8 hex digits of `token`.
std::string NameFor(const std::string& targetName, uint32_t token);

/// True for a name NameFor can give.
bool IsPartFileName(const std::string& name);

/// Creates the part file at path (it must not exist) and takes the writer's lock on it: the
/// descriptor (read and write), or -1 with errno set.
int CreateLocked(const std::string& path, unsigned mode);

/// Records the locked part file at path in the state directory; the note's name, for Forget
/// ("" when there is no state directory: the part file then goes unrecorded).
std::string Note(const std::string& path);
void Forget(const std::string& note);

/// Removes every noted part file whose writer's lock is free, and its note; a part file that
/// is still locked (a live writer, in this process or another) stays. Returns how many part
/// files it removed.
int RemoveStale();

}  // namespace platform::part_files
