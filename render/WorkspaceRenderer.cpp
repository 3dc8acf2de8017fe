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
    // The host's block may be larger than ours; the buffer holds a whole one of either.
    std::vector<uint8_t> block(std::max<size_t>(size_t{kBlockFrames} * 4, PluginHost::BlockSize()));
    for (uint32_t position = 0; position < length; position += kBlockFrames) {
        uint32_t framesRead = 0;
        host.Process(block.data(), framesRead, position);
        // Exactly the workspace: never a frame past its end, and silence where a source
        // file came up short, so the file always holds what its header announces.
        const uint32_t frames = std::min(kBlockFrames, length - position);
        if (framesRead < frames) {
            std::fill(block.data() + size_t{framesRead} * 4, block.data() + size_t{frames} * 4, 0);
        }
        if (output.WriteFrames(block.data(), frames) != frames) {
            return fail();
        }
        progress(position);
        if (cancelled()) {
            return discard({RenderOutcome::kCancelled, "cancelled"});
        }
        if (length - position <= kBlockFrames) {
            break;  // the last block; position + 512 could wrap past 0xFFFFFFFF
        }
    }
    if (output.Close() != 0) {
        platform::ExclusiveFile().Remove(path.c_str());
        return {RenderOutcome::kWriteFailed, "the file could not be closed"};
    }
    progress(length);
    return {};
}
