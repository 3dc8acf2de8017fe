#pragma once

#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "audio/EditList.h"
#include "audio/PeakPyramid.h"
#include "audio/Segment.h"
#include "audio/WaveFile.h"

/// One state of the workspace: the edit list and the opened files in opening order. Never
/// changed once made; every edit makes a new one that shares what it did not change.
struct WorkspaceState {
    using Files = std::vector<std::shared_ptr<const WaveFile>>;

    EditList segments;
    std::shared_ptr<const Files> files = std::make_shared<const Files>();

    /// Reads as Workspace::ReadFrames does, from this state.
    bool ReadFrames(void* buffer, uint32_t n, uint32_t& framesRead, uint32_t position) const;
    /// Visits the runs as Workspace::ForEachPiece does, from this state.
    void ForEachPiece(uint32_t position, uint32_t n,
                      const std::function<void(const WaveFile& file, uint32_t first,
                                               uint32_t count)>& visit) const;
    /// Visits the runs as Workspace::ForEachRun does, from this state.
    void ForEachRun(
        uint32_t position, uint32_t n,
        const std::function<void(const Piece& piece, uint32_t first, uint32_t count)>& visit) const;
};

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
/// All positions and lengths are frames, unsigned 32-bit. The workspace is edited on one
/// thread. Its state is an immutable snapshot swapped whole by each edit: ReadFrames and
/// Snapshot may run on any thread at any time and see the state before or after an edit,
/// never a part of one. The pieces hold their files, so a snapshot stays readable for as long
/// as it is held, whatever the workspace does meanwhile.
class Workspace {
public:
    using State = std::shared_ptr<const WorkspaceState>;

    Workspace() = default;
    ~Workspace();
    Workspace(const Workspace&) = delete;
    Workspace& operator=(const Workspace&) = delete;

    /// Opens and accepts a WAV file. The first file of an empty workspace becomes its audio
    /// and sets the workspace's sample rate. On failure nothing changes and *why (when given)
    /// says why, in words for the user, without the file's name.
    bool AddFile(const char* path, std::string* why = nullptr);

    /// Frames per second of the workspace: its first file's rate; 0 with no file.
    uint32_t SampleRate() const;
    /// Frames per second of file i (the first file when i is out of range); 0 with no file.
    uint32_t FileSampleRate(uint32_t fileIndex) const;

    /// Drops every file, every segment and the clipboard. A file stays open while an older
    /// snapshot (a reader, the undo history) still holds it.
    void Clear();

    /// True when a segment of the workspace or of the clipboard refers to file i.
    bool IsFileUsed(uint32_t fileIndex) const;
    /// Drops file i from the workspace's files, and the files after it move up one place; it
    /// closes once no snapshot holds it any more. Refused (false) while the file is used or
    /// when there is no file i.
    bool CloseFile(uint32_t fileIndex);

    bool IsEmpty() const { return state->files->empty(); }
    bool IsClipboardEmpty() const { return clipboard.Empty(); }

    /// The workspace length: the sum of the segments' lengths.
    uint32_t TotalLength() const { return static_cast<uint32_t>(state->segments.Length()); }

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

    /// Inserts copies of the clipboard's records at workspace position p. Does nothing when
    /// the workspace has no segments at all (see PasteInto).
    void PasteAt(uint32_t p);

    /// The Paste command: PasteAt(p), except that into a workspace with no segments (all of
    /// it deleted) the clipboard at p == 0 becomes the whole workspace.
    void PasteInto(uint32_t p);

    /// Replaces the clipboard with frames [a, b) of file i, clamped to that file. Refused
    /// (false, nothing changes) when the file's sample rate is not the workspace's: its frames
    /// would play at the wrong speed, as nothing converts rates.
    bool CopyFromFile(uint32_t a, uint32_t b, uint8_t fileIndex);

    /// Multiplies the level of the workspace frames [a, b) by `factor` (0 or more): Gain and
    /// Normalize. No frame is read or written: the pieces there are cut out and each carries
    /// the factor, applied as it is read. A factor of 0 is Silence: what the pieces there
    /// carried is dropped.
    void ScaleRange(uint32_t a, uint32_t b, double factor);

    /// Fades the workspace frames [a, b) in (from silence up to their level) or out (down to
    /// silence) along `curve`, as a ramp on each piece there, applied as it is read.
    void FadeRange(uint32_t a, uint32_t b, FadeCurve curve, bool fadeIn);

    /// The largest magnitude of a sample of the workspace frames [a, b) as they are heard, from
    /// 0 to 32768: from the peak tables where a piece has a constant gain, from the frames
    /// under a ramp.
    uint32_t PeakMagnitude(uint32_t a, uint32_t b) const;

    /// Puts all of file i in place of the workspace frames [a, b) (effects applied to a
    /// selection); false, with nothing changed, when there is no file i or the range does not
    /// lie inside the workspace.
    bool ReplaceRangeWithFile(uint32_t a, uint32_t b, uint32_t fileIndex);

    /// As ForEachPiece, with the whole piece each run belongs to (its level included); `first`
    /// is a frame of the piece's file.
    void ForEachRun(
        uint32_t position, uint32_t n,
        const std::function<void(const Piece& piece, uint32_t first, uint32_t count)>& visit) const;

    /// Calls visit(file, first, count) for each run of one file that the workspace frames
    /// [position, position + n) are made of, in order, as ReadFrames would read them; nothing
    /// for a position beyond the end. It walks one snapshot: an edit meanwhile is not seen.
    void ForEachPiece(uint32_t position, uint32_t n,
                      const std::function<void(const WaveFile& file, uint32_t first,
                                               uint32_t count)>& visit) const;

    /// The peak tables of a file of the workspace, or nullptr for any other file. Tables exist
    /// for the files of the current state; a file that leaves it has its builder stopped.
    const PeakPyramid* Peaks(const WaveFile& file) const;
    /// Builds no peak tables from now on: a render without a window shows none, and building
    /// them would read every file a second time.
    void BuildNoPeaks() { peaksWanted = false; }
    /// A hook handed to the peak tables of files opened from now on (tests hold them back).
    void SetPeakHook(PeakPyramid::ChunkHook hook) { peakHook = std::move(hook); }

    /// Counts every change of what the workspace holds or shows (files, segments); a view
    /// keeps its picture while this stays the same.
    uint64_t Revision() const { return revision; }

    /// The segment list and the clipboard as lists, in order (O(n): for tests and saving).
    std::list<Segment> Segments() const { return ListOf(state->segments); }
    std::list<Segment> Clipboard() const { return ListOf(clipboard); }
    size_t SegmentCount() const { return state->segments.Count(); }
    size_t FileCount() const { return state->files->size(); }
    /// File i in opening order, or nullptr when out of range.
    const WaveFile* File(uint32_t fileIndex) const;
    /// The listed file that `path` names by device and inode (another spelling, a hard or a
    /// symbolic link), or nullptr: what a write to `path` would destroy.
    const WaveFile* ListedFileNamed(const std::string& path) const;

    /// The current state, to read from any thread for as long as the caller holds it.
    State Snapshot() const;

    /// Makes `saved` (a state Snapshot returned earlier) the current state again: undo, redo
    /// and opening a saved session. The clipboard stays.
    void Restore(State saved);

    /// Makes a workspace of these files and segments (opening a saved session).
    void Replace(WorkspaceState replacement);

    /// Opens a file for a state given to Replace. A file this workspace, or a snapshot of
    /// it, already holds is taken up rather than opened twice. nullptr when it cannot open,
    /// and *why (when given) says why.
    std::shared_ptr<const WaveFile> OpenSource(const char* path, std::string* why = nullptr) {
        return OpenShared(path, true, why);
    }

private:
    static std::list<Segment> ListOf(const EditList& list);
    const WaveFile* ChooseFile(uint32_t fileIndex) const;
    std::shared_ptr<const WaveFile> OpenShared(const char* path, bool takeUpListed,
                                               std::string* why);
    void Publish(EditList segments);
    /// Publishes the list with each piece of [a, b), cut out at a and b, changed by `change`.
    void ChangeLevels(uint32_t a, uint32_t b,
                      const std::function<void(Piece& piece, uint64_t offset)>& change);
    void Publish(State next);
    /// Peak tables for exactly the files of `next`: new ones start, dropped ones stop.
    void KeepPeaksFor(const WorkspaceState& next);

    mutable std::mutex stateMutex;  // guards the swap of `state` against Snapshot's copy
    State state = std::make_shared<const WorkspaceState>();
    EditList clipboard;
    uint64_t revision = 0;

    // Every file opened so far that some snapshot may still hold: a file dropped by Clear
    // but kept by the undo history is taken up again rather than refused as open twice.
    struct Opened {
        platform::FileIdentity identity;
        std::string path;
        std::weak_ptr<const WaveFile> file;
    };
    std::vector<Opened> opened;

    // Each table holds its file: the builder reads it until the table is destroyed.
    struct FilePeaks {
        std::shared_ptr<const WaveFile> file;
        std::unique_ptr<PeakPyramid> pyramid;  // declared after the file: stopped before it
    };
    std::vector<FilePeaks> peaks;
    PeakPyramid::ChunkHook peakHook;
    bool peaksWanted = true;
};
