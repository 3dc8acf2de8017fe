#pragma once

#include <atomic>
#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <vector>

#include "platform/SharedLibrary.h"
#include "platform/VstAbi.h"
#include "plugins/EffectChannels.h"
#include "plugins/HostSeams.h"
#include "plugins/PluginInfo.h"

class Workspace;

/// One effect of the chain with the library that holds its code.
struct LoadedPlugin {
    vst::AEffect* effect = nullptr;
    std::string name;  // its catalogue name (or file name), for messages about it
    platform::SharedLibrary library;
    EffectChannels channels;
};

/// Connects the editor to VST 2 effect plug-ins: holds the catalogue of plug-in libraries
/// (examined elsewhere, see PluginScanner), loads and initialises effects into an ordered
/// chain, unloads them, answers the plug-ins' calls to their host, and passes blocks of the
/// workspace through the chain.
///
///     PluginHost host(&workspace);
///     host.Configure(44100, 2048, PluginHost::DefaultPluginDirectory());
///     host.SetCatalog(scanner.Scan(libraries));
///     host.LoadPlugin(host.PluginPath(0), 0, true, nullptr);
///     host.Process(block, frames, position);  // 512 frames through the chain
///
/// Everything but Process and HostCallback runs on the user-interface thread. Process may run
/// on another thread; chain changes then wait for the ChainGuard that Process runs under.
class PluginHost {
public:
    static constexpr uint32_t kSampleRate = 44100;
    static constexpr uint32_t kBlockBytes = 2048;  // 512 frames; also the size told to effects
    static constexpr uint32_t kBytesPerFrame = 4;
    /// The most inputs or outputs an effect may declare to be put into the chain.
    static constexpr int32_t kMaxChannels = 64;
    static constexpr size_t kTextBufferBytes = 256;  // every text buffer handed to a plug-in
    static constexpr const char* kDirectoryName = "vstplugs";
    static constexpr const char* kLibrarySuffix = ".so";

    explicit PluginHost(Workspace* workspace);
    ~PluginHost();
    PluginHost(const PluginHost&) = delete;
    PluginHost& operator=(const PluginHost&) = delete;

    /// Sets the sample rate (frames per second) and block size (bytes) told to effects, sizes
    /// the block buffers (blockBytes / 4 frames) and sets the plug-in directory.
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

    /// Loads fileName (an absolute path, or relative to the plug-in directory), checks the effect
    /// and sends it effOpen, effSetProgram 0, effSetSampleRate and effSetBlockSize. With insert,
    /// the effect is also resumed (effMainsChanged 1) and put into the chain: appended while the
    /// chain holds fewer than two entries, otherwise placed at `position` (appended when position
    /// is past the end). Without insert, the library moves to *libraryOut and the caller owns both.
    /// An effect to be inserted must declare 1 to kMaxChannels inputs and outputs.
    /// Returns the effect, or nullptr when nothing was loaded (LastLoadError says why).
    vst::AEffect* LoadPlugin(const std::string& fileName, uint8_t position, bool insert,
                             platform::SharedLibrary* libraryOut);

    /// With an effect loaded without insert: closes it (effClose); its library stays with the
    /// caller. With nullptr: removes the chain entry at position (the last one when position is
    /// past the end), suspends and closes its effect, and frees its library. An open editor is
    /// closed first. False when freeing the library fails, or when `effect` is still in the
    /// chain (closing it there would leave a dead effect to process).
    bool UnloadPlugin(uint8_t position, vst::AEffect* effect);

    bool IsChainEmpty() const { return chain.empty(); }
    size_t ChainSize() const { return chain.size(); }

    /// The effect at chain position (the last one when past the end), or nullptr when empty.
    vst::AEffect* EffectAt(uint8_t position) const;

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

    /// Suspends and resumes every effect of the chain (effMainsChanged 0, then 1), so that
    /// each clears what it remembers of earlier audio: done before every play and render, so
    /// they start alike.
    void ResetChain();

    /// The frames by which the chain delays its input: the sum of the effects' initialDelay
    /// (negative ones count as 0; each at most kMaxLatencyFrames).
    uint32_t LatencyFrames() const;
    static constexpr uint32_t kMaxLatencyFrames = 10 * kSampleRate;

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

    /// The process-wide values HostCallback answers with; 0 until Configure.
    static uint32_t SampleRate();
    static uint32_t BlockSize();

    /// "vstplugs/" below the current directory.
    static std::string DefaultPluginDirectory();

    /// Frames (little-endian 16-bit pairs) to floats: each sample times exactly 2^-16.
    static void Int16ToFloat(const uint8_t* frames, uint32_t count, float* left, float* right);
    /// Floats to frames: each sample times 65536, truncated toward zero and saturated to
    /// -32768..32767; NaN gives 0.
    static void FloatToInt16(const float* left, const float* right, uint8_t* frames,
                             uint32_t count);

    /// The seams to the user interface and the player. Not owned; nullptr leaves them out.
    /// The editor windows also answer the plug-ins' audioMasterSizeWindow requests, which
    /// reach HostCallback without a host object, so they are published process-wide.
    void SetEditorWindows(EditorWindows* windows);
    void SetMessages(HostMessages* sink) { messages = sink; }
    void SetChainGuard(ChainGuard* guard) { chainGuard = guard; }

    /// Records the open editor window and the effect it shows (window 0: none open). The
    /// editor code sets this when it opens or loses its window.
    void SetEditor(uintptr_t window, vst::AEffect* effect);
    uintptr_t EditorWindow() const { return editorWindow; }
    vst::AEffect* CurrentEffect() const { return currentEffect; }

    /// The name of the effect a Process call is inside right now, or "" when none is. Meant
    /// for the thread that waits for Process to end: the chain cannot change meanwhile.
    std::string BusyEffectName() const;

    /// The loader's text for the latest LoadPlugin that failed, for diagnosis.
    const std::string& LastLoadError() const { return lastLoadError; }

private:
    /// Returns the frames read from the source (before any padding to padTo).
    uint32_t RunChain(uint64_t position, uint32_t padTo);
    /// Up to n frames of the source at `position`; false (nothing delivered) on failure.
    bool ReadSource(void* buffer, uint32_t n, uint32_t& delivered, uint32_t position) const;
    void CloseEditor();
    void ForgetEffect(const vst::AEffect* closed);
    static void PublishConfiguration(uint32_t rate, uint32_t blockBytes);
    static void PublishEditorWindows(EditorWindows* previous, EditorWindows* windows);
    bool FreeLibrary(platform::SharedLibrary& library);
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
    uint32_t configuredBlockBytes = 0;
    std::list<std::unique_ptr<LoadedPlugin>> chain;
    std::atomic<const LoadedPlugin*> processing{nullptr};  // the entry Process is inside
    std::vector<PluginInfo> catalog;
    std::vector<std::string> names;  // the display names PluginName hands out
    std::string pluginDirectory;

    EditorWindows* editorWindows = nullptr;
    HostMessages* messages = nullptr;
    ChainGuard* chainGuard = nullptr;
    uintptr_t editorWindow = 0;
    vst::AEffect* currentEffect = nullptr;
    std::string lastLoadError;
};
