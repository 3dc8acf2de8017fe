#pragma once

#include <sys/types.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/VstAbi.h"
#include "plugins/EffectSlot.h"
#include "plugins/FxProtocol.h"

/// An effect that runs in a child process of its own (orvane-fx), seen through a stand-in
/// AEffect: the rest of the program calls the stand-in as it would the plug-in's own, and its
/// dispatcher, setParameter, getParameter and processReplacing carry each call to the child.
/// A child that crashes, or does not answer a call or finish a block in time, is killed and
/// the effect is faulted: from then on the stand-in answers every call with 0 and passes
/// audio through untouched.
///
///     std::string why;
///     auto remote = RemoteEffect::Start("/usr/lib/vst/gain.so", setup, opened, why);
///     PluginHost::Dispatch(remote->Proxy(), vst::effOpen);
///     if (remote->Fault() != EffectFault::None) { ... }
///
/// The plug-in's calls to its host are answered by a thread of this object with
/// PluginHost::HostCallback, on the stand-in, so they never wait for the user-interface thread.
class RemoteEffect {
public:
    /// Starts orvane-fx (setup.effectProgram, or the one beside this program) for the library
    /// and waits, at most setup.loadDeadline, until its entry point has made the effect.
    /// `user` goes into the stand-in's `user` field. nullptr with `error` set when the child
    /// could not start, crashed (named by its signal), hung, or the library held no effect.
    static std::unique_ptr<RemoteEffect> Start(const std::string& library, const EffectSetup& setup,
                                               void* user, std::string& error);
    /// Asks the child to exit (it is killed if it does not within the call deadline) and
    /// reaps it.
    ~RemoteEffect();
    RemoteEffect(const RemoteEffect&) = delete;
    RemoteEffect& operator=(const RemoteEffect&) = delete;

    /// The stand-in: valid as long as this object.
    vst::AEffect* Proxy() { return &proxy; }

    /// None while the child runs; any thread.
    EffectFault Fault() const { return fault.load(std::memory_order_acquire); }

    /// The child's process id (for tests that check it was reaped).
    pid_t ChildId() const { return child; }

    /// How the child ended, for people ("Segmentation fault"), once it has; "" before.
    std::string EndText();

private:
    explicit RemoteEffect(const EffectSetup& setup);

    static intptr_t DispatchEntry(vst::AEffect* effect, int32_t opcode, int32_t index,
                                  intptr_t value, void* ptr, float opt);
    static void ProcessEntry(vst::AEffect* effect, float** inputs, float** outputs, int32_t frames);
    static void SetParameterEntry(vst::AEffect* effect, int32_t index, float value);
    static float GetParameterEntry(vst::AEffect* effect, int32_t index);

    bool Launch(const std::string& library, std::string& error);
    bool AwaitLoad(std::string& error);
    intptr_t Dispatch(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt);
    void Process(float** inputs, float** outputs, int32_t frames);
    bool ProcessPart(float** inputs, float** outputs, uint32_t offset, uint32_t frames);
    /// Waits for the child to finish the block it was handed; false (and the effect faulted)
    /// when it died or missed the block deadline.
    bool AwaitDone();
    /// One request and its answer on the call channel; false (and the effect faulted) when
    /// the child died or did not answer within the call deadline.
    bool Call(const fx::RequestHeader& request, const void* payload, fx::ReplyHeader& reply,
              std::vector<char>& answer);
    /// Answers the plug-in's calls to its host until the child goes.
    void Serve();
    /// Kills and reaps the child once, recording `why` (the first fault is the one kept).
    void Terminate(EffectFault why);
    /// Reaps the child (once), waiting for it; its status, or -1 when there was none.
    int Reap();
    void Mirror(const fx::Mirror& mirror);
    std::chrono::milliseconds BlockDeadline() const;

    /// How long AwaitDone looks for the child's answer before it sleeps on it.
    static constexpr std::chrono::microseconds kDoneSpin{40};

    const EffectSetup& setup;
    vst::AEffect proxy{};
    pid_t child = -1;
    int callFd = -1;
    int callbackFd = -1;
    int goFd = -1;
    int doneFd = -1;
    void* area = nullptr;
    size_t areaBytes = 0;
    uint32_t capacityFrames = 0;
    std::thread service;
    std::mutex callMutex;  // one request at a time on the call channel
    std::mutex lifeMutex;  // guards the kill and the reaping
    bool reaped = false;
    int exitStatus = 0;
    std::atomic<EffectFault> fault{EffectFault::None};
    std::atomic<bool> quitting{false};
    std::vector<char> chunk;  // the latest chunk handed out by effGetChunk
    vst::ERect rect{};        // the latest editor rectangle handed out
};
