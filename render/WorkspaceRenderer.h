#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "plugins/PluginHost.h"
#include "render/OutputLevel.h"
#include "render/RenderFormat.h"

class Workspace;

/// How a render ended.
enum class RenderOutcome {
    kDone,          // the whole workspace is in the file
    kTooLong,       // the workspace has more frames than the format's header can announce
    kCannotCreate,  // the output could not be created; nothing was written
    kWriteFailed,   // a write failed part-way; the incomplete file was removed
    kSourceShort,   // a source file came up short (changed on disk); nothing was written
    kCancelled,     // the progress callback asked to stop; nothing was written
    kOwnFile,       // the output is a file the render reads or comes from; nothing was written
    kEffectFault,   // an effect crashed or stopped responding; nothing was written
};

struct RenderResult {
    RenderOutcome outcome = RenderOutcome::kDone;
    std::string reason;   // why it failed, in words for the user; empty when done
    uint32_t frames = 0;  // frames in the file when done: the workspace, and any tail
};

/// What a render adds to the workspace.
struct RenderOptions {
    /// Goes on past the end of the workspace, with silence into the effects, until the output
    /// has been quiet for kTailSilenceMs (and for at most kMaxTailSeconds): the effects' tail.
    /// Quiet means that on each channel every sample stays within kQuietSamples (-90 dBFS) of
    /// one level, so that an effect whose output settles on a constant offset ends its tail
    /// too. Without an effect there is no tail.
    bool includeTail = false;
    /// The session file the workspace was opened from, if any: like every source file of the
    /// workspace, never replaced by the render's output.
    std::string sessionFile;
    /// The file format written.
    RenderFormat format = RenderFormat::kWav16;
    /// Adds TPDF dither where a changed signal (an effect is active, or the rate is converted)
    /// is reduced to 16 bits. An unchanged signal is never dithered: it is written exactly.
    bool dither = true;
    /// The output's sample rate; 0 keeps the workspace's. Another rate converts the output.
    uint32_t outputRate = 0;
    /// Gain, normalize and fades on the whole output, after the effects (see OutputLevel).
    /// Normalize, and a fade out with a tail, render twice: once to measure, once to write.
    OutputLevel level{};
};

/// Writes the whole workspace, passed block by block through the plug-in host's effect chain,
/// into a new file in one of the render formats (see RenderWriter): exactly the workspace's
/// frames, taken in blocks of 512 at positions 0, 512, 1024 ... The effects' float output goes
/// to the file as it is, without a trip through 16 bits, and is dithered where it is reduced to
/// 16 bits (RenderOptions::dither); without an active effect the 16-bit frames are written
/// exactly. The blocks are written a batch at a time, in few large writes. The chain is reset
/// first, so every render of the same workspace gives the same file, and the chain's latency is
/// compensated: the output lines up with the input (the delayed frames are taken from past the end,
/// where the effects hear silence). Many effects report their latency only once they have
/// processed, so the chain first runs on silence until its latency holds still (see SettleLatency)
/// and is reset again. With the tail, the file goes on past the workspace and its header is
/// rewritten once the length is known.
///
/// The frames go into a new temporary file beside the output, which replaces the output only
/// once the whole render has succeeded: a failed or cancelled render leaves an existing
/// output exactly as it was. An output that is, by any name (hard and symbolic links
/// included), a file of the workspace or its session file is refused before anything is
/// written; so is one open elsewhere.
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
    /// The longest workspace a 16-bit WAV header can announce: 4n + 36 fits in 32 bits (other
    /// formats: render_format::MaxFrames).
    static constexpr uint32_t kMaxFrames = (0xFFFFFFFFu - 36) / 4;
    /// The tail ends after this much digital silence, or after kMaxTailSeconds.
    static constexpr uint32_t kTailSilenceMs = 500;
    static constexpr uint32_t kMaxTailSeconds = 30;
    /// -90 dBFS of a 16-bit sample's full scale (32768), rounded down: how far a sample of a
    /// quiet tail may stray from the level it settles on.
    static constexpr int32_t kQuietSamples = 1;
    /// The latency counts once it has held still for this many blocks of silence, or after
    /// kLatencyProbeMs of them whatever it does.
    static constexpr uint32_t kLatencyStableBlocks = 8;
    static constexpr uint32_t kLatencyProbeMs = 1000;

    /// Called with the first frame of every block written (the workspace length for blocks
    /// of the tail), then once with the workspace length when the render is complete.
    /// Returning false cancels the render.
    using Progress = std::function<bool(uint32_t frame)>;

    WorkspaceRenderer(PluginHost& host, Workspace& workspace);

    RenderResult Render(const std::string& path, const Progress& progress,
                        const RenderOptions& options = {}) const;

    /// The chain's latency in frames as it settles: resets the chain, runs it on silence until
    /// LatencyFrames() has stayed the same for kLatencyStableBlocks blocks (at most
    /// kLatencyProbeMs of audio, then its latest value), and resets it again so that the
    /// probe leaves nothing behind. Effects may reset what they report on a resume, so the
    /// value returned, not a fresh LatencyFrames(), is the one to compensate.
    uint32_t SettleLatency(uint32_t rate) const;

    /// Why `path` may not be a render's output: a phrase for the user when it is, by device
    /// and inode, `sessionFile` or a file of the workspace; "" otherwise (a new file too).
    std::string WhyOwnFile(const std::string& path, const std::string& sessionFile) const;

private:
    /// Decides, frame by frame past the workspace's end, how much of the effects' output
    /// belongs to the tail.
    class TailWatch {
    public:
        /// `room`: the most frames the file can still take.
        TailWatch(bool wanted, uint32_t rate, uint32_t room);
        /// How many of `count` frames belong to the tail; after the last one, Ended is true.
        uint32_t Take(const uint8_t* frames, uint32_t count);
        bool Ended() const { return ended; }

    private:
        /// Adds one frame to the quiet run, or starts a new run with it when it strays too far.
        void Watch(const uint8_t* frame);

        uint64_t limit;
        uint32_t silenceNeeded;
        uint32_t quietRun = 0;
        // The lowest and highest sample of each channel in the quiet run.
        int32_t lowest[2] = {0, 0};
        int32_t highest[2] = {0, 0};
        uint64_t tailFrames = 0;
        bool ended;
    };

    /// Takes the chain's float output, frame after frame; false stops the render.
    using FloatSink = std::function<bool(const float* left, const float* right, uint32_t count)>;

    /// The chain's output, through `stage` when given, into `sink` (kWriteFailed when it
    /// refuses, with no reason).
    RenderResult WriteFrames(const FloatSink& sink, OutputLevelStage* stage, uint32_t length,
                             const RenderOptions& options, const Progress& progress) const;
    /// The stage that applies options.level, after a measuring pass when it needs one.
    RenderResult PrepareLevel(uint32_t length, uint32_t rate, const RenderOptions& options,
                              const Progress& progress,
                              std::optional<OutputLevelStage>& stage) const;
    /// WriteFrames for an empty chain.
    RenderResult CopyFrames(class RenderWriter& output, uint32_t length,
                            const Progress& progress) const;
    /// True when an effect of the chain is not bypassed: the signal changes on its way.
    bool ChainChangesSignal() const;
    std::string FileComingUpShort(uint32_t position) const;
    /// The reason for the user when an effect of the chain is faulted, naming it; "" otherwise.
    std::string FaultedEffect() const;

    PluginHost& host;
    Workspace& workspace;
};
