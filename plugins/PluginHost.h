#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/VstAbi.h"
#include "plugins/EffectChain.h"
#include "plugins/HostSeams.h"
#include "plugins/IdleRequests.h"
#include "plugins/PluginInfo.h"

class Workspace;

/// Connects the editor to VST 2 effect plug-ins: holds the catalogue of plug-in libraries
/// (examined elsewhere, see PluginScanner), loads effects into its effect chain, answers the
/// plug-ins' calls to their host, and passes blocks of the workspace through the chain.
/// Effects hear full scale as +-1.0: a 16-bit sample reaches them as value / 32768.
///
///     PluginHost host(&workspace);
///     host.Configure(44100, 2048, PluginHost::DefaultPluginDirectory());
///     host.SetCatalog(scanner.Scan(libraries));
///     host.AddEffect(host.PluginPath(0));     // appended to the chain
///     host.Process(block, frames, position);  // 512 frames through the chain
///
/// Everything but Process and HostCallback runs on the user-interface thread. Process may run
/// on another thread; chain changes then wait for the ChainGuard that Process runs under.
class PluginHost {
public:
    static constexpr uint32_t kSampleRate = 44100;
    static constexpr uint32_t kBlockBytes = 2048;  // one block of 16-bit stereo frames
    static constexpr uint32_t kBytesPerFrame = 4;
    static constexpr uint32_t kBlockFrames = kBlockBytes / kBytesPerFrame;
    /// The most inputs or outputs an effect may declare to be put into the chain.
    static constexpr int32_t kMaxChannels = EffectSlot::kMaxChannels;
    static constexpr size_t kTextBufferBytes = 256;  // every text buffer handed to a plug-in
    static constexpr const char* kDirectoryName = "vstplugs";
    static constexpr const char* kLibrarySuffix = ".so";

    explicit PluginHost(Workspace* workspace);
    ~PluginHost();
    PluginHost(const PluginHost&) = delete;
    PluginHost& operator=(const PluginHost&) = delete;

    /// Sets the sample rate (frames per second) and the block size (bytes of 16-bit stereo
    /// frames), sizes the block buffers and sets the plug-in directory. Effects are told the
    /// block in frames (blockBytes / 4) with effSetBlockSize and audioMasterGetBlockSize.
    void Configure(uint32_t rate, uint32_t blockBytes, const std::string& directory);

    /// Changes the sample rate told to effects (the workspace's rate): every effect of the
    /// chain is suspended, told the new rate with effSetSampleRate and resumed, so it
    /// recomputes whatever depends on the rate; effects loaded later are told it at load.
    void SetSampleRate(uint32_t rate);
    uint32_t ConfiguredRate() const { return configuredRate; }

    /// Loads the library at `path` into this process and reads its effect's identity (names,
    /// category, version, id, channels, parameters, editor), then closes the effect and frees
    /// the library. Only orvane-scan calls this: a library that crashes takes its process.
    PluginInfo Examine(const std::string& path);

    /// The catalogue: every library found, those that failed their examination included.
    void SetCatalog(std::vector<PluginInfo> entries);
    const std::vector<PluginInfo>& Catalog() const { return catalog; }

    /// Display name (whole) / real path of catalogue entry `index`, or nullptr past the end.
    const char* PluginName(int index) const;
    const char* PluginPath(int index) const;
    size_t CatalogSize() const { return catalog.size(); }

    /// Loads fileName (an absolute path, or relative to the plug-in directory) into a new slot
    /// appended to the chain, named `name` (when empty: by its catalogue entry, or its file
    /// name). Returns the slot, or nullptr when nothing was loaded (LastLoadError says why).
    /// The effect runs in a child process of its own (orvane-fx) unless SetAllInProcess is on
    /// or its catalogue entry says runInProcess.
    EffectSlot* AddEffect(const std::string& fileName, const std::string& name = {});

    /// Loads an effect as AddEffect does, into a slot that is not in the chain yet: its
    /// settings can be given before a block reaches it (then EffectChain::Add).
    std::unique_ptr<EffectSlot> LoadEffect(const std::string& fileName,
                                           const std::string& name = {});

    /// Takes the effect at `index` out of the chain and closes it (editor first). False when
    /// its library could not be freed, which is reported.
    bool RemoveEffect(size_t index);

    /// Every effect loaded from now on runs inside this process (the command line's
    /// --in-process), whatever the catalogue says.
    void SetAllInProcess(bool inProcess) { allInProcess = inProcess; }
    bool AllInProcess() const { return allInProcess; }

    /// What effects are told, and how long one in a process of its own may take (see
    /// EffectSetup); for tests and the program's settings. Set before effects are loaded.
    EffectSetup& MutableSetup() { return setup; }

    EffectChain& Chain() { return chain; }
    const EffectChain& Chain() const { return chain; }
    bool IsChainEmpty() const { return chain.Empty(); }
    size_t ChainSize() const { return chain.Size(); }

    /// Produces one block: up to blockBytes / 4 frames of the workspace from `position`,
    /// through every effect of the chain in order, as 16-bit frames into buffer. framesRead
    /// tells how many frames are valid (0 past the end of the workspace). Always true.
    bool Process(void* buffer, uint32_t& framesRead, uint32_t position);

    /// Like Process, but always `frames` frames (at most one block, or any number with an
    /// empty chain): past the end of the
    /// workspace, and where a source comes up short, the chain hears silence, so that the
    /// effects' delayed output and tails come out. For renders. Returns the frames the source
    /// delivered (fewer than `frames` past its end or where it comes up short).
    uint32_t ProcessPadded(void* buffer, uint32_t frames, uint64_t position);
    /// ProcessPadded without the reduction to 16 bits: the chain's output as floats (full scale
    /// +-1.0), `frames` of them (at most one block) at `left` and `right`, valid until the next
    /// call. For renders into formats finer than 16 bits, and for dithering.
    uint32_t ProcessPaddedFloat(uint32_t frames, uint64_t position, const float*& left,
                                const float*& right);

    /// Suspends and resumes every effect of the chain (effMainsChanged 0, then 1), so that
    /// each clears what it remembers of earlier audio: done before every play and render, so
    /// they start alike.
    void ResetChain();

    /// The frames by which the chain delays its input: the sum of the unbypassed effects'
    /// initialDelay, read now (negative ones count as 0; each at most kMaxLatencyFrames).
    uint32_t LatencyFrames() const { return chain.LatencyFrames(); }
    static constexpr uint32_t kMaxLatencyFrames = EffectSlot::kMaxLatencyFrames;

    /// What Process reads: the workspace (-1, as at the start) or opened file `fileIndex`
    /// alone, for playing a file that is shown by itself. Set while no Process runs.
    void SetSource(int fileIndex) { sourceFile = fileIndex; }
    int Source() const { return sourceFile; }

    /// The host's side of the plug-in protocol; plug-ins may call it on any thread, before
    /// their entry point has returned (effect nullptr) and from inside their own calls.
    static intptr_t HostCallback(vst::AEffect* effect, int32_t opcode, int32_t index,
                                 intptr_t value, void* ptr, float opt);

    /// Every call to an effect's dispatcher goes through here; 0 for a missing effect.
    static intptr_t Dispatch(vst::AEffect* effect, int32_t opcode, int32_t index = 0,
                             intptr_t value = 0, void* ptr = nullptr, float opt = 0.0f);

    /// Asks the effect for a text (names, labels, display texts) into a zero-filled buffer of
    /// kTextBufferBytes and returns what it wrote; *result receives the dispatcher's answer.
    static std::string EffectText(vst::AEffect* effect, int32_t opcode, int32_t index = 0,
                                  intptr_t* result = nullptr);

    /// "vstplugs/" below the current directory.
    static std::string DefaultPluginDirectory();

    /// Frames (little-endian 16-bit pairs) to floats: each sample divided by 32768, so full
    /// scale is +-1.0 (every sample is exact).
    static void Int16ToFloat(const uint8_t* frames, uint32_t count, float* left, float* right);
    /// Floats to frames: each sample times 32768, rounded to the nearest step (halves away
    /// from zero) and saturated to -32768..32767; NaN gives 0. Undoes Int16ToFloat exactly.
    static void FloatToInt16(const float* left, const float* right, uint8_t* frames,
                             uint32_t count);

    /// The seams to the user interface and the player. Not owned; nullptr leaves them out.
    void SetMessages(HostMessages* sink) { messages = sink; }
    void SetChainGuard(ChainGuard* guard) { chain.SetGuard(guard); }

    /// The bytes of one block of 16-bit stereo frames, as configured.
    uint32_t BlockBytes() const { return blockFrames * kBytesPerFrame; }

    /// What effects are told and ask for (rate, block size).
    const EffectSetup& Setup() const { return setup; }

    /// Its effects' requests for idle time; the user-interface thread is the one that built
    /// the host. The editors wake it and run what it defers.
    IdleRequests& Idle() { return idleRequests; }

    /// The name of the effect a Process call is inside right now, or "" when none is. Meant
    /// for the thread that waits for Process to end: the chain cannot change meanwhile.
    std::string BusyEffectName() const { return chain.BusyEffectName(); }

    /// The loader's text for the latest AddEffect or LoadEffect that failed, for diagnosis.
    const std::string& LastLoadError() const { return lastLoadError; }

private:
    /// Returns the frames read from the source (before any padding to padTo).
    uint32_t RunChain(uint64_t position, uint32_t padTo);
    /// Up to n frames of the source at `position`; false (nothing delivered) on failure.
    bool ReadSource(void* buffer, uint32_t n, uint32_t& delivered, uint32_t position) const;
    void Report(uint32_t stringId);

    Workspace* workspace;
    int sourceFile = -1;
    std::vector<float> inputLeft;
    std::vector<float> inputRight;
    std::vector<float> outputLeft;
    std::vector<float> outputRight;
    std::vector<uint8_t> sampleBuffer;
    uint32_t framesRead = 0;
    uint32_t blockFrames = 0;
    uint32_t configuredRate = 0;
    IdleRequests idleRequests;  // before `setup`, which points at it
    EffectSetup setup;
    std::vector<PluginInfo> catalog;
    std::vector<std::string> names;  // the display names PluginName hands out
    std::string pluginDirectory;
    HostMessages* messages = nullptr;
    std::string lastLoadError;
    bool allInProcess = false;
    // Last: its slots are closed first, while everything they may call back into exists.
    EffectChain chain;
};
