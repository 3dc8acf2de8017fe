#include "render/WorkspaceRenderer.h"

#include <algorithm>
#include <array>

#include "audio/WaveFile.h"
#include "audio/Workspace.h"
#include "plugins/PluginHost.h"

WorkspaceRenderer::WorkspaceRenderer(PluginHost& pluginHost, Workspace& ws)
    : host(pluginHost), workspace(ws) {}

RenderResult WorkspaceRenderer::Render(const std::string& path, const Progress& progress,
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

    progress(0);
    if (cancelled()) {
        return discard({RenderOutcome::kCancelled, "cancelled"});
    }
    if (!output.WriteHeader(length)) {
        return fail();
    }
    // Blocks go to the file a batch at a time, in few large writes. The host's block may be
    // larger than ours; the buffer holds a whole one of either.
    std::vector<uint8_t> batch(size_t{kBatchFrames} * 4);
    std::vector<uint8_t> block(std::max<size_t>(size_t{kBlockFrames} * 4, PluginHost::BlockSize()));
    const bool chainEmpty = host.IsChainEmpty();
    for (uint32_t first = 0; first < length;) {
        const uint32_t frames = std::min(kBatchFrames, length - first);
        if (chainEmpty) {
            ReadWorkspace(batch.data(), first, frames);
        }
        for (uint32_t done = 0; done < frames; done += kBlockFrames) {
            const uint32_t position = first + done;
            const uint32_t blockFrames = std::min(kBlockFrames, frames - done);
            if (!chainEmpty) {
                uint32_t framesRead = 0;
                host.Process(block.data(), framesRead, position);
                // Exactly the workspace: never a frame past its end, and silence where a
                // source file came up short, so the file always holds what its header says.
                const uint32_t kept = std::min(framesRead, blockFrames);
                std::copy_n(block.data(), size_t{kept} * 4, batch.data() + size_t{done} * 4);
                std::fill_n(batch.data() + (size_t{done} + kept) * 4,
                            size_t{blockFrames - kept} * 4, 0);
            }
            progress(position);
            if (cancelled()) {
                return discard({RenderOutcome::kCancelled, "cancelled"});
            }
        }
        if (output.WriteFrames(batch.data(), frames) != frames) {
            return fail();
        }
        first += frames;  // no wrap: length is at most kMaxFrames
    }
    if (output.Close() != 0) {
        platform::ExclusiveFile().Remove(path.c_str());
        return {RenderOutcome::kWriteFailed, "the file could not be closed"};
    }
    progress(length);
    return {};
}

void WorkspaceRenderer::ReadWorkspace(uint8_t* out, uint32_t first, uint32_t frames) const {
    // With no effect a block is the workspace's frames themselves, so a whole batch is read in
    // one go. A source that comes up short leaves silence to the end of its block, and the
    // next block reads afresh, as reading block by block would.
    uint32_t done = 0;
    while (done < frames) {
        uint32_t got = 0;
        if (!workspace.ReadFrames(out + size_t{done} * 4, frames - done, got, first + done)) {
            got = 0;
        }
        done += std::min(got, frames - done);
        if (done < frames) {
            const uint32_t blockEnd = std::min(frames, (done / kBlockFrames + 1) * kBlockFrames);
            std::fill(out + size_t{done} * 4, out + size_t{blockEnd} * 4, 0);
            done = blockEnd;
        }
    }
}
