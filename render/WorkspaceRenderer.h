#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include "plugins/PluginHost.h"

class Workspace;

/// How a render ended.
enum class RenderOutcome {
    kDone,          // the whole workspace is in the file
    kTooLong,       // the workspace has more frames than a WAV header can announce
    kCannotCreate,  // the output could not be created; nothing was written
    kWriteFailed,   // a write failed part-way; the incomplete file was removed
    kSourceShort,   // a source file came up short (changed on disk); nothing was written
    kCancelled,     // the progress callback asked to stop; nothing was written
};

struct RenderResult {
    RenderOutcome outcome = RenderOutcome::kDone;
    std::string reason;  // why it failed, in words for the user; empty when done
};

/// Writes the whole workspace, passed block by block through the plug-in host's effect chain,
/// into a new WAV file: a header announcing the workspace length, then exactly that many
/// frames, taken in blocks of 512 at positions 0, 512, 1024 ... The blocks are written a batch
/// at a time, in few large writes.
///
/// The frames go into a new temporary file beside the output, which replaces the output only
/// once the whole render has succeeded: a failed or cancelled render leaves an existing
/// output exactly as it was. An output that is open elsewhere (a workspace source) is refused.
///
///     WorkspaceRenderer renderer(host, workspace);
///     RenderResult r = renderer.Render("/tmp/out.wav", [](uint32_t frame) { return true; });
///
/// Runs on the user-interface thread while nothing else calls PluginHost::Process.
class WorkspaceRenderer {
public:
    /// The host's block, as the player plays it too.
    static constexpr uint32_t kBlockFrames = PluginHost::kBlockBytes / PluginHost::kBytesPerFrame;
    /// Frames per write: 1 MB of output, a whole number of blocks.
    static constexpr uint32_t kBatchFrames = kBlockFrames * 512;
    /// The longest workspace a WAV header can announce: 4n + 36 fits in 32 bits.
    static constexpr uint32_t kMaxFrames = (0xFFFFFFFFu - 36) / 4;

    /// Called with the first frame of every block written, then once with the workspace
    /// length when the render is complete. Returning false cancels the render.
    using Progress = std::function<bool(uint32_t frame)>;

    WorkspaceRenderer(PluginHost& host, Workspace& workspace);

    RenderResult Render(const std::string& path, const Progress& progress) const;

private:
    RenderResult WriteFrames(class WaveFile& output, uint32_t length,
                             const Progress& progress) const;
    std::string FileComingUpShort(uint32_t position) const;

    PluginHost& host;
    Workspace& workspace;
};
