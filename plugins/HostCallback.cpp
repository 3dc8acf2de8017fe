// The host's answers to plug-in requests, and the calls and texts that go the other way.

#include <array>
#include <atomic>
#include <cstdint>
#include <cstring>

#include "plugins/IdleRequests.h"
#include "plugins/PluginHost.h"

namespace {

// Plug-ins call back without a host object, so the values their requests need live once per
// process. Atomic because the callback may run on the playback thread.
std::atomic<uint32_t> sampleRate{0};
std::atomic<uint32_t> blockSize{0};
// The editor windows that take audioMasterSizeWindow requests; nullptr while there are none.
std::atomic<EditorWindows*> editorWindowsForSizing{nullptr};

// The identity reported to plug-ins, UTF-8 ("ł" is C5 82), copied with the terminator.
constexpr char kVendor[] =
    "Kalvoro \xC5\x82"
    "ejw editor";
constexpr char kProduct[] =
    "Kalvoro soft\xC5\x82"
    "er";
constexpr intptr_t kHostVersion = 2;
constexpr intptr_t kEffectId = 0x4B555041;
constexpr intptr_t kVendorVersion = 1;
constexpr intptr_t kLanguage = 1;

intptr_t CopyText(void* destination, const char* text, size_t bytes) {
    if (destination != nullptr) {
        std::memcpy(destination, text, bytes);
    }
    return 0;
}

}  // namespace

void PluginHost::PublishConfiguration(uint32_t rate, uint32_t blockBytes) {
    sampleRate.store(rate, std::memory_order_relaxed);
    blockSize.store(blockBytes, std::memory_order_relaxed);
}

void PluginHost::PublishEditorWindows(EditorWindows* previous, EditorWindows* windows) {
    if (windows != nullptr) {
        editorWindowsForSizing.store(windows);
    } else {
        // Only the host that published the current windows withdraws them.
        editorWindowsForSizing.compare_exchange_strong(previous, nullptr);
    }
}

uint32_t PluginHost::SampleRate() {
    return sampleRate.load(std::memory_order_relaxed);
}

uint32_t PluginHost::BlockSize() {
    return blockSize.load(std::memory_order_relaxed);
}

intptr_t PluginHost::HostCallback(vst::AEffect* effect, int32_t opcode, int32_t index,
                                  intptr_t value, void* ptr, float /*opt*/) {
    // Compared as unsigned so that negative opcodes fall to the default like large ones.
    switch (static_cast<uint32_t>(opcode)) {
        case vst::audioMasterVersion:
            return kHostVersion;
        case vst::audioMasterCurrentId:
            return kEffectId;
        case vst::audioMasterIdle:
            // Run on the user-interface thread only, and never inside the effect's own idle;
            // a null effect (asking from its entry point) is ignored.
            IdleRequests::Request(effect, vst::effEditIdle);
            return 0;
        case vst::audioMasterWantMidi:
            return 0;  // this host sends no MIDI; never confuse it with a size request
        case vst::audioMasterSizeWindow: {
            // index = width, value = height, in pixels.
            EditorWindows* windows = editorWindowsForSizing.load();
            const bool sized = windows != nullptr && effect != nullptr && value >= INT32_MIN &&
                               value <= INT32_MAX &&
                               windows->ResizeEditor(effect, index, static_cast<int32_t>(value));
            return sized ? 1 : 0;
        }
        case vst::audioMasterIOChanged:
            // Acknowledged: the chain's latency is read from initialDelay whenever it is needed.
            return 1;
        case vst::audioMasterNeedIdle:
            if (effect == nullptr) {
                return 0;
            }
            IdleRequests::Request(effect, vst::effIdle);
            return 1;
        case vst::audioMasterGetSampleRate:
            return SampleRate();
        case vst::audioMasterGetBlockSize:
            return BlockSize();
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
