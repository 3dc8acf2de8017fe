#pragma once

#include <cstdint>
#include <memory>
#include <string>

class EditSession;
class WaveFile;
class wxWindow;

/// A paste from a file of another sample rate: converts frames [first, first + count) of
/// `file` to the workspace's rate into a new file the session owns, on a worker thread, while
/// a modal progress dialog shows how far it is and offers Cancel. Returns the new file's path;
/// "" when the user cancelled or it failed (the user was told why), and then no file is left.
///
///     view.ConvertRatesWith([&](auto file, uint32_t first, uint32_t count) {
///         return ConvertRangeForPaste(frame, session, std::move(file), first, count);
///     });
std::string ConvertRangeForPaste(wxWindow* parent, EditSession& session,
                                 std::shared_ptr<const WaveFile> file, uint32_t first,
                                 uint32_t count);
