#include "plugins/EffectChain.h"

#include <algorithm>
#include <iterator>

#include "plugins/PluginHost.h"

EffectChain::~EffectChain() {
    // No block can be processed any more (the player goes first), and the guard's owner may
    // be gone already.
    SetGuard(nullptr);
    Clear();
}

void EffectChain::SetGuard(ChainGuard* guard) {
    chainGuard = guard;
    for (const auto& slot : slots) {
        slot->chainGuard = guard;  // a slot reloads its effect under it
    }
}

int EffectChain::IndexOf(const vst::AEffect* effect) const {
    for (size_t i = 0; i < slots.size(); ++i) {
        if (slots[i]->Effect() == effect) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

int EffectChain::IndexOfPath(const std::string& path) const {
    for (size_t i = 0; i < slots.size(); ++i) {
        if (slots[i]->Path() == path) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

EffectSlot* EffectChain::Add(std::unique_ptr<EffectSlot> slot) {
    if (slot == nullptr) {
        return nullptr;
    }
    EffectSlot* added = slot.get();
    added->chainGuard = chainGuard;
    ChainGuardHold hold(chainGuard);
    slots.push_back(std::move(slot));
    return added;
}

std::unique_ptr<EffectSlot> EffectChain::Take(size_t index) {
    if (index >= slots.size()) {
        return nullptr;
    }
    ChainGuardHold hold(chainGuard);
    std::unique_ptr<EffectSlot> taken = std::move(slots[index]);
    slots.erase(slots.begin() + static_cast<std::ptrdiff_t>(index));
    taken->chainGuard = nullptr;
    return taken;
}

bool EffectChain::Remove(size_t index) {
    std::unique_ptr<EffectSlot> removed = Take(index);
    return removed == nullptr || removed->Close();
}

void EffectChain::Move(size_t from, size_t to) {
    if (from >= slots.size() || to >= slots.size() || from == to) {
        return;
    }
    ChainGuardHold hold(chainGuard);
    auto first = slots.begin();
    if (from < to) {
        std::rotate(first + static_cast<std::ptrdiff_t>(from),
                    first + static_cast<std::ptrdiff_t>(from) + 1,
                    first + static_cast<std::ptrdiff_t>(to) + 1);
    } else {
        std::rotate(first + static_cast<std::ptrdiff_t>(to),
                    first + static_cast<std::ptrdiff_t>(from),
                    first + static_cast<std::ptrdiff_t>(from) + 1);
    }
}

void EffectChain::SetBypassed(size_t index, bool bypassed) {
    if (index >= slots.size()) {
        return;
    }
    ChainGuardHold hold(chainGuard);
    slots[index]->SetBypassed(bypassed);
}

void EffectChain::Clear() {
    while (!slots.empty()) {
        Remove(slots.size() - 1);
    }
}

void EffectChain::Reset() {
    ChainGuardHold hold(chainGuard);
    for (const auto& slot : slots) {
        slot->Reset();
    }
}

void EffectChain::SetSampleRate(uint32_t rate) {
    ChainGuardHold hold(chainGuard);  // no block is processed at the old rate after the new one
    for (const auto& slot : slots) {
        vst::AEffect* effect = slot->Effect();
        PluginHost::Dispatch(effect, vst::effMainsChanged, 0, 0);
        PluginHost::Dispatch(effect, vst::effSetSampleRate, 0, 0, nullptr,
                             static_cast<float>(rate));
        PluginHost::Dispatch(effect, vst::effMainsChanged, 0, 1);
    }
}

uint32_t EffectChain::LatencyFrames() const {
    uint32_t total = 0;
    for (const auto& slot : slots) {
        if (!slot->Bypassed()) {
            total += slot->LatencyFrames();
        }
    }
    return total;
}

void EffectChain::Run(float* left, float* right, float* outLeft, float* outRight, uint32_t frames,
                      uint32_t blockFrames) {
    for (const auto& slot : slots) {
        processing.store(slot.get(), std::memory_order_release);
        slot->Run(left, right, outLeft, outRight, frames, blockFrames);
    }
    processing.store(nullptr, std::memory_order_release);
}

std::string EffectChain::BusyEffectName() const {
    const EffectSlot* busy = processing.load(std::memory_order_acquire);
    return busy != nullptr ? busy->Name() : std::string();
}
