#include "audio/Workspace.h"

#include <algorithm>
#include <filesystem>

namespace {

std::string Canonical(const char* path) {
    std::error_code error;
    std::filesystem::path canonical = std::filesystem::weakly_canonical(path, error);
    return error ? std::string(path) : canonical.string();
}

}  // namespace

bool WorkspaceState::ReadFrames(void* buffer, uint32_t n, uint32_t& framesRead,
                                uint32_t position) const {
    if (buffer == nullptr || n == 0) {
        return false;
    }
    // From the first segment holding the position (its end belongs to it) on, crossing into
    // the following ones, never past a segment's end: frames the user deleted and frames
    // beyond the workspace never leak out.
    // The visitor captures one reference, which std::function keeps without allocating: this
    // runs for every block that playback, the view and a render read.
    struct Progress {
        uint8_t* out;
        uint32_t wanted;
        uint32_t delivered = 0;
    } read{static_cast<uint8_t*>(buffer), n};
    const bool inside = segments.VisitFrom(position, [&read](const Piece& piece, uint32_t within) {
        const uint32_t wanted = std::min(read.wanted - read.delivered, piece.Length() - within);
        if (wanted == 0) {
            return read.delivered < read.wanted;
        }
        uint8_t* out = read.out + size_t{read.delivered} * WaveFile::kBytesPerFrame;
        const uint32_t got = piece.file->ReadFramesAt(out, wanted, piece.start + within);
        if (!piece.level.IsUnity()) {
            // The frames are little-endian 16-bit pairs, as the host's own samples are.
            piece.level.Apply(reinterpret_cast<int16_t*>(out), int64_t{piece.start} + within, got);
        }
        read.delivered += got;
        // A short read: the file is shorter than when the segment was made.
        return got == wanted && read.delivered < read.wanted;
    });
    if (!inside) {
        return false;
    }
    framesRead = read.delivered;
    return true;
}

void WorkspaceState::ForEachPiece(
    uint32_t position, uint32_t n,
    const std::function<void(const WaveFile&, uint32_t, uint32_t)>& visit) const {
    ForEachRun(position, n, [&visit](const Piece& piece, uint32_t first, uint32_t count) {
        visit(*piece.file, first, count);
    });
}

void WorkspaceState::ForEachRun(
    uint32_t position, uint32_t n,
    const std::function<void(const Piece&, uint32_t, uint32_t)>& visit) const {
    uint32_t left = n;
    segments.VisitFrom(position, [&](const Piece& piece, uint32_t within) {
        const uint32_t count = std::min(left, piece.Length() - within);
        if (count != 0) {
            visit(piece, piece.start + within, count);
            left -= count;
        }
        return left > 0;
    });
}

Workspace::~Workspace() {
    peaks.clear();  // every builder stops before the state lets go of its file
}

std::shared_ptr<const WaveFile> Workspace::OpenShared(const char* path, bool takeUpListed,
                                                      std::string* why) {
    const auto refuse = [why](const std::string& reason) {
        if (why != nullptr) {
            *why = reason;
        }
        return nullptr;
    };
    const platform::FileIdentity identity = platform::IdentityOf(path);
    const std::string key = Canonical(path);
    std::erase_if(opened, [](const Opened& o) { return o.file.expired(); });
    for (const Opened& o : opened) {
        const bool same = identity.IsKnown() ? o.identity == identity : o.path == key;
        std::shared_ptr<const WaveFile> held = o.file.lock();
        if (!same || !held) {
            continue;
        }
        const bool listed =
            std::find(state->files->begin(), state->files->end(), held) != state->files->end();
        if (listed && !takeUpListed) {
            // Named apart from a lock held elsewhere: the user already has the file here.
            return refuse("it is already open in Orvane");
        }
        return held;  // e.g. dropped from the workspace but still open for the history
    }
    auto file = std::make_shared<WaveFile>();
    if (!file->Open(path, WaveFile::kRead)) {
        return refuse(file->FailedOnLock() ? "it is locked by another program"
                                           : file->FailureReason());
    }
    opened.push_back({file->Identity(), key, file});
    return file;
}

bool Workspace::AddFile(const char* path, std::string* why) {
    std::shared_ptr<const WaveFile> file = OpenShared(path, false, why);
    if (!file) {
        return false;
    }
    auto next = std::make_shared<WorkspaceState>(*state);
    auto files = std::make_shared<WorkspaceState::Files>(*state->files);
    files->push_back(file);
    if (IsEmpty()) {
        next->segments = EditList::Of(Piece{0, file->FrameCount(), file, {}});
    }
    next->files = std::move(files);
    Publish(std::move(next));
    return true;
}

void Workspace::Clear() {
    if (IsEmpty() && clipboard.Empty()) {
        return;
    }
    clipboard = EditList();
    Publish(std::make_shared<const WorkspaceState>());
}

bool Workspace::IsFileUsed(uint32_t fileIndex) const {
    const WaveFile* file = File(fileIndex);
    bool used = false;
    const auto note = [&](const Piece& piece) { used = used || piece.file.get() == file; };
    if (file != nullptr) {
        state->segments.ForEach(note);
        clipboard.ForEach(note);
    }
    return used;
}

bool Workspace::CloseFile(uint32_t fileIndex) {
    if (fileIndex >= state->files->size() || IsFileUsed(fileIndex)) {
        return false;
    }
    auto next = std::make_shared<WorkspaceState>(*state);
    auto files = std::make_shared<WorkspaceState::Files>(*state->files);
    files->erase(files->begin() + fileIndex);
    next->files = std::move(files);
    Publish(std::move(next));  // stops its peak builder; the file closes with its last holder
    return true;
}

Workspace::State Workspace::Snapshot() const {
    std::lock_guard lock(stateMutex);
    return state;
}

void Workspace::Restore(State saved) {
    if (saved) {
        Publish(std::move(saved));
    }
}

void Workspace::Replace(WorkspaceState replacement) {
    Publish(std::make_shared<const WorkspaceState>(std::move(replacement)));
}

void Workspace::Publish(EditList segments) {
    auto next = std::make_shared<WorkspaceState>(*state);
    next->segments = std::move(segments);
    Publish(std::move(next));
}

void Workspace::Publish(State next) {
    KeepPeaksFor(*next);
    ++revision;
    {
        std::lock_guard lock(stateMutex);
        std::swap(state, next);
    }
    // `next` now holds the previous state; it is released here, outside the lock.
}

void Workspace::KeepPeaksFor(const WorkspaceState& next) {
    if (!peaksWanted) {
        return;
    }
    const auto listed = [&next](const std::shared_ptr<const WaveFile>& file) {
        return std::find(next.files->begin(), next.files->end(), file) != next.files->end();
    };
    std::erase_if(peaks, [&](const FilePeaks& p) { return !listed(p.file); });
    for (const auto& file : *next.files) {
        const bool known = std::any_of(peaks.begin(), peaks.end(),
                                       [&file](const FilePeaks& p) { return p.file == file; });
        if (!known) {
            peaks.push_back({file, std::make_unique<PeakPyramid>(*file, peakHook)});
        }
    }
}

const PeakPyramid* Workspace::Peaks(const WaveFile& file) const {
    for (const FilePeaks& p : peaks) {
        if (p.file.get() == &file) {
            return p.pyramid.get();
        }
    }
    return nullptr;
}

std::list<Segment> Workspace::ListOf(const EditList& list) {
    std::list<Segment> out;
    list.ForEach([&](const Piece& p) { out.push_back(Segment{p.start, p.end, p.file.get()}); });
    return out;
}

const WaveFile* Workspace::File(uint32_t fileIndex) const {
    if (fileIndex >= state->files->size()) {
        return nullptr;
    }
    return (*state->files)[fileIndex].get();
}

const WaveFile* Workspace::ListedFileNamed(const std::string& path) const {
    const platform::FileIdentity target = platform::IdentityOf(path.c_str());
    if (!target.IsKnown()) {
        return nullptr;
    }
    for (const auto& file : *state->files) {
        if (file->Identity() == target) {
            return file.get();
        }
    }
    return nullptr;
}

const WaveFile* Workspace::ChooseFile(uint32_t fileIndex) const {
    if (state->files->empty()) {
        return nullptr;
    }
    const WaveFile* chosen = File(fileIndex);
    return chosen != nullptr ? chosen : state->files->front().get();
}

uint32_t Workspace::SampleRate() const {
    return state->files->empty() ? 0 : state->files->front()->SampleRate();
}

uint32_t Workspace::FileSampleRate(uint32_t fileIndex) const {
    const WaveFile* file = ChooseFile(fileIndex);
    return file != nullptr ? file->SampleRate() : 0;
}

uint32_t Workspace::FileLength(uint32_t fileIndex) const {
    const WaveFile* file = ChooseFile(fileIndex);
    return file != nullptr ? file->FrameCount() : 0;
}

bool Workspace::ReadFrames(void* buffer, uint32_t n, uint32_t& framesRead,
                           uint32_t position) const {
    return Snapshot()->ReadFrames(buffer, n, framesRead, position);
}

void Workspace::ForEachPiece(
    uint32_t position, uint32_t n,
    const std::function<void(const WaveFile&, uint32_t, uint32_t)>& visit) const {
    Snapshot()->ForEachPiece(position, n, visit);
}

void Workspace::ForEachRun(
    uint32_t position, uint32_t n,
    const std::function<void(const Piece&, uint32_t, uint32_t)>& visit) const {
    Snapshot()->ForEachRun(position, n, visit);
}

bool Workspace::ReadFileFrames(uint32_t fileIndex, void* buffer, uint32_t n, uint32_t& framesRead,
                               uint32_t position) const {
    if (buffer == nullptr || n == 0) {
        return false;
    }
    // From a snapshot: a playback of a file shown alone reads on another thread.
    const State held = Snapshot();
    const WorkspaceState::Files& files = *held->files;
    if (files.empty()) {
        return false;
    }
    const WaveFile& file = *(fileIndex < files.size() ? files[fileIndex] : files.front());
    framesRead = file.ReadFramesAt(buffer, n, position);
    return true;
}
