#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "plugins/EffectSlot.h"
#include "plugins/HostSeams.h"

/// The effects a signal goes through, in processing order, each in its own slot. Changes
/// (add, remove, move, bypass) take the chain guard, which the thread that processes blocks
/// holds around every block, so they take effect between blocks; a removed slot is closed
/// after the guard is released, when no block can reach it any more.
///
///     EffectChain chain;
///     chain.SetGuard(&playerGuard);
///     chain.Add(EffectSlot::Load(path, "Gain", setup, why));
///     chain.Run(left, right, outLeft, outRight, 512, 512);
///
/// Everything but Run and BusyEffectName runs on the user-interface thread.
class EffectChain {
public:
    EffectChain() = default;
    ~EffectChain();
    EffectChain(const EffectChain&) = delete;
    EffectChain& operator=(const EffectChain&) = delete;

    /// Held around every change; nullptr: none (no other thread processes).
    void SetGuard(ChainGuard* guard);
    ChainGuard* Guard() const { return chainGuard; }

    size_t Size() const { return slots.size(); }
    bool Empty() const { return slots.empty(); }
    EffectSlot& At(size_t index) const { return *slots.at(index); }
    /// The position of the slot holding `effect`, or -1.
    int IndexOf(const vst::AEffect* effect) const;
    /// The position of the first slot whose library is `path`, or -1.
    int IndexOfPath(const std::string& path) const;

    /// Appends the slot (ignored when null) and returns it.
    EffectSlot* Add(std::unique_ptr<EffectSlot> slot);
    /// Takes the slot at `index` out and closes it; false when its library could not be freed.
    bool Remove(size_t index);
    /// Takes the slot out and hands it over, still open.
    std::unique_ptr<EffectSlot> Take(size_t index);
    /// Moves the slot at `from` to position `to` (both below Size()).
    void Move(size_t from, size_t to);
    void SetBypassed(size_t index, bool bypassed);
    /// Removes every slot, last first.
    void Clear();

    /// Every effect, bypassed or not, forgets the audio it heard (effMainsChanged 0, 1).
    void Reset();
    /// Every effect: suspended, told the new rate, resumed.
    void SetSampleRate(uint32_t rate);

    /// The sum of the unbypassed effects' latencies, read now (a faulted effect's is 0).
    uint32_t LatencyFrames() const;

    /// Runs the signal through every unbypassed effect in order; the result is in left/right.
    /// A faulted effect is passed by like a bypassed one. Call under the guard.
    void Run(float* left, float* right, float* outLeft, float* outRight, uint32_t frames,
             uint32_t blockFrames);

    /// The name of the effect Run is inside right now, or "" (see PluginHost).
    std::string BusyEffectName() const;

private:
    std::vector<std::unique_ptr<EffectSlot>> slots;
    std::atomic<const EffectSlot*> processing{nullptr};
    ChainGuard* chainGuard = nullptr;
};
