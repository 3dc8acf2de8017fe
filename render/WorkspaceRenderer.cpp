#include "render/WorkspaceRenderer.h"

#include <algorithm>
#include <vector>

#include "audio/WaveFile.h"
#include "audio/Workspace.h"
#include "plugins/PluginHost.h"

namespace {

constexpr uint32_t kBytesPerFrame = 4;

bool IsSilent(const uint8_t* frame) {
    return frame[0] == 0 && frame[1] == 0 && frame[2] == 0 && frame[3] == 0;
}

}  // namespace

WorkspaceRenderer::WorkspaceRenderer(PluginHost& pluginHost, Workspace& ws)
    : host(pluginHost), workspace(ws) {}

RenderResult WorkspaceRenderer::Render(const std::string& path, const Progress& progress,
                                       const RenderOptions& options,
                                       const std::atomic<bool>* cancel) const {
    const uint32_t length = workspace.TotalLength();
    if (length > kMaxFrames) {
        return {RenderOutcome::kTooLong, "the workspace is longer than a WAV file can hold (" +
                                             std::to_string(kMaxFrames) + " frames)"};
    }
    WaveFile output;
    if (!output.Open(path.c_str(), WaveFile::kWrite)) {
        return {RenderOutcome::kCannotCreate, output.FailureReason()};
    }
    const auto discard = [&output](RenderResult result) {
        output.RemoveFile();  // an incomplete file must not pass for a render
        output.Close();
        return result;
    };
    const auto fail = [&]() {
        return discard({RenderOutcome::kWriteFailed, output.FailureReason()});
    };
    const auto cancelled = [cancel] { return cancel != nullptr && cancel->load(); };

    // Effects forget earlier audio, so that a render never starts with the last one's tail.
    host.ResetChain();
    // The first `latency` frames out of the chain come before the workspace's first frame.
    uint64_t toSkip = host.LatencyFrames();
    const bool tail = options.includeTail && !host.IsChainEmpty();
    const uint32_t tailLimit = tail ? std::min(kMaxTailFrames, kMaxFrames - length) : 0;

    progress(0);
    if (cancelled()) {
        return discard({RenderOutcome::kCancelled, "cancelled"});
    }
    if (!output.WriteHeader(length)) {
        return fail();
    }
    // The host's block may be larger than ours; the buffer holds a whole one of either.
    std::vector<uint8_t> block(
        std::max<size_t>(size_t{kBlockFrames} * kBytesPerFrame, PluginHost::BlockSize()));
    uint64_t position = 0;  // where the chain reads the workspace; runs past its end
    uint32_t written = 0;   // frames in the file
    uint32_t tailFrames = 0;
    uint32_t silentRun = 0;
    bool tailEnded = !tail;
    while (written < length || !tailEnded) {
        host.ProcessPadded(block.data(), kBlockFrames, position);
        position += kBlockFrames;
        uint32_t first = 0;
        if (toSkip > 0) {
            first = static_cast<uint32_t>(std::min<uint64_t>(toSkip, kBlockFrames));
            toSkip -= first;
        }
        const uint32_t before = written;
        uint32_t count = kBlockFrames - first;
        if (written < length) {
            count = std::min(count, length - written);  // never a frame past the workspace
        } else {
            // The tail: frames up to the one that completes the silence, within the limit.
            uint32_t taken = 0;
            while (taken < count && tailFrames + taken < tailLimit &&
                   silentRun < kTailSilenceFrames) {
                const uint8_t* frame = block.data() + size_t{first + taken} * kBytesPerFrame;
                silentRun = IsSilent(frame) ? silentRun + 1 : 0;
                ++taken;
            }
            count = taken;
            tailFrames += taken;
            tailEnded = silentRun >= kTailSilenceFrames || tailFrames >= tailLimit;
        }
        if (count > 0 &&
            output.WriteFrames(block.data() + size_t{first} * kBytesPerFrame, count) != count) {
            return fail();
        }
        written += count;
        progress(std::min(before, length));
        if (cancelled()) {
            return discard({RenderOutcome::kCancelled, "cancelled"});
        }
    }
    if (tailFrames > 0 && !output.RewriteHeader(written)) {
        return fail();
    }
    if (output.Close() != 0) {
        platform::ExclusiveFile().Remove(path.c_str());
        return {RenderOutcome::kWriteFailed, "the file could not be closed"};
    }
    progress(length);
    return {};
}
