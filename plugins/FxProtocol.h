#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

#include "platform/VstAbi.h"

/// What Orvane and orvane-fx, the child process one effect runs in, say to each other.
///
/// Two stream sockets join them. On the call channel Orvane sends requests (the effect's
/// dispatcher, setParameter, getParameter) and the child's main thread answers each in turn;
/// on the callback channel the child sends the plug-in's requests to its host, from any of its
/// threads, and Orvane's service thread for that child answers. Every message is a fixed
/// header followed by `bytes` bytes of payload.
///
/// Audio never crosses a socket: a shared memory region (BlockArea) holds one block of every
/// input and output channel; an eventfd each way says "go" and "done".
namespace fx {

/// The descriptors orvane-fx finds open when it starts.
constexpr int kCallFd = 3;
constexpr int kCallbackFd = 4;
constexpr int kBlockAreaFd = 5;
constexpr int kGoFd = 6;
constexpr int kDoneFd = 7;

/// What a call-channel request asks for.
enum class Request : uint32_t {
    kDispatch = 1,
    kSetParameter = 2,
    kGetParameter = 3,
    kQuit = 4,  // the child closes its effect's library and exits
};

struct RequestHeader {
    Request kind = Request::kDispatch;
    int32_t opcode = 0;
    int32_t index = 0;
    uint32_t bytes = 0;  // payload
    int64_t value = 0;
    float opt = 0.0f;
    uint32_t reserved = 0;
};

/// The effect's fields that the host's stand-in for it mirrors.
struct Mirror {
    int32_t magic = 0;
    int32_t flags = 0;
    int32_t numPrograms = 0;
    int32_t numParams = 0;
    int32_t numInputs = 0;
    int32_t numOutputs = 0;
    int32_t initialDelay = 0;
    int32_t uniqueId = 0;
    int32_t version = 0;
    int32_t processes = 0;  // 1 when the effect has processReplacing
};

/// Sent once when the child has run the library's entry point (`result` 1, then the mirror
/// holds the effect), or failed to (`result` 0, the payload says why), and after every
/// request. For getParameter, `real` holds the value.
struct ReplyHeader {
    int64_t result = 0;
    uint32_t bytes = 0;
    float real = 0.0f;
    Mirror mirror;
};

/// A plug-in's request to its host, answered with a CallbackReply. No payload: requests that
/// need one are answered in the child.
struct CallbackHeader {
    int32_t opcode = 0;
    int32_t index = 0;
    int64_t value = 0;
    float opt = 0.0f;
    uint32_t reserved = 0;
};

struct CallbackReply {
    int64_t result = 0;
};

/// The start of the shared block area; the channel buffers follow it, every input then every
/// output, each `capacityFrames` floats long.
struct BlockHeader {
    uint32_t frames = 0;  // this block
    int32_t inputs = 0;   // the channel buffers the effect is handed this block
    int32_t outputs = 0;
    uint32_t capacityFrames = 0;           // set by the host at the start
    std::atomic<int32_t> initialDelay{0};  // republished by the child after every block
    uint32_t padding[11] = {};
};
static_assert(sizeof(BlockHeader) == 64);
static_assert(std::atomic<int32_t>::is_always_lock_free);

/// The most channels either way a block carries.
constexpr int32_t kMaxBlockChannels = 64;

/// Bytes of a block area for blocks of up to `frames` frames.
constexpr size_t BlockAreaBytes(uint32_t frames) {
    return sizeof(BlockHeader) + size_t{2} * kMaxBlockChannels * frames * sizeof(float);
}

/// Channel buffer `channel` (inputs first, then outputs) of a mapped area.
inline float* ChannelBuffer(void* area, uint32_t capacityFrames, int32_t channel) {
    auto* first = reinterpret_cast<float*>(static_cast<char*>(area) + sizeof(BlockHeader));
    return first + static_cast<size_t>(channel) * capacityFrames;
}

/// How a dispatcher opcode's pointer argument is carried.
enum class PointerUse {
    kNone,        // no pointer: the call passes as it is
    kTextOut,     // the effect writes a text into a 256-byte buffer, sent back
    kTextIn,      // a text for the effect, sent as the payload
    kChunkOut,    // the effect sets *ptr to its bytes and answers their size
    kChunkIn,     // `value` bytes at ptr, sent as the payload
    kRectOut,     // the effect sets *ptr to its editor rectangle
    kWindowId,    // ptr is an X11 window id, valid in any process
    kUnsupported  // a pointer this host cannot carry: the call is refused
};

inline PointerUse PointerUseOf(int32_t opcode) {
    switch (opcode) {
        case vst::effGetProgramName:
        case vst::effGetParamLabel:
        case vst::effGetParamDisplay:
        case vst::effGetParamName:
        case vst::effGetProgramNameIndexed:
        case vst::effGetEffectName:
        case vst::effGetVendorString:
        case vst::effGetProductString:
            return PointerUse::kTextOut;
        case vst::effSetProgramName:
        case vst::effCanDo:
            return PointerUse::kTextIn;
        case vst::effGetChunk:
            return PointerUse::kChunkOut;
        case vst::effSetChunk:
            return PointerUse::kChunkIn;
        case vst::effEditGetRect:
            return PointerUse::kRectOut;
        case vst::effEditOpen:
            return PointerUse::kWindowId;
        case vst::effOpen:
        case vst::effClose:
        case vst::effSetProgram:
        case vst::effGetProgram:
        case vst::effSetSampleRate:
        case vst::effSetBlockSize:
        case vst::effMainsChanged:
        case vst::effEditClose:
        case vst::effEditIdle:
        case vst::effGetPlugCategory:
        case vst::effGetVendorVersion:
        case vst::effGetTailSize:
        case vst::effIdle:
        case vst::effGetVstVersion:
        case vst::effBeginSetProgram:
        case vst::effEndSetProgram:
            return PointerUse::kNone;
        default:
            return PointerUse::kUnsupported;
    }
}

/// The text buffer handed to an effect for a text it writes.
constexpr size_t kTextBytes = 256;
/// The largest chunk either way (a bank of a sampler can be large, but not this large).
constexpr uint32_t kMaxPayloadBytes = 256u << 20;

}  // namespace fx
