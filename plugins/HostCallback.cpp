// The host's answers to plug-in requests, and the calls and texts that go the other way.

#include <array>
#include <atomic>
#include <cstdint>
#include <cstring>

#include "plugins/HostIdentity.h"
#include "plugins/IdleRequests.h"
#include "plugins/PluginHost.h"

namespace {

using namespace host_identity;

intptr_t CopyText(void* destination, const char* text, size_t bytes) {
    if (destination != nullptr) {
        std::memcpy(destination, text, bytes);
    }
    return 0;
}

// Plug-ins call back without a host object; what they ask about is found through the
// effect's slot (or, inside its entry point, the setup being opened on this thread).
uint32_t RateFor(const vst::AEffect* effect) {
    const EffectSetup* setup = OpenedEffect::SetupForHostCallback(effect);
    return setup != nullptr ? setup->sampleRate.load(std::memory_order_relaxed) : 0;
}

uint32_t BlockFramesFor(const vst::AEffect* effect) {
    const EffectSetup* setup = OpenedEffect::SetupForHostCallback(effect);
    return setup != nullptr ? setup->blockFrames.load(std::memory_order_relaxed) : 0;
}

}  // namespace

intptr_t PluginHost::HostCallback(vst::AEffect* effect, int32_t opcode, int32_t index,
                                  intptr_t value, void* ptr, float /*opt*/) {
    // Compared as unsigned so that negative opcodes fall to the default like large ones.
    switch (static_cast<uint32_t>(opcode)) {
        case vst::audioMasterAutomate:
        case vst::audioMasterBeginEdit:
            // A setting changed (or is about to) at the user's hand: the session has changed.
            if (EffectSlot* slot = EffectSlot::Of(effect)) {
                slot->MarkSettingsTouched();
            }
            return 0;
        case vst::audioMasterVersion:
            return kHostVersion;
        case vst::audioMasterCurrentId:
            return kEffectId;
        case vst::audioMasterIdle:
            // Run on the user-interface thread only, and never inside the effect's own idle;
            // an effect of no host (or a null one, asking from its entry point) is ignored.
            if (IdleRequests* idle = OpenedEffect::IdleRequestsOf(effect)) {
                idle->Request(effect, vst::effEditIdle);
            }
            return 0;
        case vst::audioMasterWantMidi:
            return 0;  // this host sends no MIDI; never confuse it with a size request
        case vst::audioMasterSizeWindow: {
            // index = width, value = height, in pixels. The slot's open editor takes it.
            const EffectSlot* slot = EffectSlot::Of(effect);
            EffectEditor* editor = slot != nullptr ? slot->Editor() : nullptr;
            const bool sized = editor != nullptr && value >= INT32_MIN && value <= INT32_MAX &&
                               editor->Resize(index, static_cast<int32_t>(value));
            return sized ? 1 : 0;
        }
        case vst::audioMasterIOChanged:
            // Latency (initialDelay) is read afresh wherever it is used, so the change is
            // taken as soon as it is announced.
            return 1;
        case vst::audioMasterNeedIdle:
            if (IdleRequests* idle = OpenedEffect::IdleRequestsOf(effect)) {
                idle->Request(effect, vst::effIdle);
                return 1;
            }
            return 0;
        case vst::audioMasterGetSampleRate:
            return RateFor(effect);
        case vst::audioMasterGetBlockSize:
            return BlockFramesFor(effect);
        case vst::audioMasterGetVendorString:
            return CopyText(ptr, kVendor, sizeof kVendor);
        case vst::audioMasterGetProductString:
            return CopyText(ptr, kProduct, sizeof kProduct);
        case vst::audioMasterGetVendorVersion:
            return kVendorVersion;
        case vst::audioMasterGetLanguage:
            return kLanguage;
        default:
            return 0;
    }
}

intptr_t PluginHost::Dispatch(vst::AEffect* effect, int32_t opcode, int32_t index, intptr_t value,
                              void* ptr, float opt) {
    if (effect == nullptr || effect->dispatcher == nullptr) {
        return 0;
    }
    return effect->dispatcher(effect, opcode, index, value, ptr, opt);
}

std::string PluginHost::EffectText(vst::AEffect* effect, int32_t opcode, int32_t index,
                                   intptr_t* result) {
    // Plug-ins write far past the historic 8- to 64-character limits; a roomy zero-filled
    // buffer keeps their text terminated, and strnlen keeps us inside it if they fill it.
    std::array<char, kTextBufferBytes> buffer{};
    const intptr_t answer = Dispatch(effect, opcode, index, 0, buffer.data());
    if (result != nullptr) {
        *result = answer;
    }
    return std::string(buffer.data(), strnlen(buffer.data(), buffer.size()));
}
