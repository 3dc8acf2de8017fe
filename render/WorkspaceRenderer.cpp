#include "render/WorkspaceRenderer.h"

#include <algorithm>
#include <cmath>

#include "audio/LoudnessMeter.h"
#include "audio/WaveFile.h"
#include "audio/Workspace.h"
#include "platform/ReplacementFile.h"
#include "plugins/PluginHost.h"
#include "render/RenderWriter.h"

namespace {

int32_t SampleAt(const uint8_t* frame, int channel) {
    return static_cast<int16_t>(frame[2 * channel] | frame[2 * channel + 1] << 8);
}

}  // namespace

WorkspaceRenderer::TailWatch::TailWatch(bool wanted, uint32_t rate, uint32_t room)
    : limit(wanted ? std::min(uint64_t{kMaxTailSeconds} * rate, uint64_t{room}) : 0),
      silenceNeeded(static_cast<uint32_t>(uint64_t{kTailSilenceMs} * rate / 1000)),
      ended(limit == 0) {}

uint32_t WorkspaceRenderer::TailWatch::Take(const uint8_t* frames, uint32_t count) {
    // Frames up to the one that completes the quiet stretch, within the limit.
    uint32_t taken = 0;
    while (!ended && taken < count) {
        Watch(frames + size_t{taken} * 4);
        ++taken;
        ended = quietRun >= silenceNeeded || tailFrames + taken >= limit;
    }
    tailFrames += taken;
    return taken;
}

void WorkspaceRenderer::TailWatch::Watch(const uint8_t* frame) {
    // Quiet: every sample of the run within kQuietSamples of the middle of the channel's
    // range, whatever level (DC offset) that middle is at. A frame that widens the range too
    // far starts a new run; the run may then be shorter than the true quiet stretch, which
    // only makes the tail longer, never cut short.
    bool fits = quietRun > 0;
    for (int channel = 0; channel < 2 && fits; ++channel) {
        const int32_t sample = SampleAt(frame, channel);
        fits = std::max(highest[channel], sample) - std::min(lowest[channel], sample) <=
               2 * kQuietSamples;
    }
    for (int channel = 0; channel < 2; ++channel) {
        const int32_t sample = SampleAt(frame, channel);
        lowest[channel] = fits ? std::min(lowest[channel], sample) : sample;
        highest[channel] = fits ? std::max(highest[channel], sample) : sample;
    }
    quietRun = fits ? quietRun + 1 : 1;
}

WorkspaceRenderer::WorkspaceRenderer(PluginHost& pluginHost, Workspace& ws)
    : host(pluginHost), workspace(ws) {}

RenderResult WorkspaceRenderer::Render(const std::string& path, const Progress& progress,
                                       const RenderOptions& options) const {
    const uint32_t length = workspace.TotalLength();
    const uint32_t maxFrames = render_format::MaxFrames(options.format);
    if (length > maxFrames) {
        return {RenderOutcome::kTooLong, std::string("the workspace is longer than a ") +
                                             render_format::Label(options.format) +
                                             " file can hold (" + std::to_string(maxFrames) +
                                             " frames)"};
    }
    if (std::string why = WhyOwnFile(path, options.sessionFile); !why.empty()) {
        return {RenderOutcome::kOwnFile, std::move(why)};
    }
    // Until Commit the output is untouched; the temporary file goes with `replacement`.
    platform::ReplacementFile replacement;
    if (!replacement.Create(path)) {
        return {RenderOutcome::kCannotCreate, replacement.FailureReason()};
    }
    // The header carries the workspace's own rate, so the file plays at the speed it was heard.
    const uint32_t rate =
        workspace.SampleRate() != 0 ? workspace.SampleRate() : WaveFile::kDefaultSampleRate;
    const bool converted = options.outputRate != 0 && options.outputRate != rate;
    RenderWriter output(
        options.format, rate,
        options.dither && (converted || ChainChangesSignal() || options.level.Any()));
    uint32_t announced = length;
    if (converted) {
        output.ResampleTo(options.outputRate);
        const uint64_t convertedLength =
            RateConverter::ConvertedLength(length, rate, options.outputRate);
        if (convertedLength > maxFrames) {
            return {RenderOutcome::kTooLong,
                    std::string("at ") + std::to_string(options.outputRate) +
                        " Hz the workspace is longer than a " +
                        render_format::Label(options.format) + " file can hold"};
        }
        announced = static_cast<uint32_t>(convertedLength);
    }
    if (!output.Open(replacement.Path(), announced)) {
        return {RenderOutcome::kCannotCreate, output.FailureReason()};
    }
    std::optional<OutputLevelStage> stage;
    if (RenderResult prepared = PrepareLevel(length, rate, options, progress, stage);
        prepared.outcome != RenderOutcome::kDone) {
        return prepared;
    }
    RenderResult written;
    if (host.IsChainEmpty() && !stage) {
        if (!progress(0)) {
            return {RenderOutcome::kCancelled, {}};
        }
        written = CopyFrames(output, length, progress);
    } else {
        written =
            WriteFrames([&output](const float* left, const float* right,
                                  uint32_t count) { return output.WriteFloat(left, right, count); },
                        stage ? &*stage : nullptr, length, options, progress);
    }
    if (written.outcome == RenderOutcome::kWriteFailed && written.reason.empty()) {
        written.reason = output.FailureReason();
    }
    if (written.outcome != RenderOutcome::kDone) {
        return written;
    }
    if (!output.Finish()) {
        return {RenderOutcome::kWriteFailed, output.FailureReason()};
    }
    // A tail at a higher rate may still outgrow the format.
    if (output.FramesWritten() > maxFrames) {
        return {RenderOutcome::kTooLong, std::string("the output is longer than a ") +
                                             render_format::Label(options.format) +
                                             " file can hold"};
    }
    if (!replacement.Commit()) {
        return {RenderOutcome::kWriteFailed, replacement.FailureReason()};
    }
    progress(length);
    written.frames = static_cast<uint32_t>(output.FramesWritten());
    return written;
}

RenderResult WorkspaceRenderer::PrepareLevel(uint32_t length, uint32_t rate,
                                             const RenderOptions& options, const Progress& progress,
                                             std::optional<OutputLevelStage>& stage) const {
    if (!options.level.Any()) {
        return {};
    }
    double peak = 0.0;
    IntegratedLoudness loudness(options.level.loudnessLufs ? rate : 0);
    uint64_t frames = length;
    const bool tail = options.includeTail && !host.IsChainEmpty();
    if (options.level.NeedsMeasuring(!tail)) {
        frames = 0;
        RenderResult measured = WriteFrames(
            [&](const float* left, const float* right, uint32_t count) {
                for (uint32_t i = 0; i < count; ++i) {
                    peak = std::max({peak, std::abs(double{left[i]}), std::abs(double{right[i]})});
                }
                loudness.Add(left, right, count);
                frames += count;
                return true;
            },
            nullptr, length, options, progress);
        if (measured.outcome != RenderOutcome::kDone) {
            return measured;
        }
    }
    stage.emplace(options.level, rate, peak, loudness.Lufs(), frames);
    return {};
}

RenderResult WorkspaceRenderer::WriteFrames(const FloatSink& sink, OutputLevelStage* stage,
                                            uint32_t length, const RenderOptions& options,
                                            const Progress& progress) const {
    if (!progress(0)) {
        return {RenderOutcome::kCancelled, {}};
    }
    const uint32_t rate =
        workspace.SampleRate() != 0 ? workspace.SampleRate() : WaveFile::kDefaultSampleRate;
    std::vector<float> levelled[2];
    if (stage != nullptr) {
        levelled[0].resize(kBlockFrames);
        levelled[1].resize(kBlockFrames);
    }
    // The first `toSkip` frames out of the chain come before the workspace's first frame. The
    // chain is reset on the way, so that a render never starts with the last one's tail.
    uint64_t toSkip = SettleLatency(rate);
    if (std::string why = FaultedEffect(); !why.empty()) {
        return {RenderOutcome::kEffectFault, std::move(why)};
    }
    TailWatch tail(options.includeTail && !host.IsChainEmpty(), rate,
                   render_format::MaxFrames(options.format) - length);
    // The tail is judged on the frames as 16 bits would hold them.
    std::vector<uint8_t> rounded(size_t{kBlockFrames} * 4);
    uint64_t position = 0;  // where the chain reads the workspace; runs on past its end
    uint32_t written = 0;   // frames taken for the file
    while (written < length || !tail.Ended()) {
        const float* left = nullptr;
        const float* right = nullptr;
        const uint32_t delivered = host.ProcessPaddedFloat(kBlockFrames, position, left, right);
        // A faulted effect is passed by: the rest of the file would not sound as chosen.
        if (std::string why = FaultedEffect(); !why.empty()) {
            return {RenderOutcome::kEffectFault, std::move(why)};
        }
        // A block that comes up short inside the workspace means a source file shrank behind
        // our back; silence in its place would pass for the user's audio.
        if (position < length) {
            const auto expected =
                static_cast<uint32_t>(std::min<uint64_t>(kBlockFrames, length - position));
            if (delivered < expected) {
                return {RenderOutcome::kSourceShort,
                        FileComingUpShort(static_cast<uint32_t>(position) + delivered)};
            }
        }
        position += kBlockFrames;
        uint32_t first = 0;
        if (toSkip > 0) {
            first = static_cast<uint32_t>(std::min<uint64_t>(toSkip, kBlockFrames));
            toSkip -= first;
        }
        uint32_t count = kBlockFrames - first;
        if (written < length) {
            count = std::min(count, length - written);  // never a frame past the workspace
        } else {
            PluginHost::FloatToInt16(left + first, right + first, rounded.data(), count);
            count = tail.Take(rounded.data(), count);
        }
        const float* outLeft = left + first;
        const float* outRight = right + first;
        if (stage != nullptr) {
            std::copy_n(outLeft, count, levelled[0].data());
            std::copy_n(outRight, count, levelled[1].data());
            stage->Process(levelled[0].data(), levelled[1].data(), count);
            outLeft = levelled[0].data();
            outRight = levelled[1].data();
        }
        if (!sink(outLeft, outRight, count)) {
            return {RenderOutcome::kWriteFailed, {}};
        }
        const uint32_t before = written;
        written += count;
        if (!progress(std::min(before, length))) {
            return {RenderOutcome::kCancelled, {}};
        }
    }
    RenderResult done;
    done.frames = written;
    return done;
}

bool WorkspaceRenderer::ChainChangesSignal() const {
    const EffectChain& chain = host.Chain();
    for (size_t i = 0; i < chain.Size(); ++i) {
        if (!chain.At(i).Bypassed()) {
            return true;
        }
    }
    return false;
}

std::string WorkspaceRenderer::FaultedEffect() const {
    const EffectChain& chain = host.Chain();
    for (size_t i = 0; i < chain.Size(); ++i) {
        const EffectSlot& slot = chain.At(i);
        if (slot.Bypassed()) {
            continue;
        }
        switch (slot.Fault()) {
            case EffectFault::Crashed:
                return "\"" + slot.Name() + "\" crashed during the render; nothing was written.";
            case EffectFault::NotResponding:
                return "\"" + slot.Name() +
                       "\" stopped responding during the render; nothing was written.";
            case EffectFault::None:
                break;
        }
    }
    return {};
}

uint32_t WorkspaceRenderer::SettleLatency(uint32_t rate) const {
    host.ResetChain();
    // Past the end of any workspace: the chain hears silence and nothing is read.
    constexpr uint64_t kNowhere = UINT32_MAX;
    std::vector<uint8_t> block(std::max<size_t>(size_t{kBlockFrames} * 4, host.BlockBytes()));
    const uint64_t probeFrames = uint64_t{kLatencyProbeMs} * rate / 1000;
    uint32_t latency = host.LatencyFrames();
    uint32_t stableBlocks = 0;
    for (uint64_t probed = 0; stableBlocks < kLatencyStableBlocks && probed < probeFrames;
         probed += kBlockFrames) {
        host.ProcessPadded(block.data(), kBlockFrames, kNowhere);
        const uint32_t now = host.LatencyFrames();
        stableBlocks = now == latency ? stableBlocks + 1 : 0;
        latency = now;
    }
    host.ResetChain();
    return latency;
}

RenderResult WorkspaceRenderer::CopyFrames(RenderWriter& output, uint32_t length,
                                           const Progress& progress) const {
    // Without effects the output is the workspace as it is (no latency, no tail): a batch is
    // read in one go, straight into the buffer that is written, with progress and the check
    // for a source that comes up short still block by block.
    std::vector<uint8_t> batch(size_t{kBatchFrames} * 4);
    for (uint32_t written = 0; written < length;) {
        const uint32_t count = std::min(kBatchFrames, length - written);
        const uint32_t delivered = host.ProcessPadded(batch.data(), count, written);
        for (uint32_t block = 0; block < count; block += kBlockFrames) {
            if (delivered < std::min(count, block + kBlockFrames)) {
                return {RenderOutcome::kSourceShort, FileComingUpShort(written + delivered)};
            }
            if (!progress(written + block)) {
                return {RenderOutcome::kCancelled, {}};
            }
        }
        if (!output.WriteInt16(batch.data(), count)) {
            return {RenderOutcome::kWriteFailed, output.FailureReason()};
        }
        written += count;
    }
    RenderResult done;
    done.frames = length;
    return done;
}

// Why the output may not be written: it is (by device and inode) the session file or a file of
// the workspace. "" when it is none of them (or does not exist yet).
std::string WorkspaceRenderer::WhyOwnFile(const std::string& path,
                                          const std::string& sessionFile) const {
    const platform::FileIdentity target = platform::IdentityOf(path.c_str());
    if (!target.IsKnown()) {
        return {};
    }
    if (!sessionFile.empty() && platform::IdentityOf(sessionFile.c_str()) == target) {
        return "it is the session being rendered (" + sessionFile +
               "); Orvane never writes over the files it renders from";
    }
    if (const WaveFile* source = workspace.ListedFileNamed(path)) {
        return "it is the source file " + source->Path() +
               "; Orvane never writes over the files it renders from";
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
