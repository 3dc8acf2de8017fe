#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/SharedLibrary.h"
#include "platform/VstAbi.h"
#include "plugins/EffectChannels.h"
#include "plugins/HostSeams.h"

class IdleRequests;
class RemoteEffect;

/// What became of an effect run in a process of its own: running, or killed after its process
/// crashed or stopped answering in time. (Xlib's headers define None as a macro.)
#pragma push_macro("None")
#undef None
enum class EffectFault { None, Crashed, NotResponding };
#pragma pop_macro("None")

/// What the host tells every effect it opens, and answers their questions with
/// (audioMasterGetSampleRate, audioMasterGetBlockSize), and the queue their idle requests
/// go to. Owned by the host; effects reach it through their slot, so two hosts in one process
/// each answer for their own effects.
struct EffectSetup {
    std::atomic<uint32_t> sampleRate{0};
    std::atomic<uint32_t> blockFrames{0};
    /// Where audioMasterIdle and audioMasterNeedIdle go; nullptr: they are ignored. Set
    /// before any effect is opened with this setup, and outlives them.
    IdleRequests* idleRequests = nullptr;

    /// The program effects run in when out of process; empty: orvane-fx found as
    /// plugin_paths::EffectProgram says.
    std::string effectProgram;
    /// How long an effect in a process of its own may take to answer a call, to load (its
    /// library and entry point), and at least to process a block (at least eight blocks'
    /// duration): past it the process is killed and the effect is faulted.
    std::chrono::milliseconds callDeadline{5000};
    std::chrono::milliseconds loadDeadline{15000};
    std::chrono::milliseconds blockDeadlineMinimum{100};
};

/// An effect library loaded, in this process or in a child process of its own (RemoteEffect),
/// and its effect opened, not yet resumed. The handle closes the effect (effClose) and frees
/// the library (or ends the child) when it goes. Used to examine a library for the catalogue,
/// and as the first step of every effect put into a chain.
///
///     std::string why;
///     auto opened = OpenedEffect::Open("/usr/lib/vst/gain.so", setup, why, false);
///     if (opened) puts(PluginHost::EffectText(opened->Effect(), vst::effGetEffectName).c_str());
class OpenedEffect {
public:
    /// Loads the library, finds its entry point (VSTPluginMain or main), checks the effect
    /// and sends it effOpen, effSetProgram 0, effSetSampleRate and effSetBlockSize from
    /// `setup`. nullptr with `error` set when anything fails; nothing stays loaded then.
    /// `inProcess` false: the library is loaded by a child process and the effect is its
    /// stand-in (see RemoteEffect); everything after the entry point goes through it alike.
    static std::unique_ptr<OpenedEffect> Open(const std::string& path, const EffectSetup& setup,
                                              std::string& error, bool inProcess = true);
    ~OpenedEffect();
    OpenedEffect(const OpenedEffect&) = delete;
    OpenedEffect& operator=(const OpenedEffect&) = delete;

    /// effClose, then the library is freed; false when freeing failed. Called once at most.
    bool Close();

    vst::AEffect* Effect() const { return effect; }
    const std::string& Path() const { return path; }
    bool InProcess() const { return remote == nullptr; }
    /// None for an effect in this process (its faults are this process's).
    EffectFault Fault() const;
    /// The child process's id, or -1 in process.
    int ChildId() const;

    /// What the effect is told and asks for; the slot it belongs to, once it is in one.
    const EffectSetup& Setup() const { return *setup; }
    class EffectSlot* Slot() const {
        return slot;
    }

    /// The opened effect an effect belongs to (from its host-owned `user` field), or nullptr
    /// for an unknown effect. While an effect is being opened on this thread, before the host
    /// knows its AEffect, `ForHostCallback` gives that setup instead.
    static const OpenedEffect* Of(const vst::AEffect* effect);
    static const EffectSetup* SetupForHostCallback(const vst::AEffect* effect);
    /// The idle queue of the host an effect belongs to, or nullptr for an unknown effect (and
    /// for one still being opened: it gets idle calls once it is open).
    static IdleRequests* IdleRequestsOf(const vst::AEffect* effect);

private:
    friend class EffectSlot;
    OpenedEffect() = default;
    /// Everything after the entry point: effOpen, program 0, rate, block size, the checks.
    static std::unique_ptr<OpenedEffect> Opening(std::unique_ptr<OpenedEffect> opened,
                                                 std::string& error);

    platform::SharedLibrary library;
    std::unique_ptr<RemoteEffect> remote;
    vst::AEffect* effect = nullptr;
    std::string path;
    const EffectSetup* setup = nullptr;
    class EffectSlot* slot = nullptr;
};

/// One effect of the chain: it owns the library, the opened effect, the editor window the
/// user opened for it, and how it runs (bypassed or not, its channel adaptation). Its
/// destructor closes them in the one safe order: the editor (effEditClose while the effect is
/// open), then effMainsChanged 0, effClose, and the library is freed last.
///
///     auto slot = EffectSlot::Load(path, "Gain", setup, why);  // resumed, ready to run
///     slot->Run(left, right, outLeft, outRight, frames, blockFrames);
///
/// Load and the destructor run on the user-interface thread; Run on the thread that
/// processes blocks, while the chain's guard keeps the slot in the chain.
class EffectSlot {
public:
    /// Opens the effect as OpenedEffect does (in this process or in a child of its own), refuses
    /// one without 1 to kMaxChannels inputs and outputs or with implausible figures, and resumes
    /// it (effMainsChanged 1). The effect's host callbacks find `setup` (and this slot) through
    /// its `user` field.
    static std::unique_ptr<EffectSlot> Load(const std::string& path, const std::string& name,
                                            const EffectSetup& setup, std::string& error,
                                            bool inProcess = true);
    ~EffectSlot();
    EffectSlot(const EffectSlot&) = delete;
    EffectSlot& operator=(const EffectSlot&) = delete;

    /// The most inputs or outputs an effect may declare to be put into a chain.
    static constexpr int32_t kMaxChannels = 64;
    /// The longest latency believed; more is clamped (a render would wait it out).
    static constexpr int32_t kMaxLatencyFrames = 10 * 48000;

    vst::AEffect* Effect() const { return opened->Effect(); }
    const std::string& Path() const { return opened->Path(); }
    /// The name shown for it (its catalogue name, or the file name).
    const std::string& Name() const { return name; }
    int32_t UniqueId() const { return Effect()->uniqueId; }

    /// Whether the effect's process crashed or stopped answering; any thread. A faulted effect
    /// is passed by like a bypassed one and answers every call with 0.
    EffectFault Fault() const;
    /// True when the effect runs in a child process of its own.
    bool OutOfProcess() const { return !inProcess; }
    /// "crashed" / "not responding" / "": the words the Effects pane shows for a fault.
    static const char* FaultText(EffectFault fault);

    /// The settings last read from the effect (EffectState bytes, as ChainRecords keeps them):
    /// taken after every settings change the host notices and before every save, so that a
    /// faulted effect's settings are not lost with it.
    void KeepState(std::vector<uint8_t> state) { keptState = std::move(state); }
    const std::vector<uint8_t>& KeptState() const { return keptState; }

    /// User-interface thread: loads the effect afresh (in a new child, or in this process as
    /// it was loaded), gives it the kept state, resumes it and swaps it in under the chain's
    /// guard; the editor is closed and the old effect closed. False with `error` set when the
    /// new one cannot be loaded or refuses the kept state; the slot is unchanged then.
    bool Reload(std::string& error) { return ReloadAs(inProcess, error); }
    /// Reload, in this process (`runInProcess`) or in a child of its own.
    bool ReloadAs(bool runInProcess, std::string& error);

    /// A bypassed effect is not run and adds no latency. Changed under the chain's guard.
    bool Bypassed() const { return bypassed; }
    void SetBypassed(bool value) { bypassed = value; }

    /// The frames by which the effect delays its signal: its initialDelay, read now (effects
    /// change it during their first blocks), clamped to 0..kMaxLatencyFrames.
    uint32_t LatencyFrames() const;

    /// The editor window the user opened for the effect, or nullptr. Setting one replaces
    /// (and so closes) the previous one.
    EffectEditor* Editor() const { return editor.get(); }
    void SetEditor(std::unique_ptr<EffectEditor> window) { editor = std::move(window); }
    void CloseEditor() { editor.reset(); }

    /// Closes the editor, suspends and closes the effect and frees the library, as the
    /// destructor would; false when the library could not be freed. Called once at most.
    bool Close();

    /// The user changed a setting of the effect (in its editor: the plug-in said so with
    /// audioMasterAutomate or audioMasterBeginEdit), on any thread. Taken once by whoever keeps
    /// the session up to date.
    void MarkSettingsTouched() { settingsTouched.store(true, std::memory_order_relaxed); }
    bool TakeSettingsTouched() { return settingsTouched.exchange(false); }

    /// effMainsChanged 0 then 1: the effect forgets the audio it has heard.
    void Reset();

    /// Runs `frames` frames of left/right through the effect (see EffectChannels::Run);
    /// the result is in left/right. Does nothing when bypassed.
    void Run(float* left, float* right, float* outLeft, float* outRight, uint32_t frames,
             uint32_t blockFrames);

    /// The slot an effect belongs to; nullptr for an effect that is not in a slot (being
    /// examined, or still inside its entry point).
    static EffectSlot* Of(const vst::AEffect* effect);

private:
    friend class EffectChain;  // hands its guard over
    EffectSlot(std::unique_ptr<OpenedEffect> opened, std::string name, bool inProcess);
    static std::unique_ptr<OpenedEffect> OpenHostable(const std::string& path,
                                                      const EffectSetup& setup, std::string& error,
                                                      bool inProcess);

    std::unique_ptr<OpenedEffect> opened;
    std::string name;
    bool inProcess = true;
    std::vector<uint8_t> keptState;
    ChainGuard* chainGuard = nullptr;  // of the chain it is in
    EffectChannels channels;
    std::unique_ptr<EffectEditor> editor;
    bool bypassed = false;
    std::atomic<bool> settingsTouched{false};
};
