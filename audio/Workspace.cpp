#include "audio/Workspace.h"

#include <algorithm>
#include <iterator>

bool Workspace::AddFile(const char* path, std::string* why) {
    const auto refuse = [why](const std::string& reason) {
        if (why != nullptr) {
            *why = reason;
        }
        return false;
    };
    // Named apart from a lock held elsewhere: the user can close the other program, or
    // already has the file here.
    const platform::FileIdentity identity = platform::IdentityOf(path);
    for (const auto& open : files) {
        if (identity.IsKnown() && open->Identity() == identity) {
            return refuse("it is already open in Orvane");
        }
    }
    auto file = std::make_unique<WaveFile>();
    if (!file->Open(path, WaveFile::kRead)) {
        return refuse(file->FailedOnLock() ? "it is locked by another program"
                                           : file->FailureReason());
    }
    if (IsEmpty()) {
        segments.push_back(Segment{0, file->FrameCount(), file.get()});
    }
    peaks.push_back(std::make_unique<PeakPyramid>(*file, peakHook));
    files.push_back(std::move(file));
    ++revision;
    return true;
}

void Workspace::Clear() {
    if (IsEmpty()) {
        return;
    }
    // Segments and builders first: none may outlive the file it refers to.
    ++revision;
    segments.clear();
    clipboard.clear();
    peaks.clear();  // stops every builder at once
    files.clear();  // destroys each WaveFile in opening order, which closes it
}

bool Workspace::IsFileUsed(uint32_t fileIndex) const {
    const WaveFile* file = File(fileIndex);
    const auto refersToFile = [file](const Segment& s) { return s.file == file; };
    return file != nullptr && (std::any_of(segments.begin(), segments.end(), refersToFile) ||
                               std::any_of(clipboard.begin(), clipboard.end(), refersToFile));
}

bool Workspace::CloseFile(uint32_t fileIndex) {
    if (fileIndex >= files.size() || IsFileUsed(fileIndex)) {
        return false;
    }
    const auto file = std::next(files.begin(), fileIndex);
    // Its peak builder first: the builder reads the file until it is stopped.
    std::erase_if(peaks, [&file](const auto& pyramid) { return &pyramid->File() == file->get(); });
    ++revision;
    files.erase(file);  // destroying it closes it
    return true;
}

uint32_t Workspace::TotalLength() const {
    uint32_t total = 0;
    for (const Segment& s : segments) {
        total += s.Length();
    }
    return total;
}

const WaveFile* Workspace::File(uint32_t fileIndex) const {
    if (fileIndex >= files.size()) {
        return nullptr;
    }
    return std::next(files.begin(), fileIndex)->get();
}

const WaveFile* Workspace::ChooseFile(uint32_t fileIndex) const {
    if (files.empty()) {
        return nullptr;
    }
    const WaveFile* chosen = File(fileIndex);
    return chosen != nullptr ? chosen : files.front().get();
}

uint32_t Workspace::SampleRate() const {
    return files.empty() ? 0 : files.front()->SampleRate();
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
    if (buffer == nullptr || n == 0) {
        return false;
    }
    // Find the first segment holding the position; its end belongs to it.
    uint32_t offset = 0;
    auto it = segments.begin();
    for (; it != segments.end(); ++it) {
        if (offset <= position && position <= offset + it->Length()) {
            break;
        }
        offset += it->Length();
    }
    if (it == segments.end()) {
        return false;
    }
    // Deliver from that segment on, crossing into the following ones, never past a segment's
    // end: frames the user deleted and frames beyond the workspace never leak out.
    auto* out = static_cast<uint8_t*>(buffer);
    uint32_t delivered = 0;
    uint32_t within = position - offset;
    for (; it != segments.end() && delivered < n; ++it, within = 0) {
        const uint32_t wanted = std::min(n - delivered, it->Length() - within);
        if (wanted == 0) {
            continue;
        }
        const uint32_t got = it->file->ReadFramesAt(
            out + size_t{delivered} * WaveFile::kBytesPerFrame, wanted, it->start + within);
        delivered += got;
        if (got < wanted) {
            break;  // the file is shorter than when the segment was made
        }
    }
    framesRead = delivered;
    return true;
}

bool Workspace::ReadFileFrames(uint32_t fileIndex, void* buffer, uint32_t n, uint32_t& framesRead,
                               uint32_t position) const {
    if (buffer == nullptr || n == 0) {
        return false;
    }
    const WaveFile* file = ChooseFile(fileIndex);
    if (file == nullptr) {
        return false;
    }
    framesRead = file->ReadFramesAt(buffer, n, position);
    return true;
}

void Workspace::ForEachPiece(
    uint32_t position, uint32_t n,
    const std::function<void(const WaveFile&, uint32_t, uint32_t)>& visit) const {
    // The same walk as ReadFrames: the first segment holding the position, its end included.
    uint32_t offset = 0;
    auto it = segments.begin();
    for (; it != segments.end(); ++it) {
        if (offset <= position && position <= offset + it->Length()) {
            break;
        }
        offset += it->Length();
    }
    uint32_t left = n;
    uint32_t within = it == segments.end() ? 0 : position - offset;
    for (; it != segments.end() && left > 0; ++it, within = 0) {
        const uint32_t count = std::min(left, it->Length() - within);
        if (count != 0) {
            visit(*it->file, it->start + within, count);
            left -= count;
        }
    }
}

const PeakPyramid* Workspace::Peaks(const WaveFile& file) const {
    for (const auto& pyramid : peaks) {
        if (&pyramid->File() == &file) {
            return pyramid.get();
        }
    }
    return nullptr;
}
