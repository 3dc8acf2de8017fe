#include "session/RecoveryFile.h"

#include <algorithm>
#include <cstdlib>

#include "platform/Directory.h"
#include "platform/SessionStorage.h"
#include "session/SessionFile.h"

namespace {

constexpr const char* kPrefix = "recovery-";
constexpr const char* kSuffix = ".orvane";

}  // namespace

RecoveryFile::RecoveryFile(std::string directory) {
    if (!directory.empty()) {
        path = directory + "/" + kPrefix + std::to_string(platform::CurrentProcessId()) + kSuffix;
        writer = std::thread([this] { Run(); });
    }
}

RecoveryFile::~RecoveryFile() {
    if (writer.joinable()) {
        {
            std::lock_guard lock(mutex);
            stopping = true;
        }
        wake.notify_all();
        writer.join();
    }
}

void RecoveryFile::Keep(Workspace::State state) {
    if (path.empty()) {
        return;
    }
    {
        std::lock_guard lock(mutex);
        pending = std::move(state);
    }
    wake.notify_all();
}

void RecoveryFile::Flush() {
    std::unique_lock lock(mutex);
    wake.wait(lock, [this] { return (!pending && !writing) || stopping; });
}

void RecoveryFile::Discard() {
    if (path.empty()) {
        return;
    }
    std::unique_lock lock(mutex);
    pending.reset();
    wake.wait(lock, [this] { return !writing; });
    platform::RemoveFileIfPresent(path);
}

void RecoveryFile::Run() {
    std::unique_lock lock(mutex);
    for (;;) {
        wake.wait(lock, [this] { return pending || stopping; });
        if (!pending) {
            return;  // stopping, nothing left to write
        }
        Workspace::State state = std::move(pending);
        pending.reset();
        writing = true;
        lock.unlock();
        std::string error;
        session_file::Save(path, *state, error);  // a failed copy keeps the last good one
        state.reset();
        lock.lock();
        writing = false;
        wake.notify_all();
    }
}

std::vector<std::string> RecoveryFile::LeftBehind(const std::string& directory) {
    std::vector<std::pair<int64_t, std::string>> found;
    for (const std::string& name : platform::ListFiles(directory, kSuffix)) {
        if (name.rfind(kPrefix, 0) != 0) {
            continue;
        }
        const std::string number =
            name.substr(std::char_traits<char>::length(kPrefix),
                        name.size() - std::char_traits<char>::length(kPrefix) -
                            std::char_traits<char>::length(kSuffix));
        char* end = nullptr;
        const long pid = std::strtol(number.c_str(), &end, 10);
        if (number.empty() || *end != '\0' || pid == platform::CurrentProcessId() ||
            platform::IsProcessRunning(static_cast<int>(pid))) {
            continue;
        }
        const std::string file = directory + "/" + name;
        found.emplace_back(platform::StampOf(file).modifiedNs, file);
    }
    std::sort(found.begin(), found.end(), std::greater<>());
    std::vector<std::string> paths;
    for (auto& [time, file] : found) {
        paths.push_back(std::move(file));
    }
    return paths;
}
