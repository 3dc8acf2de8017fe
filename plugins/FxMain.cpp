// orvane-fx: runs one effect for Orvane in a process of its own, so that a plug-in that
// crashes or hangs takes only this process. Orvane starts it with the descriptors of
// FxProtocol.h open and the library, sample rate and block size as arguments; it loads the
// library, makes the effect with its entry point, says so, and then does what Orvane asks:
// dispatcher calls and parameters on the main thread, blocks on an audio thread of its own.

#include <signal.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/SharedLibrary.h"
#include "plugins/FxChannel.h"
#include "plugins/FxProtocol.h"
#include "plugins/HostIdentity.h"

// In sanitizer builds a plug-in that crashes must end this process with its signal, at once,
// as it does in a normal build: Orvane tells a crash by the child's end.
extern "C" __attribute__((used, visibility("default"))) const char* __asan_default_options() {
    return "handle_segv=0:handle_sigbus=0:handle_sigfpe=0:handle_abort=0:detect_leaks=0";
}
extern "C" __attribute__((used, visibility("default"))) const char* __tsan_default_options() {
    return "handle_segv=0:handle_sigbus=0:handle_sigfpe=0:handle_abort=0";
}

namespace {

using namespace host_identity;

vst::AEffect* effect = nullptr;
std::atomic<uint32_t> sampleRate{0};
std::atomic<uint32_t> blockFrames{0};
std::mutex callbackMutex;  // one of the plug-in's threads at a time asks the host
void* area = nullptr;
// Orvane orders this process's two threads (a call is answered before a block that follows it
// starts, and the other way round), through itself. These make that order visible to tools
// that check threads, which cannot follow it through another process.
std::atomic<uint64_t> callsAnswered{0};
std::atomic<uint64_t> blocksDone{0};

fx::Mirror MirrorOf(const vst::AEffect& e) {
    fx::Mirror m;
    m.magic = e.magic;
    m.flags = e.flags;
    m.numPrograms = e.numPrograms;
    m.numParams = e.numParams;
    m.numInputs = e.numInputs;
    m.numOutputs = e.numOutputs;
    m.initialDelay = e.initialDelay;
    m.uniqueId = e.uniqueId;
    m.version = e.version;
    m.processes = e.processReplacing != nullptr ? 1 : 0;
    return m;
}

void PublishLatency() {
    if (effect != nullptr && area != nullptr) {
        static_cast<fx::BlockHeader*>(area)->initialDelay.store(effect->initialDelay,
                                                                std::memory_order_release);
    }
}

intptr_t CopyText(void* destination, const char* text, size_t bytes) {
    if (destination != nullptr) {
        std::memcpy(destination, text, bytes);
    }
    return 0;
}

// What needs no host is answered here, without a round trip; the rest goes to Orvane, with
// no pointer (none of what Orvane answers needs one).
intptr_t HostCallback(vst::AEffect*, int32_t opcode, int32_t index, intptr_t value, void* ptr,
                      float opt) {
    switch (opcode) {
        case vst::audioMasterVersion:
            return kHostVersion;
        case vst::audioMasterCurrentId:
            return kEffectId;
        case vst::audioMasterGetSampleRate:
            return sampleRate.load();
        case vst::audioMasterGetBlockSize:
            return blockFrames.load();
        case vst::audioMasterGetVendorString:
            return CopyText(ptr, kVendor, sizeof kVendor);
        case vst::audioMasterGetProductString:
            return CopyText(ptr, kProduct, sizeof kProduct);
        case vst::audioMasterWantMidi:
            return 0;
        case vst::audioMasterIOChanged:
            PublishLatency();
            return 1;
        case vst::audioMasterGetTime:
        case vst::audioMasterProcessEvents:
        case vst::audioMasterCanDo:
            return 0;  // this host keeps no time line, sends no events, claims nothing
        default:
            break;
    }
    fx::CallbackHeader request;
    request.opcode = opcode;
    request.index = index;
    request.value = value;
    request.opt = opt;
    fx::CallbackReply reply;
    std::lock_guard<std::mutex> hold(callbackMutex);
    if (!fx::WriteFully(fx::kCallbackFd, &request, sizeof request) ||
        !fx::ReadFully(fx::kCallbackFd, &reply, sizeof reply)) {
        return 0;
    }
    return static_cast<intptr_t>(reply.result);
}

bool SendReply(int64_t result, const void* payload, size_t bytes, float real = 0.0f) {
    callsAnswered.fetch_add(1, std::memory_order_release);
    // After effClose the effect is gone (plug-ins delete themselves): its last figures stand.
    static fx::Mirror last;
    if (effect != nullptr) {
        last = MirrorOf(*effect);
    }
    fx::ReplyHeader reply;
    reply.result = result;
    reply.bytes = static_cast<uint32_t>(bytes);
    reply.real = real;
    reply.mirror = last;
    return fx::WriteFully(fx::kCallFd, &reply, sizeof reply) &&
           (bytes == 0 || fx::WriteFully(fx::kCallFd, payload, bytes));
}

bool SendFailure(const std::string& why) {
    return SendReply(0, why.data(), why.size());
}

// Runs blocks as Orvane hands them over, until it goes away.
void AudioLoop() {
    auto* header = static_cast<fx::BlockHeader*>(area);
    std::array<float*, fx::kMaxBlockChannels> inputs{};
    std::array<float*, fx::kMaxBlockChannels> outputs{};
    for (;;) {
        uint64_t go = 0;
        if (::read(fx::kGoFd, &go, sizeof go) != sizeof go) {
            return;
        }
        callsAnswered.load(std::memory_order_acquire);
        const uint32_t capacity = header->capacityFrames;
        const uint32_t frames = std::min(header->frames, capacity);
        const int32_t numOutputs = std::clamp(header->outputs, 0, fx::kMaxBlockChannels);
        for (int32_t c = 0; c < fx::kMaxBlockChannels; ++c) {
            inputs[static_cast<size_t>(c)] = fx::ChannelBuffer(area, capacity, c);
            outputs[static_cast<size_t>(c)] =
                fx::ChannelBuffer(area, capacity, fx::kMaxBlockChannels + c);
        }
        vst::AEffect* running = effect;
        if (running != nullptr && running->processReplacing != nullptr && numOutputs > 0) {
            running->processReplacing(running, inputs.data(), outputs.data(),
                                      static_cast<int32_t>(frames));
        }
        PublishLatency();
        blocksDone.fetch_add(1, std::memory_order_release);
        const uint64_t done = 1;
        if (::write(fx::kDoneFd, &done, sizeof done) != sizeof done) {
            return;
        }
    }
}

intptr_t Dispatch(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt) {
    if (effect == nullptr) {
        return 0;  // closed
    }
    vst::AEffect* called = effect;
    if (opcode == vst::effClose) {
        effect = nullptr;
    }
    return called->dispatcher(called, opcode, index, value, ptr, opt);
}

// Carries out one dispatcher request and answers it.
bool DispatchRequest(const fx::RequestHeader& request, std::vector<char>& payload) {
    const auto value = static_cast<intptr_t>(request.value);
    if (request.opcode == vst::effSetSampleRate) {
        sampleRate.store(static_cast<uint32_t>(request.opt));
    } else if (request.opcode == vst::effSetBlockSize) {
        blockFrames.store(static_cast<uint32_t>(value));
    }
    switch (fx::PointerUseOf(request.opcode)) {
        case fx::PointerUse::kTextOut: {
            std::array<char, fx::kTextBytes> text{};
            const intptr_t result =
                Dispatch(request.opcode, request.index, value, text.data(), request.opt);
            text.back() = '\0';
            return SendReply(result, text.data(), strnlen(text.data(), text.size()) + 1);
        }
        case fx::PointerUse::kTextIn: {
            payload.push_back('\0');
            return SendReply(
                Dispatch(request.opcode, request.index, value, payload.data(), request.opt),
                nullptr, 0);
        }
        case fx::PointerUse::kChunkOut: {
            void* bytes = nullptr;
            const intptr_t size =
                Dispatch(request.opcode, request.index, value, &bytes, request.opt);
            if (bytes == nullptr || size <= 0 ||
                static_cast<uint64_t>(size) > fx::kMaxPayloadBytes) {
                return SendReply(0, nullptr, 0);
            }
            return SendReply(size, bytes, static_cast<size_t>(size));
        }
        case fx::PointerUse::kChunkIn:
            return SendReply(
                Dispatch(request.opcode, request.index, static_cast<intptr_t>(payload.size()),
                         payload.data(), request.opt),
                nullptr, 0);
        case fx::PointerUse::kRectOut: {
            vst::ERect* rect = nullptr;
            const intptr_t result =
                Dispatch(request.opcode, request.index, value, &rect, request.opt);
            return rect != nullptr ? SendReply(result, rect, sizeof *rect)
                                   : SendReply(result, nullptr, 0);
        }
        case fx::PointerUse::kWindowId:
            return SendReply(
                Dispatch(request.opcode, request.index, 0,
                         reinterpret_cast<void*>(static_cast<uintptr_t>(value)), request.opt),
                nullptr, 0);
        case fx::PointerUse::kNone:
        case fx::PointerUse::kUnsupported:
            break;
    }
    return SendReply(Dispatch(request.opcode, request.index, value, nullptr, request.opt), nullptr,
                     0);
}

// Answers Orvane's requests until it asks this process to end or goes away.
void CallLoop() {
    for (;;) {
        fx::RequestHeader request;
        if (!fx::ReadFully(fx::kCallFd, &request, sizeof request) ||
            request.bytes > fx::kMaxPayloadBytes) {
            return;
        }
        std::vector<char> payload(request.bytes);
        if (!payload.empty() && !fx::ReadFully(fx::kCallFd, payload.data(), payload.size())) {
            return;
        }
        blocksDone.load(std::memory_order_acquire);
        bool answered = false;
        switch (request.kind) {
            case fx::Request::kDispatch:
                answered = DispatchRequest(request, payload);
                break;
            case fx::Request::kSetParameter:
                if (effect != nullptr && effect->setParameter != nullptr) {
                    effect->setParameter(effect, request.index, request.opt);
                }
                answered = SendReply(0, nullptr, 0);
                break;
            case fx::Request::kGetParameter:
                answered = SendReply(0, nullptr, 0,
                                     effect != nullptr && effect->getParameter != nullptr
                                         ? effect->getParameter(effect, request.index)
                                         : 0.0f);
                break;
            case fx::Request::kQuit:
                return;
        }
        if (!answered) {
            return;
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fputs(
            "Usage: orvane-fx LIBRARY RATE BLOCKFRAMES\n"
            "Runs one VST 2 effect for Orvane; Orvane starts it.\n",
            stderr);
        return 2;
    }
    // Never outlive Orvane, whatever the plug-in does.
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() == 1) {
        _exit(1);
    }
    sampleRate.store(static_cast<uint32_t>(std::strtoul(argv[2], nullptr, 10)));
    blockFrames.store(static_cast<uint32_t>(std::strtoul(argv[3], nullptr, 10)));
    struct stat areaStatus {};
    if (::fstat(fx::kBlockAreaFd, &areaStatus) != 0) {
        _exit(2);
    }
    area = ::mmap(nullptr, static_cast<size_t>(areaStatus.st_size), PROT_READ | PROT_WRITE,
                  MAP_SHARED, fx::kBlockAreaFd, 0);
    if (area == MAP_FAILED) {
        SendFailure("cannot be run in a process of its own: no shared memory");
        _exit(2);
    }

    platform::SharedLibrary library;
    if (!library.Open(argv[1])) {
        SendFailure("cannot be loaded: " + library.ErrorText());
        _exit(0);
    }
    vst::EntryProc entryPoint = nullptr;
    for (const char* name : {"VSTPluginMain", "main"}) {
        entryPoint = reinterpret_cast<vst::EntryProc>(library.Symbol(name));
        if (entryPoint != nullptr) {
            break;
        }
    }
    vst::AEffect* made = entryPoint != nullptr ? entryPoint(&HostCallback) : nullptr;
    if (made == nullptr || made->magic != vst::kMagic) {
        SendFailure(entryPoint == nullptr ? "no entry point (VSTPluginMain or main)"
                    : made == nullptr     ? "its entry point returned no effect"
                                          : "not a VST 2 effect (wrong magic number)");
        _exit(0);
    }
    effect = made;
    PublishLatency();
    std::thread audio(AudioLoop);
    audio.detach();
    if (SendReply(1, nullptr, 0)) {
        CallLoop();
    }
    // What the plug-in printed goes out, as it would at the end of Orvane itself. No library
    // unloading and no static destructors: some plug-ins crash in theirs, and Orvane has
    // closed the effect already.
    std::fflush(nullptr);
    _exit(0);
}
