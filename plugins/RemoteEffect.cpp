#include "plugins/RemoteEffect.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/eventfd.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/ChildProcess.h"
#include "plugins/FxChannel.h"
#include "plugins/PluginHost.h"
#include "plugins/PluginPaths.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

// The child's end of a descriptor is moved above the numbers it is given in the child, so
// that one move cannot overwrite the source of another.
constexpr int kFirstHighDescriptor = 64;

int MoveHigh(int fd) {
    const int high = ::fcntl(fd, F_DUPFD_CLOEXEC, kFirstHighDescriptor);
    ::close(fd);
    return high;
}

void CloseDescriptor(int& fd) {
    if (fd >= 0) {
        ::close(fd);
        fd = -1;
    }
}

// Input channel i to output channel i: what a faulted effect does to the audio.
void PassThrough(float** inputs, float** outputs, int32_t numInputs, int32_t numOutputs,
                 uint32_t offset, uint32_t frames) {
    for (int32_t c = 0; c < std::min(numInputs, numOutputs); ++c) {
        if (inputs[c] != outputs[c]) {
            std::memmove(outputs[c] + offset, inputs[c] + offset, frames * sizeof(float));
        }
    }
    for (int32_t c = numInputs; c < numOutputs; ++c) {
        std::fill(outputs[c] + offset, outputs[c] + offset + frames, 0.0f);
    }
}

void Store(int32_t& field, int32_t value) {
    std::atomic_ref<int32_t> shared(field);
    if (shared.load(std::memory_order_relaxed) != value) {
        shared.store(value, std::memory_order_relaxed);
    }
}

RemoteEffect* Owner(vst::AEffect* effect) {
    return static_cast<RemoteEffect*>(effect->object);
}

}  // namespace

RemoteEffect::RemoteEffect(const EffectSetup& effectSetup) : setup(effectSetup) {
    proxy.object = this;
    proxy.dispatcher = &DispatchEntry;
    proxy.processReplacing = &ProcessEntry;
    proxy.setParameter = &SetParameterEntry;
    proxy.getParameter = &GetParameterEntry;
    proxy.ioRatio = 1.0f;
}

std::unique_ptr<RemoteEffect> RemoteEffect::Start(const std::string& library,
                                                  const EffectSetup& setup, void* user,
                                                  std::string& error) {
    std::unique_ptr<RemoteEffect> remote(new RemoteEffect(setup));
    remote->proxy.user = user;
    if (!remote->Launch(library, error)) {
        return nullptr;
    }
    // Serving already: plug-ins call their host from inside their entry point.
    remote->service = std::thread(&RemoteEffect::Serve, remote.get());
    if (!remote->AwaitLoad(error)) {
        return nullptr;
    }
    return remote;
}

bool RemoteEffect::Launch(const std::string& library, std::string& error) {
    capacityFrames = std::max<uint32_t>(setup.blockFrames.load(), 4096);
    areaBytes = fx::BlockAreaBytes(capacityFrames);
    int areaFd = ::memfd_create("orvane-fx-block", MFD_CLOEXEC);
    if (areaFd < 0 || ::ftruncate(areaFd, static_cast<off_t>(areaBytes)) != 0) {
        if (areaFd >= 0) {
            ::close(areaFd);
        }
        error = "cannot be run in a process of its own: no shared memory (" +
                std::string(std::strerror(errno)) + ")";
        return false;
    }
    area = ::mmap(nullptr, areaBytes, PROT_READ | PROT_WRITE, MAP_SHARED, areaFd, 0);
    if (area == MAP_FAILED) {
        area = nullptr;
        ::close(areaFd);
        error = "cannot be run in a process of its own: no shared memory";
        return false;
    }
    auto* header = new (area) fx::BlockHeader;
    header->capacityFrames = capacityFrames;

    int calls[2] = {-1, -1};
    int callbacks[2] = {-1, -1};
    ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, calls);
    ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, callbacks);
    goFd = ::eventfd(0, EFD_CLOEXEC);
    doneFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);  // only this end reads it
    int childGo = goFd >= 0 ? MoveHigh(::fcntl(goFd, F_DUPFD_CLOEXEC, 0)) : -1;
    int childDone = doneFd >= 0 ? MoveHigh(::fcntl(doneFd, F_DUPFD_CLOEXEC, 0)) : -1;
    int childCall = calls[1] >= 0 ? MoveHigh(calls[1]) : -1;
    int childCallback = callbacks[1] >= 0 ? MoveHigh(callbacks[1]) : -1;
    areaFd = MoveHigh(areaFd);
    callFd = calls[0];
    callbackFd = callbacks[0];

    const std::string program =
        setup.effectProgram.empty() ? plugin_paths::EffectProgram() : setup.effectProgram;
    bool ready = callFd >= 0 && callbackFd >= 0 && childCall >= 0 && childCallback >= 0 &&
                 childGo >= 0 && childDone >= 0 && areaFd >= 0;
    if (ready) {
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, childCall, fx::kCallFd);
        posix_spawn_file_actions_adddup2(&actions, childCallback, fx::kCallbackFd);
        posix_spawn_file_actions_adddup2(&actions, areaFd, fx::kBlockAreaFd);
        posix_spawn_file_actions_adddup2(&actions, childGo, fx::kGoFd);
        posix_spawn_file_actions_adddup2(&actions, childDone, fx::kDoneFd);
        std::vector<std::string> words{program, library, std::to_string(setup.sampleRate.load()),
                                       std::to_string(setup.blockFrames.load())};
        std::vector<char*> argv;
        for (std::string& word : words) {
            argv.push_back(word.data());
        }
        argv.push_back(nullptr);
        const int spawned =
            ::posix_spawn(&child, program.c_str(), &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        if (spawned != 0) {
            child = -1;
            error =
                "cannot be run in a process of its own: " + program + ": " + std::strerror(spawned);
            ready = false;
        }
    } else {
        error = "cannot be run in a process of its own: " + std::string(std::strerror(errno));
    }
    for (int* fd : {&childCall, &childCallback, &childGo, &childDone, &areaFd}) {
        CloseDescriptor(*fd);
    }
    return ready;
}

bool RemoteEffect::AwaitLoad(std::string& error) {
    fx::ReplyHeader hello;
    const auto outcome =
        fx::ReadFully(callFd, &hello, sizeof hello, Clock::now() + setup.loadDeadline);
    std::vector<char> why(outcome == fx::ReadOutcome::kDone ? hello.bytes : 0);
    if (outcome == fx::ReadOutcome::kDone && !why.empty() &&
        fx::ReadFully(callFd, why.data(), why.size(), Clock::now() + setup.callDeadline) !=
            fx::ReadOutcome::kDone) {
        why.clear();
    }
    if (outcome == fx::ReadOutcome::kDone && hello.result == 1) {
        Mirror(hello.mirror);
        if (hello.mirror.processes == 0) {
            proxy.processReplacing = nullptr;  // passed over, as it would be in process
        }
        return true;
    }
    quitting.store(true);
    if (outcome == fx::ReadOutcome::kDone) {
        error.assign(why.begin(), why.end());
        Reap();
        return false;
    }
    if (outcome == fx::ReadOutcome::kTimedOut) {
        Terminate(EffectFault::NotResponding);
        char seconds[32];
        std::snprintf(seconds, sizeof seconds, "%g", setup.loadDeadline.count() / 1000.0);
        error = "did not finish loading within " + std::string(seconds) + " s";
        return false;
    }
    const int status = Reap();
    if (status >= 0 && WIFSIGNALED(status)) {
        error = "crashed while loading: " + platform::SignalDescription(WTERMSIG(status));
    } else if (status >= 0 && WIFEXITED(status) && WEXITSTATUS(status) == 127) {
        error = "cannot be run in a process of its own: orvane-fx did not start";
    } else {
        error = "ended while loading (exit status " +
                std::to_string(status >= 0 && WIFEXITED(status) ? WEXITSTATUS(status) : -1) + ")";
    }
    return false;
}

RemoteEffect::~RemoteEffect() {
    quitting.store(true);
    if (child > 0 && Fault() == EffectFault::None) {
        std::lock_guard<std::mutex> hold(callMutex);
        fx::RequestHeader quit;
        quit.kind = fx::Request::kQuit;
        const auto deadline = Clock::now() + setup.callDeadline;
        char ignored = 0;
        if (fx::WriteFully(callFd, &quit, sizeof quit, deadline)) {
            // The child exits without answering: its end closing is the answer.
            fx::ReadFully(callFd, &ignored, 1, deadline);
        }
    }
    Terminate(EffectFault::None);
    if (callbackFd >= 0) {
        ::shutdown(callbackFd, SHUT_RDWR);  // the service thread's read ends
    }
    if (service.joinable()) {
        service.join();
    }
    for (int* fd : {&callFd, &callbackFd, &goFd, &doneFd}) {
        CloseDescriptor(*fd);
    }
    if (area != nullptr) {
        ::munmap(area, areaBytes);
    }
}

int RemoteEffect::Reap() {
    std::lock_guard<std::mutex> hold(lifeMutex);
    if (child <= 0) {
        return -1;
    }
    if (reaped) {
        return exitStatus;  // the service thread saw the end first
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    reaped = true;
    exitStatus = status;
    return status;
}

void RemoteEffect::Terminate(EffectFault why) {
    std::lock_guard<std::mutex> hold(lifeMutex);
    if (why != EffectFault::None && !quitting.load() &&
        fault.load(std::memory_order_relaxed) == EffectFault::None) {
        fault.store(why, std::memory_order_release);
    }
    if (reaped || child <= 0) {
        return;
    }
    ::kill(child, SIGKILL);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    reaped = true;
    exitStatus = status;
}

std::string RemoteEffect::EndText() {
    std::lock_guard<std::mutex> hold(lifeMutex);
    if (!reaped) {
        return {};
    }
    if (WIFSIGNALED(exitStatus)) {
        return platform::SignalDescription(WTERMSIG(exitStatus));
    }
    return "exit status " + std::to_string(WEXITSTATUS(exitStatus));
}

void RemoteEffect::Mirror(const fx::Mirror& mirror) {
    Store(proxy.magic, mirror.magic);
    Store(proxy.flags, mirror.flags);
    Store(proxy.numPrograms, mirror.numPrograms);
    Store(proxy.numParams, mirror.numParams);
    Store(proxy.numInputs, mirror.numInputs);
    Store(proxy.numOutputs, mirror.numOutputs);
    Store(proxy.initialDelay, mirror.initialDelay);
    Store(proxy.uniqueId, mirror.uniqueId);
    Store(proxy.version, mirror.version);
}

std::chrono::milliseconds RemoteEffect::BlockDeadline() const {
    const uint32_t rate = std::max<uint32_t>(setup.sampleRate.load(), 1);
    const auto blocks =
        std::chrono::milliseconds(uint64_t{8} * setup.blockFrames.load() * 1000 / rate);
    return std::max(blocks, setup.blockDeadlineMinimum);
}

bool RemoteEffect::Call(const fx::RequestHeader& request, const void* payload,
                        fx::ReplyHeader& reply, std::vector<char>& answer) {
    std::lock_guard<std::mutex> hold(callMutex);
    if (Fault() != EffectFault::None) {
        return false;
    }
    const auto deadline = Clock::now() + setup.callDeadline;
    if (!fx::WriteFully(callFd, &request, sizeof request, deadline) ||
        (request.bytes > 0 && !fx::WriteFully(callFd, payload, request.bytes, deadline))) {
        Terminate(Clock::now() >= deadline ? EffectFault::NotResponding : EffectFault::Crashed);
        return false;
    }
    auto outcome = fx::ReadFully(callFd, &reply, sizeof reply, deadline);
    if (outcome == fx::ReadOutcome::kDone && reply.bytes > fx::kMaxPayloadBytes) {
        outcome = fx::ReadOutcome::kClosed;  // not an answer this program sends
    }
    if (outcome == fx::ReadOutcome::kDone) {
        answer.resize(reply.bytes);
        outcome = fx::ReadFully(callFd, answer.data(), answer.size(), deadline);
    }
    if (outcome != fx::ReadOutcome::kDone) {
        Terminate(outcome == fx::ReadOutcome::kTimedOut ? EffectFault::NotResponding
                                                        : EffectFault::Crashed);
        return false;
    }
    Mirror(reply.mirror);
    return true;
}

intptr_t RemoteEffect::Dispatch(int32_t opcode, int32_t index, intptr_t value, void* ptr,
                                float opt) {
    fx::PointerUse use = fx::PointerUseOf(opcode);
    if (use == fx::PointerUse::kUnsupported) {
        if (ptr != nullptr) {
            return 0;  // a pointer into this process means nothing in the child's
        }
        use = fx::PointerUse::kNone;
    }
    fx::RequestHeader request;
    request.opcode = opcode;
    request.index = index;
    request.value = value;
    request.opt = opt;
    const char* payload = nullptr;
    std::string text;
    if (use == fx::PointerUse::kTextIn && ptr != nullptr) {
        text.assign(static_cast<const char*>(ptr),
                    strnlen(static_cast<const char*>(ptr), fx::kTextBytes - 1));
        payload = text.data();
        request.bytes = static_cast<uint32_t>(text.size());
    } else if (use == fx::PointerUse::kChunkIn) {
        if (ptr == nullptr || value < 0 || static_cast<uint64_t>(value) > fx::kMaxPayloadBytes) {
            return 0;
        }
        payload = static_cast<const char*>(ptr);
        request.bytes = static_cast<uint32_t>(value);
    } else if (use == fx::PointerUse::kWindowId) {
        request.value = static_cast<int64_t>(reinterpret_cast<uintptr_t>(ptr));
    } else if ((use == fx::PointerUse::kTextOut || use == fx::PointerUse::kChunkOut ||
                use == fx::PointerUse::kRectOut) &&
               ptr == nullptr) {
        return 0;  // nowhere to put the answer
    }
    fx::ReplyHeader reply;
    std::vector<char> answer;
    if (!Call(request, payload, reply, answer)) {
        return 0;
    }
    switch (use) {
        case fx::PointerUse::kTextOut: {
            const size_t length =
                strnlen(answer.data(), std::min(answer.size(), fx::kTextBytes - 1));
            std::memcpy(ptr, answer.data(), length);
            static_cast<char*>(ptr)[length] = '\0';
            break;
        }
        case fx::PointerUse::kChunkOut:
            chunk = std::move(answer);
            *static_cast<void**>(ptr) = chunk.empty() ? nullptr : chunk.data();
            return static_cast<intptr_t>(chunk.size());
        case fx::PointerUse::kRectOut:
            if (answer.size() == sizeof rect) {
                std::memcpy(&rect, answer.data(), sizeof rect);
                *static_cast<vst::ERect**>(ptr) = &rect;
            } else {
                *static_cast<vst::ERect**>(ptr) = nullptr;
            }
            break;
        default:
            break;
    }
    return static_cast<intptr_t>(reply.result);
}

void RemoteEffect::Process(float** inputs, float** outputs, int32_t frames) {
    const int32_t numInputs = std::clamp(proxy.numInputs, 0, fx::kMaxBlockChannels);
    const int32_t numOutputs = std::clamp(proxy.numOutputs, 0, fx::kMaxBlockChannels);
    uint32_t done = 0;
    const auto total = static_cast<uint32_t>(std::max(frames, 0));
    while (done < total) {
        const uint32_t part = std::min(total - done, capacityFrames);
        if (Fault() != EffectFault::None || !ProcessPart(inputs, outputs, done, part)) {
            PassThrough(inputs, outputs, numInputs, numOutputs, done, total - done);
            return;
        }
        done += part;
    }
}

bool RemoteEffect::ProcessPart(float** inputs, float** outputs, uint32_t offset, uint32_t frames) {
    auto* header = static_cast<fx::BlockHeader*>(area);
    header->frames = frames;
    header->inputs = std::clamp(proxy.numInputs, 0, fx::kMaxBlockChannels);
    header->outputs = std::clamp(proxy.numOutputs, 0, fx::kMaxBlockChannels);
    for (int32_t c = 0; c < header->inputs; ++c) {
        std::memcpy(fx::ChannelBuffer(area, capacityFrames, c), inputs[c] + offset,
                    frames * sizeof(float));
    }
    const uint64_t go = 1;
    if (::write(goFd, &go, sizeof go) != sizeof go) {
        Terminate(EffectFault::Crashed);
        return false;
    }
    if (!AwaitDone()) {
        return false;
    }
    for (int32_t c = 0; c < header->outputs; ++c) {
        std::memcpy(outputs[c] + offset,
                    fx::ChannelBuffer(area, capacityFrames, fx::kMaxBlockChannels + c),
                    frames * sizeof(float));
    }
    Store(proxy.initialDelay, header->initialDelay.load(std::memory_order_acquire));
    return true;
}

bool RemoteEffect::AwaitDone() {
    // A child awake on the other processor finishes a short block within microseconds: looking
    // for its answer for a moment first spares this thread going to sleep and being woken.
    uint64_t count = 0;
    const auto spinUntil = Clock::now() + kDoneSpin;
    while (Clock::now() < spinUntil) {
        if (::read(doneFd, &count, sizeof count) == sizeof count) {
            return true;
        }
    }
    // Done, or the child's end of the call channel closing (it died), or the deadline.
    const auto deadline = Clock::now() + BlockDeadline();
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() < 0) {
            Terminate(EffectFault::NotResponding);
            return false;
        }
        pollfd watch[2] = {{doneFd, POLLIN, 0}, {callFd, POLLRDHUP, 0}};
        const int ready = ::poll(watch, 2, static_cast<int>(left.count()) + 1);
        if (ready < 0 && errno != EINTR) {
            Terminate(EffectFault::Crashed);
            return false;
        }
        if (ready > 0 && (watch[0].revents & POLLIN) != 0) {
            break;
        }
        if (ready > 0 && (watch[1].revents & (POLLRDHUP | POLLHUP | POLLERR)) != 0) {
            Terminate(EffectFault::Crashed);
            return false;
        }
    }
    if (::read(doneFd, &count, sizeof count) != sizeof count) {
        Terminate(EffectFault::Crashed);
        return false;
    }
    return true;
}

void RemoteEffect::Serve() {
    for (;;) {
        fx::CallbackHeader request;
        if (!fx::ReadFully(callbackFd, &request, sizeof request)) {
            break;
        }
        fx::CallbackReply reply;
        reply.result =
            PluginHost::HostCallback(&proxy, request.opcode, request.index,
                                     static_cast<intptr_t>(request.value), nullptr, request.opt);
        if (!fx::WriteFully(callbackFd, &reply, sizeof reply)) {
            break;
        }
    }
    if (!quitting.load()) {
        Terminate(EffectFault::Crashed);
    }
}

intptr_t RemoteEffect::DispatchEntry(vst::AEffect* effect, int32_t opcode, int32_t index,
                                     intptr_t value, void* ptr, float opt) {
    return Owner(effect)->Dispatch(opcode, index, value, ptr, opt);
}

void RemoteEffect::ProcessEntry(vst::AEffect* effect, float** inputs, float** outputs,
                                int32_t frames) {
    Owner(effect)->Process(inputs, outputs, frames);
}

void RemoteEffect::SetParameterEntry(vst::AEffect* effect, int32_t index, float value) {
    fx::RequestHeader request;
    request.kind = fx::Request::kSetParameter;
    request.index = index;
    request.opt = value;
    fx::ReplyHeader reply;
    std::vector<char> answer;
    Owner(effect)->Call(request, nullptr, reply, answer);
}

float RemoteEffect::GetParameterEntry(vst::AEffect* effect, int32_t index) {
    fx::RequestHeader request;
    request.kind = fx::Request::kGetParameter;
    request.index = index;
    fx::ReplyHeader reply;
    std::vector<char> answer;
    return Owner(effect)->Call(request, nullptr, reply, answer) ? reply.real : 0.0f;
}
