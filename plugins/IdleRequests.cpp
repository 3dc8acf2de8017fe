#include "plugins/IdleRequests.h"

#include <algorithm>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "plugins/PluginHost.h"

namespace {

struct Pending {
    vst::AEffect* effect;
    int32_t opcode;
    bool operator==(const Pending&) const = default;
};

std::mutex mutex;
std::thread::id userInterfaceThread;
std::vector<Pending> pending;
std::vector<const vst::AEffect*> idling;  // effects inside an idle call; that thread only
std::function<void()> waker;

bool IsUserInterfaceThread() {
    std::lock_guard hold(mutex);
    return std::this_thread::get_id() == userInterfaceThread;
}

// Remembers the request; true when it is new.
bool Remember(vst::AEffect* effect, int32_t opcode) {
    std::lock_guard hold(mutex);
    const Pending request{effect, opcode};
    if (std::find(pending.begin(), pending.end(), request) != pending.end()) {
        return false;
    }
    pending.push_back(request);
    return true;
}

bool IsIdling(const vst::AEffect* effect) {
    return std::find(idling.begin(), idling.end(), effect) != idling.end();
}

// The one place idle calls are made: on the user-interface thread, marked while they run.
void Dispatch(vst::AEffect* effect, int32_t opcode) {
    idling.push_back(effect);
    PluginHost::Dispatch(effect, opcode);
    idling.erase(std::find(idling.begin(), idling.end(), effect));
}

}  // namespace

void IdleRequests::SetUserInterfaceThread() {
    std::lock_guard hold(mutex);
    userInterfaceThread = std::this_thread::get_id();
}

void IdleRequests::Request(vst::AEffect* effect, int32_t opcode) {
    if (effect == nullptr) {
        return;
    }
    if (IsUserInterfaceThread()) {
        Run(effect, opcode);
        return;
    }
    if (!Remember(effect, opcode)) {
        return;  // already asked for; one wake is enough
    }
    std::function<void()> wake;
    {
        std::lock_guard hold(mutex);
        wake = waker;
    }
    if (wake) {
        wake();
    }
}

void IdleRequests::Run(vst::AEffect* effect, int32_t opcode) {
    if (effect == nullptr || !IsUserInterfaceThread()) {
        return;
    }
    if (IsIdling(effect)) {
        Remember(effect, opcode);  // asked from inside its own idle: the next round runs it
        return;
    }
    Dispatch(effect, opcode);
}

void IdleRequests::RunDeferred() {
    if (!IsUserInterfaceThread()) {
        return;
    }
    // One at a time from the shared list: a request forgotten meanwhile (its effect closed)
    // is never run, and requests made during this round wait for the next one.
    size_t due = 0;
    {
        std::lock_guard hold(mutex);
        due = pending.size();
    }
    for (; due > 0; --due) {
        Pending next{};
        {
            std::lock_guard hold(mutex);
            if (pending.empty()) {
                return;
            }
            next = pending.front();
            pending.erase(pending.begin());
        }
        Run(next.effect, next.opcode);
    }
}

void IdleRequests::Forget(const vst::AEffect* effect) {
    std::lock_guard hold(mutex);
    std::erase_if(pending, [effect](const Pending& p) { return p.effect == effect; });
}

void IdleRequests::SetWaker(std::function<void()> newWaker) {
    std::lock_guard hold(mutex);
    waker = std::move(newWaker);
}

size_t IdleRequests::PendingCount() {
    std::lock_guard hold(mutex);
    return pending.size();
}
