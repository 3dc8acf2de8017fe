#include "plugins/IdleRequests.h"

#include <algorithm>
#include <utility>

#include "plugins/PluginHost.h"

IdleRequests::IdleRequests() : userInterfaceThread(std::this_thread::get_id()) {}

void IdleRequests::SetUserInterfaceThread() {
    std::lock_guard hold(mutex);
    userInterfaceThread = std::this_thread::get_id();
}

bool IdleRequests::IsUserInterfaceThread() const {
    std::lock_guard hold(mutex);
    return std::this_thread::get_id() == userInterfaceThread;
}

bool IdleRequests::Remember(vst::AEffect* effect, int32_t opcode) {
    std::lock_guard hold(mutex);
    const Pending request{effect, opcode};
    if (std::find(pending.begin(), pending.end(), request) != pending.end()) {
        return false;
    }
    pending.push_back(request);
    return true;
}

bool IdleRequests::IsIdling(const vst::AEffect* effect) const {
    return std::find(idling.begin(), idling.end(), effect) != idling.end();
}

void IdleRequests::Dispatch(vst::AEffect* effect, int32_t opcode) {
    idling.push_back(effect);
    PluginHost::Dispatch(effect, opcode);
    idling.erase(std::find(idling.begin(), idling.end(), effect));
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

size_t IdleRequests::PendingCount() const {
    std::lock_guard hold(mutex);
    return pending.size();
}
