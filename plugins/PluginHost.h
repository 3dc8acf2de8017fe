#pragma once

#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <vector>

#include "platform/SharedLibrary.h"
#include "platform/VstAbi.h"
#include "plugins/EffectChannels.h"
#include "plugins/HostSeams.h"

class Workspace;

/// One catalogued plug-in library.
struct PluginInfo {
    std::string name;      // display name: at most 31 bytes, cut at a UTF-8 character boundary
    std::string fileName;  // the library's file name without directory
};

/// One effect of the chain with the library that holds its code.
struct LoadedPlugin {
    vst::AEffect* effect = nullptr;
    platform::SharedLibrary library;
    EffectChannels channels;
};

/// Connects the editor to VST 2 effect plug-ins: finds the libraries in one directory and
/// catalogues them, loads and initialises effects into an ordered chain, unloads them, answers
/// the plug-ins' calls to their host, and passes blocks of the workspace through the chain.
///
///     PluginHost host(&workspace);
///     host.Configure(44100, 2048, PluginHost::DefaultPluginDirectory());
///     host.ScanPlugins();
///     host.LoadPlugin(host.PluginFileName(0), 0, true, nullptr);
///     host.Process(block, frames, position);  // 512 frames through the chain
///
/// Everything but Process and HostCallback runs on the user-interface thread. Process may run
/// on another thread; chain changes then wait for the ChainGuard that Process runs under.
class PluginHost {
public:
    static constexpr uint32_t kSampleRate = 44100;
    static constexpr uint32_t kBlockBytes = 2048;  // 512 frames; also the size told to effects
    static constexpr uint32_t kBytesPerFrame = 4;
    static constexpr size_t kMaxNameBytes = 31;
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

    /// Catalogues every loadable effect among the "*.so" files of the plug-in directory, in
    /// file-name order: each is loaded, asked for its name and unloaded again. False only when
    /// no file matches at all.
    bool ScanPlugins();

    /// Display name / file name of catalogue entry `index`, or nullptr past the end.
    const char* PluginName(int index) const;
    const char* PluginFileName(int index) const;
    size_t CatalogSize() const { return catalog.size(); }

    /// Loads fileName (relative to the plug-in directory), checks the effect and sends it
    /// effOpen, effSetProgram 0, effSetSampleRate and effSetBlockSize. With insert, the effect
    /// is also resumed (effMainsChanged 1) and put into the chain: appended while the chain holds
    /// fewer than two entries, otherwise placed at `position` (appended when position is past
    /// the end). Without insert, the library moves to *libraryOut and the caller owns both.
    /// Returns the effect, or nullptr when nothing was loaded.
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

    /// The longest prefix of text of at most maxBytes that does not split a UTF-8 character.
    static std::string CutUtf8(const std::string& text, size_t maxBytes);

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

    /// The loader's text for the latest LoadPlugin that failed, for diagnosis.
    const std::string& LastLoadError() const { return lastLoadError; }

private:
    void RunChain(uint32_t position);
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
    std::vector<PluginInfo> catalog;
    std::string pluginDirectory;

    EditorWindows* editorWindows = nullptr;
    HostMessages* messages = nullptr;
    ChainGuard* chainGuard = nullptr;
    uintptr_t editorWindow = 0;
    vst::AEffect* currentEffect = nullptr;
    std::string lastLoadError;
};
