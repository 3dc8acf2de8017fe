#include "session/EffectLibraryLookup.h"

#include <filesystem>
#include <system_error>

#include "plugins/EffectState.h"

namespace {

std::string FileNameOf(const std::string& path) {
    return std::filesystem::path(path).filename().string();
}

// The catalogue's entry for the saved library, by its path or by the real path it leads to.
const PluginInfo* EntryAt(const std::string& path, const std::vector<PluginInfo>& catalogue) {
    std::error_code error;
    const std::string real = std::filesystem::canonical(path, error).string();
    for (const PluginInfo& info : catalogue) {
        if (info.path == path || (!error && info.path == real)) {
            return &info;
        }
    }
    return nullptr;
}

// What became of the saved library, for the message when nothing stands in for it.
std::string WhatBecameOf(const std::string& path, const PluginInfo* entry) {
    if (entry == nullptr) {
        return "library " + path + " not found";
    }
    if (!entry->ok) {
        return "library " + path + " did not pass its examination (" + entry->failure + ")";
    }
    return "library " + path + " now holds another effect (id " + EffectIdText(entry->uniqueId) +
           ")";
}

}  // namespace

EffectLibraryChoice FindEffectLibrary(const EffectRecord& record,
                                      const std::vector<PluginInfo>& catalogue) {
    const PluginInfo* saved = EntryAt(record.libraryPath, catalogue);
    if (saved != nullptr && saved->ok && saved->uniqueId == record.uniqueId) {
        return {saved->path, ""};
    }
    std::error_code error;
    if (saved == nullptr && std::filesystem::exists(record.libraryPath, error)) {
        return {record.libraryPath, ""};
    }

    const PluginInfo* found = nullptr;
    if (record.uniqueId != 0) {
        const std::string fileName = FileNameOf(record.libraryPath);
        for (const PluginInfo& info : catalogue) {
            if (&info == saved || !info.ok || info.uniqueId != record.uniqueId) {
                continue;
            }
            if (FileNameOf(info.path) == fileName) {
                found = &info;
                break;
            }
            if (found == nullptr) {
                found = &info;
            }
        }
    }
    if (found != nullptr) {
        return {found->path, ""};
    }
    const std::string name = record.name.empty() ? FileNameOf(record.libraryPath) : record.name;
    const std::string elsewhere =
        record.uniqueId == 0 ? " and the effect has no id to find it by elsewhere"
                             : " and no scanned plug-in has id " + EffectIdText(record.uniqueId);
    return {"", name + ": " + WhatBecameOf(record.libraryPath, saved) + elsewhere};
}
