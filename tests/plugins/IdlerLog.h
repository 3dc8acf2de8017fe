#pragma once

#include <atomic>
#include <thread>

/// What the idle-asking test plug-in saw, read by the test through the exported IdlerLogOf.
/// Processing runs on another thread than the idle calls, so the counters are atomic.
struct IdlerLog {
    std::atomic<int> editIdles{0};              // effEditIdle calls
    std::atomic<int> effectIdles{0};            // effIdle calls
    std::atomic<int> offThreadIdles{0};         // idle calls on another thread than `idleThread`
    std::atomic<int> depth{0};                  // idle calls running right now
    std::atomic<int> deepest{0};                // the most idle calls ever running at once
    std::atomic<int> processed{0};              // processReplacing calls
    std::atomic<std::thread::id> idleThread{};  // the thread idle calls must run on

    void Clear() {
        editIdles = 0;
        effectIdles = 0;
        offThreadIdles = 0;
        depth = 0;
        deepest = 0;
        processed = 0;
    }
};

using IdlerLogProc = IdlerLog* (*)();
