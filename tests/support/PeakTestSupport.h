#pragma once

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <random>
#include <vector>

#include "audio/PeakPyramid.h"
#include "support/TestWav.h"

namespace testing_support {

/// A random walk with rare full-scale spikes, so that every extreme sits at one frame and a
/// table entry's boundary off by one frame shows.
inline std::vector<Frame> RandomWalkFrames(std::mt19937& rng, uint32_t count) {
    std::vector<Frame> frames(count);
    int left = 0, right = 0;
    for (Frame& f : frames) {
        left = std::clamp(left + int(rng() % 201) - 100, -20000, 20000);
        right = std::clamp(right + int(rng() % 201) - 100, -20000, 20000);
        int16_t l = int16_t(left), r = int16_t(right);
        if (rng() % 5000 == 0) {
            l = rng() % 2 ? INT16_MAX : INT16_MIN;
        }
        if (rng() % 5000 == 0) {
            r = rng() % 2 ? INT16_MAX : INT16_MIN;
        }
        f = Frame(uint16_t(l)) | (Frame(uint16_t(r)) << 16);
    }
    return frames;
}

/// Waits until the tables are complete; false after 30 s.
inline bool WaitForTables(const PeakPyramid& peaks) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!peaks.IsComplete() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return peaks.IsComplete();
}

/// A gate the table builder waits at after each chunk, until the test opens it or the tables
/// are cancelled. It must outlive the tables it holds.
struct PeakGate {
    std::mutex mutex;
    std::condition_variable changed;
    bool open = false;
    uint32_t arrivals = 0;

    PeakPyramid::ChunkHook Hook() {
        return [this](uint32_t, const std::atomic<bool>& cancel) {
            std::unique_lock lock(mutex);
            ++arrivals;
            changed.notify_all();
            while (!open && !cancel.load()) {
                changed.wait_for(lock, std::chrono::milliseconds(1));
            }
        };
    }
    bool WaitForArrival() {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, std::chrono::seconds(20), [&] { return arrivals > 0; });
    }
    void Open() {
        std::lock_guard lock(mutex);
        open = true;
        changed.notify_all();
    }
};

}  // namespace testing_support
