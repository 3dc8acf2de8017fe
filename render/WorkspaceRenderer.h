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

/// What a render adds to the workspace.
struct RenderOptions {
    /// Goes on past the end of the workspace, with silence into the effects, until the output
    /// has been silent for kTailSilenceFrames (and at most kMaxTailFrames): the effects' tail.
    bool includeTail = false;
};

/// Writes the whole workspace, passed block by block through the plug-in host's effect chain,
/// into a new WAV file. The chain is reset first, so every render of the same workspace gives
/// the same file, and the chain's latency is compensated: the output lines up with the input
/// (the delayed frames are taken from past the end, where the effects hear silence).
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
    static constexpr uint32_t kTailSilenceFrames = 44100 / 2;  // 0.5 s
    static constexpr uint32_t kMaxTailFrames = 30 * 44100;     // 30 s

    /// Called with the first frame of every block written (the workspace length for blocks
    /// of the tail), then once with the workspace length when the render is complete.
    using Progress = std::function<void(uint32_t frame)>;

    WorkspaceRenderer(PluginHost& host, Workspace& workspace);

    /// Renders into `path`. When `cancel` is given and becomes true (the progress callback
    /// is where a user's Cancel is seen), the render stops after that block.
    RenderResult Render(const std::string& path, const Progress& progress,
                        const std::atomic<bool>* cancel = nullptr) const {
        return Render(path, progress, RenderOptions{}, cancel);
    }
    RenderResult Render(const std::string& path, const Progress& progress,
                        const RenderOptions& options,
                        const std::atomic<bool>* cancel = nullptr) const;

private:
    PluginHost& host;
    Workspace& workspace;
};
