#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

class PluginHost;
class Workspace;

/// How a render ended.
enum class RenderOutcome {
    kDone,          // the whole workspace is in the file
    kTooLong,       // the workspace has more frames than a WAV header can announce
    kCannotCreate,  // the output could not be created; nothing was written
    kWriteFailed,   // a write failed part-way; the incomplete file was removed
    kCancelled,     // the user stopped it; the incomplete file was removed
};

struct RenderResult {
    RenderOutcome outcome = RenderOutcome::kDone;
    std::string reason;  // why it failed, in words for the user; empty when done
};

/// Writes the whole workspace, passed block by block through the plug-in host's effect chain,
/// into a new WAV file: a header announcing the workspace length, then exactly that many
/// frames, taken in blocks of 512 at positions 0, 512, 1024 ...
///
///     WorkspaceRenderer renderer(host, workspace);
///     RenderResult r = renderer.Render("/tmp/out.wav", [](uint32_t frame) { ... });
///
/// Runs on the user-interface thread while nothing else calls PluginHost::Process.
class WorkspaceRenderer {
public:
    static constexpr uint32_t kBlockFrames = 512;
    /// The longest workspace a WAV header can announce: 4n + 36 fits in 32 bits.
    static constexpr uint32_t kMaxFrames = (0xFFFFFFFFu - 36) / 4;

    /// Called with the first frame of every block written, then once with the workspace
    /// length when the render is complete.
    using Progress = std::function<void(uint32_t frame)>;

    WorkspaceRenderer(PluginHost& host, Workspace& workspace);

    /// Renders into `path`. When `cancel` is given and becomes true (the progress callback
    /// is where a user's Cancel is seen), the render stops after that block.
    RenderResult Render(const std::string& path, const Progress& progress,
                        const std::atomic<bool>* cancel = nullptr) const;

private:
    PluginHost& host;
    Workspace& workspace;
};
