#pragma once

#include <cstdint>
#include <list>
#include <memory>

#include "audio/Segment.h"
#include "audio/WaveFile.h"

/// The edit model: the opened WAV files, the segment list that describes the edited audio as
/// a sequence of frame ranges of those files, and the clipboard.
///
/// Editing changes only Segment records; the source files are never written. The first file
/// opened into an empty workspace seeds the segment list with one segment over the whole file;
/// later files are only listed, to be shown and copied from.
///
///     Workspace ws;
///     ws.AddFile("a.wav");            // workspace = all of a.wav
///     ws.CutRange(1000, 2000);        // clipboard = a.wav [1000, 2000)
///     ws.PasteAt(0);
///
/// All positions and lengths are frames, unsigned 32-bit. The workspace has no lock: the
/// reads (ReadFrames, ReadFileFrames) may run on two threads at once, but the segment list
/// must not be edited while another thread reads it.
class Workspace {
public:
    Workspace() = default;
    ~Workspace() { Clear(); }
    Workspace(const Workspace&) = delete;
    Workspace& operator=(const Workspace&) = delete;

    /// Opens and accepts a WAV file. The first file of an empty workspace becomes its audio.
    bool AddFile(const char* path);

    /// Closes every file and drops every segment and the clipboard.
    void Clear();

    /// True when a segment of the workspace or of the clipboard refers to file i.
    bool IsFileUsed(uint32_t fileIndex) const;
    /// Closes file i, and the files after it move up one place. Refused (false) while the
    /// file is used or when there is no file i.
    bool CloseFile(uint32_t fileIndex);

    bool IsEmpty() const { return files.empty(); }
    bool IsClipboardEmpty() const { return clipboard.empty(); }

    /// The workspace length: the sum of the segments' lengths.
    uint32_t TotalLength() const;

    /// Frame count of file i, or of the first file when i is out of range; 0 with no file.
    uint32_t FileLength(uint32_t fileIndex) const;

    /// Reads up to n frames of the workspace starting at `position`, following the segment
    /// list across segment boundaries until n frames are delivered or the workspace ends.
    /// True when position is within the workspace (position == length gives framesRead 0);
    /// false for a missing buffer, n == 0, or a position beyond the end (framesRead untouched).
    bool ReadFrames(void* buffer, uint32_t n, uint32_t& framesRead, uint32_t position) const;

    /// Reads up to n frames of file i (the first file when i is out of range) at `position`.
    /// False for a missing buffer, n == 0 or no file at all.
    bool ReadFileFrames(uint32_t fileIndex, void* buffer, uint32_t n, uint32_t& framesRead,
                        uint32_t position) const;

    /// Removes the workspace frames [a, b).
    void DeleteRange(uint32_t a, uint32_t b);

    /// Replaces the clipboard with the segment pieces that cover [a, b).
    void CopyRange(uint32_t a, uint32_t b);

    /// CopyRange(a, b), then DeleteRange(a, b).
    void CutRange(uint32_t a, uint32_t b);

    /// Inserts copies of the clipboard's records at workspace position p.
    void PasteAt(uint32_t p);

    /// Replaces the clipboard with frames [a, b) of file i, clamped to that file.
    void CopyFromFile(uint32_t a, uint32_t b, uint8_t fileIndex);

    const std::list<Segment>& Segments() const { return segments; }
    const std::list<Segment>& Clipboard() const { return clipboard; }
    size_t FileCount() const { return files.size(); }
    /// File i in opening order, or nullptr when out of range.
    const WaveFile* File(uint32_t fileIndex) const;

private:
    const WaveFile* ChooseFile(uint32_t fileIndex) const;

    std::list<Segment> segments;
    std::list<Segment> clipboard;
    std::list<std::unique_ptr<WaveFile>> files;
};
