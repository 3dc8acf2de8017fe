#include "render/WorkspaceRenderer.h"

#include <algorithm>

#include "audio/WaveFile.h"
#include "audio/Workspace.h"
#include "platform/ReplacementFile.h"
#include "plugins/PluginHost.h"

WorkspaceRenderer::WorkspaceRenderer(PluginHost& pluginHost, Workspace& ws)
    : host(pluginHost), workspace(ws) {}

RenderResult WorkspaceRenderer::Render(const std::string& path, const Progress& progress) const {
    const uint32_t length = workspace.TotalLength();
    if (length > kMaxFrames) {
        return {RenderOutcome::kTooLong, "the workspace is longer than a WAV file can hold (" +
                                             std::to_string(kMaxFrames) + " frames)"};
    }
    // Until Commit the output is untouched; the temporary file goes with `replacement`.
    platform::ReplacementFile replacement;
    if (!replacement.Create(path)) {
        return {RenderOutcome::kCannotCreate, replacement.FailureReason()};
    }
    WaveFile output;
    if (!output.Open(replacement.Path().c_str(), WaveFile::kWrite)) {
        return {RenderOutcome::kCannotCreate, output.FailureReason()};
    }
    const RenderResult written = WriteFrames(output, length, progress);
    const bool closed = output.Close() == 0;
    if (written.outcome != RenderOutcome::kDone) {
        return written;
    }
    if (!closed) {
        return {RenderOutcome::kWriteFailed, "the file could not be closed"};
    }
    if (!replacement.Commit()) {
        return {RenderOutcome::kWriteFailed, replacement.FailureReason()};
    }
    progress(length);
    return {};
}

RenderResult WorkspaceRenderer::WriteFrames(WaveFile& output, uint32_t length,
                                            const Progress& progress) const {
    if (!progress(0)) {
        return {RenderOutcome::kCancelled, {}};
    }
    // The header carries the workspace's own rate, so the file plays at the speed it was heard.
    const uint32_t rate =
        workspace.SampleRate() != 0 ? workspace.SampleRate() : WaveFile::kDefaultSampleRate;
    if (!output.WriteHeader(length, rate)) {
        return {RenderOutcome::kWriteFailed, output.FailureReason()};
    }
    // The host's block may be larger than ours; the buffer holds a whole one of either.
    std::vector<uint8_t> block(std::max<size_t>(size_t{kBlockFrames} * 4, PluginHost::BlockSize()));
    // Blocks go to the file a batch at a time, in few large writes.
    std::vector<uint8_t> batch(size_t{kBatchFrames} * 4);
    uint32_t batched = 0;
    for (uint32_t position = 0; position < length; position += kBlockFrames) {
        uint32_t framesRead = 0;
        host.Process(block.data(), framesRead, position);
        // Exactly the workspace: never a frame past its end. A block that comes up short
        // inside the workspace means a source file shrank behind our back; silence in its
        // place would pass for the user's audio.
        const uint32_t frames = std::min(kBlockFrames, length - position);
        if (framesRead < frames) {
            return {RenderOutcome::kSourceShort, FileComingUpShort(position + framesRead)};
        }
        std::copy_n(block.data(), size_t{frames} * 4, batch.data() + size_t{batched} * 4);
        batched += frames;
        const bool last = length - position <= kBlockFrames;
        if (batched == kBatchFrames || last) {
            if (output.WriteFrames(batch.data(), batched) != batched) {
                return {RenderOutcome::kWriteFailed, output.FailureReason()};
            }
            batched = 0;
        }
        if (!progress(position)) {
            return {RenderOutcome::kCancelled, {}};
        }
        if (last) {
            break;  // the last block; position + 512 could wrap past 0xFFFFFFFF
        }
    }
    return {};
}

// The path of the source file behind workspace frame `position`.
std::string WorkspaceRenderer::FileComingUpShort(uint32_t position) const {
    uint32_t offset = 0;
    for (const Segment& segment : workspace.Segments()) {
        if (position < offset + segment.Length() && segment.file != nullptr) {
            return segment.file->Path();
        }
        offset += segment.Length();
    }
    return {};
}
